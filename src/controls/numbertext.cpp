#include "controls/numbertext.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace numbertext {

bool parse(const QString &text, double *out)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[-+]?(\\d{1,3}(,\\d{3})+|\\d+)?(\\.\\d+)?$"));
    const QString normalised = text.normalized(QString::NormalizationForm_KC).trimmed();
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

QString plain(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace numbertext
