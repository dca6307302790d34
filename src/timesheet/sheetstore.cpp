#include "timesheet/sheetstore.h"

#include "timesheet/sheetcolumns.h"

#include <QDateTime>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace sheet {

Header headerOf(const sql::Row &row)
{
    return Header{row.value(0), row.value(1), row.value(2), row.value(3), row.value(4),
                  row.value(5), row.value(6), row.value(7), row.value(8)};
}

bool loadWorkLines(const QSqlDatabase &work, const QList<sql::Row> &lines)
{
    sql::Transaction transaction(work);
    if (!transaction.active() || !sql::exec(work, u"DELETE FROM w明細"_s))
        return false;
    QList<sql::Row> rows;
    const int count = std::max(int(lines.size()), LineCount);
    rows.reserve(count);
    for (int n = 1; n <= count; ++n) {
        sql::Row row{n};
        if (n <= lines.size())
            row.append(lines.at(n - 1).mid(0, LineFieldCount));
        // Lines read without the premium fields have them empty.
        row.resize(1 + LineFieldCount);
        rows.append(std::move(row));
    }
    return sql::insertRows(work, u"w明細"_s,
                           u"行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, 休日, 深夜, 時間外, 割増"_s,
                           rows)
        && transaction.commit();
}

std::optional<Totals> workTotals(const QSqlDatabase &work)
{
    bool ok = false;
    const QList<sql::Row> rows = sql::rows(work,
                                           u"SELECT sum(時間), sum(調整額), sum(金額), sum(時間外), sum(深夜), "
                                           u"sum(CASE WHEN 休日 = 1 THEN 時間 END), sum(割増) FROM w明細"_s,
                                           {}, &ok);
    if (!ok || rows.isEmpty())
        return std::nullopt;
    const sql::Row &row = rows.first();
    return Totals{row.value(0), row.value(1), row.value(2), row.value(3), row.value(4), row.value(5), row.value(6)};
}

QList<sql::Row> filledWorkLines(const QSqlDatabase &work, bool *ok)
{
    // Lines of the same day keep their order on the screen.
    return sql::rows(work,
                     u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, 休日, 深夜, 時間外, 割増 "
                     u"FROM w明細 WHERE 日付 IS NOT NULL AND 日付 <> '' AND 金額 IS NOT NULL AND 金額 <> '' "
                     u"ORDER BY 日付, 行番号"_s,
                     {}, ok);
}

StoreResult storeSheet(const QSqlDatabase &main, const Key &key, const Header &header, const QList<sql::Row> &lines,
                       std::optional<qint64> seen)
{
    QVariantList values{key.name,
                        key.title,
                        header.wage,
                        header.breakHours,
                        header.adjustment,
                        header.hours,
                        header.total,
                        QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s),
                        header.night,
                        header.overtime,
                        header.restDay,
                        header.premium,
                        QSysInfo::machineHostName()};
    // Either statement changes no row when the sheet is no longer as seen: on
    // a server, where several computers write, a sheet registered by another
    // since is not replaced, nor is a sheet another registered at the same
    // moment (the server keeps one sheet per name and title) added twice.
    int written = -1;
    if (seen) {
        values += {key.name, key.title, *seen};
        written = sql::changed(main,
                               u"UPDATE 時給ヘッダ SET 氏名 = ?, タイトル = ?, 時給 = ?, 休憩 = ?, 調整額 = ?, 時間 = ?, "
                               u"合計 = ?, 登録日時 = ?, 深夜 = ?, 時間外 = ?, 休日 = ?, 割増 = ?, 更新者 = ?, "
                               u"版 = coalesce(版, 0) + 1 "
                               u"WHERE rowid = (SELECT rowid FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ? "
                               u"ORDER BY rowid LIMIT 1) AND coalesce(版, 0) = ?"_s,
                               values);
    } else {
        written = sql::changed(main,
                               u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計, 登録日時, "
                               u"深夜, 時間外, 休日, 割増, 更新者, 版) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1) "
                               u"ON CONFLICT DO NOTHING"_s,
                               values);
    }
    if (written <= 0)
        return written == 0 ? StoreResult::Changed : StoreResult::Failed;
    if (!sql::exec(main, u"DELETE FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, {key.name, key.title}))
        return StoreResult::Failed;
    QList<sql::Row> rows;
    rows.reserve(lines.size());
    int number = 0;
    for (const sql::Row &line : lines) {
        sql::Row row{key.name, key.title, ++number};
        row.append(line);
        rows.append(std::move(row));
    }
    return sql::insertRows(main, u"時給明細"_s,
                           u"氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, 休日, 深夜, "
                           u"時間外, 割増"_s,
                           rows)
        ? StoreResult::Stored
        : StoreResult::Failed;
}

std::optional<Stored> readSheet(const QSqlDatabase &main, const Key &key)
{
    // One read transaction: the header and the lines are of the same moment.
    if (!sql::exec(main, u"BEGIN"_s))
        return std::nullopt;
    bool headerRead = false;
    bool linesRead = false;
    const QVariantList keyValues{key.name, key.title};
    const QList<sql::Row> headers = sql::rows(
        main,
        u"SELECT 時給, 休憩, 調整額, 時間, 合計, 時間外, 深夜, 休日, 割増, coalesce(版, 0) FROM 時給ヘッダ "
        u"WHERE 氏名 = ? AND タイトル = ? ORDER BY rowid LIMIT 1"_s,
        keyValues, &headerRead);
    Stored stored;
    stored.lines = sql::rows(main,
                             u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, 休日, 深夜, 時間外, 割増 "
                             u"FROM 時給明細 WHERE 氏名 = ? AND タイトル = ? ORDER BY 行番号"_s,
                             keyValues, &linesRead);
    sql::exec(main, u"COMMIT"_s);
    if (!headerRead || !linesRead)
        return std::nullopt;
    if (!headers.isEmpty()) {
        const sql::Row &row = headers.first();
        stored.header = headerOf(row);
        stored.version = row.value(9).toLongLong();
    }
    return stored;
}

std::optional<Registered> findRegistered(const QSqlDatabase &main, const Key &key, bool *ok)
{
    const QList<sql::Row> rows = sql::rows(
        main,
        u"SELECT h.合計, (SELECT count(*) FROM 時給明細 m WHERE m.氏名 = h.氏名 AND m.タイトル = h.タイトル), "
        u"h.登録日時, h.更新者, coalesce(h.版, 0) FROM 時給ヘッダ h WHERE h.氏名 = ? AND h.タイトル = ? "
        u"ORDER BY h.rowid LIMIT 1"_s,
        {key.name, key.title}, ok);
    if (rows.isEmpty())
        return std::nullopt;
    const sql::Row &row = rows.first();
    return Registered{row.value(1).toInt(), row.value(0), row.value(2), row.value(3), row.value(4).toLongLong()};
}

bool deleteSheet(const QSqlDatabase &main, const Key &key)
{
    sql::Transaction transaction(main);
    if (!transaction.active())
        return false;
    const QVariantList keyValues{key.name, key.title};
    return sql::exec(main, u"DELETE FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ?"_s, keyValues)
        && sql::exec(main, u"DELETE FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, keyValues)
        && transaction.commit();
}

} // namespace sheet
