#pragma once

#include "data/sql.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// The statements of the time sheet: the work lines behind the detail grid
// (w明細) and the registered sheets (時給ヘッダ, 時給明細). A sheet is found by
// its name and title, compared exactly.
namespace sheet {

struct Key
{
    QString name;
    QString title;
};

// The five header values as stored; null where a field was empty.
struct Header
{
    QVariant wage, breakHours, adjustment, hours, total;
};

struct Totals
{
    QVariant hours, adjustment, amount; // null when no line has a value
};

// Empties w明細 and gives it LineCount blank lines numbered 1 to LineCount.
bool resetWorkLines(const QSqlDatabase &work);

// Sums of hours, adjustments and amounts over every line of w明細.
Totals workTotals(const QSqlDatabase &work);

// The filled lines of w明細 (with a date and an amount), in date order:
// date, start, end, hours, wage, adjustment, amount.
QList<sql::Row> filledWorkLines(const QSqlDatabase &work, bool *ok);

// Writes the header (added, or the first one found updated in place) and
// replaces the sheet's lines by lines, numbered from 1. Runs inside the
// caller's transaction.
bool storeSheet(const QSqlDatabase &main, const Key &key, const Header &header,
                const QList<sql::Row> &lines);

std::optional<Header> readHeader(const QSqlDatabase &main, const Key &key);
// The stored lines in line-number order: date, start, end, hours, wage, adjustment, amount.
QList<sql::Row> readLines(const QSqlDatabase &main, const Key &key);

// Puts lines on the work rows in line-number order (adding rows should there
// be more lines than rows).
bool placeWorkLines(const QSqlDatabase &work, const QList<sql::Row> &lines);

// Deletes the header and the lines of a sheet together.
bool deleteSheet(const QSqlDatabase &main, const Key &key);

} // namespace sheet
