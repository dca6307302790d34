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
// the page shows it: as 0), with its premium row when premiums are computed.
StatementValues statementValues(const StoredSheet &sheet, const QString &companyName, const QString &companyInfo,
                                bool premiums = false, const QDate &date = QDate::currentDate());

// CSV as RFC 4180 has it (a header row, CRLF line ends, a field quoted when it
// holds a comma, a quote, CR or LF, quotes doubled), in UTF-8 with a byte
// order mark so that spreadsheets take it as UTF-8. Written so that a
// spreadsheet reads each value as what it is: times as h:mm (9:00, 17:30,
// 24:00), hours with one decimal, dates as yyyy/mm/dd, other numbers in their
// shortest exact text without separators, an empty value as an empty field.

// The two forms, each with its own button and file name.
enum class CsvKind {
    Sheets, // one row per sheet: its totals
    Lines,  // one row per stored day line
};

// A column of a CSV file: its caption and how a row's field is written. Each
// form's columns are one table, in order; a column is added by adding a row.
// The premium columns come last, and only while premiums are computed, so
// that a file without them is the file it always was.
template <typename Row>
struct CsvColumn
{
    QString caption;
    QString (*text)(const Row &row);
    bool premium = false;
};

// 氏名, タイトル, 時給, 休憩, 時間, 調整額, 支給額 (the statement's word for the
// total); then 時間外, 深夜, 休日 (hours) and 割増.
const QList<CsvColumn<StoredSheet>> &sheetColumns();
// 氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, from
// the lines as readLines gives them; then 休日 (1 on the legal rest day), 深夜,
// 時間外 (hours) and 割増.
const QList<CsvColumn<sql::Row>> &lineColumns();

QByteArray sheetsCsv(const QList<StoredSheet> &sheets, bool premiums = false);
QByteArray linesCsv(const QList<sql::Row> &lines, bool premiums = false);

// The field as written: quoted only when it must be.
QString csvField(const QString &text);
// A stored value as text: the shortest decimal that reads back as the same number.
QString storedText(const QVariant &value);
// A stored four-digit time as h:mm ("0900" → "9:00", "2400" → "24:00"); any
// other stored text as it is.
QString csvTime(const QVariant &value);
// Hours with one decimal, as the statement rounds them ("7.5", "8.0", "0.3").
QString csvHours(const QVariant &value);

} // namespace history
