#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum Col { Col番号, Col日付, Col開始, Col時間, Col金額, Col名前, Col選択 };

// A small window with one of each control kind; its grid shows a scratch table
// without a key, in which two rows are identical.
class ControlWindow
{
public:
    ControlWindow()
    {
        static int counter = 0;
        m_connection = u"scratch-%1"_s.arg(++counter);
        file = m_dir.filePath(u"scratch.db"_s);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
            db.setDatabaseName(file);
            db.open();
            QSqlQuery q(db);
            q.exec(u"CREATE TABLE t (番号 INTEGER, 日付 TEXT, 開始 TEXT, 時間 REAL, 金額 REAL, 名前 TEXT, 選択 INTEGER)"_s);
            q.exec(u"INSERT INTO t VALUES (1, '2007-04-30', '0930', 7.5, 8333.33, '山田', 0)"_s);
            q.exec(u"INSERT INTO t VALUES (2, NULL, NULL, NULL, NULL, NULL, 0)"_s);
            q.exec(u"INSERT INTO t VALUES (2, NULL, NULL, NULL, NULL, NULL, 0)"_s);
            q.exec(u"INSERT INTO t VALUES (4, NULL, '0030', 0, 0, '', 0)"_s);
        }

        window = new QWidget;
        auto *layout = new QVBoxLayout(window);
        number = new NumberEdit(window);
        other = new QLineEdit(window);
        name = new NameCombo(window);
        grid = new DataGrid(window);
        layout->addWidget(number);
        layout->addWidget(other);
        layout->addWidget(name);
        layout->addWidget(grid);

        const QList<GridColumn> columns{
            {u"番号"_s, u"番号"_s, GridColumn::Kind::Number, u"#,###"_s, 600, Qt::AlignRight},
            {u"日付"_s, u"日付"_s, GridColumn::Kind::Date, QString(), 1430, Qt::AlignHCenter},
            {u"開始"_s, u"開始"_s, GridColumn::Kind::Time, QString(), 1200, Qt::AlignHCenter},
            {u"時間"_s, u"時間"_s, GridColumn::Kind::Number, u"#,###.0"_s, 1050, Qt::AlignRight},
            {u"金額"_s, u"金額"_s, GridColumn::Kind::Number, u"#,###"_s, 1130, Qt::AlignRight},
            {u"名前"_s, u"名前"_s, GridColumn::Kind::Text, QString(), 2000, Qt::AlignLeft},
            {u"選択"_s, QString(), GridColumn::Kind::Check, QString(), 600, Qt::AlignHCenter},
        };
        model = new WorkTableModel(m_connection, u"t"_s, columns, window);
        grid->bind(model);
        grid->refresh();

        // The number field is first in line; it must not start out with the focus.
        other->setFocus();
        window->resize(900, 500);
        window->show();
        QApplication::setActiveWindow(window);
    }

    ~ControlWindow()
    {
        delete window;
        QSqlDatabase::removeDatabase(m_connection);
    }

    bool exposed() { return QTest::qWaitForWindowExposed(window); }

    // The table as stored, by rowid, read through a connection of the test's own.
    QList<QVariantList> stored(const QString &columns) const
    {
        return Pelora::query(file, u"SELECT rowid, %1 FROM t ORDER BY rowid"_s.arg(columns));
    }

    QWidget *window = nullptr;
    NumberEdit *number = nullptr;
    QLineEdit *other = nullptr;
    NameCombo *name = nullptr;
    DataGrid *grid = nullptr;
    WorkTableModel *model = nullptr;
    QString file;

private:
    QTemporaryDir m_dir;
    QString m_connection;
};

// Opens the cell's editor with F2, as the operator does before typing.
QLineEdit *openEditor(DataGrid *grid, int row, int column)
{
    op::selectCell(grid, row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    return qobject_cast<QLineEdit *>(QApplication::focusWidget());
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void numberEditValueAndText();
    void numberEditTyping_data();
    void numberEditTyping();
    void numberEditEnterTakesTheValue();
    void numberEditShowsWhatTheProgramSets();

    void gridTextAndRawValue();
    void gridSetValueWritesItsOwnRow();
    void gridDeleteCurrentRow();
    void gridMovesAndEof();
    void gridRefreshMakesTheFirstRowCurrent();
    void gridAfterColEditForEveryTypedEntry();
    void gridTakesEveryKeyThatStartsAValue_data();
    void gridTakesEveryKeyThatStartsAValue();
    void gridTickBoxIsCentred();
    void gridLeavingARowWritesIt();
    void gridKeyDownCanConsumeAKey();
    void gridDeleteKeyEmptiesACell();
    void gridDateAndTimeEditors();

    void nameComboFocusSignals();
};

void TestControls::numberEditValueAndText()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    NumberEdit *e = c.number;
    QVERIFY(e->value().isNull());
    QVERIFY(e->isEmpty());
    QCOMPARE(e->text(), QString());
    QCOMPARE(e->number(), 0.0);

    e->setDisplayFormat(u"#,###"_s);
    e->setValue(1234.5);
    QCOMPARE(e->value().toDouble(), 1234.5);
    QCOMPARE(e->text(), u"1,235"_s);

    // While the operator is in the field it shows the plain number.
    op::focus(e);
    QVERIFY(e->hasFocus());
    QCOMPARE(e->text(), u"1234.5"_s);
    e->setValue(99);
    QCOMPARE(e->text(), u"99"_s);
    op::focus(c.other);
    QCOMPARE(e->text(), u"99"_s);
    QCOMPARE(e->value().toDouble(), 99.0);

    e->setValue(u""_s);
    QVERIFY(e->value().isNull());
    QCOMPARE(e->text(), QString());
    e->setValue(7);
    e->setValue(QVariant());
    QVERIFY(e->value().isNull());
    QCOMPARE(e->text(), QString());

    // Zero is a value, shown as nothing in yen and as ".0" in hours.
    e->setValue(0);
    QVERIFY(!e->value().isNull());
    QCOMPARE(e->text(), QString());
    e->setDisplayFormat(u"#,###.0"_s);
    QCOMPARE(e->text(), u".0"_s);
}

void TestControls::numberEditTyping_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("after");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("edited");

    const QString yen = u"#,###"_s;
    const QString hours = u"#,###.0"_s;
    const QVariant null;
    QTest::newRow("yen") << yen << 9999999.0 << 0 << null << u"2500"_s << QVariant(2500.0) << u"2,500"_s << true;
    QTest::newRow("yen with a comma") << yen << 9999999.0 << 0 << null << u"1,234"_s << QVariant(1234.0)
                                      << u"1,234"_s << true;
    QTest::newRow("at the maximum") << yen << 9999999.0 << 0 << null << u"9999999"_s << QVariant(9999999.0)
                                    << u"9,999,999"_s << true;
    QTest::newRow("emptied") << yen << 9999999.0 << 0 << QVariant(2500.0) << QString() << null << QString() << true;
    // What the field cannot take is refused key by key; it never keeps an older value instead.
    QTest::newRow("a digit beyond the maximum is refused") << yen << 9999999.0 << 0 << QVariant(2500.0)
                                                           << u"10000000"_s << QVariant(1000000.0) << u"1,000,000"_s << true;
    QTest::newRow("a minus below a minimum of 0 is refused") << yen << 9999999.0 << 0 << QVariant(2500.0) << u"-1"_s
                                                             << QVariant(1.0) << u"1"_s << true;
    QTest::newRow("a point in a yen field is refused") << yen << 9999999.0 << 0 << QVariant(2500.0) << u"1000."_s
                                                       << QVariant(1000.0) << u"1,000"_s << true;
    QTest::newRow("a comma that cannot group is refused") << yen << 9999999.0 << 0 << QVariant(2500.0) << u"1,0,0,000"_s
                                                          << QVariant(1000.0) << u"1,000"_s << true;
    QTest::newRow("an unfinished group empties the field") << yen << 9999999.0 << 0 << QVariant(2500.0) << u"1,23"_s
                                                           << QVariant() << QString() << true;
    QTest::newRow("the same value is no edit") << yen << 9999999.0 << 0 << QVariant(2500.0) << u"2500"_s
                                               << QVariant(2500.0) << u"2,500"_s << false;
    QTest::newRow("full-width digits") << yen << 9999999.0 << 0 << null << u"１２００"_s << QVariant(1200.0)
                                       << u"1,200"_s << true;
    QTest::newRow("letters are refused") << yen << 9999999.0 << 0 << null << u"1a2あ"_s << QVariant(12.0)
                                         << u"12"_s << true;
    QTest::newRow("hours") << hours << 99.0 << 1 << null << u"7.5"_s << QVariant(7.5) << u"7.5"_s << true;
    QTest::newRow("hours, trailing zero") << hours << 99.0 << 1 << null << u"7.50"_s << QVariant(7.5) << u"7.5"_s
                                          << true;
    QTest::newRow("hours, full width") << hours << 9999.0 << 1 << null << u"１，２３４．５"_s << QVariant(1234.5)
                                       << u"1,234.5"_s << true;
    QTest::newRow("hours, a second decimal is refused") << hours << 99.0 << 1 << QVariant(7.5) << u"7.25"_s
                                                        << QVariant(7.2) << u"7.2"_s << true;
    QTest::newRow("hours, above the maximum") << hours << 99.0 << 1 << QVariant(7.5) << u"100"_s << QVariant(10.0)
                                              << u"10.0"_s << true;
}

void TestControls::numberEditTyping()
{
    QFETCH(QString, format);
    QFETCH(double, maximum);
    QFETCH(int, decimals);
    QFETCH(QVariant, before);
    QFETCH(QString, typed);
    QFETCH(QVariant, after);
    QFETCH(QString, shown);
    QFETCH(bool, edited);

    ControlWindow c;
    QVERIFY(c.exposed());
    NumberEdit *e = c.number;
    e->setDisplayFormat(format);
    e->setRange(0, maximum);
    e->setDecimals(decimals);
    e->setValue(before);
    QSignalSpy spy(e, &NumberEdit::valueEdited);

    op::fill(e, typed);
    QVERIFY(!e->hasFocus());
    QCOMPARE(e->value().isNull(), after.isNull());
    if (!after.isNull())
        QCOMPARE(e->value().toDouble(), after.toDouble());
    QCOMPARE(e->text(), shown);
    QCOMPARE(spy.count(), edited ? 1 : 0);
}

void TestControls::numberEditEnterTakesTheValue()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    NumberEdit *e = c.number;
    e->setRange(0, 99999);
    QSignalSpy spy(e, &NumberEdit::valueEdited);
    op::focus(e);
    op::type(e, u"300"_s);
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(e->value().toDouble(), 300.0);
    QVERIFY(e->hasFocus());
    QCOMPARE(e->text(), u"300"_s);
    QCOMPARE(spy.count(), 1);
    QTest::keyClick(e, Qt::Key_Tab);
    QCOMPARE(e->text(), u"300"_s);
    QCOMPARE(spy.count(), 1);
}

void TestControls::numberEditShowsWhatTheProgramSets()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    NumberEdit *e = c.number;
    e->setDisplayFormat(u"#,###"_s);
    e->setRange(0, 9999999);
    e->setDecimals(0);
    QSignalSpy spy(e, &NumberEdit::valueEdited);

    e->setValue(12345678);
    QCOMPARE(e->text(), u"12,345,678"_s);
    QCOMPARE(e->value().toDouble(), 12345678.0);
    // Passing through the field without typing loses nothing of a value it would refuse.
    op::focus(e);
    op::focus(c.other);
    QCOMPARE(e->value().toDouble(), 12345678.0);
    QCOMPARE(e->text(), u"12,345,678"_s);

    e->setValue(8333.33);
    QCOMPARE(e->text(), u"8,333"_s);
    op::focus(e);
    op::focus(c.other);
    QCOMPARE(e->value().toDouble(), 8333.33);
    QCOMPARE(spy.count(), 0);
}

void TestControls::gridTextAndRawValue()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    QCOMPARE(g->model()->rowCount(), 4);
    QCOMPARE(g->row(), 0);

    g->setRow(0);
    g->setCol(Col金額);
    QCOMPARE(g->col(), int(Col金額));
    QCOMPARE(g->text(Col番号), u"1"_s);
    QCOMPARE(g->text(Col日付), u"2007/04/30"_s);
    QCOMPARE(g->value(Col日付).toString(), u"2007-04-30"_s);
    QCOMPARE(g->text(Col開始), u"9:30"_s);
    QCOMPARE(g->value(Col開始).toString(), u"0930"_s);
    QCOMPARE(g->text(Col時間), u"7.5"_s);
    QCOMPARE(g->value(Col時間).toDouble(), 7.5);
    QCOMPARE(g->text(Col金額), u"8,333"_s);
    QCOMPARE(g->value(Col金額).toDouble(), 8333.33);
    QCOMPARE(g->text(Col名前), u"山田"_s);

    const QModelIndex amount = g->model()->index(0, Col金額);
    QCOMPARE(amount.data(Qt::DisplayRole).toString(), u"8,333"_s);
    QCOMPARE(amount.data(WorkTableModel::RawValueRole).toDouble(), 8333.33);

    g->setRow(1);
    QCOMPARE(g->row(), 1);
    QCOMPARE(g->col(), int(Col金額));
    for (int column : {Col日付, Col開始, Col時間, Col金額, Col名前}) {
        QCOMPARE(g->text(column), QString());
        QVERIFY(g->value(column).isNull());
    }

    // Zero is stored, not null: yen show nothing, hours ".0".
    g->setRow(3);
    QCOMPARE(g->text(Col金額), QString());
    QVERIFY(!g->value(Col金額).isNull());
    QCOMPARE(g->value(Col金額).toDouble(), 0.0);
    QCOMPARE(g->text(Col時間), u".0"_s);
    QCOMPARE(g->text(Col開始), u"0:30"_s);
}

void TestControls::gridSetValueWritesItsOwnRow()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    QSignalSpy edits(g, &DataGrid::afterColEdit);

    // The second of two identical rows.
    g->setRow(2);
    g->setValue(Col金額, 500.5);
    g->setValue(Col名前, u"佐藤"_s);
    g->setRow(0);
    g->setValue(Col金額, QVariant());
    QCOMPARE(g->text(Col金額), QString());
    QVERIFY(c.model->isDirty(0));
    QVERIFY(g->commitPending());
    QCOMPARE(edits.count(), 0); // the program's own settings are no operator edits

    const auto rows = c.stored(u"金額, 名前"_s);
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows.at(0).value(1).isNull());
    QCOMPARE(rows.at(0).value(2).toString(), u"山田"_s);
    QVERIFY(rows.at(1).value(1).isNull());
    QVERIFY(rows.at(1).value(2).isNull());
    QCOMPARE(rows.at(2).value(1).toDouble(), 500.5);
    QCOMPARE(rows.at(2).value(2).toString(), u"佐藤"_s);
    QCOMPARE(rows.at(3).value(1).toDouble(), 0.0);

    g->setRow(2);
    g->setValue(Col名前, QVariant());
    QVERIFY(g->commitPending());
    QVERIFY(c.stored(u"名前"_s).at(2).value(1).isNull());
}

void TestControls::gridDeleteCurrentRow()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;

    // The first of the two identical rows goes; its twin stays.
    g->setRow(1);
    g->setCol(Col名前);
    QVERIFY(g->deleteCurrentRow());
    auto rows = c.stored(u"番号"_s);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).value(0).toLongLong(), 1);
    QCOMPARE(rows.at(1).value(0).toLongLong(), 3);
    QCOMPARE(rows.at(1).value(1).toInt(), 2);
    QCOMPARE(rows.at(2).value(0).toLongLong(), 4);
    QCOMPARE(g->model()->rowCount(), 3);
    QCOMPARE(g->row(), 1);
    QCOMPARE(g->col(), int(Col名前));
    QCOMPARE(g->value(Col番号).toInt(), 2);

    // Deleting the last row leaves the new last row current.
    g->setRow(2);
    QVERIFY(g->deleteCurrentRow());
    QCOMPARE(c.stored(u"番号"_s).size(), 2);
    QCOMPARE(g->row(), 1);
    QCOMPARE(g->value(Col番号).toInt(), 2);

    // An edit pending on a surviving row is still written.
    g->setRow(0);
    g->setValue(Col名前, u"山田花子"_s);
    g->setRow(1);
    QVERIFY(g->deleteCurrentRow());
    QVERIFY(g->commitPending());
    rows = c.stored(u"名前"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).value(1).toString(), u"山田花子"_s);
}

void TestControls::gridMovesAndEof()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    g->setRow(0);
    g->setCol(Col日付);
    QVERIFY(!g->eof());
    QVERIFY(!g->movePrevious());
    QCOMPARE(g->row(), 0);
    QVERIFY(g->moveNext());
    QCOMPARE(g->row(), 1);
    QCOMPARE(g->col(), int(Col日付));
    QVERIFY(g->moveNext());
    QVERIFY(g->moveNext());
    QCOMPARE(g->row(), 3);
    QVERIFY(!g->eof());
    QVERIFY(!g->moveNext());
    QCOMPARE(g->row(), 3);
    QVERIFY(g->movePrevious());
    QCOMPARE(g->row(), 2);

    // With an add-new line below the last row, that line is past the end.
    c.model->setAddNewRow(true);
    g->refresh();
    g->setRow(3);
    QVERIFY(g->moveNext());
    QCOMPARE(g->row(), 4);
    QVERIFY(g->eof());
    c.model->setAddNewRow(false);

    // An empty table has no current row at all.
    QVERIFY(Pelora::execute(c.file, u"DELETE FROM t"_s));
    g->refresh();
    QCOMPARE(g->model()->rowCount(), 0);
    QVERIFY(g->eof());
    QVERIFY(!g->moveNext());
    QVERIFY(!g->movePrevious());
}

void TestControls::gridRefreshMakesTheFirstRowCurrent()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    g->setRow(3);
    g->setCol(Col金額);
    QVERIFY(Pelora::execute(c.file, u"UPDATE t SET 金額 = 1000 WHERE 番号 = 1"_s));
    QVERIFY(Pelora::execute(c.file, u"INSERT INTO t (番号) VALUES (5)"_s));
    QCOMPARE(g->text(Col金額), QString());
    g->refresh();
    QCOMPARE(g->model()->rowCount(), 5);
    QCOMPARE(g->row(), 0);
    QCOMPARE(g->text(Col金額), u"1,000"_s);
}

void TestControls::gridAfterColEditForEveryTypedEntry()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    QSignalSpy edits(g, &DataGrid::afterColEdit);

    op::typeCell(g, 1, Col名前, u"佐藤"_s);
    QCOMPARE(edits.count(), 1);
    QCOMPARE(edits.at(0).at(0).toInt(), 1);
    QCOMPARE(edits.at(0).at(1).toInt(), int(Col名前));
    QCOMPARE(c.model->value(1, Col名前).toString(), u"佐藤"_s);

    // Typing the text the cell already holds is an edit all the same.
    op::typeCell(g, 1, Col名前, u"佐藤"_s);
    QCOMPARE(edits.count(), 2);
    op::typeCell(g, 0, Col開始, u"0930"_s);
    QCOMPARE(edits.count(), 3);
    QCOMPARE(edits.last().at(1).toInt(), int(Col開始));

    // Opening the editor and leaving with Enter changes nothing, in any kind of column.
    for (int row : {0, 1}) {
        for (int column : {Col番号, Col日付, Col開始, Col時間, Col金額, Col名前}) {
            QLineEdit *editor = openEditor(g, row, column);
            QVERIFY2(editor, qPrintable(u"no editor at %1,%2"_s.arg(row).arg(column)));
            QTest::keyClick(editor, Qt::Key_Return);
            QCOMPARE(edits.count(), 3);
        }
    }
    QCOMPARE(c.model->value(0, Col日付).toString(), u"2007-04-30"_s);
    QCOMPARE(c.model->value(0, Col金額).toDouble(), 8333.33);

    op::typeCell(g, 0, Col金額, u"9000"_s);
    QCOMPARE(edits.count(), 4);
    QCOMPARE(edits.last().at(1).toInt(), int(Col金額));
}

void TestControls::gridTakesEveryKeyThatStartsAValue_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("taken");
    QTest::newRow("a date") << int(Col日付) << u"20070430"_s << u"20070430"_s;
    QTest::newRow("a time") << int(Col開始) << u"0930"_s << u"0930"_s;
    QTest::newRow("minus") << int(Col金額) << u"-500"_s << u"-500"_s;
    QTest::newRow("plus") << int(Col金額) << u"+5"_s << u"+5"_s;
    QTest::newRow("point") << int(Col時間) << u".5"_s << u".5"_s;
    QTest::newRow("full-width digits") << int(Col金額) << u"９００"_s << u"９００"_s;
    QTest::newRow("full-width minus") << int(Col金額) << u"－５"_s << u"－５"_s;
    QTest::newRow("text") << int(Col名前) << u"abc"_s << u"abc"_s;
}

void TestControls::gridTakesEveryKeyThatStartsAValue()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, taken);
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    // Each key straight to whatever has the focus, as a keyboard sends it: first
    // right after a click on the cell that is already current, then on a cell
    // just reached with the arrow keys.
    for (int row : {1, 2}) {
        op::selectCell(g, row, column);
        if (row == 1)
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->currentIndex()).center());
        for (QChar key : typed)
            op::type(QApplication::focusWidget(), QString(key));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(c.model->value(row, column).toString(), taken);
    }
}

void TestControls::gridTickBoxIsCentred()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    const QRect cell = g->visualRect(c.model->index(0, Col選択));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 3, cell.center().y()));
    QCOMPARE(c.model->value(0, Col選択).toInt(), 0);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(c.model->value(0, Col選択).toInt(), 1);

    // The drawn box: its marks lie around the middle of the cell.
    op::selectCell(g, 2, Col名前);
    const QImage shot = g->viewport()->grab(cell).toImage();
    QRect marks;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 160)
                marks |= QRect(x, y, 1, 1);
    QVERIFY(!marks.isEmpty());
    QVERIFY2(std::abs(marks.center().x() - shot.width() / 2) <= 2, qPrintable(QString::number(marks.center().x())));
}

void TestControls::gridLeavingARowWritesIt()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    op::typeCell(g, 2, Col名前, u"鈴木"_s, Qt::Key_Tab);
    op::selectCell(g, 0, Col名前);
    const auto rows = c.stored(u"名前"_s);
    QVERIFY(rows.at(1).value(1).isNull());
    QCOMPARE(rows.at(2).value(1).toString(), u"鈴木"_s);
}

void TestControls::gridKeyDownCanConsumeAKey()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    QSignalSpy edits(g, &DataGrid::afterColEdit);
    QList<std::pair<int, Qt::KeyboardModifiers>> seen;
    bool consume = false;
    QObject::connect(g, &DataGrid::keyDown, g, [&](GridKey *key) {
        seen.append({key->key, key->modifiers});
        if (consume && (key->key == Qt::Key_Return || key->key == Qt::Key_Delete))
            key->consumed = true;
    });

    // Not consumed: Enter moves to the next column.
    op::selectCell(g, 0, Col日付);
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(g->col(), int(Col開始));
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.last().first, int(Qt::Key_Return));

    consume = true;
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(g->col(), int(Col開始));
    QCOMPARE(g->row(), 0);

    op::selectCell(g, 0, Col金額);
    QTest::keyClick(g, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(seen.last().first, int(Qt::Key_Delete));
    QCOMPARE(seen.last().second, Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(g->value(Col金額).toDouble(), 8333.33);
    QCOMPARE(edits.count(), 0);

    // Enter that commits a cell editor goes through the same handler.
    const qsizetype before = seen.size();
    op::typeCell(g, 1, Col名前, u"高橋"_s);
    QCOMPARE(seen.size(), before + 2); // F2 on the grid, then Enter in the editor
    QCOMPARE(seen.at(before).first, int(Qt::Key_F2));
    QCOMPARE(seen.last().first, int(Qt::Key_Return));
    QCOMPARE(g->col(), int(Col名前));
    QCOMPARE(edits.count(), 1);
}

void TestControls::gridDeleteKeyEmptiesACell()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;
    QSignalSpy edits(g, &DataGrid::afterColEdit);

    op::selectCell(g, 0, Col金額);
    QTest::keyClick(g, Qt::Key_Delete);
    QCOMPARE(edits.count(), 1);
    QCOMPARE(edits.at(0).at(0).toInt(), 0);
    QCOMPARE(edits.at(0).at(1).toInt(), int(Col金額));
    QVERIFY(g->value(Col金額).isNull());
    QCOMPARE(g->text(Col金額), QString());

    // An empty cell stays empty without another edit.
    QTest::keyClick(g, Qt::Key_Delete);
    QCOMPARE(edits.count(), 1);

    QVERIFY(g->commitPending());
    QVERIFY(c.stored(u"金額"_s).at(0).value(1).isNull());
    QCOMPARE(c.stored(u"名前"_s).at(0).value(1).toString(), u"山田"_s);
}

void TestControls::gridDateAndTimeEditors()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    DataGrid *g = c.grid;

    // A stored date opens in its mask as the operator typed it.
    QLineEdit *editor = openEditor(g, 0, Col日付);
    QVERIFY(editor);
    QVERIFY(!editor->inputMask().isEmpty());
    QCOMPARE(editor->text(), u"2007/04/30"_s);
    QVERIFY(!editor->testAttribute(Qt::WA_InputMethodEnabled));
    QTest::keyClick(editor, Qt::Key_Escape);

    editor = openEditor(g, 0, Col開始);
    QVERIFY(editor);
    QVERIFY(!editor->inputMask().isEmpty());
    QCOMPARE(editor->text(), u"09:30"_s);
    QTest::keyClick(editor, Qt::Key_Escape);

    op::typeCell(g, 1, Col日付, u"20070501"_s);
    QCOMPARE(c.model->value(1, Col日付).toString(), u"20070501"_s);
    QCOMPARE(c.model->displayText(1, Col日付), u"2007/05/01"_s);
    op::typeCell(g, 1, Col開始, u"0815"_s);
    QCOMPARE(c.model->value(1, Col開始).toString(), u"0815"_s);
    QCOMPARE(c.model->displayText(1, Col開始), u"8:15"_s);

    // A short entry hands over its digits alone, never the mask's separators or blanks.
    op::typeCell(g, 2, Col日付, u"2007"_s);
    QCOMPARE(c.model->value(2, Col日付).toString(), u"2007"_s);
    op::typeCell(g, 2, Col開始, u"9"_s);
    QCOMPARE(c.model->value(2, Col開始).toString(), u"9"_s);

    QVERIFY(g->commitPending());
    const auto rows = c.stored(u"日付, 開始"_s);
    QCOMPARE(rows.at(1).value(1).toString(), u"20070501"_s);
    QCOMPARE(rows.at(1).value(2).toString(), u"0815"_s);
}

void TestControls::nameComboFocusSignals()
{
    ControlWindow c;
    QVERIFY(c.exposed());
    NameCombo *n = c.name;
    n->addItems({u"佐藤"_s, u"山田花子"_s});
    QSignalSpy got(n, &NameCombo::gotFocus);
    QSignalSpy lost(n, &NameCombo::lostFocus);

    op::focus(n);
    QCOMPARE(got.count(), 1);
    QCOMPARE(lost.count(), 0);
    op::focus(c.other);
    QCOMPARE(lost.count(), 1);

    op::fill(n, u"山田花子"_s);
    QCOMPARE(n->currentText(), u"山田花子"_s);
    QCOMPARE(got.count(), 2);
    QCOMPARE(lost.count(), 2);

    // Its own list popping up and closing again is no change of focus.
    op::focus(n);
    QCOMPARE(got.count(), 3);
    n->showPopup();
    QApplication::processEvents();
    QVERIFY(n->view()->isVisible());
    n->hidePopup();
    QApplication::processEvents();
    QCOMPARE(got.count(), 3);
    QCOMPARE(lost.count(), 2);
    QVERIFY(n->hasFocus());
    op::focus(c.other);
    QCOMPARE(lost.count(), 3);

    n->clear();
    QCOMPARE(n->count(), 0);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
