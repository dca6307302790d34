#include "controls/numbertext.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace numbertext {

namespace {

QString normalised(const QString &text)
{
    QString n = text.normalized(QString::NormalizationForm_KC).trimmed();
    for (QChar &c : n) {
        switch (c.unicode()) {
        case 0x2212: case 0x30FC: case 0xFF70: c = u'-'; break; // − ー ｰ
        case 0x3001: c = u','; break; // 、
        case 0x3002: case 0xFF61: c = u'.'; break; // 。 ｡
        default: break;
        }
    }
    return n;
}

} // namespace

bool parse(const QString &text, double *out)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[-+]?(\\d{1,3}(,\\d{3})+|\\d+)?(\\.\\d+)?$"));
    const QString normalised = numbertext::normalised(text);
    if (normalised.isEmpty() || normalised.size() > 40)
        return false;
    const QRegularExpressionMatch match = pattern.match(normalised);
    if (!match.hasMatch() || (match.captured(1).isEmpty() && match.captured(3).isEmpty()))
        return false;
    QString digits = normalised;
    digits.remove(QLatin1Char(','));
    bool ok = false;
    const double value = QLocale::c().toDouble(digits, &ok);
    if (!ok || !std::isfinite(value))
        return false;
    if (out)
        *out = value;
    return true;
}

Typing typing(const QString &text, double minimum, double maximum, int decimals)
{
    // The beginnings of a number: plain digits, or thousands groups with the
    // last one still being typed, or complete groups; a point only after
    // complete groups.
    static const QRegularExpression beginning(QStringLiteral(
        "^([-+]?)([0-9]*|[0-9]{1,3}(?:,[0-9]{3})*,[0-9]{0,2}|[0-9]{1,3}(?:,[0-9]{3})+)(?:\\.([0-9]*))?$"));
    const QString n = normalised(text);
    const QRegularExpressionMatch match = beginning.match(n);
    if (n.size() > 40 || !match.hasMatch())
        return Typing::Invalid;
    const bool negative = match.captured(1) == u"-";
    const bool point = n.contains(u'.');
    if ((negative && minimum >= 0) || (point && decimals <= 0) || match.capturedLength(3) > decimals)
        return Typing::Invalid;
    // Digits typed so far set the least magnitude any ending can have; an
    // unfinished thousands group still lacks digits.
    QString whole = match.captured(2);
    const qsizetype lastComma = whole.lastIndexOf(u',');
    if (lastComma >= 0)
        whole += QString(3 - (whole.size() - lastComma - 1), u'0');
    whole.remove(u',');
    const double least = whole.isEmpty() ? 0 : QLocale::c().toDouble(whole);
    if ((negative && -least < minimum) || (!negative && least > maximum))
        return Typing::Invalid;
    double value = 0;
    if (parse(n, &value) && value >= minimum && value <= maximum)
        return Typing::Acceptable;
    return Typing::Intermediate;
}

QString plain(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace numbertext
