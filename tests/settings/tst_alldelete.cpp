// Deleting all data (実行 on the settings page): every sheet, employee and the
// company settings go, the lists behind them empty; hints, the sheet page's
// header and the held company values stay.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "hints/hintwindow.h"
#include "timesheet/sheetcolumns.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QStringList MainTables{u"時給ヘッダ"_s, u"時給明細"_s, u"従業員"_s, u"自社情報"_s};

QList<int> mainCounts(const Pelora &app)
{
    QList<int> counts;
    for (const QString &table : MainTables) {
        const auto rows = app.mainRows(u"SELECT count(*) FROM "_s + table);
        counts.append(rows.isEmpty() ? -1 : rows.first().value(0).toInt());
    }
    return counts;
}

int workCount(const Pelora &app, const QString &table)
{
    const auto rows = app.workRows(u"SELECT count(*) FROM "_s + table);
    return rows.isEmpty() ? -1 : rows.first().value(0).toInt();
}

// A data folder with two employees, two registered sheets, the company
// settings and a hint for the settings page, on screen as an operator would
// have it: both lists read, a sheet being typed.
bool startWithData(Pelora &app)
{
    if (!app.start())
        return false;
    app.stop();
    const QString main = app.paths.MainDbPath;
    bool ok = Pelora::execute(main, u"INSERT INTO 従業員 (氏名, 時給) VALUES ('山田 花子', 1000), ('佐藤 一郎', 950)"_s)
        && Pelora::execute(main, u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) VALUES "
                                 u"('山田 花子', '4月前半', 1000, 1, 0, 7.5, 7500), "
                                 u"('佐藤 一郎', '4月前半', 950, 0, 0, 4, 3800)"_s)
        && Pelora::execute(main, u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額) VALUES "
                                 u"('山田 花子', '4月前半', 1, '2007-04-02', '0900', '1730', 7.5, 1000, NULL, 7500), "
                                 u"('佐藤 一郎', '4月前半', 1, '2007-04-02', '1300', '1700', 4, 950, NULL, 3800)"_s)
        && Pelora::execute(main, u"INSERT INTO 自社情報 (自社名, 自社情報) VALUES ('株式会社サンプル商店', 'TEL 03-1234-5678')"_s)
        && Pelora::execute(app.paths.WorkDbPath,
                           u"INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) VALUES "
                           u"('FrmPelora', 'cmdHint4', 'Pelora Ver 1.30', '一括削除の前にバックアップを')"_s);
    if (!ok || !app.start())
        return false;

    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(2);
    op::click(ui::cmd従業員読込(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::fill(ui::cmb氏名(app.w), u"新人 太郎"_s);
    op::fill(ui::num時給(app.w), u"1100"_s);
    op::fill(ui::txtタイトル(app.w), u"5月前半"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col日付, u"20070501"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col終了時間, u"1700"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col調整額, u"200"_s);
    ui::SSTab1(app.w)->setCurrentIndex(3);
    return ui::dat履歴(app.w)->rowCount() == 2 && ui::dat従業員(app.w)->storedRowCount() == 2;
}

// What the sheet page shows above the grid, and the names offered by its list.
QStringList sheetHeader(const Pelora &app)
{
    QStringList header{ui::cmb氏名(app.w)->currentText(), ui::txtタイトル(app.w)->text()};
    for (NumberEdit *field : {ui::num時給(app.w), ui::num休憩(app.w), ui::num調整額(app.w), ui::num時間(app.w), ui::num合計(app.w)})
        header.append(field->text());
    for (int i = 0; i < ui::cmb氏名(app.w)->count(); ++i)
        header.append(u"item:"_s + ui::cmb氏名(app.w)->itemText(i));
    return header;
}

void checkConfirmation(const MessageRequest &ask)
{
    QCOMPARE(ask.title, u"削除の確認"_s);
    QCOMPARE(ask.prompt, u" を削除します。よろしいですか"_s);
    QCOMPARE(ask.icon, MessageRequest::Icon::Question);
    QCOMPARE(ask.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(ask.defaultButton, MessageRequest::Button::No);
}

} // namespace

class TestAllDelete : public QObject
{
    Q_OBJECT

private slots:
    void defaultAnswerDeletesNothing();
    void yesDeletesTheDataAndEmptiesItsScreens();
    void whatIsNotBusinessDataStays();
    void emptyFolderCompletesSilently();
    void readingAfterwardsShowsNothing();
    void aFailedDeleteKeepsEverythingAndSaysSo();
};

void TestAllDelete::defaultAnswerDeletesNothing()
{
    Pelora app;
    QVERIFY(startWithData(app));
    const QList<int> counts = mainCounts(app);
    QCOMPARE(counts, (QList<int>{2, 2, 2, 1}));
    const QStringList header = sheetHeader(app);
    const auto lines = app.workRows(u"SELECT * FROM w明細 ORDER BY rowid"_s);

    op::click(ui::cmd一括削除7(app.w)); // Enter: the default, No
    QCOMPARE(app.presenter.shown.size(), 1);
    checkConfirmation(app.presenter.shown.first());

    app.presenter.answerNo();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(app.presenter.shown.size(), 2);

    QCOMPARE(mainCounts(app), counts);
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 2);
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 2);
    QCOMPARE(ui::txt自社名(app.w)->text(), u"株式会社サンプル商店"_s);
    QCOMPARE(ui::txt自社情報(app.w)->toPlainText(), u"TEL 03-1234-5678"_s);
    QCOMPARE(sheetHeader(app), header);
    QCOMPARE(app.workRows(u"SELECT * FROM w明細 ORDER BY rowid"_s), lines);
}

void TestAllDelete::yesDeletesTheDataAndEmptiesItsScreens()
{
    Pelora app;
    QVERIFY(startWithData(app));
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));

    // Only the question; no completion message.
    QCOMPARE(app.presenter.shown.size(), 1);
    checkConfirmation(app.presenter.shown.first());

    QCOMPARE(mainCounts(app), (QList<int>{0, 0, 0, 0}));
    QCOMPARE(workCount(app, u"w履歴"_s), 0);
    QCOMPARE(workCount(app, u"w従業員"_s), 0);
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 0);
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 0);
    QCOMPARE(ui::txt自社名(app.w)->text(), QString());
    QCOMPARE(ui::txt自社情報(app.w)->toPlainText(), QString());

    // The detail grid is back to its 60 blank lines.
    const auto lines = app.workRows(u"SELECT 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 "
                                    u"FROM w明細 ORDER BY 行番号"_s);
    QCOMPARE(lines.size(), 60);
    for (int i = 0; i < 60; ++i) {
        QCOMPARE(lines.at(i).value(0).toInt(), i + 1);
        for (int c = 1; c < lines.at(i).size(); ++c)
            QVERIFY2(lines.at(i).value(c).isNull(), qPrintable(u"line %1 field %2"_s.arg(i + 1).arg(c)));
    }
    QCOMPARE(ui::Grid明細(app.w)->model()->rowCount(), 60);
    QCOMPARE(ui::dat明細(app.w)->displayText(0, sheet::Col日付), QString());
    QCOMPARE(ui::dat明細(app.w)->displayText(0, sheet::Col金額), QString());
}

void TestAllDelete::whatIsNotBusinessDataStays()
{
    Pelora app;
    QVERIFY(startWithData(app));
    const QStringList header = sheetHeader(app);
    QVERIFY(header.contains(u"item:佐藤 一郎"_s));
    QCOMPARE(header.at(0), u"新人 太郎"_s);
    QCOMPARE(header.at(4), u"200"_s); // the typed line's adjustment, summed
    const QString heldName = ui::sheetPage(app.w)->heldCompany().str自社名;
    const QString heldInfo = ui::sheetPage(app.w)->heldCompany().str自社情報;
    QCOMPARE(heldName, u"株式会社サンプル商店"_s);
    const auto hints = app.workRows(u"SELECT * FROM ClHint"_s);

    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(mainCounts(app), (QList<int>{0, 0, 0, 0}));

    // The page keeps what was typed; its name list follows the master, now empty.
    QCOMPARE(sheetHeader(app), header.mid(0, 7));
    QCOMPARE(ui::sheetPage(app.w)->heldCompany().str自社名, heldName);
    QCOMPARE(ui::sheetPage(app.w)->heldCompany().str自社情報, heldInfo);
    QCOMPARE(app.workRows(u"SELECT * FROM ClHint"_s), hints);

    // The hint is still shown on its button, and a statement printed now
    // still carries the company read before.
    op::click(ui::cmdHint4(app.w));
    QVERIFY(app.w->hintWindow());
    QCOMPARE(app.w->hintWindow()->txtContents->toPlainText(), u"一括削除の前にバックアップを"_s);
    app.w->hintWindow()->close();
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);
    QCOMPARE(app.output.statements.first().companyName, heldName);
    QCOMPARE(app.output.statements.first().name, u"新人 太郎"_s);
    QCOMPARE(app.presenter.shown.size(), 1);

    // Clearing the sheet page afterwards empties the name list too.
    op::click(ui::cmdクリア(app.w));
    QCOMPARE(ui::cmb氏名(app.w)->count(), 0);
}

void TestAllDelete::emptyFolderCompletesSilently()
{
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(3);
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    checkConfirmation(app.presenter.shown.first());
    QCOMPARE(mainCounts(app), (QList<int>{0, 0, 0, 0}));
    QCOMPARE(workCount(app, u"w明細"_s), 60);
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 0);
}

void TestAllDelete::readingAfterwardsShowsNothing()
{
    Pelora app;
    QVERIFY(startWithData(app));
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));

    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 0);
    ui::SSTab1(app.w)->setCurrentIndex(2);
    op::click(ui::cmd従業員読込(app.w));
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 0);
    ui::SSTab1(app.w)->setCurrentIndex(3);
    op::click(ui::cmd設定読込(app.w));
    QCOMPARE(ui::txt自社名(app.w)->text(), QString());
    QCOMPARE(ui::txt自社情報(app.w)->toPlainText(), QString());
    // No row to read: the held values stay as last read.
    QCOMPARE(ui::sheetPage(app.w)->heldCompany().str自社名, u"株式会社サンプル商店"_s);
    QCOMPARE(app.presenter.shown.size(), 1);

    // The next start-up finds nothing either.
    app.stop();
    QVERIFY(app.start());
    QCOMPARE(ui::sheetPage(app.w)->heldCompany().str自社名, QString());
    QCOMPARE(ui::cmb氏名(app.w)->count(), 0);
}

void TestAllDelete::aFailedDeleteKeepsEverythingAndSaysSo()
{
    Pelora app;
    QVERIFY(startWithData(app));
    const QList<int> counts = mainCounts(app);
    // The lines refuse to go, behind the running program: the four deletes go
    // together or not at all.
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"CREATE TRIGGER keep_lines BEFORE DELETE ON 時給明細 "
                            u"BEGIN SELECT RAISE(ABORT, 'kept'); END"_s));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"DELETE FROM 時給明細"_s));
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));

    QCOMPARE(app.presenter.shown.size(), 2);
    const MessageRequest told = app.presenter.shown.last();
    QCOMPARE(told.title, u"データファイルに書き込めないため、削除できませんでした。保存されているデータは変わっていません。"_s);
    QCOMPARE(told.prompt, told.title);
    QCOMPARE(told.buttons, MessageRequest::Buttons::Ok);
    QCOMPARE(mainCounts(app), counts);
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 2);
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 2);
    QCOMPARE(ui::txt自社名(app.w)->text(), u"株式会社サンプル商店"_s);
}

QTEST_MAIN(TestAllDelete)
#include "tst_alldelete.moc"
