#include "timesheet/sheetrules.h"

#include "controls/formats.h"
#include "controls/numbertext.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace sheet {

namespace {

bool allAsciiDigits(const QString &text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

bool isEmpty(const QVariant &value)
{
    return value.isNull() || !value.isValid()
        || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

std::optional<QString> checkDate(const QString &entry)
{
    if (entry.size() != 8 || !allAsciiDigits(entry))
        return std::nullopt;
    const QDate date(entry.left(4).toInt(), entry.mid(4, 2).toInt(), entry.right(2).toInt());
    if (!date.isValid() || date.year() < 1)
        return std::nullopt;
    return date.toString(u"yyyy-MM-dd"_s);
}

std::optional<QString> checkTime(const QString &entry)
{
    if (entry.size() != 4 || !allAsciiDigits(entry))
        return std::nullopt;
    const int hour = entry.left(2).toInt();
    const int minute = entry.right(2).toInt();
    if (hour > 24 || minute > 59 || (hour == 24 && minute != 0))
        return std::nullopt;
    return entry;
}

std::optional<double> checkNumber(const QString &entry)
{
    double value = 0;
    if (!numbertext::parse(entry, &value))
        return std::nullopt;
    return value;
}

std::optional<int> minutesOfDay(const QVariant &time)
{
    if (isEmpty(time))
        return std::nullopt;
    const std::optional<QString> checked = checkTime(time.toString());
    if (!checked)
        return std::nullopt;
    return checked->left(2).toInt() * 60 + checked->right(2).toInt();
}

std::optional<int> spanMinutes(const QVariant &start, const QVariant &end)
{
    const std::optional<int> from = minutesOfDay(start);
    const std::optional<int> to = minutesOfDay(end);
    if (!from || !to)
        return std::nullopt;
    return *to < *from ? *to + 24 * 60 - *from : *to - *from;
}

std::optional<double> lineHours(const QVariant &start, const QVariant &end, const QVariant &breakHours)
{
    const std::optional<int> minutes = spanMinutes(start, end);
    if (!minutes)
        return std::nullopt;
    double hours = *minutes / 60.0;
    double pause = 0;
    if (fmt::toDouble(breakHours, &pause) && pause != 0)
        hours -= pause;
    return hours;
}

std::optional<double> lineAmount(const QVariant &hours, const QVariant &wage, const QVariant &adjustment,
                                 const QVariant &premium)
{
    double h = 0;
    double w = 0;
    if (!fmt::toDouble(hours, &h) || !fmt::toDouble(wage, &w))
        return std::nullopt;
    double amount = h * w;
    double extra = 0;
    if (fmt::toDouble(premium, &extra))
        amount += extra;
    if (fmt::toDouble(adjustment, &extra))
        amount += extra;
    return amount;
}

bool afterColEdit(Line &line, int column, const HeaderInputs &header)
{
    QVariant &cell = line[column];

    // 1. An emptied money cell holds 0; 2–4. an invalid entry is emptied and a
    // valid one takes its stored form.
    const bool money = column == Col時給 || column == Col調整額 || column == Col金額;
    if (isEmpty(cell)) {
        cell = money ? QVariant(0.0) : QVariant();
    } else if (cell.typeId() == QMetaType::QString) {
        const QString entry = cell.toString();
        switch (column) {
        case Col日付: {
            const auto date = checkDate(entry);
            cell = date ? QVariant(*date) : QVariant();
            break;
        }
        case Col開始時間:
        case Col終了時間: {
            const auto time = checkTime(entry);
            cell = time ? QVariant(*time) : QVariant();
            break;
        }
        case Col時間:
        case Col時給:
        case Col調整額:
        case Col金額: {
            const auto number = checkNumber(entry);
            cell = number ? QVariant(*number) : QVariant();
            break;
        }
        default:
            break;
        }
    }

    // 5. A line without a wage takes the sheet's.
    if (!isEmpty(header.wage) && isEmpty(line[Col時給])) {
        double wage = 0;
        if (fmt::toDouble(header.wage, &wage))
            line[Col時給] = wage;
    }

    // 6. Hours follow the times.
    if (column == Col開始時間 || column == Col終了時間) {
        if (const auto hours = lineHours(line[Col開始時間], line[Col終了時間], header.breakHours))
            line[Col時間] = *hours;
    }

    // 7. The amount follows hours, wage, premium and adjustment; the totals follow the lines.
    if (changesTotals(column, header.premiums)) {
        if (!header.premiums)
            for (int premium : {Col深夜, Col時間外, Col割増})
                line[premium] = QVariant();
        if (const auto amount = lineAmount(line[Col時間], line[Col時給], line[Col調整額], line[Col割増]))
            line[Col金額] = *amount;
        return true;
    }
    return false;
}

Totals totalsOf(const QList<Line> &lines)
{
    Totals totals;
    for (const auto &[column, sum] :
         {std::pair{Col時間, &totals.hours}, std::pair{Col調整額, &totals.adjustment},
          std::pair{Col金額, &totals.amount}, std::pair{Col時間外, &totals.overtime},
          std::pair{Col深夜, &totals.night}, std::pair{Col割増, &totals.premium}}) {
        for (const Line &line : lines) {
            double value = 0;
            if (fmt::toDouble(line[column], &value))
                *sum = sum->toDouble() + value;
        }
    }
    for (const Line &line : lines) {
        double hours = 0;
        if (line[Col休日].toInt() == 1 && fmt::toDouble(line[Col時間], &hours))
            totals.restDay = totals.restDay.toDouble() + hours;
    }
    return totals;
}

bool changesTotals(int column, bool premiums)
{
    return (column >= Col開始時間 && column <= Col調整額) || (premiums && (column == Col日付 || column == Col休日));
}

std::optional<QString> nextDay(const QVariant &date)
{
    if (isEmpty(date))
        return std::nullopt;
    QDate day = QDate::fromString(date.toString(), u"yyyy-MM-dd"_s);
    if (!day.isValid())
        return std::nullopt;
    // A date has four digits of year: the last day of 9999 has no next one.
    const QDate next = day.addDays(1);
    if (next.year() > 9999)
        return std::nullopt;
    return next.toString(u"yyyy-MM-dd"_s);
}

namespace {

// （22 行、合計 52,800 円、登録 2025/03/31 OFFICE-PC）, with the time of day when asked for.
QString storedDetails(int lines, const QVariant &total, const QVariant &registered, const QVariant &computer,
                      bool withTime)
{
    double yen = 0;
    if (!fmt::toDouble(total, &yen))
        yen = 0;
    const QDateTime at = QDateTime::fromString(registered.toString(), u"yyyy-MM-dd HH:mm:ss"_s);
    QString when = at.isValid() ? u"、登録 "_s + at.toString(withTime ? u"yyyy/MM/dd HH:mm"_s : u"yyyy/MM/dd"_s)
                                : QString();
    if (!computer.toString().isEmpty())
        when += (when.isEmpty() ? u"、"_s : u" "_s) + computer.toString();
    return u"（%1 行、合計 %2 円%3）"_s.arg(QString::number(lines), fmt::number(yen, u"#,##0"), when);
}

} // namespace

QString registeredText(const QString &name, const QString &title, int lines, const QVariant &total,
                       const QVariant &registered, const QVariant &computer)
{
    return u"%1「%2」は登録済みです"_s.arg(name, title) + storedDetails(lines, total, registered, computer, false);
}

QString changedText(const QString &name, const QString &title, bool deleted, int lines, const QVariant &total,
                    const QVariant &registered, const QVariant &computer)
{
    if (deleted)
        return u"%1「%2」は、この入力の間に削除されています"_s.arg(name, title);
    return u"%1「%2」は、この入力の間に変更されています"_s.arg(name, title)
        + storedDetails(lines, total, registered, computer, true);
}

} // namespace sheet
