#include "controls/formats.h"
#include "controls/numbertext.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

// Display formats and number reading, as the fields, the grids and the
// statement show and take yen, hours, times and dates.
class TestFormats : public QObject
{
    Q_OBJECT

private slots:
    void number_data();
    void number();
    void value_data();
    void value();
    void date_data();
    void date();
    void longDate_data();
    void longDate();
    void parse_data();
    void parse();
    void plain_data();
    void plain();
    void plainReadsBackAsTheSameNumber_data();
    void plainReadsBackAsTheSameNumber();
};

void TestFormats::number_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("shown");

    const QString yen = u"#,###"_s;
    QTest::newRow("yen: zero shows nothing") << 0.0 << yen << QString();
    QTest::newRow("yen: small") << 5.0 << yen << u"5"_s;
    QTest::newRow("yen: three digits, no comma") << 999.0 << yen << u"999"_s;
    QTest::newRow("yen: first comma") << 1000.0 << yen << u"1,000"_s;
    QTest::newRow("yen: millions") << 1234567.0 << yen << u"1,234,567"_s;
    QTest::newRow("yen: fraction rounded down") << 8333.33 << yen << u"8,333"_s;
    QTest::newRow("yen: half rounds away from zero") << 0.5 << yen << u"1"_s;
    QTest::newRow("yen: 1.5") << 1.5 << yen << u"2"_s;
    QTest::newRow("yen: 2.5 (not to even)") << 2.5 << yen << u"3"_s;
    QTest::newRow("yen: rounding carries into a comma") << 999.5 << yen << u"1,000"_s;
    QTest::newRow("yen: negative") << -1500.0 << yen << u"-1,500"_s;
    QTest::newRow("yen: negative half away from zero") << -0.5 << yen << u"-1"_s;
    QTest::newRow("yen: negative rounds") << -1234.5 << yen << u"-1,235"_s;
    QTest::newRow("yen: negative below a half shows nothing") << -0.4 << yen << QString();
    QTest::newRow("yen: wage times hours") << 7.5 * 1000 + 0.4999 << yen << u"7,500"_s;
    // No magnitude decides a half: only the digits the value reads as.
    QTest::newRow("yen: below a half at ten million") << 9999999.49 << yen << u"9,999,999"_s;
    QTest::newRow("yen: just below a half at a million") << 1234567.4991 << yen << u"1,234,567"_s;
    QTest::newRow("yen: a half carries into a new digit") << 9999999.5 << yen << u"10,000,000"_s;
    QTest::newRow("yen: negative below a half at ten million") << -9999999.49 << yen << u"-9,999,999"_s;
    QTest::newRow("yen: 0.1 + 0.2 kept as it reads") << (0.1 + 0.2) * 10 << yen << u"3"_s;

    const QString hours = u"#,###.0"_s;
    QTest::newRow("hours: zero") << 0.0 << hours << u".0"_s;
    QTest::newRow("hours: half") << 0.5 << hours << u".5"_s;
    QTest::newRow("hours: 7.5") << 7.5 << hours << u"7.5"_s;
    QTest::newRow("hours: 8 1/3") << 8.3333 << hours << u"8.3"_s;
    QTest::newRow("hours: a half of a tenth, large") << 9999.95 << hours << u"10,000.0"_s;
    QTest::newRow("hours: below a half of a tenth, large") << 1234.549 << hours << u"1,234.5"_s;
    QTest::newRow("hours: whole") << 8.0 << hours << u"8.0"_s;
    QTest::newRow("hours: grouped") << 1234.56 << hours << u"1,234.6"_s;
    QTest::newRow("hours: 7.45 rounds up") << 7.45 << hours << u"7.5"_s;
    QTest::newRow("hours: 0.05 rounds up") << 0.05 << hours << u".1"_s;
    QTest::newRow("hours: carries into the units") << 9.96 << hours << u"10.0"_s;
    QTest::newRow("hours: minutes as hours") << 445.0 / 60 << hours << u"7.4"_s;
    QTest::newRow("hours: negative") << -7.5 << hours << u"-7.5"_s;
    QTest::newRow("hours: negative fraction") << -0.25 << hours << u"-.3"_s;
    // A value that rounds to zero shows no sign (a line and a break cancelling leave -5e-17).
    QTest::newRow("hours: negative, rounds to zero") << -0.04 << hours << u".0"_s;
    QTest::newRow("hours: a sum that cancels") << -5e-17 << hours << u".0"_s;

    const QString time = u"##:##"_s;
    QTest::newRow("time: 930") << 930.0 << time << u"9:30"_s;
    QTest::newRow("time: 1730") << 1730.0 << time << u"17:30"_s;
    QTest::newRow("time: half past midnight") << 30.0 << time << u"0:30"_s;
    QTest::newRow("time: five past midnight") << 5.0 << time << u"0:05"_s;
    QTest::newRow("time: midnight") << 0.0 << time << u"0:00"_s;
    QTest::newRow("time: 2400") << 2400.0 << time << u"24:00"_s;

    QTest::newRow("forced digits") << 7.0 << u"####0"_s << u"7"_s;
    QTest::newRow("forced digits, zero") << 0.0 << u"####0"_s << u"0"_s;
    QTest::newRow("two forced digits") << 5.0 << u"#00"_s << u"05"_s;
    QTest::newRow("grouped millions") << 12345678.0 << u"#,###,###"_s << u"12,345,678"_s;
}

void TestFormats::number()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, shown);
    QCOMPARE(fmt::number(value, format), shown);
}

void TestFormats::value_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("shown");

    QTest::newRow("null") << QVariant() << u"#,###"_s << QString();
    QTest::newRow("typed null") << QVariant(QMetaType(QMetaType::Double)) << u"#,###"_s << QString();
    QTest::newRow("null time") << QVariant() << u"##:##"_s << QString();
    QTest::newRow("null hours") << QVariant() << u"#,###.0"_s << QString();
    QTest::newRow("empty text") << QVariant(QString()) << u"#,###.0"_s << QString();
    QTest::newRow("real") << QVariant(1234.0) << u"#,###"_s << u"1,234"_s;
    QTest::newRow("integer zero") << QVariant(0) << u"#,###"_s << QString();
    QTest::newRow("integer zero as hours") << QVariant(0) << u"#,###.0"_s << u".0"_s;
    QTest::newRow("numeric text") << QVariant(u"8333.33"_s) << u"#,###"_s << u"8,333"_s;
    QTest::newRow("stored time with its leading zero") << QVariant(u"0930"_s) << u"##:##"_s << u"9:30"_s;
    QTest::newRow("stored time before one") << QVariant(u"0030"_s) << u"##:##"_s << u"0:30"_s;
    QTest::newRow("stored midnight") << QVariant(u"0000"_s) << u"##:##"_s << u"0:00"_s;
    QTest::newRow("words stay as they are") << QVariant(u"未定"_s) << u"#,###"_s << u"未定"_s;
    QTest::newRow("half a number stays as it is") << QVariant(u"12a"_s) << u"#,###"_s << u"12a"_s;
}

void TestFormats::value()
{
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, shown);
    QCOMPARE(fmt::value(value, format), shown);
}

void TestFormats::date_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("stored date") << QVariant(u"2007-04-30"_s) << u"2007/04/30"_s;
    QTest::newRow("new year's day") << QVariant(u"2008-01-01"_s) << u"2008/01/01"_s;
    QTest::newRow("typed eight digits") << QVariant(u"20070430"_s) << u"2007/04/30"_s;
    QTest::newRow("QDate") << QVariant(QDate(2007, 4, 4)) << u"2007/04/04"_s;
    QTest::newRow("null") << QVariant() << QString();
    QTest::newRow("empty") << QVariant(QString()) << QString();
}

void TestFormats::date()
{
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QCOMPARE(fmt::date(value), shown);
}

void TestFormats::longDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leading zeros kept") << QDate(2007, 4, 4) << u"2007年04月04日"_s;
    QTest::newRow("two-digit month and day") << QDate(2007, 12, 31) << u"2007年12月31日"_s;
    QTest::newRow("leap day") << QDate(2008, 2, 29) << u"2008年02月29日"_s;
}

void TestFormats::longDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, shown);
    QCOMPARE(fmt::longDate(date), shown);
}

void TestFormats::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << u"1000"_s << true << 1000.0;
    QTest::newRow("zero") << u"0"_s << true << 0.0;
    QTest::newRow("leading zeros") << u"007"_s << true << 7.0;
    QTest::newRow("thousands comma") << u"1,234"_s << true << 1234.0;
    QTest::newRow("two commas") << u"1,234,567"_s << true << 1234567.0;
    QTest::newRow("comma and decimals") << u"1,234.5"_s << true << 1234.5;
    QTest::newRow("minus") << u"-5"_s << true << -5.0;
    QTest::newRow("plus") << u"+5"_s << true << 5.0;
    QTest::newRow("point first") << u".5"_s << true << 0.5;
    QTest::newRow("minus point first") << u"-.25"_s << true << -0.25;
    QTest::newRow("decimals") << u"7.5"_s << true << 7.5;
    QTest::newRow("surrounding blanks") << u" 12 "_s << true << 12.0;
    QTest::newRow("full-width digits") << u"１２３"_s << true << 123.0;
    QTest::newRow("full-width minus and point") << u"－１．５"_s << true << -1.5;
    QTest::newRow("full-width comma") << u"１，０００"_s << true << 1000.0;
    QTest::newRow("kana-mode minus") << u"ー５００"_s << true << -500.0;
    QTest::newRow("kana-mode comma and point") << u"１、０００。５"_s << true << 1000.5;

    QTest::newRow("comma in the wrong place") << u"1,23"_s << false << 0.0;
    QTest::newRow("four digits after a comma") << u"1,2345"_s << false << 0.0;
    QTest::newRow("comma first") << u",123"_s << false << 0.0;
    QTest::newRow("comma after the point") << u"1.234,5"_s << false << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("two points") << u"1.2.3"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blank") << u"   "_s << false << 0.0;
    QTest::newRow("double minus") << u"--1"_s << false << 0.0;
    QTest::newRow("plus minus") << u"+-1"_s << false << 0.0;
    QTest::newRow("sign alone") << u"-"_s << false << 0.0;
    QTest::newRow("point alone") << u"."_s << false << 0.0;
    QTest::newRow("trailing letter") << u"12a"_s << false << 0.0;
    QTest::newRow("exponent") << u"1e3"_s << false << 0.0;
    QTest::newRow("blank inside") << u"1 000"_s << false << 0.0;
    QTest::newRow("time with colon") << u"9:30"_s << false << 0.0;
    QTest::newRow("infinity") << u"inf"_s << false << 0.0;
    QTest::newRow("digits of another script") << u"١٢٣"_s << false << 0.0;
    QTest::newRow("kanji numerals") << u"百"_s << false << 0.0;
}

void TestFormats::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    double out = -4242;
    QCOMPARE(numbertext::parse(text, &out), accepted);
    if (accepted)
        QCOMPARE(out, value);
    else
        QCOMPARE(out, -4242.0); // a refused text leaves the caller's value alone
}

void TestFormats::plain_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal") << 7.5 << u"7.5"_s;
    QTest::newRow("whole") << 1000.0 << u"1000"_s;
    QTest::newRow("negative") << -20.0 << u"-20"_s;
    QTest::newRow("zero") << 0.0 << u"0"_s;
    QTest::newRow("negative zero") << -0.0 << u"0"_s;
    QTest::newRow("tenth") << 0.1 << u"0.1"_s;
    QTest::newRow("no grouping") << 12345678.0 << u"12345678"_s;
    QTest::newRow("no exponent") << 0.0000001 << u"0.0000001"_s;
    QTest::newRow("yen fraction") << 8333.33 << u"8333.33"_s;
}

void TestFormats::plain()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numbertext::plain(value), text);
}

void TestFormats::plainReadsBackAsTheSameNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("a third") << 1.0 / 3;
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2;
    QTest::newRow("445 minutes") << 445.0 / 60;
    QTest::newRow("large") << 9999999.99;
    QTest::newRow("negative") << -1234.5678;
}

void TestFormats::plainReadsBackAsTheSameNumber()
{
    QFETCH(double, value);
    double back = 0;
    QVERIFY(numbertext::parse(numbertext::plain(value), &back));
    QCOMPARE(back, value);
}

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
