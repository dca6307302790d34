// The history page: listing every registered sheet (読込), emptying the list
// (クリア) and opening the chosen sheet on the time-sheet page (選択).
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "history/historycolumns.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
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
    for (int r = 0; r < w->dat履歴->storedRowCount(); ++r)
        rows.append(w->dat履歴->displayText(r, Col氏名) + u'|' + w->dat履歴->displayText(r, Col合計) + u'|'
                    + w->dat履歴->displayText(r, Colタイトル));
    return rows;
}

int workListCount(const Pelora &app)
{
    return app.workRows(u"SELECT count(*) FROM w履歴"_s).first().value(0).toInt();
}

void readList(FrmPelora *w)
{
    w->SSTab1->setCurrentIndex(1);
    op::click(w->cmd履歴読込);
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
    return focused && (focused == w->cmb氏名 || w->cmb氏名->isAncestorOf(focused));
}

void typeSheet(FrmPelora *w, const QString &name, const QString &title)
{
    op::fill(w->cmb氏名, name);
    op::fill(w->txtタイトル, title);
    op::fill(w->num時給, u"1000"_s);
    op::typeCell(w->Grid明細, 0, sheet::Col日付, u"20070402"_s);
    op::typeCell(w->Grid明細, 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(w->Grid明細, 0, sheet::Col終了時間, u"1700"_s);
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
};

void TestHistory::anEmptyListOpensNothing()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(app.w->cmb氏名, u"山田"_s);
    op::fill(app.w->txtタイトル, u"4月"_s);
    op::fill(app.w->num時給, u"1000"_s);

    readList(app.w);
    QCOMPARE(app.w->dat履歴->storedRowCount(), 0);
    QCOMPARE(app.w->Grid履歴->model()->rowCount(), 0);
    QCOMPARE(workListCount(app), 0);

    op::click(app.w->cmd履歴選択);
    QCOMPARE(app.w->SSTab1->currentIndex(), 1);
    QCOMPARE(app.w->cmb氏名->currentText(), u"山田"_s);
    QCOMPARE(app.w->txtタイトル->text(), u"4月"_s);
    QCOMPARE(app.w->num時給->value().toDouble(), 1000.0);
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

    QCOMPARE(app.w->dat履歴->storedRowCount(), int(sheets.size()));
    QCOMPARE(workListCount(app), int(sheets.size()));
    QStringList names;
    for (int r = 0; r < app.w->dat履歴->storedRowCount(); ++r)
        names.append(app.w->dat履歴->value(r, Col氏名).toString());
    QStringList expected;
    for (const auto &[name, title, total] : sheets)
        expected.append(name);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(names, expected);
    // The two sheets of 田中 are neighbours, each with its own title.
    const int tanaka = int(names.indexOf(u"田中"_s));
    QCOMPARE(names.at(tanaka + 1), u"田中"_s);
    QStringList titles{app.w->dat履歴->value(tanaka, Colタイトル).toString(),
                       app.w->dat履歴->value(tanaka + 1, Colタイトル).toString()};
    titles.sort();
    QCOMPARE(titles, (QStringList{u"3月"_s, u"4月"_s}));
    // 金額 shows the total with thousands separators and no decimals.
    const QStringList shown = listed(app.w);
    QVERIFY(shown.contains(u"青木|1,234,567|5月"_s));
    QVERIFY(shown.contains(u"佐藤|1,000|4月"_s));
    QVERIFY(shown.contains(u"Ito|1,000|x"_s));
    QVERIFY(shown.contains(u"阿部||4月"_s));
    const int aoki = int(names.indexOf(u"青木"_s));
    QCOMPARE(app.w->Grid履歴->model()->data(app.w->Grid履歴->model()->index(aoki, Col合計)).toString(),
             u"1,234,567"_s);
    QCOMPARE(app.w->Grid履歴->model()->headerData(Col合計, Qt::Horizontal).toString(), u"金額"_s);
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
    QCOMPARE(app.w->Grid履歴->row(), 0);
    const QString first = app.w->dat履歴->value(0, Col氏名).toString();
    QCOMPARE(first, std::min(u"山田"_s, u"青木"_s));
    op::click(app.w->cmd履歴選択);

    QCOMPARE(app.w->SSTab1->currentIndex(), 0);
    QCOMPARE(app.w->cmb氏名->currentText(), first);
    QCOMPARE(app.w->txtタイトル->text(), u"4月"_s);
    const QString start = first == u"山田"_s ? u"0900"_s : u"1000"_s;
    QCOMPARE(app.w->dat明細->value(0, sheet::Col開始時間).toString(), start);
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
    op::typeCell(app.w->Grid明細, 5, sheet::Col日付, u"20070301"_s);

    readList(app.w);
    int row = -1;
    for (int r = 0; r < app.w->dat履歴->storedRowCount(); ++r)
        if (listed(app.w).at(r) == u"山田|14,000|4月"_s)
            row = r;
    QVERIFY(row > 0);
    clickRow(app.w->Grid履歴, row);
    QCOMPARE(app.w->Grid履歴->row(), row);
    op::click(app.w->cmd履歴選択);

    QCOMPARE(app.w->SSTab1->currentIndex(), 0);
    QVERIFY(nameFieldHasFocus(app.w));
    QCOMPARE(app.w->cmb氏名->currentText(), u"山田"_s);
    QCOMPARE(app.w->txtタイトル->text(), u"4月"_s);
    QCOMPARE(app.w->num合計->value().toDouble(), 14000.0);
    QCOMPARE(app.w->num時給->value().toDouble(), 1000.0);
    QCOMPARE(app.w->dat明細->value(0, sheet::Col開始時間).toString(), u"0900"_s);
    QCOMPARE(app.w->dat明細->value(1, sheet::Col開始時間).toString(), u"0930"_s);
    for (int r = 2; r < sheet::LineCount; ++r)
        QVERIFY(app.w->dat明細->value(r, sheet::Col日付).isNull());
    QVERIFY(app.presenter.shown.isEmpty());
    // The list stays as it was.
    QCOMPARE(app.w->dat履歴->storedRowCount(), 3);
    QCOMPARE(workListCount(app), 3);
}

void TestHistory::clearEmptiesOnlyTheList()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 7000);
    storeHeader(app, u"青木"_s, u"4月"_s, 7000);
    readList(app.w);
    QCOMPARE(app.w->dat履歴->storedRowCount(), 2);

    op::click(app.w->cmd履歴クリア);
    QCOMPARE(app.w->dat履歴->storedRowCount(), 0);
    QCOMPARE(app.w->Grid履歴->model()->rowCount(), 0);
    QCOMPARE(workListCount(app), 0);
    QCOMPARE(headerCount(app), 2);

    op::click(app.w->cmd履歴選択);
    QCOMPARE(app.w->SSTab1->currentIndex(), 1);
    QCOMPARE(app.w->cmb氏名->currentText(), QString());
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
    app.w->SSTab1->setCurrentIndex(0);
    op::fill(app.w->cmb氏名, u"山田"_s);
    op::fill(app.w->txtタイトル, u"4月"_s);
    app.presenter.answerYes();
    op::click(app.w->cmd削除);
    QCOMPARE(headerCount(app), 0);
    QCOMPARE(app.w->dat履歴->storedRowCount(), 1);
    app.presenter.clear();

    // Lines typed meanwhile: reading the missing sheet leaves a blank grid.
    op::typeCell(app.w->Grid明細, 0, sheet::Col日付, u"20070301"_s);
    app.w->SSTab1->setCurrentIndex(1);
    op::click(app.w->cmd履歴選択);
    QCOMPARE(app.w->SSTab1->currentIndex(), 0);
    QCOMPARE(app.w->cmb氏名->currentText(), u"山田"_s);
    QCOMPARE(app.w->txtタイトル->text(), u"4月"_s);
    for (int r = 0; r < sheet::LineCount; ++r)
        QVERIFY(app.w->dat明細->value(r, sheet::Col日付).isNull());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestHistory::sheetsOfAnEmployeeNoLongerInTheMasterAreListed()
{
    Pelora app;
    QVERIFY(app.start());
    typeSheet(app.w, u"山田"_s, u"4月"_s);
    op::click(app.w->cmd登録);
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"DELETE FROM 従業員"_s));

    readList(app.w);
    QCOMPARE(listed(app.w), QStringList{u"山田|8,000|4月"_s});
    op::click(app.w->cmd履歴選択);
    QCOMPARE(app.w->cmb氏名->currentText(), u"山田"_s);
    QCOMPARE(app.w->num合計->value().toDouble(), 8000.0);
    QCOMPARE(app.w->dat明細->value(0, sheet::Col開始時間).toString(), u"0900"_s);
}

void TestHistory::theListIsASnapshot()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, 7000);
    readList(app.w);
    QCOMPARE(listed(app.w), QStringList{u"山田|7,000|4月"_s});

    app.w->SSTab1->setCurrentIndex(0);
    typeSheet(app.w, u"青木"_s, u"4月"_s);
    op::click(app.w->cmd登録);
    typeSheet(app.w, u"山田"_s, u"4月"_s); // registered again with another total
    op::click(app.w->cmd登録);
    QCOMPARE(headerCount(app), 2);
    QCOMPARE(listed(app.w), QStringList{u"山田|7,000|4月"_s});
    QCOMPARE(workListCount(app), 1);

    readList(app.w);
    QCOMPARE(listed(app.w), (QStringList{u"山田|8,000|4月"_s, u"青木|8,000|4月"_s}));
}

void TestHistory::listsManySheetsWholeAndReleasesTheFile()
{
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
    QCOMPARE(app.w->Grid履歴->model()->rowCount(), sheets);
    QCOMPARE(app.w->dat履歴->storedRowCount(), sheets);
    QCOMPARE(workListCount(app), sheets);
    QCOMPARE(app.w->dat履歴->value(0, Col氏名).toString(), u"社員00000"_s);
    QCOMPARE(app.w->dat履歴->value(sheets - 1, Col氏名).toString(), u"社員19999"_s);
    app.w->Grid履歴->scrollToBottom();
    clickRow(app.w->Grid履歴, sheets - 1);
    QCOMPARE(app.w->Grid履歴->row(), sheets - 1);

    // No read is left open on the main file: another program writes at once,
    // and so does the operator.
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 合計) VALUES ('他', '他', 1)"_s));
    op::click(app.w->cmd履歴選択);
    QCOMPARE(app.w->cmb氏名->currentText(), u"社員19999"_s);
    op::fill(app.w->txtタイトル, u"追加"_s);
    op::click(app.w->cmd登録);
    QCOMPARE(headerCount(app), sheets + 2);
    QCOMPARE(app.w->cmb氏名->currentText(), QString());
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
