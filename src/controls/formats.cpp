#include "controls/formats.h"

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

double roundHalfAway(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // The small nudge absorbs binary representation error (7.45 is 7.4499…).
    const double scaled = std::abs(value) * scale;
    const double rounded = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled));
    return std::copysign(rounded / scale, value);
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

    const double rounded = roundHalfAway(value, decimals);
    const double magnitude = std::abs(rounded);
    const double whole = std::floor(magnitude);

    QString integerDigits = whole == 0 ? QString() : QString::number(whole, 'f', 0);
    while (integerDigits.size() < forcedDigits)
        integerDigits.prepend(u'0');
    if (grouped)
        integerDigits = groupThousands(integerDigits);

    QString text = integerDigits;
    if (point >= 0) {
        QString fraction;
        if (decimals > 0) {
            const double scaled = std::llround((magnitude - whole) * std::pow(10.0, decimals));
            fraction = QString::number(qint64(scaled)).rightJustified(decimals, u'0');
        }
        text += u'.' + fraction;
    }
    if (rounded < 0 && !text.isEmpty())
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
