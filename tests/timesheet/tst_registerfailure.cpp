// Registering when the main file refuses a write half-way: the stored sheet and
// the employee stay exactly as they were, the operator is told, and the page
// keeps everything typed so that the registration can be tried again.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/sheetcolumns.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using sheet::Col日付, sheet::Col開始時間, sheet::Col終了時間;

namespace {

const QString FailureText =
    u"データファイルに書き込めないため、登録できませんでした。保存されているデータは変わっていません。"_s;

// Everything in the main file, rowids included: "as before" means identical.
QList<QVariantList> mainFile(const Pelora &app)
{
    QList<QVariantList> rows;
    rows.append(app.mainRows(u"SELECT rowid, 氏名, 時給 FROM 従業員 ORDER BY rowid"_s));
    rows.append(app.mainRows(u"SELECT rowid, * FROM 時給ヘッダ ORDER BY rowid"_s));
    rows.append(app.mainRows(u"SELECT rowid, * FROM 時給明細 ORDER BY rowid"_s));
    return rows;
}

using Page = SheetPage;

void typeSheet(FrmPelora *w, const QString &name, const QString &wage, int lineCount, const QString &end)
{
    op::fill(ui::cmb氏名(w), name);
    op::fill(ui::txtタイトル(w), u"4月"_s);
    op::fill(ui::num時給(w), wage);
    op::fill(ui::num休憩(w), u"1"_s);
    for (int r = 0; r < lineCount; ++r) {
        op::typeCell(ui::Grid明細(w), r, Col日付, u"200704%1"_s.arg(r + 2, 2, 10, QChar(u'0')));
        op::typeCell(ui::Grid明細(w), r, Col開始時間, u"0900"_s);
        op::typeCell(ui::Grid明細(w), r, Col終了時間, end);
    }
}

// The sheet 山田/4月 with four lines and the employee 山田 at 900 yen.
bool registerPreviousSheet(Pelora &app)
{
    typeSheet(app.w, u"山田"_s, u"900"_s, 4, u"1700"_s);
    op::click(ui::cmd登録(app.w));
    return app.presenter.shown.size() == 1
        && app.mainRows(u"SELECT count(*) FROM 時給明細"_s).first().value(0).toInt() == 4
        && ui::cmb氏名(app.w)->currentText().isEmpty();
}

} // namespace

class TestRegisterFailure : public QObject
{
    Q_OBJECT

private slots:
    void aFailedWriteChangesNothing_data();
    void aFailedWriteChangesNothing();
    void aFileLockedByAnotherProgramChangesNothing();
};

void TestRegisterFailure::aFailedWriteChangesNothing_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("failing"); // the statement the trigger stops
    const QString head = u"CREATE TRIGGER fail_here BEFORE "_s;
    const QString body = u" BEGIN SELECT RAISE(ABORT, 'boom'); END"_s;
    QTest::newRow("employee's wage") << head + u"UPDATE ON 従業員"_s + body << u"山田"_s
                                     << u"UPDATE 従業員"_s;
    QTest::newRow("header update") << head + u"UPDATE ON 時給ヘッダ"_s + body << u"山田"_s
                                   << u"UPDATE 時給ヘッダ"_s;
    QTest::newRow("old lines") << head + u"DELETE ON 時給明細"_s + body << u"山田"_s
                               << u"DELETE FROM 時給明細"_s;
    QTest::newRow("third new line") << head + u"INSERT ON 時給明細 WHEN NEW.行番号 = 3"_s + body
                                    << u"山田"_s << u"INSERT INTO 時給明細"_s;
    QTest::newRow("new employee, new header") << head + u"INSERT ON 時給ヘッダ"_s + body << u"佐藤"_s
                                              << u"INSERT INTO 時給ヘッダ"_s;
    QTest::newRow("new employee, third new line")
        << head + u"INSERT ON 時給明細 WHEN NEW.行番号 = 3"_s + body << u"佐藤"_s
        << u"INSERT INTO 時給明細"_s;
}

void TestRegisterFailure::aFailedWriteChangesNothing()
{
    QFETCH(QString, trigger);
    QFETCH(QString, name);
    QFETCH(QString, failing);
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(registerPreviousSheet(app));
    app.stop();
    QVERIFY(Pelora::execute(app.paths.MainDbPath, trigger));
    QVERIFY(app.start());
    const QList<QVariantList> before = mainFile(app);
    QCOMPARE(before.size(), 1 + 1 + 4);

    typeSheet(app.w, name, u"1200"_s, 5, u"1800"_s);
    const Page typed = sheetPage(app.w);
    QCOMPARE(typed.fields.at(4).toDouble(), 5 * 8 * 1200.0);
    app.presenter.clear();
    // Over the registered 山田/4月, which the page was not read from, a second Yes.
    const int questions = name == u"山田"_s ? 2 : 1;
    for (int i = 0; i < questions; ++i)
        app.presenter.answerYes();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(u"^SQL failed: "_s + failing + u".* boom"_s));
    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), questions + 1);
    QCOMPARE(app.presenter.shown.first().title, u"登録の確認"_s);
    const MessageRequest told = app.presenter.last();
    QCOMPARE(told.title, FailureText);
    QCOMPARE(told.prompt, FailureText);
    QCOMPARE(told.buttons, MessageRequest::Buttons::Ok);
    QCOMPARE(mainFile(app), before);
    const Page now = sheetPage(app.w);
    QCOMPARE(now.name, typed.name);
    QCOMPARE(now.title, typed.title);
    QCOMPARE(now.fields, typed.fields);
    QCOMPARE(now.lines, typed.lines);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w明細 WHERE 金額 IS NOT NULL"_s).first().value(0).toInt(), 5);

    // Once the file takes writes again, the same page registers: nothing was left half-done.
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"DROP TRIGGER fail_here"_s));
    for (int i = 0; i < questions; ++i)
        app.presenter.answerYes();
    op::click(ui::cmd登録(app.w));
    QCOMPARE(app.presenter.shown.size(), 2 * questions + 1);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), QString());
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s, {name}).first().value(0).toDouble(),
             1200.0);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細 WHERE 氏名 = ?"_s, {name}).first().value(0).toInt(),
             5);
    QCOMPARE(app.mainRows(u"SELECT 合計 FROM 時給ヘッダ WHERE 氏名 = ?"_s, {name}).first().value(0).toDouble(),
             48000.0);
}

void TestRegisterFailure::aFileLockedByAnotherProgramChangesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(registerPreviousSheet(app));
    const QList<QVariantList> before = mainFile(app);
    typeSheet(app.w, u"山田"_s, u"1200"_s, 2, u"1800"_s);
    const Page typed = sheetPage(app.w);
    app.presenter.clear();
    app.presenter.answerYes();
    app.presenter.answerYes(); // over the registered sheet
    {
        // Another program holds the write lock while the operator registers.
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other-program"_s);
        other.setDatabaseName(app.paths.MainDbPath);
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY(lock.exec(u"BEGIN IMMEDIATE"_s));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^SQL failed: BEGIN IMMEDIATE .*locked"_s));
        op::click(ui::cmd登録(app.w));
        QVERIFY(lock.exec(u"ROLLBACK"_s));
        lock.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(u"other-program"_s);

    QCOMPARE(app.presenter.shown.size(), 3);
    QCOMPARE(app.presenter.last().prompt, FailureText);
    QCOMPARE(mainFile(app), before);
    const Page now = sheetPage(app.w);
    QCOMPARE(now.name, typed.name);
    QCOMPARE(now.fields, typed.fields);
    QCOMPARE(now.lines, typed.lines);
}

QTEST_MAIN(TestRegisterFailure)
#include "tst_registerfailure.moc"
