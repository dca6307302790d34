#pragma once

#include "timesheet/sheetcolumns.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

// How a line of the time sheet is checked and computed. Plain functions over
// values: a null QVariant is an empty cell.
namespace sheet {

using Line = std::array<QVariant, Col金額 + 1>; // indexed by Column

// A typed date: exactly eight digits (yyyymmdd) of a real calendar day.
// Returns the date as stored (ISO "yyyy-mm-dd").
std::optional<QString> checkDate(const QString &entry);

// A typed time: exactly four digits hhmm, hour 00–24 and minute 00–59;
// 2400 is the end of the day and takes no minutes. Returned as typed.
std::optional<QString> checkTime(const QString &entry);

// A typed number: digits with an optional sign, decimal point and thousands commas.
std::optional<double> checkNumber(const QString &entry);

// Minutes since midnight of a stored time ("0930" → 570, "2400" → 1440).
std::optional<int> minutesOfDay(const QVariant &time);

// Minutes worked from a stored start to a stored end: an end earlier than the
// start is on the next day (2200–0200 is 240), an end equal to the start is
// no time at all, and 0000 as an end is midnight as 2400 is.
std::optional<int> spanMinutes(const QVariant &start, const QVariant &end);

// Worked hours between two stored times (spanMinutes) less the break (whole hours).
std::optional<double> lineHours(const QVariant &start, const QVariant &end, const QVariant &breakHours);

// Hours × wage, plus the premium and the adjustment when there are; nothing
// when hours or wage is empty.
std::optional<double> lineAmount(const QVariant &hours, const QVariant &wage, const QVariant &adjustment,
                                 const QVariant &premium = QVariant());

// The header values a line's computation reads.
struct HeaderInputs
{
    QVariant wage;         // num時給
    QVariant breakHours;   // num休憩
    bool premiums = false; // whether the premiums are computed (sheet::Premiums::on)
};

// What the sheet does when the operator commits an edit of column in line (the
// cell holds the raw entry, or null when emptied): empty money cells become 0,
// invalid dates, times and numbers are emptied, the line takes the header's wage
// when it has none, hours follow the times and the amount follows hours, wage
// and adjustment (and the line's premium while premiums are computed; when they
// are not, an amount computed again drops the premium the line had). Returns
// whether the sheet's totals must be summed again.
bool afterColEdit(Line &line, int column, const HeaderInputs &header);

// The sheet's sums of hours, adjustments and amounts, and of the premium
// fields (overtime and night hours, hours on rest days, premiums), each null
// when no line has a value (as SQL's sum).
struct Totals
{
    QVariant hours, adjustment, amount;
    QVariant overtime, night, restDay, premium;
};
Totals totalsOf(const QList<Line> &lines);

// Whether an edit of column changes the sheet's totals (start, end, hours,
// wage, adjustment; with premiums, the date and the rest-day mark too: other
// lines' overtime follows them).
bool changesTotals(int column, bool premiums = false);

// The stored date one day after a stored date, for the next line; nothing
// after 9999-12-31, which no eight digits could follow.
std::optional<QString> nextDay(const QVariant &date);

// What the question before replacing a registered sheet says is stored:
// 山田 花子「2025年3月分」は登録済みです（22 行、合計 52,800 円、登録 2025/03/31 OFFICE-PC）.
// An empty total counts as 0, as the page shows it; a sheet registered by an
// earlier version has no date or computer.
QString registeredText(const QString &name, const QString &title, int lines, const QVariant &total,
                       const QVariant &registered, const QVariant &computer = {});
// The same of a sheet that changed after the page read it (another computer
// registered it again, or deleted it: nothing stored then):
// 山田 花子「2025年3月分」は、この入力の間に変更されています（…、登録 2025/03/31 10:15 OFFICE-PC）.
QString changedText(const QString &name, const QString &title, bool deleted, int lines = 0, const QVariant &total = {},
                    const QVariant &registered = {}, const QVariant &computer = {});

} // namespace sheet
