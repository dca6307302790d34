#pragma once

#include <QString>

// Numbers as the operator types them and as they are shown for editing.
namespace numbertext {

// Digits with an optional sign, one decimal point and thousands commas;
// full-width digits and signs count as their ASCII twins, and so do the minus,
// comma and full stop a Japanese input method gives in kana mode (ー 、 。).
// Anything else is no number.
bool parse(const QString &text, double *out);

// Where a text being typed into a field stands: Acceptable when it is a number
// within the range with no more decimals than allowed, Intermediate while more
// typing may still make it one ("-", "1,2", "7."), Invalid when none can.
enum class Typing { Invalid, Intermediate, Acceptable };
Typing typing(const QString &text, double minimum, double maximum, int decimals);

// The shortest plain text that reads back as the same number ("7.5", "1000", "-20").
QString plain(double value);

} // namespace numbertext
