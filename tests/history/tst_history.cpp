// The history page: listing every registered sheet (読込), emptying the list
// (クリア) and opening the chosen sheet on the time-sheet page (選択).
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "history/historycolumns.h"
#include "timesheet/sheetcolumns.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using history::Col氏名, history::Col合計, history::Colタイトル;

namespace {

void storeHeader(const Pelora &app, const QString &name, const QString &title, const QVariant &total)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                            u"VALUES (?, ?, 1000, 1, 0, 7, ?)"_s,
                            {name, title, total}));
}

void storeLine(const Pelora &app, const QString &name, const QString &title, int number,
               const QString &date, const QString &start)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, "
                            u"時間, 時給, 調整額, 金額) VALUES (?, ?, ?, ?, ?, '1700', 7, 1000, 0, 7000)"_s,
                            {name, title, number, date, start}));
}

int headerCount(const Pelora &app)
{
    return app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).first().value(0).toInt();
}

// The list as shown: name, amount as displayed, title.
QStringList listed(FrmPelora *w)
{
    QStringList rows;
    for (int r = 0; r < ui::dat履歴(w)->storedRowCount(); ++r)
        rows.append(ui::dat履歴(w)->displayText(r, Col氏名) + u'|' + ui::dat履歴(w)->displayText(r, Col合計) + u'|'
                    + ui::dat履歴(w)->displayText(r, Colタイトル));
    return rows;
}

int workListCount(const Pelora &app)
{
    return app.workRows(u"SELECT count(*) FROM w履歴"_s).first().value(0).toInt();
}

void readList(FrmPelora *w)
{
    ui::SSTab1(w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(w));
}

void clickRow(DataGrid *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, Colタイトル));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QApplication::processEvents();
}

bool nameFieldHasFocus(FrmPelora *w)
{
    QWidget *focused = QApplication::focusWidget();
    return focused && (focused == ui::cmb氏名(w) || ui::cmb氏名(w)->isAncestorOf(focused));
}

void typeSheet(FrmPelora *w, const QString &name, const QString &title)
{
    op::fill(ui::cmb氏名(w), name);
    op::fill(ui::txtタイトル(w), title);
    op::fill(ui::num時給(w), u"1000"_s);
    op::typeCell(ui::Grid明細(w), 0, sheet::Col日付, u"20070402"_s);
    op::typeCell(ui::Grid明細(w), 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(w), 0, sheet::Col終了時間, u"1700"_s);
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void anEmptyListOpensNothing();
    void listsEverySheetByName();
    void theFirstLineIsChosenAfterReading();
    void opensTheChosenSheet();
    void clearEmptiesOnlyTheList();
    void aSheetDeletedSinceCanStillBeChosen();
    void sheetsOfAnEmployeeNoLongerInTheMasterAreListed();
    void theListIsASnapshot();
    void listsManySheetsWholeAndReleasesTheFile();
    void aLongNameShowsWhole();
};

void TestHistory::anEmptyListOpensNothing()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::cmb氏名(app.w), u"山田"_s);
    op::fill(ui::txtタイトル(app.w), u"4月"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);

    readList(app.w);
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 0);
    QCOMPARE(ui::Grid履歴(app.w)->model()->rowCount(), 0);
    QCOMPARE(workListCount(app), 0);

    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 1);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1000.0);
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestHistory::listsEverySheetByName()
{
    Pelora app;
    QVERIFY(app.start());
    const QList<std::tuple<QString, QString, QVariant>> sheets{
        {u"田中"_s, u"4月"_s, 7000},      {u"青木"_s, u"5月"_s, 1234567}, {u"Ito"_s, u"x"_s, 999.5},
        {u"阿部"_s, u"4月"_s, QVariant()}, {u"田中"_s, u"3月"_s, 12000},  {u"Aoki"_s, u"y"_s, 0},
        {u"佐藤"_s, u"4月"_s, 1000},
    };
    for (const auto &[name, title, total] : sheets)
        storeHeader(app, name, title, total);

    readList(app.w);

    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), int(sheets.size()));
    QCOMPARE(workListCount(app), int(sheets.size()));
    QStringList names;
    for (int r = 0; r < ui::dat履歴(app.w)->storedRowCount(); ++r)
        names.append(ui::dat履歴(app.w)->value(r, Col氏名).toString());
    QStringList expected;
    for (const auto &[name, title, total] : sheets)
        expected.append(name);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(names, expected);
    // The two sheets of 田中 are neighbours, each with its own title.
    const int tanaka = int(names.indexOf(u"田中"_s));
    QCOMPARE(names.at(tanaka + 1), u"田中"_s);
    QStringList titles{ui::dat履歴(app.w)->value(tanaka, Colタイトル).toString(),
                       ui::dat履歴(app.w)->value(tanaka + 1, Colタイトル).toString()};
    titles.sort();
    QCOMPARE(titles, (QStringList{u"3月"_s, u"4月"_s}));
    // 金額 shows the total with thousands separators and no decimals.
    const QStringList shown = listed(app.w);
    QVERIFY(shown.contains(u"青木|1,234,567|5月"_s));
    QVERIFY(shown.contains(u"佐藤|1,000|4月"_s));
    QVERIFY(shown.contains(u"Ito|1,000|x"_s));
    QVERIFY(shown.contains(u"阿部||4月"_s));
    const int aoki = int(names.indexOf(u"青木"_s));
    QCOMPARE(ui::Grid履歴(app.w)->model()->data(ui::Grid履歴(app.w)->model()->index(aoki, Col合計)).toString(),
             u"1,234,567"_s);
    QCOMPARE(ui::Grid履歴(app.w)->model()->headerData(Col合計, Qt::Horizontal).toString(), u"金額"_s);
    QCOMPARE(headerCount(app), int(sheets.size()));
}

void TestHistory::theFirstLineIsChosenAfterReading()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 14000);
    storeLine(app, u"山田"_s, u"4月"_s, 1, u"2007-04-02"_s, u"0900"_s);
    storeLine(app, u"山田"_s, u"4月"_s, 2, u"2007-04-03"_s, u"0930"_s);
    storeHeader(app, u"青木"_s, u"4月"_s, 7000);
    storeLine(app, u"青木"_s, u"4月"_s, 1, u"2007-04-05"_s, u"1000"_s);

    readList(app.w);
    QCOMPARE(ui::Grid履歴(app.w)->row(), 0);
    const QString first = ui::dat履歴(app.w)->value(0, Col氏名).toString();
    QCOMPARE(first, std::min(u"山田"_s, u"青木"_s));
    op::click(ui::cmd履歴選択(app.w));

    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), first);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    const QString start = first == u"山田"_s ? u"0900"_s : u"1000"_s;
    QCOMPARE(ui::dat明細(app.w)->value(0, sheet::Col開始時間).toString(), start);
    QVERIFY(nameFieldHasFocus(app.w));
}

void TestHistory::opensTheChosenSheet()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 14000);
    storeLine(app, u"山田"_s, u"4月"_s, 1, u"2007-04-02"_s, u"0900"_s);
    storeLine(app, u"山田"_s, u"4月"_s, 2, u"2007-04-03"_s, u"0930"_s);
    storeHeader(app, u"青木"_s, u"4月"_s, 7000);
    storeLine(app, u"青木"_s, u"4月"_s, 1, u"2007-04-05"_s, u"1000"_s);
    storeHeader(app, u"Abe"_s, u"5月"_s, 0); // listed first
    // The page showed another sheet's lines before.
    op::typeCell(ui::Grid明細(app.w), 5, sheet::Col日付, u"20070301"_s);

    readList(app.w);
    int row = -1;
    for (int r = 0; r < ui::dat履歴(app.w)->storedRowCount(); ++r)
        if (listed(app.w).at(r) == u"山田|14,000|4月"_s)
            row = r;
    QVERIFY(row > 0);
    clickRow(ui::Grid履歴(app.w), row);
    QCOMPARE(ui::Grid履歴(app.w)->row(), row);
    app.presenter.answerYes(); // the typed line may go
    op::click(ui::cmd履歴選択(app.w));

    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);
    QVERIFY(nameFieldHasFocus(app.w));
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 14000.0);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1000.0);
    QCOMPARE(ui::dat明細(app.w)->value(0, sheet::Col開始時間).toString(), u"0900"_s);
    QCOMPARE(ui::dat明細(app.w)->value(1, sheet::Col開始時間).toString(), u"0930"_s);
    for (int r = 2; r < sheet::LineCount; ++r)
        QVERIFY(ui::dat明細(app.w)->value(r, sheet::Col日付).isNull());
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(isDiscardQuestion(app.presenter.last(), u"「入力シート」"_s));
    // The list stays as it was.
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 3);
    QCOMPARE(workListCount(app), 3);
}

void TestHistory::clearEmptiesOnlyTheList()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 7000);
    storeHeader(app, u"青木"_s, u"4月"_s, 7000);
    readList(app.w);
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 2);
    // The first line is current and shows so (the grid has no focus), without being chosen.
    DataGrid *grid = ui::Grid履歴(app.w);
    QVERIFY(!grid->hasFocus());
    QCOMPARE(grid->row(), 0);
    QVERIFY(grid->selectedModelRows().isEmpty());
    const QImage shown = grid->viewport()->grab().toImage();
    const auto pixel = [&](int row) { return shown.pixel(grid->visualRect(grid->model()->index(row, Colタイトル)).center()); };
    QVERIFY(pixel(0) != pixel(1));
    auto *search = ui::find<QLineEdit>(app.w, u"txt検索"_s);
    op::fill(search, u"山田"_s);
    QCOMPARE(grid->model()->rowCount(), 1);

    // クリア empties the search too: the next 読込 lists every sheet.
    op::click(ui::cmd履歴クリア(app.w));
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 0);
    QCOMPARE(ui::Grid履歴(app.w)->model()->rowCount(), 0);
    QCOMPARE(workListCount(app), 0);
    QCOMPARE(headerCount(app), 2);
    QCOMPARE(search->text(), QString());
    op::click(ui::cmd履歴読込(app.w));
    QCOMPARE(grid->model()->rowCount(), 2);
    op::click(ui::cmd履歴クリア(app.w));

    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 1);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), QString());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestHistory::aSheetDeletedSinceCanStillBeChosen()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 7000);
    storeLine(app, u"山田"_s, u"4月"_s, 1, u"2007-04-02"_s, u"0900"_s);
    readList(app.w);

    // The sheet goes on the sheet page; the list does not follow.
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::fill(ui::cmb氏名(app.w), u"山田"_s);
    op::fill(ui::txtタイトル(app.w), u"4月"_s);
    app.presenter.answerYes();
    op::click(ui::cmd削除(app.w));
    QCOMPARE(headerCount(app), 0);
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 1);
    app.presenter.clear();

    // Lines typed meanwhile: reading the missing sheet leaves a blank grid.
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col日付, u"20070301"_s);
    ui::SSTab1(app.w)->setCurrentIndex(1);
    app.presenter.answerYes();
    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    for (int r = 0; r < sheet::LineCount; ++r)
        QVERIFY(ui::dat明細(app.w)->value(r, sheet::Col日付).isNull());
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(isDiscardQuestion(app.presenter.last(), u"「入力シート」"_s));
}

void TestHistory::sheetsOfAnEmployeeNoLongerInTheMasterAreListed()
{
    Pelora app;
    QVERIFY(app.start());
    typeSheet(app.w, u"山田"_s, u"4月"_s);
    op::click(ui::cmd登録(app.w));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"DELETE FROM 従業員"_s));

    readList(app.w);
    QCOMPARE(listed(app.w), QStringList{u"山田|8,000|4月"_s});
    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 8000.0);
    QCOMPARE(ui::dat明細(app.w)->value(0, sheet::Col開始時間).toString(), u"0900"_s);
}

void TestHistory::theListIsASnapshot()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 7000);
    readList(app.w);
    QCOMPARE(listed(app.w), QStringList{u"山田|7,000|4月"_s});

    ui::SSTab1(app.w)->setCurrentIndex(0);
    typeSheet(app.w, u"青木"_s, u"4月"_s);
    op::click(ui::cmd登録(app.w));
    typeSheet(app.w, u"山田"_s, u"4月"_s); // registered again with another total
    app.presenter.answerYes();
    app.presenter.answerYes(); // over the stored sheet
    op::click(ui::cmd登録(app.w));
    QCOMPARE(headerCount(app), 2);
    QCOMPARE(listed(app.w), QStringList{u"山田|7,000|4月"_s});
    QCOMPARE(workListCount(app), 1);

    readList(app.w);
    QCOMPARE(listed(app.w), (QStringList{u"山田|8,000|4月"_s, u"青木|8,000|4月"_s}));
}

void TestHistory::listsManySheetsWholeAndReleasesTheFile()
{
    if (Pelora::onServer())
        QSKIP("the sheets are made by SQLite's own SQL, and the file released is a file's");
    const int sheets = 20000;
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 合計) "
                            u"SELECT printf('社員%05d', (i * 7919) % ?), printf('第%d期', i), i FROM n"_s,
                            {sheets, sheets}));
    QCOMPARE(headerCount(app), sheets);

    readList(app.w);

    // Every sheet is in the grid at once, not only a first batch.
    QCOMPARE(ui::Grid履歴(app.w)->model()->rowCount(), sheets);
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), sheets);
    QCOMPARE(workListCount(app), sheets);
    QCOMPARE(ui::dat履歴(app.w)->value(0, Col氏名).toString(), u"社員00000"_s);
    QCOMPARE(ui::dat履歴(app.w)->value(sheets - 1, Col氏名).toString(), u"社員19999"_s);
    ui::Grid履歴(app.w)->scrollToBottom();
    clickRow(ui::Grid履歴(app.w), sheets - 1);
    QCOMPARE(ui::Grid履歴(app.w)->row(), sheets - 1);

    // No read is left open on the main file: another program writes at once,
    // and so does the operator.
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 合計) VALUES ('他', '他', 1)"_s));
    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"社員19999"_s);
    op::fill(ui::txtタイトル(app.w), u"追加"_s);
    op::click(ui::cmd登録(app.w));
    QCOMPARE(headerCount(app), sheets + 2);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), QString());
}

void TestHistory::aLongNameShowsWhole()
{
    Pelora app;
    QVERIFY(app.start());
    const QString name = u"勅使河原 左衛門三郎 アレクサンドル ヴィルヘルム フリードリヒ 二世"_s;
    storeHeader(app, name, u"2025年3月分（前半と後半の合計、交通費の調整を含む）"_s, 1234567);
    storeHeader(app, u"林"_s, u"3月"_s, 100);
    readList(app.w);
    DataGrid *grid = ui::Grid履歴(app.w);
    QHeaderView *header = grid->horizontalHeader();

    // The columns take what they list; the name at most half the list.
    const QFontMetrics metrics(grid->font());
    QVERIFY(header->sectionSize(Col合計) > metrics.horizontalAdvance(u"1,234,567"_s));
    QVERIFY(header->sectionSize(Colタイトル) > metrics.horizontalAdvance(ui::dat履歴(app.w)->value(1, Colタイトル).toString()));
    QVERIFY(header->sectionSize(Col氏名) < metrics.horizontalAdvance(name));
    QVERIFY(header->sectionSize(Col氏名) >= twipsToPixels(2160, grid->logicalDpiX()));
    QVERIFY(header->sectionSize(Col氏名) <= grid->viewport()->width() / 2);

    // Whole on hover, and to a screen reader.
    const int row = ui::dat履歴(app.w)->value(0, Col氏名) == name ? 0 : 1;
    const QRect cell = grid->visualRect(grid->model()->index(row, Col氏名));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &hover);
    QCOMPARE(QToolTip::text(), name);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(grid);
    QVERIFY(list && list->tableInterface());
    QAccessibleInterface *described = list->tableInterface()->cellAt(row, Col合計);
    QVERIFY(described);
    QCOMPARE(described->text(QAccessible::Description),
             name + u"「2025年3月分（前半と後半の合計、交通費の調整を含む）」 金額 1,234,567 円"_s);
    QToolTip::hideText();
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
