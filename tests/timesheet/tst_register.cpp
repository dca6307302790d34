// Registering a time sheet (登録) as the operator does it: typing the header and
// the lines, pressing the button, answering the confirmation, then looking at
// the page and at the main file.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>

using namespace Qt::StringLiterals;
using sheet::Col日付, sheet::Col開始時間, sheet::Col終了時間, sheet::Col調整額, sheet::Col金額;

namespace {

const QString LineFields = u"行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額"_s;
const QString HeaderFields = u"氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計"_s;

// A stored value as comparable text: texts quoted, numbers plain, null as null,
// so that "0900" stored as a number would not pass for the text.
QString canon(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return u"null"_s;
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString() + u'\'';
    return QString::number(value.toDouble());
}

QStringList canon(const QList<QVariantList> &rows)
{
    QStringList out;
    for (const QVariantList &row : rows) {
        QStringList cells;
        for (const QVariant &value : row)
            cells.append(canon(value));
        out.append(cells.join(u'|'));
    }
    return out;
}

QStringList headers(const Pelora &app)
{
    return canon(app.mainRows(u"SELECT %1 FROM 時給ヘッダ ORDER BY 氏名, タイトル"_s.arg(HeaderFields)));
}

QStringList lines(const Pelora &app, const QString &name, const QString &title)
{
    return canon(app.mainRows(
        u"SELECT %1 FROM 時給明細 WHERE 氏名 = ? AND タイトル = ? ORDER BY 行番号"_s.arg(LineFields),
        {name, title}));
}

QStringList employees(const Pelora &app)
{
    return canon(app.mainRows(u"SELECT 氏名, 時給 FROM 従業員 ORDER BY 氏名"_s));
}

int count(const Pelora &app, const QString &table)
{
    return app.mainRows(u"SELECT count(*) FROM %1"_s.arg(table)).first().value(0).toInt();
}

void typeLine(DataGrid *grid, int row, const QString &date, const QString &start = {},
              const QString &end = {}, const QString &adjustment = {})
{
    op::typeCell(grid, row, Col日付, date);
    if (!start.isEmpty())
        op::typeCell(grid, row, Col開始時間, start);
    if (!end.isEmpty())
        op::typeCell(grid, row, Col終了時間, end);
    if (!adjustment.isEmpty())
        op::typeCell(grid, row, Col調整額, adjustment);
}

void typeHeader(FrmPelora *w, const QString &name, const QString &title, const QString &wage,
                const QString &breakHours)
{
    op::fill(ui::cmb氏名(w), name);
    op::fill(ui::txtタイトル(w), title);
    op::fill(ui::num時給(w), wage);
    op::fill(ui::num休憩(w), breakHours);
}

using Page = SheetPage;

void verifySamePage(const Page &now, const Page &before)
{
    QCOMPARE(now.name, before.name);
    QCOMPARE(now.title, before.title);
    QCOMPARE(now.fields, before.fields);
    QCOMPARE(now.lines, before.lines);
}

void verifyCleared(const Pelora &app)
{
    FrmPelora *w = app.w;
    QCOMPARE(ui::cmb氏名(w)->currentText(), QString());
    QCOMPARE(ui::txtタイトル(w)->text(), QString());
    for (NumberEdit *field : {ui::num時給(w), ui::num休憩(w), ui::num調整額(w), ui::num時間(w), ui::num合計(w)})
        QVERIFY2(field->isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(ui::dat明細(w)->storedRowCount(), sheet::LineCount);
    const auto work = app.workRows(u"SELECT 行番号, coalesce(日付, 開始時間, 終了時間, 時間, 時給, "
                                   u"調整額, 金額) FROM w明細 ORDER BY rowid"_s);
    QCOMPARE(work.size(), sheet::LineCount);
    for (int r = 0; r < sheet::LineCount; ++r) {
        QCOMPARE(work.at(r).value(0).toInt(), r + 1);
        QVERIFY2(work.at(r).value(1).isNull(), qPrintable(u"work line %1"_s.arg(r + 1)));
        for (int c = Col日付; c <= Col金額; ++c)
            QVERIFY(ui::dat明細(w)->value(r, c).isNull());
    }
}

} // namespace

class TestRegister : public QObject
{
    Q_OBJECT

private slots:
    void refusesAnEmptyKey_data();
    void refusesAnEmptyKey();
    void aKeyOfBlanksIsRegistered();
    void asksWithYesAsTheDefault();
    void answeringNoWritesNothing();
    void storesTheSheetAsShownInDateOrder();
    void linesOfOneDayKeepTheirScreenOrder();
    void overwritesTheWageOfAKnownEmployee();
    void registeringAgainReplacesTheSheet();
    void nameAndTitleTogetherMakeTheKey();
    void aSheetWithoutLinesStoresItsHeader();
    void registersWhatIsStillBeingTyped();
    void aStoredSheetNotReadIsReplacedOnlyWhenAgreed_data();
    void aStoredSheetNotReadIsReplacedOnlyWhenAgreed();
};

void TestRegister::refusesAnEmptyKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no name") << QString() << u"4月分"_s << u"氏名を記入してください。"_s << u"cmb氏名"_s;
    QTest::newRow("no name or title") << QString() << QString() << u"氏名を記入してください。"_s
                                      << u"cmb氏名"_s;
    QTest::newRow("no title") << u"山田花子"_s << QString() << u"タイトルを記入してください。"_s
                              << u"txtタイトル"_s;
}

void TestRegister::refusesAnEmptyKey()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Pelora app;
    QVERIFY(app.start());
    typeHeader(app.w, name, title, u"1000"_s, u"1"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    const Page before = sheetPage(app.w);

    op::click(ui::cmd登録(app.w));

    QVERIFY(verifyMissingKeyMessage(app, message, focus));
    verifySamePage(sheetPage(app.w), before);
    QCOMPARE(count(app, u"従業員"_s), 0);
    QCOMPARE(count(app, u"時給ヘッダ"_s), 0);
    QCOMPARE(count(app, u"時給明細"_s), 0);
}

void TestRegister::aKeyOfBlanksIsRegistered()
{
    Pelora app;
    QVERIFY(app.start());
    typeHeader(app.w, u"   "_s, u" "_s, u"900"_s, QString());
    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), 1);
    QCOMPARE(app.presenter.last().prompt, u"    を登録します。よろしいですか"_s);
    QCOMPARE(headers(app), QStringList{u"'   '|' '|900|null|null|null|null"_s});
    QCOMPARE(employees(app), QStringList{u"'   '|900"_s});
    verifyCleared(app);
}

void TestRegister::asksWithYesAsTheDefault()
{
    Pelora app;
    QVERIFY(app.start());
    typeHeader(app.w, u"山田花子"_s, u"2007年4月分"_s, u"1000"_s, u"1"_s);
    op::click(ui::cmd登録(app.w)); // nothing scripted: Enter takes the default button

    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest asked = app.presenter.last();
    QCOMPARE(asked.title, u"登録の確認"_s);
    QCOMPARE(asked.prompt, u"山田花子 を登録します。よろしいですか"_s);
    QCOMPARE(asked.icon, MessageRequest::Icon::Question);
    QCOMPARE(asked.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(asked.defaultButton, MessageRequest::Button::Yes);
    QCOMPARE(count(app, u"時給ヘッダ"_s), 1);
}

void TestRegister::answeringNoWritesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    typeHeader(app.w, u"山田花子"_s, u"2007年4月分"_s, u"1000"_s, u"1"_s);
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    typeLine(ui::Grid明細(app.w), 1, u"20070403"_s, u"1000"_s, u"1500"_s, u"200"_s);
    const Page before = sheetPage(app.w);
    QCOMPARE(before.fields.at(4).toDouble(), 11200.0); // the page did compute

    app.presenter.answerNo();
    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), 1);
    QCOMPARE(count(app, u"従業員"_s), 0);
    QCOMPARE(count(app, u"時給ヘッダ"_s), 0);
    QCOMPARE(count(app, u"時給明細"_s), 0);
    verifySamePage(sheetPage(app.w), before);
    QCOMPARE(ui::cmb氏名(app.w)->findText(u"山田花子"_s), -1);
}

void TestRegister::storesTheSheetAsShownInDateOrder()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    typeHeader(app.w, u"山田花子"_s, u"2007年4月分"_s, u"1000"_s, u"1"_s);
    typeLine(grid, 2, u"20070410"_s, u"0900"_s, u"1730"_s);        // line 3: the 10th
    typeLine(grid, 6, u"20070402"_s, u"1000"_s, u"1500"_s, u"300"_s); // line 7: the 2nd
    typeLine(grid, 4, u"20070405"_s, u"1300"_s, u"1800"_s);        // line 5: the 5th
    typeLine(grid, 0, u"20070401"_s, u"0900"_s);                   // a date, no amount
    // An amount typed over a line without times; typed amounts leave the totals alone.
    typeLine(grid, 8, u"20070420"_s);
    op::typeCell(grid, 8, Col金額, u"5000"_s);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 15800.0);
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 15.5);
    QCOMPARE(ui::num調整額(app.w)->value().toDouble(), 300.0);

    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), 1);
    // The totals as they were shown, not the sum of the stored amounts (20,800).
    QCOMPARE(headers(app), QStringList{u"'山田花子'|'2007年4月分'|1000|1|300|15.5|15800"_s});
    QCOMPARE(lines(app, u"山田花子"_s, u"2007年4月分"_s),
             (QStringList{
                 u"1|'2007-04-02'|'1000'|'1500'|4|1000|300|4300"_s,
                 u"2|'2007-04-05'|'1300'|'1800'|4|1000|null|4000"_s,
                 u"3|'2007-04-10'|'0900'|'1730'|7.5|1000|null|7500"_s,
                 u"4|'2007-04-20'|null|null|null|1000|null|5000"_s,
             }));
    QCOMPARE(count(app, u"時給明細"_s), 4);
    QCOMPARE(employees(app), QStringList{u"'山田花子'|1000"_s});
    verifyCleared(app);
    QVERIFY(ui::cmb氏名(app.w)->findText(u"山田花子"_s) >= 0);
}

void TestRegister::linesOfOneDayKeepTheirScreenOrder()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    typeHeader(app.w, u"佐藤"_s, u"5月"_s, u"1000"_s, QString());
    typeLine(grid, 5, u"20070507"_s, u"1300"_s, u"1400"_s);
    typeLine(grid, 1, u"20070507"_s, u"0900"_s, u"1000"_s);
    typeLine(grid, 3, u"20070506"_s, u"0800"_s, u"0900"_s);
    typeLine(grid, 8, u"20070507"_s, u"1800"_s, u"1900"_s);
    op::click(ui::cmd登録(app.w));

    QStringList starts;
    for (const auto &row : app.mainRows(u"SELECT 開始時間 FROM 時給明細 ORDER BY 行番号"_s))
        starts.append(row.value(0).toString());
    QCOMPARE(starts, (QStringList{u"0800"_s, u"0900"_s, u"1300"_s, u"1800"_s}));
}

void TestRegister::overwritesTheWageOfAKnownEmployee()
{
    Pelora app;
    QVERIFY(app.start()); // the first start creates the files
    app.stop();
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s,
                            {u"鈴木一郎"_s, 850}));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s,
                            {u"鈴木"_s, 700}));
    QVERIFY(app.start());

    // Leaving the name field brings the known wage; the operator raises it.
    op::fill(ui::cmb氏名(app.w), u"鈴木一郎"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 850.0);
    op::fill(ui::txtタイトル(app.w), u"4月"_s);
    op::fill(ui::num時給(app.w), u"1100"_s);
    op::click(ui::cmd登録(app.w));

    QCOMPARE(employees(app), (QStringList{u"'鈴木'|700"_s, u"'鈴木一郎'|1100"_s}));
    QCOMPARE(headers(app), QStringList{u"'鈴木一郎'|'4月'|1100|null|null|null|null"_s});
}

void TestRegister::registeringAgainReplacesTheSheet()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    typeHeader(app.w, u"山田花子"_s, u"4月"_s, u"1000"_s, u"1"_s);
    typeLine(grid, 0, u"20070402"_s, u"0900"_s, u"1700"_s);
    typeLine(grid, 1, u"20070403"_s, u"0900"_s, u"1700"_s);
    typeLine(grid, 2, u"20070404"_s, u"0900"_s, u"1700"_s);
    op::click(ui::cmd登録(app.w));
    const auto first = app.mainRows(u"SELECT rowid FROM 時給ヘッダ"_s);
    QCOMPARE(first.size(), 1);
    QCOMPARE(count(app, u"時給明細"_s), 3);

    // The page was not read from the stored sheet: replacing it takes a second Yes.
    typeHeader(app.w, u"山田花子"_s, u"4月"_s, u"1200"_s, QString());
    typeLine(grid, 4, u"20070430"_s, u"1000"_s, u"1200"_s);
    app.presenter.clear();
    app.presenter.answerYes();
    app.presenter.answerYes();
    op::click(ui::cmd登録(app.w));
    QCOMPARE(app.presenter.shown.size(), 2);
    QCOMPARE(app.presenter.last().prompt, u"山田花子「4月」は登録済みです（3 行、合計 21,000 円、登録 %1 %2）。\n上書きしますか"_s
                                              .arg(QDate::currentDate().toString(u"yyyy/MM/dd"_s),
                                                   QSysInfo::machineHostName()));

    const auto second = app.mainRows(u"SELECT rowid FROM 時給ヘッダ"_s);
    QCOMPARE(second.size(), 1);
    QCOMPARE(second.first().value(0), first.first().value(0));
    QCOMPARE(headers(app), QStringList{u"'山田花子'|'4月'|1200|null|0|2|2400"_s});
    QCOMPARE(lines(app, u"山田花子"_s, u"4月"_s),
             QStringList{u"1|'2007-04-30'|'1000'|'1200'|2|1200|null|2400"_s});
    QCOMPARE(count(app, u"時給明細"_s), 1);
    QCOMPARE(employees(app), QStringList{u"'山田花子'|1200"_s});
}

void TestRegister::nameAndTitleTogetherMakeTheKey()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    const QList<std::tuple<QString, QString, QString>> sheets{
        {u"山田"_s, u"4月"_s, u"0900"_s},
        {u"佐藤"_s, u"4月"_s, u"1000"_s},
        {u"山田"_s, u"5月"_s, u"1100"_s},
    };
    for (const auto &[name, title, start] : sheets) {
        typeHeader(app.w, name, title, u"1000"_s, QString());
        typeLine(grid, 0, u"20070402"_s, start, u"1800"_s);
        op::click(ui::cmd登録(app.w));
    }
    QCOMPARE(count(app, u"時給ヘッダ"_s), 3);
    QCOMPARE(count(app, u"時給明細"_s), 3);
    QCOMPARE(employees(app), (QStringList{u"'佐藤'|1000"_s, u"'山田'|1000"_s}));
    for (const auto &[name, title, start] : sheets) {
        const auto stored = app.mainRows(
            u"SELECT 行番号, 開始時間 FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, {name, title});
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().value(0).toInt(), 1);
        QCOMPARE(stored.first().value(1).toString(), start);
    }
}

void TestRegister::aSheetWithoutLinesStoresItsHeader()
{
    Pelora app;
    QVERIFY(app.start());
    typeHeader(app.w, u"山田花子"_s, u"4月"_s, u"1000"_s, u"1"_s);
    // Lines that are not filled: a date without amount, times without a date.
    typeLine(ui::Grid明細(app.w), 0, u"20070402"_s);
    op::typeCell(ui::Grid明細(app.w), 3, Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(app.w), 3, Col終了時間, u"1700"_s);
    op::click(ui::cmd登録(app.w));

    QCOMPARE(headers(app), QStringList{u"'山田花子'|'4月'|1000|1|0|7|7000"_s});
    QCOMPARE(count(app, u"時給明細"_s), 0);
    verifyCleared(app);
}

void TestRegister::registersWhatIsStillBeingTyped()
{
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    typeHeader(app.w, u"山田花子"_s, u"4月"_s, u"1000"_s, u"1"_s);
    typeLine(grid, 0, u"20070402"_s, u"0900"_s);
    // The end time is typed but not committed when the button is pressed.
    op::selectCell(grid, 0, Col終了時間);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    op::type(editor, u"1700"_s);
    op::click(ui::cmd登録(app.w));

    QCOMPARE(headers(app), QStringList{u"'山田花子'|'4月'|1000|1|0|7|7000"_s});
    QCOMPARE(lines(app, u"山田花子"_s, u"4月"_s),
             QStringList{u"1|'2007-04-02'|'0900'|'1700'|7|1000|null|7000"_s});

    // A wage typed into its field and not yet left.
    typeHeader(app.w, u"山田花子"_s, u"5月"_s, u"1000"_s, QString());
    op::focus(ui::num時給(app.w));
    QTest::keyClick(ui::num時給(app.w), Qt::Key_A, Qt::ControlModifier);
    op::type(ui::num時給(app.w), u"1300"_s);
    op::click(ui::cmd登録(app.w));
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 時給ヘッダ WHERE タイトル = '5月'"_s).first().value(0).toDouble(),
             1300.0);
    QCOMPARE(employees(app), QStringList{u"'山田花子'|1300"_s});
}

void TestRegister::aStoredSheetNotReadIsReplacedOnlyWhenAgreed_data()
{
    QTest::addColumn<QString>("how");   // how the page came to name the key
    QTest::addColumn<QString>("title"); // the title registered under
    QTest::addColumn<bool>("replace");  // the answer to the second question
    QTest::addColumn<QString>("told");  // what the second question says is stored; empty: none asked
    const QString today = QDate::currentDate().toString(u"yyyy/MM/dd"_s);
    const QString march =
        u"佐藤 健「3月分」は登録済みです（3 行、合計 21,000 円、登録 %1 %2）"_s.arg(today, QSysInfo::machineHostName());
    const QString april = u"佐藤 健「4月分」は登録済みです（0 行、合計 0 円）"_s; // written by another program: no date
    QTest::newRow("typed anew, いいえ") << u"typed"_s << u"3月分"_s << false << march;
    QTest::newRow("typed anew, はい") << u"typed"_s << u"3月分"_s << true << march;
    QTest::newRow("typed anew, a title not stored") << u"typed"_s << u"5月分"_s << true << QString();
    QTest::newRow("read and edited") << u"read"_s << u"3月分"_s << true << QString();
    QTest::newRow("read, then another stored title") << u"read"_s << u"4月分"_s << false << april;
    QTest::newRow("read, then a title not stored") << u"read"_s << u"5月分"_s << true << QString();
    // Another program deleted the sheet after it was read (changed on another computer: tst_server).
    QTest::newRow("read, deleted elsewhere, はい")
        << u"read, deleted"_s << u"3月分"_s << true << u"佐藤 健「3月分」は、この入力の間に削除されています"_s;
}

void TestRegister::aStoredSheetNotReadIsReplacedOnlyWhenAgreed()
{
    QFETCH(QString, how);
    QFETCH(QString, title);
    QFETCH(bool, replace);
    QFETCH(QString, told);
    Pelora app;
    QVERIFY(app.start());
    DataGrid *grid = ui::Grid明細(app.w);
    typeHeader(app.w, u"佐藤 健"_s, u"3月分"_s, u"1000"_s, u"1"_s);
    for (int r = 0; r < 3; ++r)
        typeLine(grid, r, u"2025030%1"_s.arg(r + 3), u"0900"_s, u"1700"_s);
    op::click(ui::cmd登録(app.w));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 時給ヘッダ (氏名, タイトル) VALUES ('佐藤 健', '4月分')"_s));
    QStringList stored = headers(app);
    QStringList march = lines(app, u"佐藤 健"_s, u"3月分"_s);
    QCOMPARE(march.size(), 3);

    if (how.startsWith(u"read"_s)) {
        op::fill(ui::cmb氏名(app.w), u"佐藤 健"_s);
        op::fill(ui::txtタイトル(app.w), u"3月分"_s);
        op::click(ui::cmd読込(app.w));
        if (how.endsWith(u"deleted"_s)) {
            QVERIFY(Pelora::execute(app.paths.MainDbPath, u"DELETE FROM 時給ヘッダ WHERE タイトル = '3月分'"_s));
            stored = headers(app);
        }
    } else {
        typeHeader(app.w, u"佐藤 健"_s, u"3月分"_s, u"1080"_s, QString());
    }
    typeLine(grid, 0, u"20250401"_s, u"1300"_s, u"1500"_s);
    op::fill(ui::txtタイトル(app.w), title);
    const Page typed = sheetPage(app.w);
    app.presenter.clear();
    app.presenter.answerYes();
    app.presenter.script.append(replace ? MessageRequest::Button::Yes : MessageRequest::Button::No);
    op::click(ui::cmd登録(app.w));

    QCOMPARE(app.presenter.shown.size(), told.isEmpty() ? 1 : 2);
    QCOMPARE(app.presenter.shown.first().prompt, u"佐藤 健 を登録します。よろしいですか"_s);
    if (!told.isEmpty()) {
        const MessageRequest asked = app.presenter.last();
        QCOMPARE(asked.title, u"上書きの確認"_s);
        QCOMPARE(asked.prompt, told + u"。\n上書きしますか"_s);
        QCOMPARE(asked.buttons, MessageRequest::Buttons::YesNo);
        QCOMPARE(asked.defaultButton, MessageRequest::Button::No);
    }
    if (!replace) { // nothing stored changes, the page keeps what was typed
        QCOMPARE(headers(app), stored);
        QCOMPARE(lines(app, u"佐藤 健"_s, u"3月分"_s), march);
        verifySamePage(sheetPage(app.w), typed);
        return;
    }
    verifyCleared(app);
    // What the page held: the lines read and the one typed over the first, or the one typed.
    const QStringList now = lines(app, u"佐藤 健"_s, title);
    QCOMPARE(now.size(), how.startsWith(u"read"_s) ? 3 : 1);
    QVERIFY2(now.last().startsWith(u"%1|'2025-04-01'|'1300'|'1500'|"_s.arg(now.size())), qPrintable(now.last()));
    if (title != u"3月分"_s) // the March sheet stays as it was
        QCOMPARE(lines(app, u"佐藤 健"_s, u"3月分"_s), march);
}

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
