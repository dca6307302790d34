#include "controls/formats.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace fmt {

namespace {

QString groupThousands(const QString &digits)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits.at(i);
    }
    return out;
}

// value rounded half away from zero to decimals places, as the decimal the
// value reads as (its shortest round-trip text: 7.45 is 7.45, not 7.4499…),
// so that no binary representation error and no magnitude decides a half.
// Returns the digits without sign or point, and the number of integer digits.
struct Decimal
{
    QString digits; // integer digits then exactly `decimals` fraction digits
    bool negative = false;
};

Decimal roundHalfAway(double value, int decimals)
{
    QString text = QLocale::c().toString(std::abs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(u'.');
    QString integer = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);
    const bool roundUp = fraction.size() > decimals && fraction.at(decimals) >= u'5';
    fraction = fraction.left(decimals).leftJustified(decimals, u'0');
    QString digits = integer + fraction;
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        for (; i >= 0 && digits.at(i) == u'9'; --i)
            digits[i] = u'0';
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits.at(i).unicode() + 1);
    }
    const bool zero = std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c == u'0'; });
    return {digits, value < 0 && !zero};
}

QString timeOfDay(double value)
{
    const long long n = std::llround(std::abs(value));
    const QString text = u"%1:%2"_s.arg(n / 100).arg(n % 100, 2, 10, QChar(u'0'));
    return value < 0 ? u'-' + text : text;
}

} // namespace

QString number(double value, QStringView format)
{
    if (!std::isfinite(value))
        return QString();
    if (format == u"##:##")
        return timeOfDay(value);

    const qsizetype point = format.indexOf(u'.');
    const QStringView integerPattern = point < 0 ? format : format.left(point);
    const QStringView fractionPattern = point < 0 ? QStringView() : format.mid(point + 1);
    const int decimals = int(fractionPattern.count(u'0') + fractionPattern.count(u'#'));
    const bool grouped = integerPattern.contains(u',');
    const int forcedDigits = int(integerPattern.count(u'0'));

    const Decimal rounded = roundHalfAway(value, decimals);
    QString integerDigits = rounded.digits.left(rounded.digits.size() - decimals);
    while (integerDigits.startsWith(u'0'))
        integerDigits.remove(0, 1);
    while (integerDigits.size() < forcedDigits)
        integerDigits.prepend(u'0');
    if (grouped)
        integerDigits = groupThousands(integerDigits);

    QString text = integerDigits;
    if (point >= 0)
        text += u'.' + rounded.digits.right(decimals);
    if (rounded.negative && !text.isEmpty())
        text.prepend(u'-');
    return text;
}

bool toDouble(const QVariant &value, double *out)
{
    if (value.isNull() || !value.isValid())
        return false;
    bool ok = false;
    double d = 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return false;
        d = text.toDouble(&ok);
    } else {
        d = value.toDouble(&ok);
    }
    if (ok && out)
        *out = d;
    return ok;
}

QString value(const QVariant &value, QStringView format)
{
    if (value.isNull() || !value.isValid())
        return QString();
    double d = 0;
    if (!toDouble(value, &d))
        return value.toString();
    return number(d, format);
}

QString date(const QVariant &value)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString();
    if (text.size() == 10 && text.at(4) == u'-' && text.at(7) == u'-')
        return text.left(4) + u'/' + text.mid(5, 2) + u'/' + text.mid(8, 2);
    if (text.size() == 8)
        return text.left(4) + u'/' + text.mid(4, 2) + u'/' + text.mid(6, 2);
    return text;
}

QString longDate(const QDate &date)
{
    return u"%1年%2月%3日"_s.arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

} // namespace fmt
