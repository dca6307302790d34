// Emptying the time-sheet page and deleting a registered sheet: what the
// operator sees, what is asked, and what is left in the two files.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace sheet;

namespace {

// An empty key is stored as empty text, not as NULL.
QString text(const QString &value)
{
    return value.isNull() ? u""_s : value;
}

// A registered sheet written straight into the main file: its header and
// lineCount lines dated from the 1st, 8 hours at 1000 each.
void storeSheet(const Pelora &app, const QString &name, const QString &title, int lineCount)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                            u"VALUES (?, ?, 1000, 1, 0, ?, ?)"_s,
                            {text(name), text(title), 8.0 * lineCount, 8000.0 * lineCount}));
    for (int n = 1; n <= lineCount; ++n) {
        const QString date = QDate(2007, 4, 1).addDays(n - 1).toString(u"yyyy-MM-dd"_s);
        QVERIFY(Pelora::execute(app.paths.MainDbPath,
                                u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, "
                                u"時給, 調整額, 金額) VALUES (?, ?, ?, ?, '0900', '1800', 8, 1000, 0, 8000)"_s,
                                {text(name), text(title), n, date}));
    }
}

void addEmployee(const Pelora &app, const QString &name, double wage)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s,
                            {name, wage}));
}

int count(const Pelora &app, const QString &table, const QString &name, const QString &title)
{
    return app.mainRows(u"SELECT count(*) FROM %1 WHERE 氏名 = ? AND タイトル = ?"_s.arg(table), {text(name), text(title)})
        .first()
        .value(0)
        .toInt();
}

QStringList nameList(const FrmPelora *w)
{
    QStringList names;
    for (int i = 0; i < ui::cmb氏名(w)->count(); ++i)
        names.append(ui::cmb氏名(w)->itemText(i));
    return names;
}

void fillPage(const Pelora &app, const QString &name, const QString &title)
{
    op::fill(ui::cmb氏名(app.w), name);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::txtタイトル(app.w), title);
    op::fill(ui::num休憩(app.w), u"1"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col日付, u"20070402"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col終了時間, u"1730"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col調整額, u"500"_s);
}

// The cleared page: empty header fields and sixty blank lines numbered 1 to 60,
// on the screen and in w明細.
void verifyCleared(const Pelora &app)
{
    const FrmPelora *w = app.w;
    QCOMPARE(ui::cmb氏名(w)->currentText(), QString());
    QCOMPARE(ui::txtタイトル(w)->text(), QString());
    for (NumberEdit *field : {ui::num時給(w), ui::num休憩(w), ui::num調整額(w), ui::num時間(w), ui::num合計(w)}) {
        QVERIFY2(field->value().isNull(), qPrintable(field->objectName()));
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    }
    QCOMPARE(ui::Grid明細(w)->model()->rowCount(), LineCount);
    for (int row = 0; row < LineCount; ++row) {
        QCOMPARE(ui::dat明細(w)->value(row, Col行番号).toInt(), row + 1);
        for (int column = Col日付; column <= Col金額; ++column)
            QVERIFY2(ui::Grid明細(w)->model()->index(row, column).data().toString().isEmpty(),
                     qPrintable(u"line %1 column %2"_s.arg(row + 1).arg(column)));
    }
    const auto lines = app.workRows(
        u"SELECT 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 FROM w明細 ORDER BY 行番号"_s);
    QCOMPARE(lines.size(), LineCount);
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines.at(i).value(0).toInt(), i + 1);
        for (int c = 1; c < lines.at(i).size(); ++c)
            QVERIFY2(lines.at(i).value(c).isNull(), qPrintable(u"line %1 field %2"_s.arg(i + 1).arg(c)));
    }
}

} // namespace

class TestSheetClear : public QObject
{
    Q_OBJECT

private slots:
    void clearAsksNothingAndEmptiesThePage();
    void clearDropsAnEditInProgress();
    void clearGivesSixtyLinesWhateverCameBefore_data();
    void clearGivesSixtyLinesWhateverCameBefore();
    void deleteNeedsNameAndTitle_data();
    void deleteNeedsNameAndTitle();
    void deleteAsksWithNoAsTheDefault_data();
    void deleteAsksWithNoAsTheDefault();
    void deleteRemovesOnlyThatSheet();
    void deletingAnUnregisteredSheetOnlyClears();
    void registeredThroughThePageThenDeleted();
};

void TestSheetClear::clearAsksNothingAndEmptiesThePage()
{
    Pelora app;
    QVERIFY(app.start());
    fillPage(app, u"山田"_s, u"4月"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    QCOMPARE(nameList(app.w), QStringList());
    // Employees arriving in the master show in the list only after the clear.
    addEmployee(app, u"佐藤"_s, 1100);
    addEmployee(app, u"伊藤"_s, 900);
    QCOMPARE(nameList(app.w), QStringList());

    op::click(ui::cmdクリア(app.w));
    QVERIFY(app.presenter.shown.isEmpty());
    verifyCleared(app);
    QCOMPARE(nameList(app.w), (QStringList{u"伊藤"_s, u"佐藤"_s}));
    QCOMPARE(ui::cmb氏名(app.w)->currentIndex(), -1);
    // The register of sheets is not touched.
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).first().value(0).toInt(), 0);
}

void TestSheetClear::clearDropsAnEditInProgress()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::selectCell(ui::Grid明細(app.w), 2, Col開始時間);
    QTest::keyClick(ui::Grid明細(app.w), Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != ui::Grid明細(app.w));
    op::type(editor, u"0900"_s);
    // The operator clears without committing the cell (an accelerator, not a click).
    ui::cmdクリア(app.w)->click();
    QApplication::processEvents();
    verifyCleared(app);
}

void TestSheetClear::clearGivesSixtyLinesWhateverCameBefore_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("lines deleted") << u"delete"_s;
    QTest::newRow("a short sheet read") << u"read 3"_s;
    QTest::newRow("a long sheet read") << u"read 65"_s;
    QTest::newRow("cleared twice") << u"clear"_s;
}

void TestSheetClear::clearGivesSixtyLinesWhateverCameBefore()
{
    QFETCH(QString, before);
    Pelora app;
    QVERIFY(app.start());
    FrmPelora *w = app.w;
    if (before == u"delete"_s) {
        fillPage(app, u"山田"_s, u"4月"_s);
        for (int row : {0, 10, 20}) {
            op::selectCell(ui::Grid明細(w), row, Col日付);
            op::click(ui::cmd行削除(w));
        }
        QCOMPARE(ui::Grid明細(w)->model()->rowCount(), LineCount - 3);
    } else if (before.startsWith(u"read"_s)) {
        const int lines = before.section(u' ', 1).toInt();
        storeSheet(app, u"山田"_s, u"4月"_s, lines);
        op::fill(ui::cmb氏名(w), u"山田"_s);
        op::fill(ui::txtタイトル(w), u"4月"_s);
        op::click(ui::cmd読込(w));
        QCOMPARE(ui::Grid明細(w)->model()->rowCount(), std::max(lines, LineCount));
        QCOMPARE(ui::dat明細(w)->displayText(lines - 1, Col金額), u"8,000"_s);
    } else {
        op::click(ui::cmdクリア(w));
    }
    op::click(ui::cmdクリア(w));
    verifyCleared(app);
}

void TestSheetClear::deleteNeedsNameAndTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    QTest::newRow("no name") << QString() << u"4月"_s << u"氏名を記入してください。"_s << u"cmb氏名"_s;
    QTest::newRow("no name, no title") << QString() << QString() << u"氏名を記入してください。"_s
                                       << u"cmb氏名"_s;
    QTest::newRow("no title") << u"山田"_s << QString() << u"タイトルを記入してください。"_s
                              << u"txtタイトル"_s;
}

void TestSheetClear::deleteNeedsNameAndTitle()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, field);
    Pelora app;
    QVERIFY(app.start());
    // Sheets an empty name or title would match must survive.
    storeSheet(app, name, title, 2);
    fillPage(app, name, title);

    op::click(ui::cmd削除(app.w));
    QVERIFY(verifyMissingKeyMessage(app, message, field));
    QVERIFY(app.w->findChild<QWidget *>(field)->hasFocus());

    QCOMPARE(count(app, u"時給ヘッダ"_s, name, title), 1);
    QCOMPARE(count(app, u"時給明細"_s, name, title), 2);
    // The page is as it was.
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), name);
    QCOMPARE(ui::txtタイトル(app.w)->text(), title);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(0, Col日付), u"2007/04/02"_s);
}

void TestSheetClear::deleteAsksWithNoAsTheDefault_data()
{
    QTest::addColumn<bool>("scriptedNo");
    QTest::newRow("Enter takes the default") << false;
    QTest::newRow("No") << true;
}

void TestSheetClear::deleteAsksWithNoAsTheDefault()
{
    QFETCH(bool, scriptedNo);
    Pelora app;
    QVERIFY(app.start());
    storeSheet(app, u"山田"_s, u"4月"_s, 3);
    fillPage(app, u"山田"_s, u"4月"_s);
    if (scriptedNo)
        app.presenter.answerNo();

    op::click(ui::cmd削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest asked = app.presenter.last();
    QCOMPARE(asked.title, u"削除の確認"_s);
    QCOMPARE(asked.prompt, u"山田 を削除します。よろしいですか"_s);
    QCOMPARE(asked.icon, MessageRequest::Icon::Question);
    QCOMPARE(asked.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(asked.defaultButton, MessageRequest::Button::No);

    QCOMPARE(count(app, u"時給ヘッダ"_s, u"山田"_s, u"4月"_s), 1);
    QCOMPARE(count(app, u"時給明細"_s, u"山田"_s, u"4月"_s), 3);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    QCOMPARE(ui::num時給(app.w)->text(), u"1,000"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(0, Col金額), u"8,000"_s);
}

void TestSheetClear::deleteRemovesOnlyThatSheet()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"山田"_s, 1000);
    addEmployee(app, u"O'Brien"_s, 1000);
    storeSheet(app, u"山田"_s, u"4月"_s, 3);
    storeSheet(app, u"山田"_s, u"5月"_s, 2);
    storeSheet(app, u"佐藤"_s, u"4月"_s, 2);
    storeSheet(app, u"O'Brien"_s, u"4月"_s, 1);
    storeSheet(app, u"O'Brien"_s, u"4月 "_s, 1);
    op::click(ui::cmdクリア(app.w));

    for (const QString &name : {u"山田"_s, u"O'Brien"_s}) {
        fillPage(app, name, u"4月"_s);
        app.presenter.answerYes();
        op::click(ui::cmd削除(app.w));
        QCOMPARE(count(app, u"時給ヘッダ"_s, name, u"4月"_s), 0);
        QCOMPARE(count(app, u"時給明細"_s, name, u"4月"_s), 0);
        verifyCleared(app);
        QVERIFY(ui::cmb氏名(app.w)->hasFocus());
    }
    QCOMPARE(app.presenter.shown.size(), 2);
    QCOMPARE(count(app, u"時給ヘッダ"_s, u"山田"_s, u"5月"_s), 1);
    QCOMPARE(count(app, u"時給明細"_s, u"山田"_s, u"5月"_s), 2);
    QCOMPARE(count(app, u"時給ヘッダ"_s, u"佐藤"_s, u"4月"_s), 1);
    QCOMPARE(count(app, u"時給明細"_s, u"佐藤"_s, u"4月"_s), 2);
    QCOMPARE(count(app, u"時給ヘッダ"_s, u"O'Brien"_s, u"4月 "_s), 1);
    QCOMPARE(count(app, u"時給明細"_s, u"O'Brien"_s, u"4月 "_s), 1);

    // The employees stay, in the master and in the name list.
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 従業員"_s).first().value(0).toInt(), 2);
    QCOMPARE(nameList(app.w), (QStringList{u"O'Brien"_s, u"山田"_s}));

    // The history no longer lists the deleted sheets.
    op::click(ui::cmd履歴読込(app.w));
    QStringList listed;
    for (int row = 0; row < ui::dat履歴(app.w)->storedRowCount(); ++row)
        listed.append(ui::dat履歴(app.w)->value(row, 0).toString() + u'/' + ui::dat履歴(app.w)->value(row, 2).toString());
    listed.sort();
    QCOMPARE(listed, (QStringList{u"O'Brien/4月 "_s, u"佐藤/4月"_s, u"山田/5月"_s}));
}

void TestSheetClear::deletingAnUnregisteredSheetOnlyClears()
{
    Pelora app;
    QVERIFY(app.start());
    storeSheet(app, u"山田"_s, u"4月"_s, 3);
    fillPage(app, u"山田"_s, u"３月"_s);
    const auto headers = app.mainRows(u"SELECT * FROM 時給ヘッダ ORDER BY rowid"_s);
    const auto lines = app.mainRows(u"SELECT * FROM 時給明細 ORDER BY rowid"_s);
    app.presenter.answerYes();
    op::click(ui::cmd削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    QCOMPARE(app.presenter.last().title, u"削除の確認"_s);
    QCOMPARE(app.presenter.shown.size(), 1); // no completion or failure message
    QCOMPARE(app.mainRows(u"SELECT * FROM 時給ヘッダ ORDER BY rowid"_s), headers);
    QCOMPARE(app.mainRows(u"SELECT * FROM 時給明細 ORDER BY rowid"_s), lines);
    verifyCleared(app);
    QVERIFY(ui::cmb氏名(app.w)->hasFocus());
}

void TestSheetClear::registeredThroughThePageThenDeleted()
{
    Pelora app;
    QVERIFY(app.start());
    fillPage(app, u"山田"_s, u"4月"_s);
    op::click(ui::cmd登録(app.w)); // Yes is the default
    QCOMPARE(count(app, u"時給ヘッダ"_s, u"山田"_s, u"4月"_s), 1);
    QCOMPARE(count(app, u"時給明細"_s, u"山田"_s, u"4月"_s), 1);
    QCOMPARE(nameList(app.w), QStringList{u"山田"_s});

    op::fill(ui::cmb氏名(app.w), u"山田"_s);
    op::fill(ui::txtタイトル(app.w), u"4月"_s);
    app.presenter.answerYes();
    op::click(ui::cmd削除(app.w));
    QCOMPARE(count(app, u"時給ヘッダ"_s, u"山田"_s, u"4月"_s), 0);
    QCOMPARE(count(app, u"時給明細"_s, u"山田"_s, u"4月"_s), 0);
    QCOMPARE(nameList(app.w), QStringList{u"山田"_s});
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 従業員 WHERE 氏名 = '山田'"_s).first().value(0).toDouble(), 1000.0);
    verifyCleared(app);
}

QTEST_MAIN(TestSheetClear)
#include "tst_sheetclear.moc"
