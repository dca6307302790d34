#include "timesheet/premiums.h"

#include "controls/formats.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace sheet {

double rateOf(const Premiums &premiums, Rate rate)
{
    switch (rate) {
    case Rate::Overtime: return premiums.overtime;
    case Rate::Night: return premiums.night;
    case Rate::RestDay: return premiums.restDay;
    case Rate::OvertimeOver60: return premiums.overtimeOver60;
    }
    return 0;
}

void setRate(Premiums &premiums, Rate rate, double percent)
{
    switch (rate) {
    case Rate::Overtime: premiums.overtime = percent; break;
    case Rate::Night: premiums.night = percent; break;
    case Rate::RestDay: premiums.restDay = percent; break;
    case Rate::OvertimeOver60: premiums.overtimeOver60 = percent; break;
    }
}

double legalMinimum(Rate rate)
{
    return rateOf(Premiums(), rate);
}

QString rateCaption(Rate rate)
{
    switch (rate) {
    case Rate::Overtime: return u"時間外"_s;
    case Rate::Night: return u"深夜"_s;
    case Rate::RestDay: return u"休日"_s;
    case Rate::OvertimeOver60: return u"60時間超"_s;
    }
    return QString();
}

std::optional<Rate> rateBelowMinimum(const Premiums &premiums)
{
    for (Rate rate : Rates)
        if (!(rateOf(premiums, rate) >= legalMinimum(rate)))
            return rate;
    return std::nullopt;
}

QString belowMinimumText(Rate rate)
{
    return u"%1の割増率は %2% 以上にしてください（法律で定められた最低の率です）。"_s.arg(
        rateCaption(rate), QString::number(legalMinimum(rate)));
}

std::optional<int> nightMinutes(const QVariant &start, const QVariant &end)
{
    const std::optional<int> from = minutesOfDay(start);
    const std::optional<int> span = spanMinutes(start, end);
    if (!from || !span)
        return std::nullopt;
    // The span lies within two days from the start's midnight; the night
    // runs from 22:00 of each day to 05:00 of the next.
    constexpr int Day = 24 * 60;
    const int to = *from + *span;
    int minutes = 0;
    for (const auto &[nightFrom, nightTo] : {std::pair{0, 5 * 60}, std::pair{22 * 60, Day + 5 * 60},
                                             std::pair{Day + 22 * 60, 2 * Day + 5 * 60}})
        minutes += std::max(0, std::min(to, nightTo) - std::max(*from, nightFrom));
    return minutes;
}

namespace {

constexpr double DailyLimit = 8;
constexpr double SixtyHours = 60;

// What the premiums of a line are computed from.
struct Worked
{
    int line = 0;
    qint64 day = 0;    // Julian day of its date
    int start = 0;     // minutes of its start in the day; a line without one comes last
    double hours = 0;  // as the line has them, never below 0
    double night = 0;
    bool restDay = false;
    QVariant wage;
};

std::optional<qint64> julianDay(const QVariant &stored)
{
    const QString text = stored.toString();
    if (text.size() != 10 || text.at(4) != u'-' || text.at(7) != u'-')
        return std::nullopt;
    const QDate date(text.left(4).toInt(), text.mid(5, 2).toInt(), text.right(2).toInt());
    return date.isValid() ? std::optional(date.toJulianDay()) : std::nullopt;
}

// Weeks counted from the chosen first day; Julian day 0 was a Monday.
qint64 weekOf(qint64 day, int weekStart)
{
    const qint64 offset = day - (weekStart - 1);
    return offset >= 0 ? offset / 7 : (offset - 6) / 7;
}

// The part of an amount of hours that lies beyond limit, when hours are added to before.
double beyond(double before, double hours, double limit)
{
    return std::max(0.0, before + hours - limit) - std::max(0.0, before - limit);
}

bool same(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return std::abs(a.toDouble() - b.toDouble()) < 1e-9;
}

// Sets the premium fields of a line; when they change, its amount carries the new premium.
bool putPremium(Line &line, const QVariant &night, const QVariant &overtime, const QVariant &premium)
{
    if (same(line[Col深夜], night) && same(line[Col時間外], overtime) && same(line[Col割増], premium))
        return false;
    line[Col深夜] = night;
    line[Col時間外] = overtime;
    line[Col割増] = premium;
    if (const auto amount = lineAmount(line[Col時間], line[Col時給], line[Col調整額], premium))
        line[Col金額] = *amount;
    return true;
}

} // namespace

QList<int> applyPremiums(QList<Line> &lines, const Premiums &premiums)
{
    QList<int> changed;
    QList<Worked> worked;
    worked.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        const std::optional<qint64> day = julianDay(line[Col日付]);
        double hours = 0;
        if (!day || !fmt::toDouble(line[Col時間], &hours)) {
            if (putPremium(lines[i], QVariant(), QVariant(), QVariant()))
                changed.append(i);
            continue;
        }
        hours = std::max(0.0, hours);
        // The break comes off the day first: the night keeps what the hours still hold.
        const double nightSpan = nightMinutes(line[Col開始時間], line[Col終了時間]).value_or(0) / 60.0;
        const std::optional<int> start = minutesOfDay(line[Col開始時間]);
        worked.append({i, *day, start.value_or(24 * 60 + 1), hours, std::min(nightSpan, hours),
                       line[Col休日].toInt() == 1, line[Col時給]});
    }
    std::stable_sort(worked.begin(), worked.end(), [](const Worked &a, const Worked &b) {
        return a.day != b.day ? a.day < b.day : a.start < b.start;
    });

    QHash<qint64, double> dayHours, weekHours;
    double overtimeSoFar = 0;
    for (const Worked &w : std::as_const(worked)) {
        double overtime = 0;
        double over60 = 0;
        if (!w.restDay) {
            double &today = dayHours[w.day];
            const double daily = beyond(today, w.hours, DailyLimit);
            today += w.hours;
            double &week = weekHours[weekOf(w.day, premiums.weekStart)];
            const double weekly = beyond(week, w.hours - daily, premiums.weeklyHours);
            week += w.hours - daily;
            overtime = daily + weekly;
            over60 = beyond(overtimeSoFar, overtime, SixtyHours);
            overtimeSoFar += overtime;
        }
        const double percentHours = w.restDay
            ? premiums.restDay * w.hours + premiums.night * w.night
            : premiums.overtime * (overtime - over60) + premiums.overtimeOver60 * over60 + premiums.night * w.night;
        double wage = 0;
        const QVariant premium = fmt::toDouble(w.wage, &wage) ? QVariant(wage * percentHours / 100) : QVariant();
        if (putPremium(lines[w.line], w.night, overtime, premium))
            changed.append(w.line);
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

double roundYen(double yen)
{
    // As the display rounds: the decimal the value reads as, half away from zero.
    return fmt::number(yen, u"0").toDouble();
}

Totals settled(Totals sums)
{
    double premium = 0;
    double amount = 0;
    if (!fmt::toDouble(sums.premium, &premium))
        return sums;
    const double rounded = roundYen(premium);
    sums.premium = rounded;
    if (fmt::toDouble(sums.amount, &amount))
        sums.amount = amount - premium + rounded;
    return sums;
}

} // namespace sheet
