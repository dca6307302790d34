#pragma once

#include "data/sql.h"
#include "timesheet/sheetstore.h"

#include <QList>
#include <QSqlDatabase>
#include <optional>

// Reading many registered sheets at once, for the statements and the figures
// of pay day. Each read is one read transaction, so every sheet is of the same
// moment, and writes nothing.
namespace history {

struct StoredSheet
{
    sheet::Key key;
    sheet::Header header; // as stored; null where a field was empty
};

struct StoredSheets
{
    QList<StoredSheet> found;   // in the order of the keys asked for
    QList<sheet::Key> missing;  // keys no sheet has (deleted since it was listed)
};

// The header of each sheet; nothing when the file could not be read.
std::optional<StoredSheets> readHeaders(const QSqlDatabase &main, const QList<sheet::Key> &keys);

// The lines of each sheet, in the order of the keys then by line number: name,
// title, line number, date, start, end, hours, wage, adjustment, amount, and
// the rest-day mark, night hours, overtime hours and premium. A key
// no sheet has gives no line. Nothing when the file could not be read.
std::optional<QList<sql::Row>> readLines(const QSqlDatabase &main, const QList<sheet::Key> &keys);

} // namespace history
