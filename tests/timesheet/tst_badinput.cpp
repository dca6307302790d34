// Typing mistakes by the thousand: random text (digits, letters, full-width
// digits, signs, separators, quotes, very long text) typed into every grid
// column and header field of the time sheet through the real editors. Nothing
// crashes, the work file never holds a date that is not a real day or a time
// that is not four digits between 0000 and 2400, and the totals are the sums
// of the lines. Names and titles that look like SQL never touch another sheet.
//
// The random generator starts from a run number (PELORA_INPUT_RUN repeats a run), which is printed.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace sheet;

namespace {

quint32 runNumberOf(quint32 fixed)
{
    return qEnvironmentVariableIsSet("PELORA_INPUT_RUN") ? quint32(qEnvironmentVariableIntValue("PELORA_INPUT_RUN"))
                                                          : fixed;
}

// What a hurried or careless operator types.
class Typist
{
public:
    explicit Typist(quint32 runNumber)
        : m_random(runNumber)
    {
    }

    QString next() { return entry(int(m_random.bounded(12))); }
    // Mostly the eight digits of a real day, now and then something else.
    QString dateLike()
    {
        if (m_random.bounded(2))
            return QDate(2000, 1, 1).addDays(m_random.bounded(15000)).toString(u"yyyyMMdd"_s);
        return entry(m_random.bounded(2) ? 1 + int(m_random.bounded(2)) : int(m_random.bounded(12)));
    }
    // Mostly an amount, now and then something else.
    QString amountLike()
    {
        if (m_random.bounded(4) == 0)
            return next();
        return digits(1 + m_random.bounded(6)) + (m_random.bounded(3) ? QString() : u"."_s + digits(1));
    }

    QString entry(int kind)
    {
        if (m_random.bounded(100) < 2)
            return longText();
        switch (kind) {
        case 0: return digits(m_random.bounded(13));
        case 1: // a date-like entry of eight digits, often just off the calendar
            return u"%1%2%3"_s.arg(m_random.bounded(10000), 4, 10, QChar(u'0'))
                .arg(m_random.bounded(14), 2, 10, QChar(u'0'))
                .arg(m_random.bounded(33), 2, 10, QChar(u'0'));
        case 2:
            return pick({u"99991231"_s, u"99991230"_s, u"00010101"_s, u"00000101"_s, u"20240229"_s,
                         u"20230229"_s, u"19000229"_s, u"20000229"_s, u"00000000"_s, u"99999999"_s,
                         u"20241231"_s, u"2024041"_s, u"202404011"_s});
        case 3: // times, the edges of the day among them
            if (m_random.bounded(2))
                return u"%1%2"_s.arg(m_random.bounded(26), 2, 10, QChar(u'0')).arg(m_random.bounded(62), 2, 10, QChar(u'0'));
            return pick({u"2400"_s, u"2401"_s, u"0000"_s, u"2359"_s, u"2360"_s, u"9999"_s, u"0060"_s, u"930"_s,
                         u"09300"_s, u"24"_s});
        case 4: return from(u"０１２３４５６７８９０１２３４５６７８９－＋．，：／　"_s, 1 + m_random.bounded(10));
        case 5: return from(u"0123456789+-.,/: "_s, 1 + m_random.bounded(12));
        case 6: return from(u"abcXYZ ÄéßＡＢＣあいうアイウ氏名時給𠮷😀\t"_s, 1 + m_random.bounded(10));
        case 7:
            return pick({u"'"_s, u"''"_s, u"\""_s, u"'; DROP TABLE w明細; --"_s, u"' OR '1'='1"_s, u"%"_s,
                         u"_"_s, u"\\"_s, u"1'); DELETE FROM 時給明細; --"_s, u"NULL"_s, u"0x10"_s, u"1e5"_s,
                         u"-0"_s, u"+0"_s, u".5"_s, u"5."_s, u"1.2.3"_s, u"--5"_s, u"+-1"_s, u"1,000"_s,
                         u"1,,0"_s, u",,,"_s, u"-"_s, u"."_s, u"１，０００"_s, u"－５"_s, u"1 000"_s,
                         u"９：３０"_s, u"2024/04/01"_s, u"12:30"_s, u"NaN"_s, u"inf"_s});
        case 8: return from(u"0123456789０１２３４５６７８９+-.,:/'\"; aあ"_s, m_random.bounded(21));
        case 9: return QString();
        case 10: // numbers far beyond any wage
            return (m_random.bounded(2) ? u"-"_s : QString()) + digits(10 + m_random.bounded(300));
        default: return digits(1 + m_random.bounded(6)) + pick({u"."_s, u","_s, QString()}) + digits(m_random.bounded(4));
        }
    }

    int bounded(int n) { return int(m_random.bounded(n)); }

private:
    QString digits(int n) { return from(u"0123456789"_s, n); }

    QString from(const QString &alphabet, int n)
    {
        // Whole code points, so a character outside the BMP stays one character.
        const QList<uint> points = alphabet.toUcs4();
        QList<char32_t> picked;
        for (int i = 0; i < n; ++i)
            picked.append(char32_t(points.at(m_random.bounded(points.size()))));
        return QString::fromUcs4(picked.constData(), picked.size());
    }

    QString pick(const QStringList &choices) { return choices.at(m_random.bounded(choices.size())); }

    QString longText()
    {
        return from(u"0123456789０１２３４５６７８９あいうえお漢字abc-+.,:'\" "_s, 200 + m_random.bounded(400));
    }

    QRandomGenerator m_random;
};

bool isEmpty(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty();
}

bool isRealDate(const QVariant &value)
{
    static const QRegularExpression form(u"^\\d{4}-\\d{2}-\\d{2}$"_s);
    const QString text = value.toString();
    return form.match(text).hasMatch() && QDate::fromString(text, Qt::ISODate).isValid();
}

bool isTime(const QVariant &value)
{
    static const QRegularExpression form(u"^\\d{4}$"_s);
    const QString text = value.toString();
    if (!form.match(text).hasMatch())
        return false;
    const int hour = text.left(2).toInt();
    const int minute = text.right(2).toInt();
    return minute < 60 && (hour < 24 || (hour == 24 && minute == 0));
}

// Every stored date a real day, every time four digits of the day, every
// amount a number: the faults as text, empty when there are none.
QStringList badLines(const QList<QVariantList> &rows)
{
    QStringList faults;
    for (const QVariantList &r : rows) {
        const QString line = u"line %1: "_s.arg(r.value(0).toString());
        if (!isEmpty(r.value(1)) && !isRealDate(r.value(1)))
            faults.append(line + u"date "_s + r.value(1).toString());
        for (int c : {2, 3})
            if (!isEmpty(r.value(c)) && !isTime(r.value(c)))
                faults.append(line + u"time "_s + r.value(c).toString());
        for (int c = 4; c <= 7; ++c)
            if (r.value(c + 4).toString() != u"real"_s && r.value(c + 4).toString() != u"integer"_s
                && r.value(c + 4).toString() != u"null"_s)
                faults.append(line + u"number stored as %1: %2"_s.arg(r.value(c + 4).toString(), r.value(c).toString()));
    }
    return faults;
}

const QString LinesQuery = u"SELECT 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, typeof(時間), "
                           u"typeof(時給), typeof(調整額), typeof(金額) FROM %1"_s;

double sumOrZero(const QVariant &value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void randomTypingLeavesOnlyRealDatesTimesAndTotals();
    void enterAfterTheLastDayOfTheCalendar();
    void namesAndTitlesLikeSqlTouchNoOtherSheet();
};

void TestBadInput::randomTypingLeavesOnlyRealDatesTimesAndTotals()
{
    const quint32 runNumber = runNumberOf(20070404);
    qInfo().noquote() << u"run number %1 (PELORA_INPUT_RUN=%1 repeats this run)"_s.arg(runNumber);
    Typist typist(runNumber);
    Pelora app;
    QVERIFY(app.start());
    FrmPelora *w = app.w;
    const QList<QWidget *> header{ui::cmb氏名(w), ui::txtタイトル(w), ui::num時給(w), ui::num休憩(w),
                                   ui::num調整額(w), ui::num時間(w), ui::num合計(w)};
    const int columns[] = {Col日付, Col開始時間, Col終了時間, Col時間, Col時給, Col調整額, Col金額};

    const int entries = 2500;
    int typed = 0;
    for (int n = 1; n <= entries; ++n) {
        const QString text = typist.next();
        typed += int(text.size());
        if (typist.bounded(8) == 0) {
            op::fill(header.at(typist.bounded(int(header.size()))), text);
        } else {
            // A few lines only, so that edits meet on one line (a date then an
            // amount with Enter, which fills the next line's date).
            const int row = typist.bounded(6);
            const int column = columns[typist.bounded(7)];
            op::typeCell(ui::Grid明細(w), row, column, text,
                         typist.bounded(4) == 0 ? Qt::Key_Tab : Qt::Key_Return);
        }
        if (n % 250 == 0 || n == entries) {
            ui::Grid明細(w)->commitPending();
            const QStringList faults = badLines(app.workRows(LinesQuery.arg(u"w明細"_s)));
            QVERIFY2(faults.isEmpty(), qPrintable(u"after %1 entries: "_s.arg(n) + faults.join(u"; "_s)));
        }
    }

    // Each line ends with a date and an amount typed, most of them sound.
    for (int row = 0; row < 12; ++row) {
        op::typeCell(ui::Grid明細(w), row, Col日付, typist.dateLike(), Qt::Key_Tab);
        op::typeCell(ui::Grid明細(w), row, Col金額, typist.amountLike(), Qt::Key_Tab);
    }
    ui::Grid明細(w)->commitPending();
    const QStringList faults = badLines(app.workRows(LinesQuery.arg(u"w明細"_s)));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));

    // The totals are the sums of the lines.
    ui::sheetPage(w)->Calc明細();
    const QVariantList sums = app.workRows(u"SELECT sum(時間), sum(調整額), sum(金額) FROM w明細"_s).value(0);
    QCOMPARE(ui::num時間(w)->value().toDouble(), sumOrZero(sums.value(0)));
    QCOMPARE(ui::num調整額(w)->value().toDouble(), sumOrZero(sums.value(1)));
    QCOMPARE(ui::num合計(w)->value().toDouble(), sumOrZero(sums.value(2)));

    // Registered, the sheet keeps what the lines hold, dates and times as sound.
    op::fill(ui::cmb氏名(w), u"山田花子"_s);
    op::fill(ui::txtタイトル(w), u"乱打"_s);
    const int filled = app.workRows(u"SELECT count(*) FROM w明細 WHERE 日付 IS NOT NULL AND 日付 <> '' "
                                    u"AND 金額 IS NOT NULL AND 金額 <> ''"_s)
                           .value(0)
                           .value(0)
                           .toInt();
    app.presenter.answerYes();
    op::click(ui::cmd登録(w));
    const auto stored = app.mainRows(LinesQuery.arg(u"時給明細"_s));
    QCOMPARE(int(stored.size()), filled);
    QVERIFY2(badLines(stored).isEmpty(), qPrintable(badLines(stored).join(u"; "_s)));
    qInfo().noquote() << u"%1 entries, %2 characters typed, %3 lines registered"_s.arg(entries).arg(typed).arg(filled);
}

void TestBadInput::enterAfterTheLastDayOfTheCalendar()
{
    Pelora app;
    QVERIFY(app.start());
    op::typeCell(ui::Grid明細(app.w), 0, Col日付, u"99991231"_s);
    ui::Grid明細(app.w)->commitPending();
    QCOMPARE(app.workRows(u"SELECT 日付 FROM w明細 WHERE 行番号 = 1"_s).value(0).value(0).toString(), u"9999-12-31"_s);
    // Enter in the amount column fills the next line's date with the day after, when there is one.
    op::typeCell(ui::Grid明細(app.w), 0, Col金額, u"1000"_s);
    ui::Grid明細(app.w)->commitPending();
    const QVariant next = app.workRows(u"SELECT 日付 FROM w明細 WHERE 行番号 = 2"_s).value(0).value(0);
    QVERIFY2(next.isNull() || isRealDate(next), qPrintable(next.toString()));
    QVERIFY(ui::dat明細(app.w)->displayText(1, Col日付).size() <= 10);
}

void TestBadInput::namesAndTitlesLikeSqlTouchNoOtherSheet()
{
    const quint32 runNumber = runNumberOf(20070404);
    Typist typist(runNumber + 1);
    Pelora app;
    QVERIFY(app.start());
    FrmPelora *w = app.w;

    // Registers a sheet of one line whose amount tells it apart; returns the
    // name and title as the fields hold them (what the typing made of the text).
    auto registerSheet = [&](const QString &name, const QString &title, int amount) {
        op::fill(ui::cmb氏名(w), name);
        op::fill(ui::txtタイトル(w), title);
        op::typeCell(ui::Grid明細(w), 0, Col日付, u"20070401"_s);
        op::typeCell(ui::Grid明細(w), 0, Col金額, QString::number(amount), Qt::Key_Tab);
        const std::pair<QString, QString> key{ui::cmb氏名(w)->currentText(), ui::txtタイトル(w)->text()};
        app.presenter.answerYes();
        op::click(ui::cmd登録(w));
        return key;
    };
    auto sheetOf = [&](const std::pair<QString, QString> &key) {
        return std::pair{app.mainRows(u"SELECT * FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ?"_s,
                                      {key.first, key.second}),
                         app.mainRows(u"SELECT * FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s,
                                      {key.first, key.second})};
    };

    const auto plain = registerSheet(u"山田花子"_s, u"4月分"_s, 1000);
    const auto plainSheet = sheetOf(plain);
    QCOMPARE(plainSheet.first.size(), 1);

    const QStringList nasty{u"山田花子' OR '1'='1"_s, u"'; DELETE FROM 時給明細; --"_s, u"4月分'"_s,
                            u"\""_s, u"%"_s, u"_"_s, u" 山田花子"_s, u"山田花子 "_s, u"Robert'); DROP TABLE 従業員;--"_s};
    QList<std::pair<QString, QString>> keys;
    int amount = 2000;
    for (const QString &name : nasty) {
        keys.append(registerSheet(name, u"4月分"_s, ++amount));
        keys.append(registerSheet(u"山田花子"_s, name, ++amount));
    }
    for (int n = 0; n < 20; ++n) {
        const QString name = typist.next();
        const QString title = typist.next();
        if (name.trimmed().isEmpty() || title.trimmed().isEmpty())
            continue;
        keys.append(registerSheet(name, title, ++amount));
    }

    // The plain sheet is as it was; every other one is there once, with its own line.
    QCOMPARE(sheetOf(plain), plainSheet);
    QMap<std::pair<QString, QString>, int> expectedAmount;
    amount = 2000;
    for (const auto &key : keys)
        expectedAmount[key] = ++amount; // registering a key again replaces its sheet
    for (auto it = expectedAmount.cbegin(); it != expectedAmount.cend(); ++it) {
        const auto [headers, lines] = sheetOf(it.key());
        QVERIFY2(headers.size() == 1, qPrintable(it.key().first + u" / "_s + it.key().second));
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().value(9).toDouble(), double(it.value()));
    }
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(),
             int(expectedAmount.size()) + (expectedAmount.contains(plain) ? 0 : 1));

    // Deleting one of them deletes only that one.
    const auto victim = keys.at(1);
    op::fill(ui::cmb氏名(w), victim.first);
    op::fill(ui::txtタイトル(w), victim.second);
    app.presenter.answerYes();
    op::click(ui::cmd削除(w));
    QVERIFY(sheetOf(victim).first.isEmpty());
    QCOMPARE(sheetOf(plain), plainSheet);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(),
             int(expectedAmount.size()) + (expectedAmount.contains(plain) ? 0 : 1) - 1);
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
