// The employee page as the operator uses it: reading the master into the
// grid, editing and registering it, deleting ticked names; and the employee a
// registered time sheet stores, and the name list of the time-sheet page.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "employees/employeecolumns.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace employees;

namespace {

using Employee = std::pair<QString, QVariant>; // name, wage (null when none)

void addEmployee(const Pelora &app, const QString &name, const QVariant &wage)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s,
                            {name, wage}));
}

// The master in the order of its rows.
QList<Employee> master(const Pelora &app)
{
    QList<Employee> rows;
    for (const auto &row : app.mainRows(u"SELECT 氏名, 時給 FROM 従業員 ORDER BY rowid"_s))
        rows.append({row.value(0).toString(), row.value(1)});
    return rows;
}

// The grid's rows as shown: tick, name, wage (the blank row for a new employee left out).
struct GridRow
{
    bool ticked;
    QString name;
    QVariant wage;
};

QList<GridRow> gridRows(const Pelora &app)
{
    QList<GridRow> rows;
    const WorkTableModel *model = ui::dat従業員(app.w);
    for (int row = 0; row < model->storedRowCount(); ++row)
        rows.append({model->index(row, Colチェック).data(Qt::CheckStateRole).toInt() == Qt::Checked,
                     model->value(row, Col氏名).toString(), model->value(row, Col時給)});
    return rows;
}

QStringList gridNames(const Pelora &app)
{
    QStringList names;
    for (const GridRow &row : gridRows(app))
        names.append(row.name);
    return names;
}

QStringList nameList(const FrmPelora *w)
{
    QStringList names;
    for (int i = 0; i < ui::cmb氏名(w)->count(); ++i)
        names.append(ui::cmb氏名(w)->itemText(i));
    return names;
}

void showEmployeePage(const Pelora &app)
{
    ui::SSTab1(app.w)->setCurrentIndex(2);
    QApplication::processEvents();
}

// Ticks or unticks a row with the space bar, as the keyboard does.
void toggleTick(DataGrid *grid, int row)
{
    op::selectCell(grid, row, Colチェック);
    QTest::keyClick(grid, Qt::Key_Space);
    QApplication::processEvents();
}

int rowOf(const Pelora &app, const QString &name)
{
    return int(gridNames(app).indexOf(name));
}

void verifyMaster(const Pelora &app, const QList<Employee> &expected)
{
    const QList<Employee> actual = master(app);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        QCOMPARE(actual.at(i).first, expected.at(i).first);
        QCOMPARE(actual.at(i).second.isNull(), expected.at(i).second.isNull());
        QCOMPARE(actual.at(i).second.toDouble(), expected.at(i).second.toDouble());
    }
}

} // namespace

class TestEmployees : public QObject
{
    Q_OBJECT

private slots:
    void readListsTheMasterByNameUnticked();
    void registerAsksAndReplacesTheMaster();
    void registerAnsweredNoChangesNothing();
    void registerOnAnEmptyGridEmptiesTheMaster();
    void registerTakesTheWageStillBeingTyped_data();
    void registerTakesTheWageStillBeingTyped();
    void lettersInTheWageAreEmptied();
    void aNewEmployeeIsTypedIntoTheBlankRow();
    void aNewEmployeeStillBeingTypedIsRegistered();
    void lineDeleteAsksWithNoAsTheDefault();
    void lineDeleteWithoutTicksDeletesNothing();
    void lineDeleteRemovesTickedNames();
    void registeringASheetStoresItsEmployee();
    void nameListFollowsTheMaster();
    void tabStaysInTheGrid_data();
    void tabStaysInTheGrid();
    void aFailedCopyKeepsThePreviousMaster();
    void clearEmptiesOnlyTheGrid();
};

void TestEmployees::readListsTheMasterByNameUnticked()
{
    Pelora app;
    QVERIFY(app.start());
    for (const auto &[name, wage] : QList<Employee>{{u"佐藤"_s, 1100.0}, {u"Ito"_s, 950.0},
                                                    {u"山田"_s, QVariant()}, {u"伊藤"_s, 900.0},
                                                    {u"Abe"_s, 1000.0}})
        addEmployee(app, name, wage);
    showEmployeePage(app);
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 0); // shown only after reading
    op::click(ui::cmd従業員読込(app.w));
    QCOMPARE(gridNames(app), (QStringList{u"Abe"_s, u"Ito"_s, u"伊藤"_s, u"佐藤"_s, u"山田"_s}));
    QCOMPARE(ui::dat従業員(app.w)->index(3, Col時給).data().toString(), u"1,100"_s);
    QCOMPARE(ui::dat従業員(app.w)->index(4, Col時給).data().toString(), QString());

    toggleTick(ui::Grid従業員(app.w), 1);
    toggleTick(ui::Grid従業員(app.w), 3);
    QVERIFY(gridRows(app).at(1).ticked);
    op::click(ui::cmd従業員読込(app.w));
    for (const GridRow &row : gridRows(app))
        QVERIFY2(!row.ticked, qPrintable(row.name));
    QCOMPARE(gridRows(app).size(), 5);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w従業員 WHERE チェック <> 0"_s).first().value(0).toInt(), 0);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w従業員"_s).first().value(0).toInt(), 5);
}

void TestEmployees::registerAsksAndReplacesTheMaster()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    DataGrid *grid = ui::Grid従業員(app.w);
    op::typeCell(grid, rowOf(app, u"佐藤"_s), Col時給, u"1,150"_s);
    op::typeCell(grid, rowOf(app, u"伊藤"_s), Col氏名, u"伊東"_s);
    toggleTick(grid, 0);

    op::click(ui::cmd従業員登録(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest asked = app.presenter.last();
    QCOMPARE(asked.title, u"登録の確認"_s);
    QCOMPARE(asked.prompt, u"従業員 を登録します。よろしいですか"_s);
    QCOMPARE(asked.icon, MessageRequest::Icon::Question);
    QCOMPARE(asked.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(asked.defaultButton, MessageRequest::Button::Yes);
    // The grid's rows in the grid's order, ticked or not.
    verifyMaster(app, {{u"伊東"_s, 900.0}, {u"佐藤"_s, 1150.0}});

    // Again: the same master, no name twice.
    op::click(ui::cmd従業員登録(app.w));
    verifyMaster(app, {{u"伊東"_s, 900.0}, {u"佐藤"_s, 1150.0}});
    QCOMPARE(app.presenter.shown.size(), 2); // no completion message
    // The grid keeps its rows and its tick.
    QCOMPARE(gridNames(app), (QStringList{u"伊東"_s, u"佐藤"_s}));
    QVERIFY(gridRows(app).at(0).ticked);
    QVERIFY(!gridRows(app).at(1).ticked);
}

void TestEmployees::registerAnsweredNoChangesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    op::typeCell(ui::Grid従業員(app.w), 0, Col時給, u"2000"_s);
    toggleTick(ui::Grid従業員(app.w), 0);
    app.presenter.answerNo();
    op::click(ui::cmd従業員登録(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    verifyMaster(app, {{u"佐藤"_s, 1100.0}});
    QCOMPARE(gridRows(app).size(), 1);
    QCOMPARE(gridRows(app).first().wage.toDouble(), 2000.0);
    QVERIFY(gridRows(app).first().ticked);
}

void TestEmployees::registerOnAnEmptyGridEmptiesTheMaster()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    showEmployeePage(app);
    QCOMPARE(gridRows(app).size(), 0);
    op::click(ui::cmd従業員登録(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    verifyMaster(app, {});
}

void TestEmployees::registerTakesTheWageStillBeingTyped_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("button clicked") << true;
    QTest::newRow("button pressed by its shortcut") << false;
}

void TestEmployees::registerTakesTheWageStillBeingTyped()
{
    QFETCH(bool, byMouse);
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    DataGrid *grid = ui::Grid従業員(app.w);
    op::selectCell(grid, 0, Col時給);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    op::type(editor, u"1350"_s);
    if (byMouse) {
        op::click(ui::cmd従業員登録(app.w));
    } else {
        ui::cmd従業員登録(app.w)->click(); // the focus stays in the cell
        QApplication::processEvents();
    }
    verifyMaster(app, {{u"佐藤"_s, 1350.0}});
}

void TestEmployees::lettersInTheWageAreEmptied()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    op::typeCell(ui::Grid従業員(app.w), 0, Col時給, u"千円"_s);
    QVERIFY(gridRows(app).first().wage.isNull());
    op::typeCell(ui::Grid従業員(app.w), 0, Col時給, u"１２００"_s);
    QCOMPARE(gridRows(app).first().wage.toDouble(), 1200.0);
    op::click(ui::cmd従業員登録(app.w));
    verifyMaster(app, {{u"佐藤"_s, 1200.0}});
}

void TestEmployees::aNewEmployeeIsTypedIntoTheBlankRow()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    DataGrid *grid = ui::Grid従業員(app.w);
    QCOMPARE(grid->model()->rowCount(), 2); // one employee and the blank row

    op::selectCell(grid, 1, Col氏名);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    QVERIFY(editor->testAttribute(Qt::WA_InputMethodEnabled)); // names are typed in Japanese
    op::type(editor, u"新井"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(grid->row(), 1);
    QCOMPARE(grid->col(), int(Col時給));
    op::typeCell(grid, 1, Col時給, u"1050"_s);
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(gridNames(app), (QStringList{u"佐藤"_s, u"新井"_s}));
    QVERIFY(!gridRows(app).at(1).ticked);

    op::click(ui::cmd従業員登録(app.w));
    verifyMaster(app, {{u"佐藤"_s, 1100.0}, {u"新井"_s, 1050.0}});
    QCOMPARE(app.workRows(u"SELECT チェック, 氏名, 時給 FROM w従業員 ORDER BY rowid"_s).last(),
             (QVariantList{0, u"新井"_s, 1050.0}));
}

void TestEmployees::aNewEmployeeStillBeingTypedIsRegistered()
{
    Pelora app;
    QVERIFY(app.start());
    showEmployeePage(app);
    DataGrid *grid = ui::Grid従業員(app.w);
    op::selectCell(grid, 0, Col氏名);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    op::type(editor, u"新井"_s);
    ui::cmd従業員登録(app.w)->click(); // the focus stays in the cell
    QApplication::processEvents();
    verifyMaster(app, {{u"新井"_s, QVariant()}});
    QCOMPARE(gridNames(app), QStringList{u"新井"_s});
    QCOMPARE(grid->model()->rowCount(), 2);
}

void TestEmployees::lineDeleteAsksWithNoAsTheDefault()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    toggleTick(ui::Grid従業員(app.w), 0);
    op::click(ui::cmd従業員行削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest asked = app.presenter.last();
    QCOMPARE(asked.title, u"削除の確認"_s);
    QCOMPARE(asked.prompt, u"指定された従業員 を削除します。よろしいですか"_s);
    QCOMPARE(asked.icon, MessageRequest::Icon::Question);
    QCOMPARE(asked.defaultButton, MessageRequest::Button::No);
    verifyMaster(app, {{u"佐藤"_s, 1100.0}, {u"伊藤"_s, 900.0}});
    QCOMPARE(gridNames(app), (QStringList{u"伊藤"_s, u"佐藤"_s}));
    QVERIFY(gridRows(app).at(0).ticked);
}

void TestEmployees::lineDeleteWithoutTicksDeletesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    app.presenter.answerYes();
    op::click(ui::cmd従業員行削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    verifyMaster(app, {{u"佐藤"_s, 1100.0}, {u"伊藤"_s, 900.0}});
    QCOMPARE(gridNames(app), (QStringList{u"伊藤"_s, u"佐藤"_s}));
}

void TestEmployees::lineDeleteRemovesTickedNames()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    addEmployee(app, u"山田"_s, 1000.0);
    addEmployee(app, u"伊藤"_s, 950.0);
    addEmployee(app, u"O'Brien"_s, 1200.0);
    // A registered sheet of an employee outlives the employee.
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 合計) VALUES ('伊藤', '4月', 1000)"_s));
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    DataGrid *grid = ui::Grid従業員(app.w);
    QCOMPARE(gridNames(app), (QStringList{u"O'Brien"_s, u"伊藤"_s, u"伊藤"_s, u"佐藤"_s, u"山田"_s}));
    // A row never registered.
    op::typeCell(grid, 5, Col氏名, u"新井"_s);

    toggleTick(grid, 0); // O'Brien
    toggleTick(grid, 1); // one of the two 伊藤
    toggleTick(grid, 5); // 新井
    toggleTick(grid, 4); // 山田, ticked and unticked again
    toggleTick(grid, 4);
    app.presenter.answerYes();
    op::click(ui::cmd従業員行削除(app.w));

    verifyMaster(app, {{u"佐藤"_s, 1100.0}, {u"山田"_s, 1000.0}});
    QCOMPARE(gridNames(app), (QStringList{u"伊藤"_s, u"佐藤"_s, u"山田"_s}));
    for (const GridRow &row : gridRows(app))
        QVERIFY(!row.ticked);
    QCOMPARE(app.workRows(u"SELECT 氏名 FROM w従業員 ORDER BY rowid"_s).size(), 3);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ WHERE 氏名 = '伊藤'"_s).first().value(0).toInt(), 1);
}

void TestEmployees::registeringASheetStoresItsEmployee()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"伊藤"_s, 900.0);
    addEmployee(app, u"佐藤"_s, 1000.0);
    addEmployee(app, u"佐藤"_s, 1100.0);
    op::click(ui::cmdクリア(app.w));

    struct Sheet
    {
        QString name, wage;
    };
    // A new name is added; of two rows of one name only the first takes the wage.
    for (const Sheet &sheet : {Sheet{u"新井"_s, u"1050"_s}, Sheet{u"佐藤"_s, u"1500"_s}}) {
        op::fill(ui::cmb氏名(app.w), sheet.name);
        op::fill(ui::num時給(app.w), sheet.wage);
        op::fill(ui::txtタイトル(app.w), u"4月"_s);
        op::click(ui::cmd登録(app.w));
    }
    verifyMaster(app, {{u"伊藤"_s, 900.0}, {u"佐藤"_s, 1500.0}, {u"佐藤"_s, 1100.0}, {u"新井"_s, 1050.0}});
    QCOMPARE(nameList(app.w), (QStringList{u"伊藤"_s, u"佐藤"_s, u"佐藤"_s, u"新井"_s}));

    // The same through the operation itself, with a name the list does not offer.
    ui::cmb氏名(app.w)->setEditText(u"O'Brien"_s);
    ui::num時給(app.w)->setValue(1234.0);
    QVERIFY(ui::sheetPage(app.w)->Entry従業員());
    ui::cmb氏名(app.w)->setEditText(u"伊藤"_s);
    ui::num時給(app.w)->setValue(QVariant());
    QVERIFY(ui::sheetPage(app.w)->Entry従業員());
    verifyMaster(app, {{u"伊藤"_s, QVariant()},
                       {u"佐藤"_s, 1500.0},
                       {u"佐藤"_s, 1100.0},
                       {u"新井"_s, 1050.0},
                       {u"O'Brien"_s, 1234.0}});
}

void TestEmployees::nameListFollowsTheMaster()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    app.stop();
    QVERIFY(app.start());
    QCOMPARE(nameList(app.w), QStringList{u"佐藤"_s});
    // A name half typed on the sheet page stays as typed while the list changes.
    op::fill(ui::cmb氏名(app.w), u"佐"_s);

    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    op::typeCell(ui::Grid従業員(app.w), 1, Col氏名, u"伊藤"_s);
    QCOMPARE(nameList(app.w), QStringList{u"佐藤"_s}); // typed, not registered
    op::click(ui::cmd従業員登録(app.w));
    QCOMPARE(nameList(app.w), (QStringList{u"伊藤"_s, u"佐藤"_s}));
    toggleTick(ui::Grid従業員(app.w), 0);
    app.presenter.answerYes();
    op::click(ui::cmd従業員行削除(app.w));
    verifyMaster(app, {{u"伊藤"_s, QVariant()}});
    QCOMPARE(nameList(app.w), QStringList{u"伊藤"_s});
    // Reading and clearing the grid leave the master, and the list, alone.
    op::click(ui::cmd従業員読込(app.w));
    op::click(ui::cmdクリア従業員(app.w));
    QCOMPARE(nameList(app.w), QStringList{u"伊藤"_s});

    ui::SSTab1(app.w)->setCurrentIndex(0);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"佐"_s);
    op::click(ui::cmdクリア(app.w));
    QCOMPARE(nameList(app.w), QStringList{u"伊藤"_s});
}

void TestEmployees::tabStaysInTheGrid_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row"); // -1: the last line
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("editing"); // typed into the cell, still open
    QTest::addColumn<bool>("back");    // Shift+Tab
    QTest::addColumn<int>("toRow");    // relative to row
    QTest::addColumn<int>("toColumn");
    const int date = sheet::Col日付, amount = sheet::Col金額;
    QTest::newRow("従業員: name to wage") << u"Grid従業員"_s << 0 << int(Col氏名) << false << false << 0 << int(Col時給);
    QTest::newRow("従業員: wage to the next name, past the tick")
        << u"Grid従業員"_s << 0 << int(Col時給) << true << false << 1 << int(Col氏名);
    QTest::newRow("従業員: back from a name") << u"Grid従業員"_s << 1 << int(Col氏名) << false << true << -1 << int(Col時給);
    QTest::newRow("従業員: the last cell") << u"Grid従業員"_s << -1 << int(Col時給) << false << false << 0 << int(Col時給);
    // Typed into the blank line, the wage makes a new employee, and a new blank line follows.
    QTest::newRow("従業員: the last cell, typed") << u"Grid従業員"_s << -1 << int(Col時給) << true << false << 1 << int(Col氏名);
    QTest::newRow("従業員: the first cell, back") << u"Grid従業員"_s << 0 << int(Col氏名) << false << true << 0 << int(Col氏名);
    QTest::newRow("明細: amount to the next date") << u"Grid明細"_s << 4 << amount << false << false << 1 << date;
    QTest::newRow("明細: the last amount") << u"Grid明細"_s << -1 << amount << false << false << 0 << amount;
    QTest::newRow("明細: the first date, back") << u"Grid明細"_s << 0 << date << true << true << 0 << date;
}

void TestEmployees::tabStaysInTheGrid()
{
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, editing);
    QFETCH(bool, back);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    auto *g = ui::find<DataGrid>(app.w, grid);
    if (g == ui::Grid従業員(app.w)) {
        showEmployeePage(app);
        op::click(ui::cmd従業員読込(app.w));
    }
    if (row < 0)
        row = g->model()->rowCount() - 1;
    op::selectCell(g, row, column);
    if (editing) {
        QTest::keyClick(g, Qt::Key_F2);
        op::type(QApplication::focusWidget(), u"12"_s);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    QApplication::processEvents();

    QWidget *focused = QApplication::focusWidget();
    QVERIFY2(focused == g || g->isAncestorOf(focused), qPrintable(focused->objectName()));
    QCOMPARE(g->currentIndex().row(), row + toRow);
    QCOMPARE(g->currentIndex().column(), toColumn);
    // A blank typed next goes into a cell (as in 「山田 花子」), never to a button.
    const QStringList names = gridNames(app);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(gridNames(app), names);
    focused = QApplication::focusWidget();
    QVERIFY2(focused == g || g->isAncestorOf(focused), qPrintable(focused->objectName()));
}

void TestEmployees::aFailedCopyKeepsThePreviousMaster()
{
    if (Pelora::onServer())
        QSKIP("the fault is a trigger in SQLite's own SQL");
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    addEmployee(app, u"伊藤"_s, 900.0);
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"CREATE TRIGGER refuseX BEFORE INSERT ON 従業員 WHEN NEW.氏名 = 'X' "
                            u"BEGIN SELECT RAISE(ABORT, 'x'); END"_s));
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    op::typeCell(ui::Grid従業員(app.w), 0, Col時給, u"1000"_s); // 伊藤
    op::typeCell(ui::Grid従業員(app.w), 2, Col氏名, u"X"_s);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"SQL failed"_s));
    op::click(ui::cmd従業員登録(app.w));
    verifyMaster(app, {{u"佐藤"_s, 1100.0}, {u"伊藤"_s, 900.0}});
    QCOMPARE(gridNames(app), (QStringList{u"伊藤"_s, u"佐藤"_s, u"X"_s}));
    QCOMPARE(app.presenter.shown.size(), 2); // the confirmation, then the failure
    QVERIFY(app.presenter.last().prompt.startsWith(u"データファイルに書き込めないため、従業員を登録できませんでした。"_s));

    // Without the refused row the same grid registers.
    op::typeCell(ui::Grid従業員(app.w), 2, Col氏名, u"Y"_s);
    op::click(ui::cmd従業員登録(app.w));
    verifyMaster(app, {{u"伊藤"_s, 1000.0}, {u"佐藤"_s, 1100.0}, {u"Y"_s, QVariant()}});
}

void TestEmployees::clearEmptiesOnlyTheGrid()
{
    Pelora app;
    QVERIFY(app.start());
    addEmployee(app, u"佐藤"_s, 1100.0);
    showEmployeePage(app);
    op::click(ui::cmd従業員読込(app.w));
    toggleTick(ui::Grid従業員(app.w), 0);
    op::click(ui::cmdクリア従業員(app.w));
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(gridRows(app).size(), 0);
    QCOMPARE(app.workRows(u"SELECT count(*) FROM w従業員"_s).first().value(0).toInt(), 0);
    verifyMaster(app, {{u"佐藤"_s, 1100.0}});
}

QTEST_MAIN(TestEmployees)
#include "tst_employees.moc"
