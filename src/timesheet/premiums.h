#pragma once

#include "timesheet/sheetrules.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

// Premium pay as the Labour Standards Act counts it (労働基準法 37条 and the
// ordinance on the premium rates, 割増賃金令): hours beyond 8 a day or beyond
// the weekly limit (時間外), hours between 22:00 and 05:00 (深夜), work on the
// legal rest day (休日), and overtime beyond 60 hours at a higher rate. Plain
// functions over the sheet's lines; the sheet is the pay period the operator
// chose, so weeks and the 60 hours are counted within it.
namespace sheet {

// The settings of 設定・情報; computed only when on. Rates are percentages of
// the hourly wage.
struct Premiums
{
    bool on = false;
    double overtime = 25;
    double night = 25;
    double restDay = 35;
    double overtimeOver60 = 50; // overtime beyond 60 hours in the sheet, instead of overtime
    int weeklyHours = 40;       // or 44, for the small shops the law allows it
    int weekStart = 7;          // the first day of a week, as Qt::DayOfWeek (7: 日曜)
    friend bool operator==(const Premiums &, const Premiums &) = default;
};

enum class Rate { Overtime, Night, RestDay, OvertimeOver60 };
inline constexpr std::array<Rate, 4> Rates{Rate::Overtime, Rate::Night, Rate::RestDay, Rate::OvertimeOver60};

double rateOf(const Premiums &premiums, Rate rate);
void setRate(Premiums &premiums, Rate rate, double percent);
// The lowest rate the law allows (25, 25, 35, 50 percent).
double legalMinimum(Rate rate);
// 時間外, 深夜, 休日, 60時間超
QString rateCaption(Rate rate);
// The first rate set below its legal minimum, and what the operator is told of it.
std::optional<Rate> rateBelowMinimum(const Premiums &premiums);
QString belowMinimumText(Rate rate);

// Minutes of the span from start to end (spanMinutes) that lie between 22:00
// and 05:00, past midnight included.
std::optional<int> nightMinutes(const QVariant &start, const QVariant &end);

// Computes 深夜, 時間外 and 割増 of every line with a date and hours, and the
// amount of each line whose premium changed (hours × wage + premium +
// adjustment); a line without a date or hours has none, and its amount drops
// a premium it had. Returns the indexes of the lines changed.
//
// 深夜: the line's time inside 22:00–05:00, less the part of the break that
// the time outside it could not take (the header's break is taken from the
// day first). 時間外: the hours beyond 8 on one date, all lines of that date
// together in order of their start, so that the overtime falls on the last
// hours of the day; then the hours beyond the weekly limit within each week
// of the sheet, not counting daily overtime again. A line marked 休日 is
// the legal rest day: all its hours take the rest-day rate, none counts
// towards either limit, its night hours still take the night rate. Overtime
// beyond 60 hours in the sheet, in date order, takes the 60-hour rate instead
// of the overtime rate. 割増 = wage × Σ(rate × hours).
QList<int> applyPremiums(QList<Line> &lines, const Premiums &premiums);

// A yen amount rounded to the yen, half up (0.5 yen and more up), as the
// rounding of a month's premiums is allowed (昭和63年3月14日 基発150号).
double roundYen(double yen);

// The totals as the sheet shows them: the premium total rounded to the yen,
// and the amount carrying that rounded premium in place of the lines'
// fractions of a yen. Hours are never rounded.
Totals settled(Totals sums);

} // namespace sheet
