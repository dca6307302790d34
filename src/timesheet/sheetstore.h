#pragma once

#include "data/sql.h"
#include "timesheet/sheetrules.h"

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
    friend bool operator==(const Key &, const Key &) = default;
};

// The header values as stored; null where a field was empty. The premium
// totals (overtime and night hours, hours on rest days, the premium in yen)
// are null on a sheet registered without them.
struct Header
{
    QVariant wage, breakHours, adjustment, hours, total;
    QVariant overtime, night, restDay, premium;
};

// The fields of a line as the statements below read and write them: date,
// start, end, hours, wage, adjustment, amount, then the rest-day mark, night
// hours, overtime hours and premium.
inline constexpr int LineFieldCount = 11;

// w明細 becomes LineCount blank lines numbered 1 to LineCount with lines (their
// LineFieldCount fields; those a line lacks are empty) put on the first of them in
// order (rows added should there be more lines than rows); one transaction, so
// a failure leaves the previous lines.
bool loadWorkLines(const QSqlDatabase &work, const QList<sql::Row> &lines = {});

// Sums of hours, adjustments, amounts and the premium fields over every line
// of w明細 (as they are: the premium not yet rounded); nothing when the read failed.
std::optional<Totals> workTotals(const QSqlDatabase &work);

// The filled lines of w明細 (with a date and an amount), in date order, each
// with its LineFieldCount fields.
QList<sql::Row> filledWorkLines(const QSqlDatabase &work, bool *ok);

// Writes the header (added, or the first one found updated in place) and
// replaces the sheet's lines by lines, numbered from 1, but only while the
// sheet is registered as the operator was shown it: seen is the write (版) of
// the sheet then, nothing when none was registered. Changed when another
// computer registered or deleted it since; nothing is written then. Runs
// inside the caller's transaction, which the caller rolls back unless Stored.
enum class StoreResult { Stored, Changed, Failed };
StoreResult storeSheet(const QSqlDatabase &main, const Key &key, const Header &header, const QList<sql::Row> &lines,
                       std::optional<qint64> seen);

// A registered sheet: its header (none when the sheet is not registered) and
// its lines in line-number order (LineFieldCount fields each).
struct Stored
{
    std::optional<Header> header;
    QList<sql::Row> lines;
    qint64 version = 0; // 版 of the header read
};

// The header from a row of 時給ヘッダ read as 時給, 休憩, 調整額, 時間, 合計, 時間外, 深夜, 休日, 割増.
Header headerOf(const sql::Row &row);

// Header and lines read in one read transaction; nothing when the read failed.
std::optional<Stored> readSheet(const QSqlDatabase &main, const Key &key);

// What is registered under a key, for the question before it is replaced.
struct Registered
{
    int lines = 0;
    QVariant total;      // 合計 as stored
    QVariant registered; // 登録日時, "yyyy-MM-dd HH:mm:ss"; null for a sheet of an earlier version
    QVariant computer;   // 更新者, the computer that registered it; null for a sheet of an earlier version
    qint64 version = 0;  // 版, 0 for a sheet of an earlier version
};

// The registered sheet of that key, nothing when none is; ok tells whether the read succeeded.
std::optional<Registered> findRegistered(const QSqlDatabase &main, const Key &key, bool *ok);

// Deletes the header and the lines of a sheet together.
bool deleteSheet(const QSqlDatabase &main, const Key &key);

} // namespace sheet
