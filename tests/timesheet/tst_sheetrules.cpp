// The rules of a time-sheet line, value by value: what a typed date, time or
// number becomes, how hours and amounts follow, and in which order one
// committed edit sets them off.
#include "timesheet/premiums.h"
#include "timesheet/sheetrules.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;
using sheet::Line;

Q_DECLARE_METATYPE(sheet::Line)
Q_DECLARE_METATYPE(sheet::Premiums)

namespace {

QVariant opt(const std::optional<QString> &value)
{
    return value ? QVariant(*value) : QVariant();
}

QVariant opt(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant();
}

// A null expected value means "nothing"; numbers compare with a tolerance.
bool same(const QVariant &actual, const QVariant &expected)
{
    if (expected.isNull() || actual.isNull())
        return expected.isNull() == actual.isNull();
    if (expected.typeId() == QMetaType::Double || expected.typeId() == QMetaType::Int)
        return std::abs(actual.toDouble() - expected.toDouble()) < 1e-9
            && actual.typeId() != QMetaType::QString;
    return actual.typeId() == expected.typeId() && actual == expected;
}

QString show(const QVariant &v)
{
    if (v.isNull())
        return u"<null>"_s;
    return u"%1(%2)"_s.arg(v.toString(), QString::fromLatin1(v.typeName()));
}

Line lineOf(std::initializer_list<std::pair<int, QVariant>> cells)
{
    Line line;
    for (const auto &[column, value] : cells)
        line[column] = value;
    return line;
}

} // namespace

class TestSheetRules : public QObject
{
    Q_OBJECT

private slots:
    void checkDate_data();
    void checkDate();
    void checkTime_data();
    void checkTime();
    void checkNumber_data();
    void checkNumber();
    void minutesOfDay_data();
    void minutesOfDay();
    void lineHours_data();
    void lineHours();
    void lineAmount_data();
    void lineAmount();
    void afterColEdit_data();
    void afterColEdit();
    void nextDay_data();
    void nextDay();
    void registeredText_data();
    void registeredText();
    void premiums_data();
    void premiums();
};

void TestSheetRules::checkDate_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("end of february") << u"20070228"_s << QVariant(u"2007-02-28"_s);
    QTest::newRow("no 29th in 2007") << u"20070229"_s << QVariant();
    QTest::newRow("no 30th even in a leap year") << u"20080230"_s << QVariant();
    QTest::newRow("leap day") << u"20080229"_s << QVariant(u"2008-02-29"_s);
    QTest::newRow("1900 is no leap year") << u"19000229"_s << QVariant();
    QTest::newRow("2000 is a leap year") << u"20000229"_s << QVariant(u"2000-02-29"_s);
    QTest::newRow("first of january") << u"20070101"_s << QVariant(u"2007-01-01"_s);
    QTest::newRow("month 13") << u"20071301"_s << QVariant();
    QTest::newRow("month 00") << u"20070001"_s << QVariant();
    QTest::newRow("day 00") << u"20070400"_s << QVariant();
    QTest::newRow("april has 30 days") << u"20070431"_s << QVariant();
    QTest::newRow("7 digits") << u"2007043"_s << QVariant();
    QTest::newRow("9 digits") << u"200704301"_s << QVariant();
    QTest::newRow("letters") << u"2007ab30"_s << QVariant();
    QTest::newRow("all letters") << u"abcdefgh"_s << QVariant();
    QTest::newRow("slashes") << u"07/04/30"_s << QVariant();
    QTest::newRow("signed") << u"+2007043"_s << QVariant();
    QTest::newRow("empty") << QString() << QVariant();
}

void TestSheetRules::checkDate()
{
    QFETCH(QString, entry);
    QFETCH(QVariant, stored);
    const QVariant actual = opt(sheet::checkDate(entry));
    QVERIFY2(same(actual, stored), qPrintable(show(actual)));
}

void TestSheetRules::checkTime_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("kept");
    QTest::newRow("0930") << u"0930"_s << true;
    QTest::newRow("0000") << u"0000"_s << true;
    QTest::newRow("2359") << u"2359"_s << true;
    QTest::newRow("2400 end of day") << u"2400"_s << true;
    QTest::newRow("2401") << u"2401"_s << false;
    QTest::newRow("2460") << u"2460"_s << false;
    QTest::newRow("2500") << u"2500"_s << false;
    QTest::newRow("minute 60") << u"0960"_s << false;
    QTest::newRow("minute 75") << u"0975"_s << false;
    QTest::newRow("3 digits") << u"930"_s << false;
    QTest::newRow("5 digits") << u"09300"_s << false;
    QTest::newRow("with colon") << u"09:3"_s << false;
    QTest::newRow("letters") << u"ab30"_s << false;
    QTest::newRow("sign") << u"-930"_s << false;
    QTest::newRow("blanks") << u" 930"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestSheetRules::checkTime()
{
    QFETCH(QString, entry);
    QFETCH(bool, kept);
    const std::optional<QString> checked = sheet::checkTime(entry);
    QCOMPARE(checked.has_value(), kept);
    if (kept)
        QCOMPARE(*checked, entry); // leading zeros stay
}

void TestSheetRules::checkNumber_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("whole") << u"1000"_s << QVariant(1000.0);
    QTest::newRow("thousands") << u"1,234,567"_s << QVariant(1234567.0);
    QTest::newRow("decimal") << u"7.5"_s << QVariant(7.5);
    QTest::newRow("leading point") << u".5"_s << QVariant(0.5);
    QTest::newRow("negative") << u"-500"_s << QVariant(-500.0);
    QTest::newRow("plus") << u"+500"_s << QVariant(500.0);
    QTest::newRow("full-width digits") << u"１２００"_s << QVariant(1200.0);
    QTest::newRow("zero") << u"0"_s << QVariant(0.0);
    QTest::newRow("letters") << u"abc"_s << QVariant();
    QTest::newRow("digits and letters") << u"12a"_s << QVariant();
    QTest::newRow("misplaced comma") << u"12,34"_s << QVariant();
    QTest::newRow("two points") << u"1.2.3"_s << QVariant();
    QTest::newRow("sign alone") << u"-"_s << QVariant();
    QTest::newRow("point alone") << u"."_s << QVariant();
    QTest::newRow("exponent") << u"1e3"_s << QVariant();
    QTest::newRow("yen sign") << u"¥100"_s << QVariant();
}

void TestSheetRules::checkNumber()
{
    QFETCH(QString, entry);
    QFETCH(QVariant, value);
    const QVariant actual = opt(sheet::checkNumber(entry));
    QVERIFY2(same(actual, value), qPrintable(show(actual)));
}

void TestSheetRules::minutesOfDay_data()
{
    QTest::addColumn<QVariant>("time");
    QTest::addColumn<QVariant>("minutes");
    QTest::newRow("0930") << QVariant(u"0930"_s) << QVariant(570);
    QTest::newRow("0000") << QVariant(u"0000"_s) << QVariant(0);
    QTest::newRow("2359") << QVariant(u"2359"_s) << QVariant(1439);
    QTest::newRow("2400") << QVariant(u"2400"_s) << QVariant(1440);
    QTest::newRow("minute 60 is no time") << QVariant(u"0960"_s) << QVariant();
    QTest::newRow("2430 is no time") << QVariant(u"2430"_s) << QVariant();
    QTest::newRow("empty text") << QVariant(QString()) << QVariant();
    QTest::newRow("null") << QVariant() << QVariant();
}

void TestSheetRules::minutesOfDay()
{
    QFETCH(QVariant, time);
    QFETCH(QVariant, minutes);
    const std::optional<int> actual = sheet::minutesOfDay(time);
    QCOMPARE(actual.has_value(), !minutes.isNull());
    if (actual)
        QCOMPARE(*actual, minutes.toInt());
}

void TestSheetRules::lineHours_data()
{
    QTest::addColumn<QVariant>("start");
    QTest::addColumn<QVariant>("end");
    QTest::addColumn<QVariant>("pause");
    QTest::addColumn<QVariant>("hours");
    const QVariant none;
    QTest::newRow("0900-1730 break 1") << QVariant(u"0900"_s) << QVariant(u"1730"_s) << QVariant(1.0)
                                       << QVariant(7.5);
    QTest::newRow("0900-1720 break 0") << QVariant(u"0900"_s) << QVariant(u"1720"_s) << QVariant(0.0)
                                       << QVariant(500.0 / 60.0);
    QTest::newRow("0900-1700 no break") << QVariant(u"0900"_s) << QVariant(u"1700"_s) << none
                                        << QVariant(8.0);
    QTest::newRow("end before start ends the next day") << QVariant(u"2200"_s) << QVariant(u"0200"_s) << none
                                                        << QVariant(4.0);
    QTest::newRow("past midnight less break") << QVariant(u"2200"_s) << QVariant(u"0200"_s) << QVariant(1.0)
                                              << QVariant(3.0);
    QTest::newRow("0000 as an end is midnight") << QVariant(u"2200"_s) << QVariant(u"0000"_s) << none
                                                << QVariant(2.0);
    QTest::newRow("whole day") << QVariant(u"0000"_s) << QVariant(u"2400"_s) << none << QVariant(24.0);
    QTest::newRow("night shift evening part") << QVariant(u"2200"_s) << QVariant(u"2400"_s) << none
                                              << QVariant(2.0);
    QTest::newRow("night shift morning part") << QVariant(u"0000"_s) << QVariant(u"0500"_s) << none
                                              << QVariant(5.0);
    QTest::newRow("same time") << QVariant(u"0900"_s) << QVariant(u"0900"_s) << QVariant(1.0)
                               << QVariant(-1.0);
    QTest::newRow("break as typed text") << QVariant(u"0900"_s) << QVariant(u"1800"_s) << QVariant(u"2"_s)
                                         << QVariant(7.0);
    QTest::newRow("no end") << QVariant(u"0900"_s) << none << QVariant(1.0) << none;
    QTest::newRow("no start") << none << QVariant(u"1700"_s) << none << none;
    QTest::newRow("end is no time") << QVariant(u"0900"_s) << QVariant(u"1760"_s) << none << none;
}

void TestSheetRules::lineHours()
{
    QFETCH(QVariant, start);
    QFETCH(QVariant, end);
    QFETCH(QVariant, pause);
    QFETCH(QVariant, hours);
    const QVariant actual = opt(sheet::lineHours(start, end, pause));
    QVERIFY2(same(actual, hours), qPrintable(show(actual)));
}

void TestSheetRules::lineAmount_data()
{
    QTest::addColumn<QVariant>("hours");
    QTest::addColumn<QVariant>("wage");
    QTest::addColumn<QVariant>("adjustment");
    QTest::addColumn<QVariant>("amount");
    const QVariant none;
    QTest::newRow("with adjustment") << QVariant(7.5) << QVariant(1000.0) << QVariant(500.0)
                                     << QVariant(8000.0);
    QTest::newRow("without adjustment") << QVariant(500.0 / 60.0) << QVariant(1000.0) << none
                                        << QVariant(500000.0 / 60.0);
    QTest::newRow("negative adjustment") << QVariant(4.0) << QVariant(1000.0) << QVariant(-1500.0)
                                         << QVariant(2500.0);
    QTest::newRow("negative hours") << QVariant(-21.0) << QVariant(1000.0) << none << QVariant(-21000.0);
    QTest::newRow("zero wage") << QVariant(8.0) << QVariant(0.0) << QVariant(300.0) << QVariant(300.0);
    QTest::newRow("no hours") << none << QVariant(1000.0) << QVariant(500.0) << none;
    QTest::newRow("no wage") << QVariant(8.0) << none << QVariant(500.0) << none;
}

void TestSheetRules::lineAmount()
{
    QFETCH(QVariant, hours);
    QFETCH(QVariant, wage);
    QFETCH(QVariant, adjustment);
    QFETCH(QVariant, amount);
    const QVariant actual = opt(sheet::lineAmount(hours, wage, adjustment));
    QVERIFY2(same(actual, amount), qPrintable(show(actual)));
}

// One committed edit: the line before, the column edited (its cell holding the
// raw entry), the header, and the whole line after plus whether the totals are asked for.
void TestSheetRules::afterColEdit_data()
{
    QTest::addColumn<Line>("before");
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("headerWage");
    QTest::addColumn<QVariant>("headerBreak");
    QTest::addColumn<Line>("after");
    QTest::addColumn<bool>("totals");

    using namespace sheet;
    const QVariant none;
    const QVariant w1000(1000.0);

    QTest::newRow("start time on a fresh line takes the header wage")
        << lineOf({{Col行番号, 1}, {Col開始時間, u"0900"_s}}) << int(Col開始時間) << w1000 << none
        << lineOf({{Col行番号, 1}, {Col開始時間, u"0900"_s}, {Col時給, 1000.0}}) << true;
    QTest::newRow("end time completes hours and amount")
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1730"_s}, {Col時給, 1000.0}, {Col調整額, 500.0}})
        << int(Col終了時間) << w1000 << QVariant(1.0)
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1730"_s}, {Col時間, 7.5}, {Col時給, 1000.0},
                   {Col調整額, 500.0}, {Col金額, 8000.0}})
        << true;
    QTest::newRow("wage default comes before the amount")
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}}) << int(Col終了時間) << QVariant(1200.0)
        << none
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時間, 8.0}, {Col時給, 1200.0},
                   {Col金額, 9600.0}})
        << true;
    QTest::newRow("a wage of 0 is kept")
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時給, 0.0}}) << int(Col終了時間)
        << w1000 << none
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時間, 8.0}, {Col時給, 0.0},
                   {Col金額, 0.0}})
        << true;
    QTest::newRow("a line's own wage is kept")
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1000"_s}, {Col時給, 900.0}}) << int(Col開始時間)
        << w1000 << none
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1000"_s}, {Col時間, 1.0}, {Col時給, 900.0},
                   {Col金額, 900.0}})
        << true;
    QTest::newRow("no header wage, no default")
        << lineOf({{Col開始時間, u"0900"_s}}) << int(Col開始時間) << none << none
        << lineOf({{Col開始時間, u"0900"_s}}) << true;
    QTest::newRow("invalid time emptied, hours kept")
        << lineOf({{Col開始時間, u"0975"_s}, {Col終了時間, u"1700"_s}, {Col時間, 3.0}, {Col時給, 1000.0},
                   {Col金額, 3000.0}})
        << int(Col開始時間) << none << none
        << lineOf({{Col終了時間, u"1700"_s}, {Col時間, 3.0}, {Col時給, 1000.0}, {Col金額, 3000.0}}) << true;
    QTest::newRow("2400 ends the day")
        << lineOf({{Col開始時間, u"2200"_s}, {Col終了時間, u"2400"_s}, {Col時給, 1000.0}}) << int(Col終了時間)
        << none << none
        << lineOf({{Col開始時間, u"2200"_s}, {Col終了時間, u"2400"_s}, {Col時間, 2.0}, {Col時給, 1000.0},
                   {Col金額, 2000.0}})
        << true;
    QTest::newRow("emptied start keeps hours")
        << lineOf({{Col終了時間, u"1700"_s}, {Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, 8000.0}})
        << int(Col開始時間) << none << none
        << lineOf({{Col終了時間, u"1700"_s}, {Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, 8000.0}}) << true;
    QTest::newRow("hours by hand give the amount")
        << lineOf({{Col時間, u"4"_s}, {Col時給, 1000.0}, {Col調整額, 250.0}}) << int(Col時間) << none << none
        << lineOf({{Col時間, 4.0}, {Col時給, 1000.0}, {Col調整額, 250.0}, {Col金額, 4250.0}}) << true;
    QTest::newRow("hours by hand do not look at the times")
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時間, u"4"_s}, {Col時給, 1000.0}})
        << int(Col時間) << none << QVariant(1.0)
        << lineOf({{Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時間, 4.0}, {Col時給, 1000.0},
                   {Col金額, 4000.0}})
        << true;
    QTest::newRow("emptied adjustment becomes 0")
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}}) << int(Col調整額) << none << none
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}, {Col調整額, 0.0}, {Col金額, 8000.0}}) << true;
    QTest::newRow("emptied wage becomes 0 despite the header")
        << lineOf({{Col時間, 8.0}}) << int(Col時給) << w1000 << none
        << lineOf({{Col時間, 8.0}, {Col時給, 0.0}, {Col金額, 0.0}}) << true;
    QTest::newRow("emptied amount becomes 0, no totals")
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}}) << int(Col金額) << none << none
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, 0.0}}) << false;
    QTest::newRow("letters in the wage are emptied")
        << lineOf({{Col時間, 8.0}, {Col時給, u"abc"_s}}) << int(Col時給) << none << none
        << lineOf({{Col時間, 8.0}}) << true;
    QTest::newRow("letters in the wage, then the header's wage")
        << lineOf({{Col時間, 8.0}, {Col時給, u"abc"_s}}) << int(Col時給) << w1000 << none
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, 8000.0}}) << true;
    QTest::newRow("typed wage with commas")
        << lineOf({{Col時間, 2.0}, {Col時給, u"1,250"_s}}) << int(Col時給) << none << none
        << lineOf({{Col時間, 2.0}, {Col時給, 1250.0}, {Col金額, 2500.0}}) << true;
    QTest::newRow("negative adjustment")
        << lineOf({{Col時間, 2.0}, {Col時給, 1000.0}, {Col調整額, u"-300"_s}}) << int(Col調整額) << none
        << none << lineOf({{Col時間, 2.0}, {Col時給, 1000.0}, {Col調整額, -300.0}, {Col金額, 1700.0}})
        << true;
    QTest::newRow("amount by hand is not recomputed")
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, u"7777"_s}}) << int(Col金額) << none << none
        << lineOf({{Col時間, 8.0}, {Col時給, 1000.0}, {Col金額, 7777.0}}) << false;
    QTest::newRow("date kept, nothing computed")
        << lineOf({{Col日付, u"20070228"_s}, {Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s}, {Col時給, 1000.0}})
        << int(Col日付) << none << none
        << lineOf({{Col日付, u"2007-02-28"_s}, {Col開始時間, u"0900"_s}, {Col終了時間, u"1700"_s},
                   {Col時給, 1000.0}})
        << false;
    QTest::newRow("invalid date emptied")
        << lineOf({{Col日付, u"20070229"_s}}) << int(Col日付) << none << none << lineOf({}) << false;
    QTest::newRow("date still takes the header wage")
        << lineOf({{Col日付, u"20070401"_s}}) << int(Col日付) << w1000 << none
        << lineOf({{Col日付, u"2007-04-01"_s}, {Col時給, 1000.0}}) << false;
    QTest::newRow("emptied date stays empty")
        << lineOf({{Col日付, QString()}}) << int(Col日付) << none << none << lineOf({}) << false;
}

void TestSheetRules::afterColEdit()
{
    QFETCH(Line, before);
    QFETCH(int, column);
    QFETCH(QVariant, headerWage);
    QFETCH(QVariant, headerBreak);
    QFETCH(Line, after);
    QFETCH(bool, totals);
    Line line = before;
    QCOMPARE(sheet::afterColEdit(line, column, {headerWage, headerBreak}), totals);
    for (int c = 0; c < int(line.size()); ++c)
        QVERIFY2(same(line[c], after[c]),
                 qPrintable(u"column %1: %2, expected %3"_s.arg(c).arg(show(line[c]), show(after[c]))));
}

void TestSheetRules::nextDay_data()
{
    QTest::addColumn<QVariant>("date");
    QTest::addColumn<QVariant>("next");
    QTest::newRow("month end") << QVariant(u"2007-04-30"_s) << QVariant(u"2007-05-01"_s);
    QTest::newRow("mid month") << QVariant(u"2007-04-10"_s) << QVariant(u"2007-04-11"_s);
    QTest::newRow("year end") << QVariant(u"2007-12-31"_s) << QVariant(u"2008-01-01"_s);
    QTest::newRow("to the leap day") << QVariant(u"2008-02-28"_s) << QVariant(u"2008-02-29"_s);
    QTest::newRow("from the leap day") << QVariant(u"2008-02-29"_s) << QVariant(u"2008-03-01"_s);
    QTest::newRow("no leap day in 2007") << QVariant(u"2007-02-28"_s) << QVariant(u"2007-03-01"_s);
    QTest::newRow("empty") << QVariant(QString()) << QVariant();
    QTest::newRow("null") << QVariant() << QVariant();
    QTest::newRow("the last day eight digits can hold") << QVariant(u"9999-12-31"_s) << QVariant();
}

void TestSheetRules::nextDay()
{
    QFETCH(QVariant, date);
    QFETCH(QVariant, next);
    const QVariant actual = opt(sheet::nextDay(date));
    QVERIFY2(same(actual, next), qPrintable(show(actual)));
}

void TestSheetRules::registeredText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QVariant>("total");
    QTest::addColumn<QVariant>("registered");
    QTest::addColumn<QString>("text");
    QTest::newRow("a month") << u"山田 花子"_s << u"2025年3月分"_s << 22 << QVariant(52800.0)
                             << QVariant(u"2025-03-31 18:02:11"_s)
                             << u"山田 花子「2025年3月分」は登録済みです（22 行、合計 52,800 円、登録 2025/03/31）"_s;
    QTest::newRow("no total stored, registered by an earlier version")
        << u"林"_s << u"4月"_s << 0 << QVariant() << QVariant() << u"林「4月」は登録済みです（0 行、合計 0 円）"_s;
    QTest::newRow("a total below zero, rounded") << u"A"_s << u"x"_s << 1 << QVariant(-1234.5) << QVariant()
                                                 << u"A「x」は登録済みです（1 行、合計 -1,235 円）"_s;
    QTest::newRow("a name like an argument") << u"%1"_s << u"%2"_s << 60 << QVariant(u"9999999"_s) << QVariant()
                                             << u"%1「%2」は登録済みです（60 行、合計 9,999,999 円）"_s;
}

void TestSheetRules::registeredText()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(int, lines);
    QFETCH(QVariant, total);
    QFETCH(QVariant, registered);
    QFETCH(QString, text);
    QCOMPARE(sheet::registeredText(name, title, lines, total, registered), text);
}

QTEST_APPLESS_MAIN(TestSheetRules)
#include "tst_sheetrules.moc"

// A sheet's lines typed one by one as "mm-dd hhmm-hhmm" of 2007 (1 April was a
// Sunday), " 休日" marking the legal rest day, then the premiums of all of
// them; each line's hours, 深夜, 時間外, 割増 and 金額, and the sheet's 割増 and
// 合計 as shown. Empty lists of premiums: the line has none (null).
void TestSheetRules::premiums_data()
{
    using L = QList<double>;
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<double>("breakHours");
    QTest::addColumn<double>("wage");
    QTest::addColumn<sheet::Premiums>("settings");
    QTest::addColumn<L>("hours");
    QTest::addColumn<L>("night");
    QTest::addColumn<L>("overtime");
    QTest::addColumn<L>("premium");
    QTest::addColumn<L>("amount");
    QTest::addColumn<QVariant>("totalPremium");
    QTest::addColumn<double>("total");

    sheet::Premiums on;
    on.on = true;
    auto with = [&on](auto change) {
        sheet::Premiums p = on;
        change(p);
        return p;
    };
    // The worked examples: wage 1,000.
    QTest::newRow("0900-1700 break 1") << QStringList{u"04-02 0900-1700"_s} << 1.0 << 1000.0 << on << L{7}
                                       << L{0} << L{0} << L{0} << L{7000} << QVariant(0.0) << 7000.0;
    QTest::newRow("0900-1900 break 1: one hour beyond 8")
        << QStringList{u"04-02 0900-1900"_s} << 1.0 << 1000.0 << on << L{9} << L{0} << L{1} << L{250} << L{9250}
        << QVariant(250.0) << 9250.0;
    QTest::newRow("1800-2300: one hour of night") << QStringList{u"04-02 1800-2300"_s} << 0.0 << 1000.0 << on << L{5}
                                                  << L{1} << L{0} << L{250} << L{5250} << QVariant(250.0) << 5250.0;
    QTest::newRow("2200-0500: all night") << QStringList{u"04-02 2200-0500"_s} << 0.0 << 1000.0 << on << L{7}
                                          << L{7} << L{0} << L{1750} << L{8750} << QVariant(1750.0) << 8750.0;
    QTest::newRow("1400-0200 break 1: overtime and night, the break off the day")
        << QStringList{u"04-02 1400-0200"_s} << 1.0 << 1000.0 << on << L{11} << L{4} << L{3} << L{1750}
        << L{12750} << QVariant(1750.0) << 12750.0;
    QTest::newRow("two lines of one date, the later typed first: its last hour is overtime")
        << QStringList{u"04-02 1300-1800"_s, u"04-02 0800-1200"_s} << 0.0 << 1000.0 << on << L{5, 4} << L{0, 0}
        << L{1, 0} << L{250, 0} << L{5250, 4000} << QVariant(250.0) << 9250.0;
    QTest::newRow("1000-1600 on the rest day") << QStringList{u"04-01 1000-1600 休日"_s} << 0.0 << 1000.0 << on
                                               << L{6} << L{0} << L{0} << L{2100} << L{8100} << QVariant(2100.0)
                                               << 8100.0;
    QTest::newRow("2200-0200 with premiums off: four hours, nothing more")
        << QStringList{u"04-02 2200-0200"_s} << 0.0 << 1000.0 << sheet::Premiums() << L{4} << L{} << L{} << L{}
        << L{4000} << QVariant() << 4000.0;

    // What the examples leave out.
    QTest::newRow("a break longer than the day's hours outside the night comes off the night")
        << QStringList{u"04-02 2200-0500"_s} << 1.0 << 1000.0 << on << L{6} << L{6} << L{0} << L{1500} << L{7500}
        << QVariant(1500.0) << 7500.0;
    QTest::newRow("the rest day at night: 35% and 25%")
        << QStringList{u"04-01 2200-0200 休日"_s} << 0.0 << 1000.0 << on << L{4} << L{4} << L{0} << L{2400}
        << L{6400} << QVariant(2400.0) << 6400.0;
    const QStringList sixDays{u"04-01 0900-1800"_s, u"04-02 0900-1800"_s, u"04-03 0900-1800"_s,
                              u"04-04 0900-1800"_s, u"04-05 0900-1800"_s, u"04-06 0900-1800"_s};
    QTest::newRow("a sixth day of 8 hours is beyond 40 a week")
        << sixDays << 1.0 << 1000.0 << on << L(6, 8) << L(6, 0) << L{0, 0, 0, 0, 0, 8} << L{0, 0, 0, 0, 0, 2000}
        << L{8000, 8000, 8000, 8000, 8000, 10000} << QVariant(2000.0) << 50000.0;
    QTest::newRow("44 hours a week") << sixDays << 1.0 << 1000.0 << with([](sheet::Premiums &p) { p.weeklyHours = 44; })
                                     << L(6, 8) << L(6, 0) << L{0, 0, 0, 0, 0, 4} << L{0, 0, 0, 0, 0, 1000}
                                     << L{8000, 8000, 8000, 8000, 8000, 9000} << QVariant(1000.0) << 49000.0;
    QTest::newRow("weeks from Monday: Sunday ends the week before")
        << sixDays << 1.0 << 1000.0 << with([](sheet::Premiums &p) { p.weekStart = Qt::Monday; }) << L(6, 8)
        << L(6, 0) << L(6, 0) << L(6, 0) << L(6, 8000) << QVariant(0.0) << 48000.0;
    QTest::newRow("daily overtime is not counted again in the week")
        << QStringList{u"04-01 0900-1900"_s, u"04-02 0900-1900"_s, u"04-03 0900-1900"_s, u"04-04 0900-1900"_s,
                       u"04-05 0900-1900"_s, u"04-06 0900-1800"_s}
        << 1.0 << 1000.0 << on << L{9, 9, 9, 9, 9, 8} << L(6, 0) << L{1, 1, 1, 1, 1, 8}
        << L{250, 250, 250, 250, 250, 2000} << L{9250, 9250, 9250, 9250, 9250, 10000} << QVariant(3250.0) << 56250.0;
    QTest::newRow("the rest day counts towards neither limit")
        << QStringList{u"04-02 0900-1800"_s, u"04-03 0900-1800"_s, u"04-04 0900-1800"_s, u"04-05 0900-1800"_s,
                       u"04-06 0900-1800"_s, u"04-07 0900-2000 休日"_s}
        << 1.0 << 1000.0 << on << L{8, 8, 8, 8, 8, 10} << L(6, 0) << L(6, 0) << L{0, 0, 0, 0, 0, 3500}
        << L{8000, 8000, 8000, 8000, 8000, 13500} << QVariant(3500.0) << 53500.0;
    // Eleven weekdays of 15 hours, five a week: 7 hours of overtime each, 60
    // reached four hours into the ninth.
    QStringList long15;
    for (const int day : {2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 16})
        long15.append(u"04-%1 0700-2200"_s.arg(day, 2, 10, QChar(u'0')));
    QTest::newRow("overtime beyond 60 hours in the sheet takes 50%")
        << long15 << 0.0 << 1000.0 << on << L(11, 15) << L(11, 0) << L(11, 7)
        << L{1750, 1750, 1750, 1750, 1750, 1750, 1750, 1750, 2500, 3500, 3500}
        << L{16750, 16750, 16750, 16750, 16750, 16750, 16750, 16750, 17500, 18500, 18500} << QVariant(23500.0)
        << 188500.0;
    QTest::newRow("rates as set") << QStringList{u"04-02 2100-0700"_s} << 0.0 << 1000.0
                                  << with([](sheet::Premiums &p) { p.overtime = 30, p.night = 40; }) << L{10}
                                  << L{7} << L{2} << L{3400} << L{13400} << QVariant(3400.0) << 13400.0;
    QTest::newRow("half a yen of premium in the total rounds up")
        << QStringList{u"04-02 1800-2300"_s} << 0.0 << 1002.0 << on << L{5} << L{1} << L{0} << L{250.5}
        << L{5260.5} << QVariant(251.0) << 5261.0;
}

void TestSheetRules::premiums()
{
    using namespace sheet;
    QFETCH(QStringList, typed);
    QFETCH(double, breakHours);
    QFETCH(double, wage);
    QFETCH(Premiums, settings);
    QFETCH(QList<double>, hours);
    QFETCH(QList<double>, night);
    QFETCH(QList<double>, overtime);
    QFETCH(QList<double>, premium);
    QFETCH(QList<double>, amount);
    QFETCH(QVariant, totalPremium);
    QFETCH(double, total);

    // As the page computes them: each line when its end is typed, then all of them.
    QList<Line> lines;
    for (const QString &entry : typed) {
        Line &line = lines.emplace_back();
        line[Col日付] = u"2007-"_s + entry.left(5);
        line[Col開始時間] = entry.mid(6, 4);
        line[Col終了時間] = entry.mid(11, 4);
        if (entry.endsWith(u"休日"_s))
            line[Col休日] = 1;
        sheet::afterColEdit(line, Col終了時間, {wage, breakHours, settings.on});
    }
    if (settings.on)
        sheet::applyPremiums(lines, settings);

    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        const auto check = [i](const QVariant &actual, const QList<double> &expected, const char *what) {
            const QVariant wanted = expected.isEmpty() ? QVariant() : QVariant(expected.at(i));
            QVERIFY2(same(actual, wanted), qPrintable(u"line %1 %2: %3"_s.arg(i).arg(QLatin1StringView(what), show(actual))));
        };
        check(line[Col時間], hours, "時間");
        check(line[Col深夜], night, "深夜");
        check(line[Col時間外], overtime, "時間外");
        check(line[Col割増], premium, "割増");
        check(line[Col金額], amount, "金額");
    }
    const Totals totals = settled(totalsOf(lines));
    QVERIFY2(same(totals.premium, totalPremium), qPrintable(show(totals.premium)));
    QVERIFY2(same(totals.amount, total), qPrintable(show(totals.amount)));
}
