#pragma once

#include "data/sql.h"
#include "history/paydaystore.h"
#include "report/statement.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// What pay day hands on: the statement of each stored sheet, and the figures
// as CSV for whoever does the books.
namespace history {

// The statement of a stored sheet, formatted as the time-sheet page formats
// it when it prints the same sheet read back (an empty stored value shows as
// the page shows it: as 0).
StatementValues statementValues(const StoredSheet &sheet, const QString &companyName, const QString &companyInfo,
                                const QDate &date = QDate::currentDate());

// CSV as RFC 4180 has it (a header row, CRLF line ends, a field quoted when it
// holds a comma, a quote, CR or LF, quotes doubled), in UTF-8 with a byte
// order mark so that spreadsheets take it as UTF-8. Values go as stored:
// numbers in their shortest exact text without separators, times with their
// leading zeros, an empty value as an empty field.

// One row per sheet: 氏名, タイトル, 時給, 休憩, 時間, 調整額, 合計.
QByteArray sheetsCsv(const QList<StoredSheet> &sheets);
// One row per line, as readLines gives them; dates as yyyy/mm/dd.
QByteArray linesCsv(const QList<sql::Row> &lines);

// The field as written: quoted only when it must be.
QString csvField(const QString &text);
// A stored value as text: the shortest decimal that reads back as the same number.
QString storedText(const QVariant &value);

} // namespace history
