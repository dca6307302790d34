// Keys from an X server, at an operator's speed and faster: a key that opens a
// cell's editor must not lose the keys after it. QTest's events go straight to
// a widget, so this types into the real pelora under Xvfb with xdotool.
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
    void initTestCase()
    {
        for (const QString &tool : {u"Xvfb"_s, u"xdotool"_s})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(tool + u" is not installed (scripts/setup.sh installs it)"_s));
        m_server.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s}); // a free display, named on stdout
        QVERIFY(m_server.waitForReadyRead(10000));
        m_env.insert(u"DISPLAY"_s, u":"_s + QString::fromLatin1(m_server.readLine()).trimmed());
    }
    void cleanupTestCase()
    {
        m_server.terminate();
        m_server.waitForFinished();
    }
    void keysTypedIntoACellAllReachIt_data();
    void keysTypedIntoACellAllReachIt();

private:
    QString xdotool(const QStringList &arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(u"xdotool"_s, arguments);
        tool.waitForFinished(20000);
        return tool.exitCode() == 0 ? QString::fromUtf8(tool.readAllStandardOutput()).section(u'\n', 0, 0) : QString();
    }

    QProcess m_server;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
};

void TestRealKeys::keysTypedIntoACellAllReachIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("delayMs");
    QTest::addColumn<double>("stored");
    QTest::newRow("-500, 100 ms a key") << u"-500"_s << u"100"_s << -500.0;
    QTest::newRow("ー500, 100 ms a key") << u"ー500"_s << u"100"_s << -500.0;
    QTest::newRow("－500, 100 ms a key") << u"－500"_s << u"100"_s << -500.0;
    QTest::newRow("1500, 30 ms a key") << u"1500"_s << u"30"_s << 1500.0;
}

void TestRealKeys::keysTypedIntoACellAllReachIt()
{
    QFETCH(QString, typed);
    QFETCH(QString, delayMs);
    QFETCH(double, stored);
    ProgramFolder folder;
    std::unique_ptr<QProcess> pelora = folder.process();
    QProcessEnvironment env = m_env;
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    pelora->setProcessEnvironment(env);
    pelora->start();
    QVERIFY(folder.waitForLock(*pelora));
    const QString window = xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                                    QString::number(pelora->processId())});
    QVERIFY(!window.isEmpty());
    // From the name field, Tab past the header into the grid (its first date is
    // current) and walk right to 調整額; type, commit, and put a 1 in 金額 to
    // know when every key before it has been handled.
    xdotool({u"windowfocus"_s, u"--sync"_s, window});
    xdotool(QStringList{u"key"_s, u"--delay"_s, u"50"_s} + QString(u"Tab "_s.repeated(4) + u"Right "_s.repeated(5)).split(u' ', Qt::SkipEmptyParts));
    xdotool({u"type"_s, u"--delay"_s, delayMs, u"--"_s, typed});
    xdotool({u"key"_s, u"Return"_s, u"1"_s, u"Return"_s});

    QVariant adjustment;
    {
        QSqlDatabase work = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s);
        work.setDatabaseName(folder.workFile());
        QSqlQuery line(work);
        QTRY_VERIFY_WITH_TIMEOUT(work.open() && line.exec(u"SELECT 調整額, 金額 FROM w明細 ORDER BY rowid LIMIT 1"_s)
                                     && line.next() && !line.value(1).isNull(), 10000);
        adjustment = line.value(0);
    }
    QSqlDatabase::removeDatabase(u"reader"_s);
    pelora->kill();
    pelora->waitForFinished();
    QCOMPARE(adjustment, QVariant(stored));
}

QTEST_GUILESS_MAIN(TestRealKeys)
#include "tst_realkeys.moc"
