// Reading a registered time sheet back onto the page (読込): the header values
// and lines exactly as stored, whatever the page held before.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using sheet::Col日付, sheet::Col開始時間, sheet::Col終了時間, sheet::Col時間, sheet::Col時給,
    sheet::Col調整額, sheet::Col金額;

namespace {

void storeHeader(const Pelora &app, const QString &name, const QString &title, const QVariantList &values)
{
    QVariantList row{name, title};
    row.append(values);
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                            u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                            row));
}

// values: 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額
void storeLine(const Pelora &app, const QString &name, const QString &title, const QVariantList &values)
{
    QVariantList row{name, title};
    row.append(values);
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, "
                            u"時間, 時給, 調整額, 金額) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                            row));
}

void typeLine(DataGrid *grid, int row, const QString &date, const QString &start, const QString &end)
{
    op::typeCell(grid, row, Col日付, date);
    op::typeCell(grid, row, Col開始時間, start);
    op::typeCell(grid, row, Col終了時間, end);
}

void read(FrmPelora *w, const QString &name, const QString &title)
{
    op::fill(ui::cmb氏名(w), name);
    op::fill(ui::txtタイトル(w), title);
    op::click(ui::cmd読込(w));
}

QVariantList fieldValues(FrmPelora *w)
{
    QVariantList values;
    for (NumberEdit *field : {ui::num時給(w), ui::num休憩(w), ui::num調整額(w), ui::num時間(w), ui::num合計(w)})
        values.append(field->value());
    return values;
}

// A value as comparable text: texts quoted, numbers plain, null (of any type) as null.
QString canon(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return u"null"_s;
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString() + u'\'';
    return QString::number(value.toDouble());
}

// A grid line from the date to the amount.
QString gridLine(FrmPelora *w, int row)
{
    QStringList values;
    for (int c = Col日付; c <= Col金額; ++c)
        if (!sheet::isPremiumColumn(c))
            values.append(canon(ui::dat明細(w)->value(row, c)));
    return values.join(u'|');
}

bool blank(const QString &line)
{
    return line == u"null|null|null|null|null|null|null"_s;
}

// The work table behind the grid: 60 lines numbered 1 to 60 in screen order.
void verifyWorkLineNumbers(const Pelora &app)
{
    const auto numbers = app.workRows(u"SELECT 行番号 FROM w明細 ORDER BY rowid"_s);
    QCOMPARE(numbers.size(), sheet::LineCount);
    for (int r = 0; r < sheet::LineCount; ++r)
        QCOMPARE(numbers.at(r).value(0).toInt(), r + 1);
}

QList<QVariantList> storedSheets(const Pelora &app)
{
    QList<QVariantList> rows = app.mainRows(
        u"SELECT rowid, 氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計 FROM 時給ヘッダ ORDER BY rowid"_s);
    rows.append(app.mainRows(u"SELECT 氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, "
                             u"調整額, 金額 FROM 時給明細 ORDER BY 氏名, タイトル, 行番号"_s));
    return rows;
}

} // namespace

class TestRead : public QObject
{
    Q_OBJECT

private slots:
    void refusesAnEmptyKey_data();
    void refusesAnEmptyKey();
    void emptyHeaderValuesShowAsZero();
    void storedLinesTakeTheFirstGridLines();
    void anUnknownSheetEmptiesOnlyTheGrid();
    void showsWhatIsStoredWithoutComputing();
    void emptyTimesComeBackEmpty();
    void readingAndRegisteringAgainKeepsTheSheet();
};

void TestRead::refusesAnEmptyKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no name") << QString() << u"4月"_s << u"氏名を記入してください。"_s << u"cmb氏名"_s;
    QTest::newRow("no title") << u"山田"_s << QString() << u"タイトルを記入してください。"_s
                              << u"txtタイトル"_s;
}

void TestRead::refusesAnEmptyKey()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Pelora app;
    QVERIFY(app.start());
    // A stored sheet that an empty key would match were it looked up.
    const QString storedName = name.isNull() ? u""_s : name;
    const QString storedTitle = title.isNull() ? u""_s : title;
    storeHeader(app, storedName, storedTitle, {1500, 2, 0, 10, 15000});
    storeLine(app, storedName, storedTitle, {1, u"2007-04-02"_s, u"0900"_s, u"1900"_s, 8, 1500, 0, 12000});
    op::fill(ui::num時給(app.w), u"1000"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070403"_s, u"0900"_s, u"1000"_s);
    const QVariantList fields = fieldValues(app.w);
    const QString line = gridLine(app.w, 0);

    read(app.w, name, title);

    QVERIFY(verifyMissingKeyMessage(app, message, focus));
    QCOMPARE(fieldValues(app.w), fields);
    QCOMPARE(gridLine(app.w, 0), line);
    QCOMPARE(ui::dat明細(app.w)->value(0, Col開始時間).toString(), u"0900"_s);
}

void TestRead::emptyHeaderValuesShowAsZero()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"休憩なし"_s, {1000, QVariant(), 0, 8, 8000});
    storeHeader(app, u"山田"_s, u"空"_s, {QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});

    op::fill(ui::num休憩(app.w), u"2"_s);
    app.presenter.answerYes(); // the typed break goes
    read(app.w, u"山田"_s, u"休憩なし"_s);
    QCOMPARE(fieldValues(app.w), (QVariantList{1000.0, 0.0, 0.0, 8.0, 8000.0}));
    QVERIFY(!ui::num休憩(app.w)->isEmpty());

    read(app.w, u"山田"_s, u"空"_s); // a sheet read and not changed: no question
    QCOMPARE(fieldValues(app.w), (QVariantList{0.0, 0.0, 0.0, 0.0, 0.0}));
    QCOMPARE(ui::num時間(app.w)->text(), u".0"_s);
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(isDiscardQuestion(app.presenter.shown.first(), u"「入力シート」"_s));
}

void TestRead::storedLinesTakeTheFirstGridLines()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, {1000, 1, 0, 15, 15000});
    // Stored out of line order: the line number decides the grid line.
    storeLine(app, u"山田"_s, u"4月"_s, {3, u"2007-04-09"_s, u"1000"_s, u"1200"_s, 1, 1000, 0, 1000});
    storeLine(app, u"山田"_s, u"4月"_s, {1, u"2007-04-02"_s, u"0900"_s, u"1700"_s, 7, 1000, 0, 7000});
    storeLine(app, u"山田"_s, u"4月"_s, {2, u"2007-04-03"_s, u"0900"_s, u"1700"_s, 7, 1000, 0, 7000});
    // Another sheet of the same name must stay out of the grid.
    storeLine(app, u"山田"_s, u"5月"_s, {4, u"2007-05-01"_s, u"0900"_s, u"1700"_s, 7, 1000, 0, 7000});

    // The grid holds lines of its own, and one line fewer after 行削除.
    DataGrid *grid = ui::Grid明細(app.w);
    typeLine(grid, 0, u"20070301"_s, u"0800"_s, u"0900"_s);
    typeLine(grid, 4, u"20070305"_s, u"0800"_s, u"0900"_s);
    typeLine(grid, 58, u"20070330"_s, u"0800"_s, u"0900"_s);
    op::selectCell(grid, 10, Col日付);
    op::click(ui::cmd行削除(app.w));
    QCOMPARE(ui::dat明細(app.w)->storedRowCount(), sheet::LineCount - 1);

    app.presenter.answerYes();
    read(app.w, u"山田"_s, u"4月"_s);

    QCOMPARE(ui::dat明細(app.w)->storedRowCount(), sheet::LineCount);
    QCOMPARE(grid->model()->rowCount(), sheet::LineCount);
    verifyWorkLineNumbers(app);
    QCOMPARE(gridLine(app.w, 0), u"'2007-04-02'|'0900'|'1700'|7|1000|0|7000"_s);
    QCOMPARE(gridLine(app.w, 1), u"'2007-04-03'|'0900'|'1700'|7|1000|0|7000"_s);
    QCOMPARE(gridLine(app.w, 2), u"'2007-04-09'|'1000'|'1200'|1|1000|0|1000"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(2, Col日付), u"2007/04/09"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(2, Col開始時間), u"10:00"_s);
    for (int r = 3; r < sheet::LineCount; ++r)
        QVERIFY2(blank(gridLine(app.w, r)), qPrintable(u"grid line %1"_s.arg(r + 1)));
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田"_s);
    QCOMPARE(ui::txtタイトル(app.w)->text(), u"4月"_s);
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(isDiscardQuestion(app.presenter.shown.first(), u"「入力シート」"_s));
}

void TestRead::anUnknownSheetEmptiesOnlyTheGrid()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, {1000, 1, 0, 7, 7000});
    op::fill(ui::num時給(app.w), u"1200"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    typeLine(ui::Grid明細(app.w), 1, u"20070403"_s, u"0900"_s, u"1300"_s);
    op::typeCell(ui::Grid明細(app.w), 1, Col調整額, u"150"_s);
    const QVariantList fields = fieldValues(app.w);
    QCOMPARE(fields, (QVariantList{1200.0, 1.0, 150.0, 10.0, 12150.0}));

    // Neither the name alone nor the title alone names a sheet. The typed
    // lines go at the first read, once the operator agreed.
    app.presenter.answerYes();
    for (const auto &[name, title] : {std::pair{u"山田"_s, u"5月"_s}, std::pair{u"山田 "_s, u"4月"_s},
                                      std::pair{u"田中"_s, u"4月"_s}}) {
        read(app.w, name, title);
        QCOMPARE(fieldValues(app.w), fields);
        QCOMPARE(ui::cmb氏名(app.w)->currentText(), name);
        QCOMPARE(ui::txtタイトル(app.w)->text(), title);
        QCOMPARE(ui::dat明細(app.w)->storedRowCount(), sheet::LineCount);
        for (int r = 0; r < sheet::LineCount; ++r)
            QVERIFY2(blank(gridLine(app.w, r)), qPrintable(u"grid line %1"_s.arg(r + 1)));
        verifyWorkLineNumbers(app);
    }
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(isDiscardQuestion(app.presenter.shown.first(), u"「入力シート」"_s));
}

void TestRead::showsWhatIsStoredWithoutComputing()
{
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES ('山田', 800)"_s));
    // Totals that do not add up, a line whose hours and amount disagree with its times.
    storeHeader(app, u"山田"_s, u"4月"_s, {1100, 1, 250, 99.5, 123456});
    storeLine(app, u"山田"_s, u"4月"_s, {1, u"2007-04-02"_s, u"0900"_s, u"1700"_s, 3, 1100, 50, 999});
    storeLine(app, u"山田"_s, u"4月"_s, {2, u"2007-04-01"_s, u"0900"_s, u"1000"_s, 1, 900, QVariant(), 900});

    read(app.w, u"山田"_s, u"4月"_s);

    // The sheet's wage, not the master's; the stored totals, not a sum.
    QCOMPARE(fieldValues(app.w), (QVariantList{1100.0, 1.0, 250.0, 99.5, 123456.0}));
    QCOMPARE(ui::num合計(app.w)->text(), u"123,456"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"99.5"_s);
    QCOMPARE(gridLine(app.w, 0), u"'2007-04-02'|'0900'|'1700'|3|1100|50|999"_s);
    QCOMPARE(gridLine(app.w, 1), u"'2007-04-01'|'0900'|'1000'|1|900|null|900"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(0, Col金額), u"999"_s);
    QCOMPARE(ui::dat明細(app.w)->displayText(1, Col調整額), QString());
    QVERIFY(app.presenter.shown.isEmpty());
    // Reading writes nothing.
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 従業員"_s).first().value(0).toDouble(), 800.0);
}

void TestRead::emptyTimesComeBackEmpty()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, u"山田"_s, u"4月"_s, {1000, 0, 0, 0, 5000});
    storeLine(app, u"山田"_s, u"4月"_s, {1, u"2007-04-02"_s, QVariant(), QVariant(), QVariant(), 1000, QVariant(), 5000});
    storeLine(app, u"山田"_s, u"4月"_s, {2, u"2007-04-03"_s, u"0900"_s, QVariant(), QVariant(), 1000, QVariant(), 100});
    // The grid showed times on those lines before.
    typeLine(ui::Grid明細(app.w), 0, u"20070301"_s, u"0800"_s, u"0900"_s);
    typeLine(ui::Grid明細(app.w), 1, u"20070302"_s, u"0800"_s, u"0900"_s);

    app.presenter.answerYes();
    read(app.w, u"山田"_s, u"4月"_s);

    WorkTableModel *m = ui::dat明細(app.w);
    QVERIFY(m->value(0, Col開始時間).isNull());
    QVERIFY(m->value(0, Col終了時間).isNull());
    QVERIFY(m->value(0, Col時間).isNull());
    QCOMPARE(m->displayText(0, Col開始時間), QString());
    QCOMPARE(m->displayText(0, Col終了時間), QString());
    QCOMPARE(m->value(0, Col金額).toDouble(), 5000.0);
    QCOMPARE(m->value(1, Col開始時間).toString(), u"0900"_s);
    QVERIFY(m->value(1, Col終了時間).isNull());
    const auto work = app.workRows(u"SELECT 開始時間, 終了時間 FROM w明細 WHERE 行番号 = 1"_s);
    QVERIFY(work.first().value(0).isNull() && work.first().value(1).isNull());
}

void TestRead::readingAndRegisteringAgainKeepsTheSheet()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    op::fill(ui::cmb氏名(app.w), u"山田"_s);
    op::fill(ui::txtタイトル(app.w), u"4月"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    typeLine(grid, 5, u"20070410"_s, u"0900"_s, u"1730"_s);
    typeLine(grid, 1, u"20070402"_s, u"1000"_s, u"1500"_s);
    op::typeCell(grid, 1, Col調整額, u"300"_s);
    typeLine(grid, 3, u"20070405"_s, u"1300"_s, u"1800"_s);
    op::typeCell(grid, 7, Col日付, u"20070420"_s);
    op::typeCell(grid, 7, Col金額, u"5000"_s);
    op::click(ui::cmd登録(app.w));
    const QList<QVariantList> stored = storedSheets(app);
    QCOMPARE(stored.size(), 1 + 4);

    read(app.w, u"山田"_s, u"4月"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 15800.0);
    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), 2); // the two confirmations, nothing else
    QCOMPARE(storedSheets(app), stored);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), QString()); // registered and cleared
}

QTEST_MAIN(TestRead)
#include "tst_read.moc"
