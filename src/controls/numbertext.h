#pragma once

#include <QString>

// Numbers as the operator types them and as they are shown for editing.
namespace numbertext {

// Digits with an optional sign, one decimal point and thousands commas;
// full-width digits and signs count as their ASCII twins. Anything else is no number.
bool parse(const QString &text, double *out);

// The shortest plain text that reads back as the same number ("7.5", "1000", "-20").
QString plain(double value);

} // namespace numbertext
