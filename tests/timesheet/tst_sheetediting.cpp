// Typing a time sheet as the operator does: header fields, grid cells committed
// with Enter, the computed hours, amounts and totals on the screen and in the
// work file, the Enter key in the amount column, deleting a line, the wage of
// the name field and the input method.
#include "fixture.h"
#include "portable.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace sheet;

namespace {

// A field of w明細 for one line number, read from the work file.
QVariant stored(const Pelora &app, int lineNumber, const QString &field)
{
    const auto rows = app.workRows(u"SELECT %1 FROM w明細 WHERE 行番号 = ?"_s.arg(field), {lineNumber});
    return rows.isEmpty() ? QVariant(u"<no line>"_s) : rows.first().value(0);
}

QString shown(const Pelora &app, int row, int column)
{
    return ui::Grid明細(app.w)->model()->index(row, column).data().toString();
}

QVariant raw(const Pelora &app, int row, int column)
{
    return ui::dat明細(app.w)->value(row, column);
}

// Keys typed into whatever has the focus, as a keyboard does.
void keys(const QString &text)
{
    for (QChar c : text) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            QTest::keyClick(target, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
    QApplication::processEvents();
}

// Whether the focused object would let an input method compose into it.
bool inputMethodOn()
{
    QObject *focus = QGuiApplication::focusObject();
    if (!focus)
        return false;
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(focus, &query);
    return query.value(Qt::ImEnabled).toBool();
}

void addEmployee(const Pelora &app, const QString &name, const QVariant &wage)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s,
                            {name, wage}));
}

// Date, times and adjustment of one line; the wage comes from the header.
void typeLine(DataGrid *grid, int row, const QString &date, const QString &start, const QString &end,
              const QString &adjustment = QString())
{
    if (!date.isEmpty())
        op::typeCell(grid, row, Col日付, date);
    op::typeCell(grid, row, Col開始時間, start);
    op::typeCell(grid, row, Col終了時間, end);
    if (!adjustment.isEmpty())
        op::typeCell(grid, row, Col調整額, adjustment);
}

} // namespace

class TestSheetEditing : public QObject
{
    Q_OBJECT

private slots:
    void computesTheLineAndTheTotals_data();
    void computesTheLineAndTheTotals();
    void timeEntries_data();
    void timeEntries();
    void nightShiftSplitAtMidnight();
    void dateEntries_data();
    void dateEntries();
    void emptiedMoneyCellBecomesZero_data();
    void emptiedMoneyCellBecomesZero();
    void lettersInTheWageAreEmptied();
    void leavingACellByMouseCommitsItToItsLine();
    void hoursByHandGiveTheAmount();
    void changingOnlyTheDateComputesNothing();
    void amountByHandWaitsForTheNextComputation();
    void enterInTheAmountGoesToTheNextDay_data();
    void enterInTheAmountGoesToTheNextDay();
    void enterInTheAmountOfAnUndatedLineSetsNoDate();
    void enterInTheAmountOfTheLastLineStaysOnIt();
    void enterInOtherColumnsMovesRight_data();
    void enterInOtherColumnsMovesRight();
    void deletingALineKeepsTheOtherNumbersAndLowersTheTotals();
    void deletingEveryLineAndOneMore();
    void leavingTheNameFetchesTheWage_data();
    void leavingTheNameFetchesTheWage();
    void passingThroughTheNameReplacesATypedWage();
    void freshLineTakesTheHeaderWageFirst();
    void laterBreakLeavesExistingLinesAlone();
    void sheetWithoutHoursTotalsZero();
    void totalBeyondTheFieldRangeIsStillShown();
    void inputMethodOpenForTheNameClosedForTheGrid();
    void gridEditorsTakeNoInputMethod_data();
    void gridEditorsTakeNoInputMethod();
    void wholeSheetByKeyboard();
};

void TestSheetEditing::computesTheLineAndTheTotals_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("pause");
    QTest::addColumn<QString>("adjustment");
    QTest::addColumn<double>("hours");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("hoursText");
    QTest::addColumn<QString>("amountText");
    QTest::addColumn<QString>("adjustmentText");
    QTest::newRow("break and adjustment") << u"0900"_s << u"1730"_s << u"1"_s << u"500"_s << 7.5 << 8000.0
                                          << u"7.5"_s << u"8,000"_s << u"500"_s;
    QTest::newRow("no break, thirds of an hour") << u"0900"_s << u"1720"_s << u"0"_s << QString()
                                                 << 500.0 / 60.0 << 500000.0 / 60.0 << u"8.3"_s
                                                 << u"8,333"_s << QString();
    QTest::newRow("end before start ends the next day") << u"2200"_s << u"0200"_s << u"1"_s << QString() << 3.0
                                                        << 3000.0 << u"3.0"_s << u"3,000"_s << QString();
    QTest::newRow("negative adjustment") << u"0900"_s << u"1300"_s << QString() << u"-1,500"_s << 4.0
                                         << 2500.0 << u"4.0"_s << u"2,500"_s << u"-1,500"_s;
}

void TestSheetEditing::computesTheLineAndTheTotals()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, pause);
    QFETCH(QString, adjustment);
    QFETCH(double, hours);
    QFETCH(double, amount);
    QFETCH(QString, hoursText);
    QFETCH(QString, amountText);
    QFETCH(QString, adjustmentText);

    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num休憩(app.w), pause);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, start, end, adjustment);

    QCOMPARE(shown(app, 0, Col時間), hoursText);
    QCOMPARE(shown(app, 0, Col時給), u"1,000"_s);
    QCOMPARE(shown(app, 0, Col金額), amountText);
    QCOMPARE(ui::num時間(app.w)->text(), hoursText);
    QCOMPARE(ui::num合計(app.w)->text(), amountText);
    QCOMPARE(ui::num調整額(app.w)->text(), adjustmentText);

    // The work file holds the unrounded values; the times as typed.
    QCOMPARE(stored(app, 1, u"開始時間"_s).toString(), start);
    QCOMPARE(stored(app, 1, u"終了時間"_s).toString(), end);
    QCOMPARE(stored(app, 1, u"時間"_s).toDouble(), hours);
    QCOMPARE(stored(app, 1, u"時給"_s).toDouble(), 1000.0);
    QCOMPARE(stored(app, 1, u"金額"_s).toDouble(), amount);
    QCOMPARE(stored(app, 1, u"日付"_s).toString(), u"2007-04-02"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), amount);
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), hours);
}

void TestSheetEditing::timeEntries_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("kept");
    QTest::addColumn<QString>("display");
    QTest::newRow("0930") << u"0930"_s << QVariant(u"0930"_s) << u"9:30"_s;
    QTest::newRow("0000") << u"0000"_s << QVariant(u"0000"_s) << u"0:00"_s;
    QTest::newRow("2359") << u"2359"_s << QVariant(u"2359"_s) << u"23:59"_s;
    QTest::newRow("2400") << u"2400"_s << QVariant(u"2400"_s) << u"24:00"_s;
    QTest::newRow("3 digits") << u"930"_s << QVariant() << QString();
    QTest::newRow("minute 75") << u"0975"_s << QVariant() << QString();
    QTest::newRow("minute 60") << u"0960"_s << QVariant() << QString();
    QTest::newRow("2401") << u"2401"_s << QVariant() << QString();
    QTest::newRow("2460") << u"2460"_s << QVariant() << QString();
}

void TestSheetEditing::timeEntries()
{
    QFETCH(QString, typed);
    QFETCH(QVariant, kept);
    QFETCH(QString, display);
    Pelora app;
    QVERIFY(app.start());
    // A valid time on the line before proves an invalid one really empties the cell.
    for (int column : {Col開始時間, Col終了時間}) {
        op::typeCell(ui::Grid明細(app.w), 0, column, u"1111"_s);
        op::typeCell(ui::Grid明細(app.w), 0, column, typed);
        QCOMPARE(shown(app, 0, column), display);
        QCOMPARE(raw(app, 0, column), kept);
        const QVariant inFile = stored(app, 1, column == Col開始時間 ? u"開始時間"_s : u"終了時間"_s);
        QCOMPARE(inFile.isNull(), kept.isNull());
        if (!kept.isNull())
            QCOMPARE(inFile.toString(), kept.toString());
    }
}

void TestSheetEditing::nightShiftSplitAtMidnight()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070430"_s, u"2200"_s, u"2400"_s);
    typeLine(ui::Grid明細(app.w), 1, u"20070501"_s, u"0000"_s, u"0500"_s);
    QCOMPARE(shown(app, 0, Col時間), u"2.0"_s);
    QCOMPARE(shown(app, 0, Col金額), u"2,000"_s);
    QCOMPARE(shown(app, 1, Col時間), u"5.0"_s);
    QCOMPARE(shown(app, 1, Col金額), u"5,000"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"7.0"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"7,000"_s);
    QCOMPARE(stored(app, 1, u"終了時間"_s).toString(), u"2400"_s);
    QCOMPARE(stored(app, 2, u"開始時間"_s).toString(), u"0000"_s);
}

void TestSheetEditing::dateEntries_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("kept");
    QTest::addColumn<QString>("display");
    QTest::newRow("20070228") << u"20070228"_s << QVariant(u"2007-02-28"_s) << u"2007/02/28"_s;
    QTest::newRow("leap day") << u"20080229"_s << QVariant(u"2008-02-29"_s) << u"2008/02/29"_s;
    QTest::newRow("20070229") << u"20070229"_s << QVariant() << QString();
    QTest::newRow("20080230") << u"20080230"_s << QVariant() << QString();
    QTest::newRow("7 digits") << u"2007022"_s << QVariant() << QString();
}

void TestSheetEditing::dateEntries()
{
    QFETCH(QString, typed);
    QFETCH(QVariant, kept);
    QFETCH(QString, display);
    Pelora app;
    QVERIFY(app.start());
    op::typeCell(ui::Grid明細(app.w), 0, Col日付, u"20070101"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col日付, typed);
    QCOMPARE(shown(app, 0, Col日付), display);
    QCOMPARE(raw(app, 0, Col日付), kept);
    // Leaving the line writes it.
    op::selectCell(ui::Grid明細(app.w), 1, Col日付);
    const QVariant inFile = stored(app, 1, u"日付"_s);
    QCOMPARE(inFile.isNull(), kept.isNull());
    if (!kept.isNull())
        QCOMPARE(inFile.toString(), kept.toString());
}

void TestSheetEditing::emptiedMoneyCellBecomesZero_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("amountAfter");
    QTest::addColumn<double>("totalAfter");
    QTest::addColumn<bool>("deleteKey");
    // 8h at 1000 plus 500: emptying the wage gives 0 + 500, the adjustment 8000;
    // emptying the amount sets it to 0 and leaves the totals.
    for (bool deleteKey : {false, true}) {
        const char *how = deleteKey ? "Delete on the cell" : "emptied editor";
        QTest::addRow("時給, %s", how) << int(Col時給) << u"時給"_s << 500.0 << 500.0 << deleteKey;
        QTest::addRow("調整額, %s", how) << int(Col調整額) << u"調整額"_s << 8000.0 << 8000.0 << deleteKey;
        QTest::addRow("金額, %s", how) << int(Col金額) << u"金額"_s << 0.0 << 8500.0 << deleteKey;
    }
}

void TestSheetEditing::emptiedMoneyCellBecomesZero()
{
    QFETCH(int, column);
    QFETCH(QString, field);
    QFETCH(double, amountAfter);
    QFETCH(double, totalAfter);
    QFETCH(bool, deleteKey);
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s, u"500"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 8500.0);

    if (deleteKey) {
        op::selectCell(ui::Grid明細(app.w), 0, column);
        QTest::keyClick(ui::Grid明細(app.w), Qt::Key_Delete);
    } else {
        op::typeCell(ui::Grid明細(app.w), 0, column, QString());
    }
    QVERIFY(!raw(app, 0, column).isNull());
    QCOMPARE(raw(app, 0, column).toDouble(), 0.0);
    QCOMPARE(raw(app, 0, Col金額).toDouble(), amountAfter);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), totalAfter);
    op::selectCell(ui::Grid明細(app.w), 1, Col日付);
    const QVariant inFile = stored(app, 1, field);
    QVERIFY(!inFile.isNull());
    QCOMPARE(inFile.toDouble(), 0.0);
}

void TestSheetEditing::lettersInTheWageAreEmptied()
{
    Pelora app;
    QVERIFY(app.start());
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col時給, u"1000"_s);
    QCOMPARE(shown(app, 0, Col金額), u"8,000"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col時給, u"abc"_s);
    QVERIFY(raw(app, 0, Col時給).isNull());
    QCOMPARE(shown(app, 0, Col時給), QString());
    QVERIFY(stored(app, 1, u"時給"_s).isNull());
    // Without a wage no amount is computed: the last one stays.
    QCOMPARE(shown(app, 0, Col金額), u"8,000"_s);

    // With a sheet wage, the emptied line takes it right away.
    op::fill(ui::num時給(app.w), u"900"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col時給, u"12x"_s);
    QCOMPARE(raw(app, 0, Col時給).toDouble(), 900.0);
    QCOMPARE(shown(app, 0, Col金額), u"7,200"_s);
}

void TestSheetEditing::leavingACellByMouseCommitsItToItsLine()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::typeCell(grid, 2, Col開始時間, u"0900"_s);
    op::selectCell(grid, 2, Col終了時間);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    op::type(editor, u"1200"_s);
    // A click on another line ends the edit; the computation is for line 3.
    const QRect target = grid->visualRect(grid->model()->index(7, Col時給));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, target.center());
    QApplication::processEvents();
    QCOMPARE(grid->row(), 7);
    QCOMPARE(shown(app, 2, Col終了時間), u"12:00"_s);
    QCOMPARE(shown(app, 2, Col時間), u"3.0"_s);
    QCOMPARE(shown(app, 2, Col金額), u"3,000"_s);
    QVERIFY(raw(app, 7, Col時給).isNull());
    QCOMPARE(ui::num合計(app.w)->text(), u"3,000"_s);
    QCOMPARE(stored(app, 3, u"金額"_s).toDouble(), 3000.0);
}

void TestSheetEditing::hoursByHandGiveTheAmount()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s, u"300"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col時間, u"4"_s);
    QCOMPARE(shown(app, 0, Col時間), u"4.0"_s);
    QCOMPARE(shown(app, 0, Col金額), u"4,300"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"4.0"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"4,300"_s);
    // Letters are emptied and leave the amount as it was.
    op::typeCell(ui::Grid明細(app.w), 0, Col時間, u"4h"_s);
    QVERIFY(raw(app, 0, Col時間).isNull());
    QCOMPARE(shown(app, 0, Col金額), u"4,300"_s);
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 0.0);
    QCOMPARE(ui::num合計(app.w)->text(), u"4,300"_s);
}

void TestSheetEditing::changingOnlyTheDateComputesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1730"_s, u"500"_s);
    // A hand-made amount and a changed break: a computation would undo both.
    op::typeCell(ui::Grid明細(app.w), 0, Col金額, u"5000"_s);
    op::fill(ui::num休憩(app.w), u"0"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col日付, u"20070403"_s);
    QCOMPARE(shown(app, 0, Col日付), u"2007/04/03"_s);
    QCOMPARE(shown(app, 0, Col時間), u"7.5"_s);
    QCOMPARE(shown(app, 0, Col金額), u"5,000"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"7.5"_s);
    QCOMPARE(ui::num調整額(app.w)->text(), u"500"_s);
}

void TestSheetEditing::amountByHandWaitsForTheNextComputation()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col金額, u"5000"_s);
    QCOMPARE(shown(app, 0, Col金額), u"5,000"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);

    // An edit of another line's wage sums again, the hand-made amount included.
    op::typeCell(ui::Grid明細(app.w), 1, Col時給, u"1200"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"5,000"_s);
    QCOMPARE(stored(app, 1, u"金額"_s).toDouble(), 5000.0);

    // So does deleting a line.
    op::typeCell(ui::Grid明細(app.w), 0, Col金額, u"6000"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"5,000"_s);
    op::selectCell(ui::Grid明細(app.w), 5, Col日付);
    op::click(ui::cmd行削除(app.w));
    QCOMPARE(ui::num合計(app.w)->text(), u"6,000"_s);
}

void TestSheetEditing::enterInTheAmountGoesToTheNextDay_data()
{
    QTest::addColumn<bool>("editing");
    QTest::newRow("after typing the amount") << true;
    QTest::newRow("on the computed amount") << false;
}

void TestSheetEditing::enterInTheAmountGoesToTheNextDay()
{
    QFETCH(bool, editing);
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::typeCell(grid, 1, Col日付, u"20070615"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(grid, 0, u"20070430"_s, u"0900"_s, u"1700"_s);
    if (editing) {
        op::typeCell(grid, 0, Col金額, u"7000"_s);
    } else {
        op::selectCell(grid, 0, Col金額);
        QTest::keyClick(grid, Qt::Key_Return);
    }
    QCOMPARE(grid->row(), 1);
    QCOMPARE(grid->col(), int(Col日付));
    QCOMPARE(shown(app, 1, Col日付), u"2007/05/01"_s);
    // The date is set, not typed: no edit procedure runs for it (no wage default).
    QVERIFY(raw(app, 1, Col時給).isNull());
    op::selectCell(grid, 2, Col日付);
    QCOMPARE(stored(app, 2, u"日付"_s).toString(), u"2007-05-01"_s);
}

void TestSheetEditing::enterInTheAmountOfAnUndatedLineSetsNoDate()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::typeCell(grid, 3, Col日付, u"20070615"_s);
    op::typeCell(grid, 2, Col金額, u"3000"_s);
    QCOMPARE(grid->row(), 3);
    QCOMPARE(grid->col(), int(Col日付));
    QCOMPARE(shown(app, 3, Col日付), u"2007/06/15"_s);

    // An empty line on an empty next line: still nothing set.
    op::selectCell(grid, 10, Col金額);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->row(), 11);
    QCOMPARE(grid->col(), int(Col日付));
    QVERIFY(raw(app, 11, Col日付).isNull());
}

void TestSheetEditing::enterInTheAmountOfTheLastLineStaysOnIt()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    QCOMPARE(grid->model()->rowCount(), LineCount);
    const int last = LineCount - 1;
    op::typeCell(grid, last, Col日付, u"20070430"_s);
    op::typeCell(grid, last, Col金額, u"1000"_s);
    QCOMPARE(grid->row(), last);
    QCOMPARE(grid->col(), int(Col日付));
    QCOMPARE(shown(app, last, Col日付), u"2007/04/30"_s);
    QCOMPARE(grid->model()->rowCount(), LineCount);

    // Without editing too.
    op::selectCell(grid, last, Col金額);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->row(), last);
    QCOMPARE(grid->col(), int(Col日付));
    QCOMPARE(shown(app, last, Col日付), u"2007/04/30"_s);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w明細"_s).first().value(0).toInt(), LineCount);
}

void TestSheetEditing::enterInOtherColumnsMovesRight_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("editing");
    const QList<std::pair<int, QString>> cells{{Col日付, u"20070402"_s}, {Col開始時間, u"0900"_s},
                                               {Col終了時間, u"1700"_s}, {Col時間, u"8"_s},
                                               {Col時給, u"1000"_s},     {Col調整額, u"100"_s}};
    for (const auto &[column, text] : cells) {
        QTest::addRow("typed in %d", column) << column << text << true;
        QTest::addRow("pressed in %d", column) << column << text << false;
    }
}

void TestSheetEditing::enterInOtherColumnsMovesRight()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, editing);
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::typeCell(grid, 4, Col日付, u"20070401"_s);
    if (editing) {
        op::typeCell(grid, 4, column, text);
    } else {
        op::selectCell(grid, 4, column);
        QTest::keyClick(grid, Qt::Key_Return);
    }
    QCOMPARE(grid->row(), 4);
    // The premium columns between 調整額 and 金額 are hidden while premiums are not computed.
    QCOMPARE(grid->col(), column == Col調整額 ? int(Col金額) : column + 1);
    QCOMPARE(shown(app, 5, Col日付), QString());
}

void TestSheetEditing::deletingALineKeepsTheOtherNumbersAndLowersTheTotals()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(grid, 0, u"20070402"_s, u"0900"_s, u"1700"_s, u"100"_s);
    typeLine(grid, 1, u"20070403"_s, u"0900"_s, u"1200"_s, u"200"_s);
    typeLine(grid, 2, u"20070404"_s, u"1300"_s, u"1500"_s, u"400"_s);
    typeLine(grid, 3, u"20070405"_s, u"0900"_s, u"1000"_s);
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 14.0);
    QCOMPARE(ui::num調整額(app.w)->value().toDouble(), 700.0);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 14700.0);

    op::selectCell(grid, 2, Col開始時間);
    op::click(ui::cmd行削除(app.w));
    QCOMPARE(grid->model()->rowCount(), LineCount - 1);
    QVERIFY(grid->hasFocus());
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 12.0);
    QCOMPARE(ui::num調整額(app.w)->value().toDouble(), 300.0);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 12300.0);
    QCOMPARE(ui::num合計(app.w)->text(), u"12,300"_s);
    QCOMPARE(shown(app, 2, Col日付), u"2007/04/05"_s);

    QList<int> numbers;
    for (const auto &row : app.workRows(u"SELECT 行番号 FROM w明細 ORDER BY rowid"_s))
        numbers.append(row.value(0).toInt());
    QCOMPARE(numbers.size(), LineCount - 1);
    QCOMPARE(numbers.mid(0, 4), (QList<int>{1, 2, 4, 5}));
    QCOMPARE(numbers.last(), LineCount);
    QCOMPARE(ui::dat明細(app.w)->value(2, Col行番号).toInt(), 4);
}

void TestSheetEditing::deletingEveryLineAndOneMore()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(grid, 0, u"20070402"_s, u"0900"_s, u"1700"_s, u"300"_s);
    op::selectCell(grid, 0, Col日付);
    for (int i = 0; i < LineCount; ++i)
        op::click(ui::cmd行削除(app.w));
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w明細"_s).first().value(0).toInt(), 0);
    // No current line: nothing to delete, the totals are summed all the same.
    op::click(ui::cmd行削除(app.w));
    QVERIFY(grid->hasFocus());
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 0.0);
    QVERIFY(!ui::num合計(app.w)->value().isNull());
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 0.0);
    QTest::keyClick(grid, Qt::Key_Return);
    op::click(ui::cmdクリア(app.w));
    QCOMPARE(grid->model()->rowCount(), LineCount);
}

void TestSheetEditing::leavingTheNameFetchesTheWage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("wage");
    // The master: 山田 1200, O'Brien 1300, 無給 without a wage, and a nameless 5000.
    QTest::newRow("known name") << u"山田"_s << QVariant(1200.0);
    QTest::newRow("quote in the name") << u"O'Brien"_s << QVariant(1300.0);
    QTest::newRow("unknown name keeps the wage") << u"山田太郎"_s << QVariant(900.0);
    QTest::newRow("no wage in the master keeps it") << u"無給"_s << QVariant(900.0);
    QTest::newRow("empty name does nothing") << QString() << QVariant(900.0);
    QTest::newRow("blank is a name of its own") << u" "_s << QVariant(900.0);
}

void TestSheetEditing::leavingTheNameFetchesTheWage()
{
    QFETCH(QString, name);
    QFETCH(QVariant, wage);
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"山田"_s, 1200.0);
    addEmployee(app, u"O'Brien"_s, 1300.0);
    addEmployee(app, u"無給"_s, QVariant());
    addEmployee(app, QString(), 5000.0);
    op::fill(ui::num時給(app.w), u"900"_s);
    op::fill(ui::cmb氏名(app.w), name);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), name);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), wage.toDouble());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::num時給(app.w)));
}

void TestSheetEditing::passingThroughTheNameReplacesATypedWage()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"山田"_s, 1200.0);
    op::fill(ui::cmb氏名(app.w), u"山田"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1200.0);
    op::fill(ui::num時給(app.w), u"1500"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1500.0);
    op::focus(ui::cmb氏名(app.w));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1200.0);
    QCOMPARE(ui::num時給(app.w)->text(), u"1200"_s); // focused: the plain number
}

void TestSheetEditing::freshLineTakesTheHeaderWageFirst()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col開始時間, u"0900"_s);
    QCOMPARE(raw(app, 0, Col時給).toDouble(), 1000.0);
    QCOMPARE(stored(app, 1, u"時給"_s).toDouble(), 1000.0);
    // The line keeps its wage when the sheet's changes.
    op::fill(ui::num時給(app.w), u"1500"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col終了時間, u"1100"_s);
    QCOMPARE(raw(app, 0, Col時給).toDouble(), 1000.0);
    QCOMPARE(shown(app, 0, Col金額), u"2,000"_s);
    // A wage of 0 is a wage.
    op::typeCell(ui::Grid明細(app.w), 1, Col時給, u"0"_s);
    op::typeCell(ui::Grid明細(app.w), 1, Col開始時間, u"0900"_s);
    QCOMPARE(raw(app, 1, Col時給).toDouble(), 0.0);
}

void TestSheetEditing::laterBreakLeavesExistingLinesAlone()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    QCOMPARE(shown(app, 0, Col時間), u"7.0"_s);
    op::fill(ui::num休憩(app.w), u"0"_s);
    QCOMPARE(shown(app, 0, Col時間), u"7.0"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"7.0"_s);
    QCOMPARE(stored(app, 1, u"時間"_s).toDouble(), 7.0);
    // The next line counts without the break; editing a time of the first recomputes it.
    typeLine(ui::Grid明細(app.w), 1, u"20070403"_s, u"0900"_s, u"1700"_s);
    QCOMPARE(shown(app, 1, Col時間), u"8.0"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"15.0"_s);
    op::typeCell(ui::Grid明細(app.w), 0, Col終了時間, u"1800"_s);
    QCOMPARE(shown(app, 0, Col時間), u"9.0"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"17.0"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"17,000"_s);
}

void TestSheetEditing::sheetWithoutHoursTotalsZero()
{
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(ui::num時間(app.w)->value().isNull());
    QVERIFY(ui::num合計(app.w)->value().isNull());
    op::typeCell(ui::Grid明細(app.w), 0, Col時給, u"1000"_s);
    for (NumberEdit *total : {ui::num時間(app.w), ui::num調整額(app.w), ui::num合計(app.w)}) {
        QVERIFY2(!total->value().isNull(), qPrintable(total->objectName()));
        QCOMPARE(total->value().toDouble(), 0.0);
    }
    QCOMPARE(ui::num時間(app.w)->text(), u".0"_s);
}

void TestSheetEditing::totalBeyondTheFieldRangeIsStillShown()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(ui::num時給(app.w), u"99999"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 99999.0);
    // Five whole days at 99,999 an hour: 5 × 2,399,976 = 11,999,880.
    for (int row = 0; row < 5; ++row)
        typeLine(ui::Grid明細(app.w), row, u"2007040%1"_s.arg(row + 1), u"0000"_s, u"2400"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"120.0"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 11999880.0);
    QCOMPARE(ui::num合計(app.w)->text(), u"11,999,880"_s);
    // Still shown after the field had the focus and lost it unchanged.
    ui::num合計(app.w)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QCOMPARE(ui::num合計(app.w)->text(), u"11999880"_s);
    op::focus(ui::Grid明細(app.w));
    QCOMPARE(ui::num合計(app.w)->text(), u"11,999,880"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 11999880.0);
}

void TestSheetEditing::inputMethodOpenForTheNameClosedForTheGrid()
{
    if (portable::Windows)
        QSKIP("on Windows the input method opens and closes through imm32 on the window, which the offscreen "
              "platform does not have");
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);

    // Tab from the break into the grid closes the input method.
    grid->setAttribute(Qt::WA_InputMethodEnabled, true);
    op::focus(ui::num休憩(app.w));
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(grid));
    QVERIFY(!grid->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!inputMethodOn());

    // Moving the current cell closes it again.
    grid->setAttribute(Qt::WA_InputMethodEnabled, true);
    press(Qt::Key_Right);
    QVERIFY(!grid->testAttribute(Qt::WA_InputMethodEnabled));
    grid->setAttribute(Qt::WA_InputMethodEnabled, true);
    press(Qt::Key_Down);
    QVERIFY(!grid->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!inputMethodOn());

    // The name field opens it for Japanese names.
    ui::cmb氏名(app.w)->setAttribute(Qt::WA_InputMethodEnabled, false);
    op::focus(ui::cmb氏名(app.w));
    QVERIFY(ui::cmb氏名(app.w)->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(inputMethodOn());
}

void TestSheetEditing::gridEditorsTakeNoInputMethod_data()
{
    QTest::addColumn<int>("column");
    for (int column = Col日付; column <= Col金額; ++column)
        if (!sheet::isPremiumColumn(column))
            QTest::addRow("column %d", column) << column;
}

void TestSheetEditing::gridEditorsTakeNoInputMethod()
{
    QFETCH(int, column);
    Pelora app;
    QVERIFY(app.start());
    op::selectCell(ui::Grid明細(app.w), 0, column);
    QTest::keyClick(ui::Grid明細(app.w), Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != ui::Grid明細(app.w));
    QVERIFY(qobject_cast<QLineEdit *>(editor));
    QVERIFY(!editor->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!inputMethodOn());
    QTest::keyClick(editor, Qt::Key_Escape);
}

void TestSheetEditing::wholeSheetByKeyboard()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"山田"_s, 1000.0);
    FrmPelora *w = app.w;
    op::focus(ui::cmb氏名(w));

    keys(u"山田"_s);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::num時給(w)));
    QCOMPARE(ui::num時給(w)->value().toDouble(), 1000.0);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::txtタイトル(w)));
    keys(u"4月"_s);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::num休憩(w)));
    keys(u"1"_s);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::Grid明細(w)));
    QCOMPARE(ui::Grid明細(w)->row(), 0);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col日付));

    // A line typed straight into the cells, Enter moving along it.
    keys(u"20070430"_s);
    press(Qt::Key_Return);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col開始時間));
    keys(u"0900"_s);
    press(Qt::Key_Return);
    keys(u"1730"_s);
    press(Qt::Key_Return);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col時間));
    press(Qt::Key_Return); // hours computed
    press(Qt::Key_Return); // wage taken from the header
    QCOMPARE(ui::Grid明細(w)->col(), int(Col調整額));
    keys(u"500"_s);
    press(Qt::Key_Return);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col金額));
    press(Qt::Key_Return);
    QCOMPARE(ui::Grid明細(w)->row(), 1);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col日付));
    QCOMPARE(shown(app, 0, Col時間), u"7.5"_s);
    QCOMPARE(shown(app, 0, Col金額), u"8,000"_s);
    QCOMPARE(shown(app, 1, Col日付), u"2007/05/01"_s);
    QCOMPARE(ui::num合計(w)->text(), u"8,000"_s);
    QCOMPARE(ui::txtタイトル(w)->text(), u"4月"_s);
    QCOMPARE(ui::num休憩(w)->value().toDouble(), 1.0);

    // The second line takes the prepared date; its times are typed over it.
    press(Qt::Key_Return);
    keys(u"1300"_s);
    press(Qt::Key_Return);
    keys(u"1500"_s);
    press(Qt::Key_Return);
    QCOMPARE(shown(app, 1, Col時間), u"1.0"_s);
    QCOMPARE(ui::num合計(w)->text(), u"9,000"_s);

    // Tab stays in the grid, going on along the line; Ctrl+Tab leaves it for
    // the buttons, the line delete among them.
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::Grid明細(w)));
    QCOMPARE(ui::Grid明細(w)->row(), 1);
    QCOMPARE(ui::Grid明細(w)->col(), int(Col時給));
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::cmd登録(w)));
    QCOMPARE(ui::SSTab1(w)->currentIndex(), 0); // the page stays in front
    for (int i = 0; i < 8 && QApplication::focusWidget() != ui::cmd行削除(w); ++i)
        press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::cmd行削除(w)));
    press(Qt::Key_Space);
    QCOMPARE(ui::Grid明細(w)->model()->rowCount(), LineCount - 1);
    QCOMPARE(ui::num合計(w)->text(), u"8,000"_s);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w明細 WHERE 行番号 = 2"_s).first().value(0).toInt(), 0);
}

QTEST_MAIN(TestSheetEditing)
#include "tst_sheetediting.moc"
