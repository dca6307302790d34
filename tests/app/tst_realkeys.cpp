// Keys typed into the real program on an X server, at an operator's speed and
// faster: a key that opens a cell's editor must not lose the keys after it.
// QTest's key events go straight to a widget and cannot show a key lost on the
// way from the X server, so this runs the real pelora under Xvfb and types
// with xdotool.
#include "../data/realprogram.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRealKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keysTypedIntoACellAllReachIt_data();
    void keysTypedIntoACellAllReachIt();

private:
    bool xdotool(const QStringList &arguments, QString *output = nullptr);

    QProcess m_server;
    QString m_display;
};

void TestRealKeys::initTestCase()
{
    for (const char *tool : {"Xvfb", "xdotool"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(u"%1 is not installed (scripts/setup.sh installs it)"_s.arg(QString::fromLatin1(tool))));
    // Xvfb picks a free display and names it on the descriptor given.
    m_server.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s});
    QVERIFY(m_server.waitForReadyRead(10000));
    m_display = u":"_s + QString::fromLatin1(m_server.readLine()).trimmed();
}

void TestRealKeys::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        m_server.waitForFinished();
    }
}

bool TestRealKeys::xdotool(const QStringList &arguments, QString *output)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_display);
    tool.setProcessEnvironment(env);
    tool.start(u"xdotool"_s, arguments);
    if (!tool.waitForFinished(20000) || tool.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return true;
}

void TestRealKeys::keysTypedIntoACellAllReachIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<double>("stored");
    QTest::newRow("-500, 100 ms a key") << u"-500"_s << 100 << -500.0;
    QTest::newRow("ー500, 100 ms a key") << u"ー500"_s << 100 << -500.0;
    QTest::newRow("－500, 100 ms a key") << u"－500"_s << 100 << -500.0;
    QTest::newRow("1500, 30 ms a key") << u"1500"_s << 30 << 1500.0;
}

void TestRealKeys::keysTypedIntoACellAllReachIt()
{
    QFETCH(QString, typed);
    QFETCH(int, delayMs);
    QFETCH(double, stored);

    ProgramFolder folder;
    QVERIFY(folder.isValid());
    std::unique_ptr<QProcess> pelora = folder.process();
    QProcessEnvironment env = pelora->processEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"DISPLAY"_s, m_display);
    pelora->setProcessEnvironment(env);
    pelora->start();
    QVERIFY(folder.waitForLock(*pelora));
    QString window;
    QVERIFY(xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                     QString::number(pelora->processId())}, &window));
    window = window.section(u'\n', 0, 0);
    // The name field has the focus: Tab past the header to the grid, whose
    // first line's date is current, and walk right to its 調整額.
    QVERIFY(xdotool({u"windowfocus"_s, u"--sync"_s, window}));
    QVERIFY(xdotool({u"key"_s, u"--delay"_s, u"50"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Right"_s,
                     u"Right"_s, u"Right"_s, u"Right"_s, u"Right"_s}));
    QVERIFY(xdotool({u"type"_s, u"--delay"_s, QString::number(delayMs), u"--"_s, typed}));
    // Enter commits the cell and moves to 金額, where a 1 marks that the keys
    // before it were all handled.
    QVERIFY(xdotool({u"key"_s, u"Return"_s, u"1"_s, u"Return"_s}));

    // Edits are written as they are committed; read the line from the work file.
    QVariant adjustment;
    {
        QSqlDatabase work = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s);
        work.setDatabaseName(folder.workFile());
        QVERIFY(work.open());
        QSqlQuery query(work);
        QTRY_VERIFY_WITH_TIMEOUT(query.exec(u"SELECT 調整額, 金額 FROM w明細 ORDER BY rowid LIMIT 1"_s)
                                     && query.next() && !query.value(1).isNull(),
                                 10000);
        adjustment = query.value(0);
    }
    QSqlDatabase::removeDatabase(u"reader"_s);
    pelora->kill();
    pelora->waitForFinished();
    QCOMPARE(adjustment.toDouble(), stored);
}

QTEST_GUILESS_MAIN(TestRealKeys)
#include "tst_realkeys.moc"
