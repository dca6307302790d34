#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Display formats in the Basic style the screens and the statement use.
// "#,###"   whole yen with thousands commas; 0 shows as nothing.
// "#,###.0" hours with one decimal; 0 shows as ".0", 0.5 as ".5".
// "####0", "#,###,###" and the like follow the same rules ('0' forces a digit).
// "##:##"   a four-digit time as a number: 0930 shows as 9:30. A time before
//           01:00 keeps its hour digit (0030 shows 0:30, 0000 shows 0:00).
// Rounding is half away from zero, and only for display.
namespace fmt {

QString number(double value, QStringView format);

// Null and empty values show as nothing; text that is not a number shows as it is.
QString value(const QVariant &value, QStringView format);

// "yyyy/mm/dd" for a stored date (ISO "yyyy-mm-dd") or a typed eight-digit entry.
QString date(const QVariant &value);

// The statement's date of printing: "yyyy年mm月dd日".
QString longDate(const QDate &date);

// Reads a stored numeric value; false when it is null or not a number.
bool toDouble(const QVariant &value, double *out);

} // namespace fmt
