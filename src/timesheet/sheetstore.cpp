#include "timesheet/sheetstore.h"

#include "timesheet/sheetcolumns.h"

using namespace Qt::StringLiterals;

namespace sheet {

bool resetWorkLines(const QSqlDatabase &work)
{
    sql::Transaction transaction(work);
    if (!transaction.active())
        return false;
    sql::exec(work, u"DELETE FROM w明細"_s);
    // Rows the delete could not remove are kept; only an empty table is refilled.
    if (sql::scalar(work, u"SELECT count(*) FROM w明細"_s).toInt() == 0) {
        QList<sql::Row> rows;
        rows.reserve(LineCount);
        for (int n = 1; n <= LineCount; ++n)
            rows.append(sql::Row{n});
        if (!sql::execMany(work, u"INSERT INTO w明細 (行番号) VALUES (?)"_s, rows))
            return false;
    }
    return transaction.commit();
}

Totals workTotals(const QSqlDatabase &work)
{
    const QList<sql::Row> rows =
        sql::rows(work, u"SELECT sum(時間), sum(調整額), sum(金額) FROM w明細"_s);
    if (rows.isEmpty())
        return {};
    const sql::Row &row = rows.first();
    return {row.value(0), row.value(1), row.value(2)};
}

QList<sql::Row> filledWorkLines(const QSqlDatabase &work, bool *ok)
{
    // Lines of the same day keep their order on the screen.
    return sql::rows(work,
                     u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 FROM w明細 "
                     u"WHERE 日付 IS NOT NULL AND 日付 <> '' AND 金額 IS NOT NULL AND 金額 <> '' "
                     u"ORDER BY 日付, 行番号"_s,
                     {}, ok);
}

bool storeSheet(const QSqlDatabase &main, const Key &key, const Header &header,
                const QList<sql::Row> &lines)
{
    const QVariant headerRow = sql::scalar(
        main, u"SELECT rowid FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ? ORDER BY rowid LIMIT 1"_s,
        {key.name, key.title});
    const QVariantList values{key.name,          key.title,      header.wage, header.breakHours,
                              header.adjustment, header.hours,   header.total};
    bool ok = false;
    if (headerRow.isValid()) {
        QVariantList update = values;
        update.append(headerRow);
        ok = sql::exec(main,
                       u"UPDATE 時給ヘッダ SET 氏名 = ?, タイトル = ?, 時給 = ?, 休憩 = ?, 調整額 = ?, "
                       u"時間 = ?, 合計 = ? WHERE rowid = ?"_s,
                       update);
    } else {
        ok = sql::exec(main,
                       u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                       u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                       values);
    }
    if (!ok)
        return false;
    if (!sql::exec(main, u"DELETE FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, {key.name, key.title}))
        return false;
    QList<sql::Row> rows;
    rows.reserve(lines.size());
    int number = 0;
    for (const sql::Row &line : lines) {
        sql::Row row{key.name, key.title, ++number};
        row.append(line);
        rows.append(std::move(row));
    }
    return sql::execMany(main,
                         u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, "
                         u"時給, 調整額, 金額) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                         rows);
}

std::optional<Header> readHeader(const QSqlDatabase &main, const Key &key)
{
    const QList<sql::Row> rows = sql::rows(
        main,
        u"SELECT 時給, 休憩, 調整額, 時間, 合計 FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ? "
        u"ORDER BY rowid LIMIT 1"_s,
        {key.name, key.title});
    if (rows.isEmpty())
        return std::nullopt;
    const sql::Row &row = rows.first();
    return Header{row.value(0), row.value(1), row.value(2), row.value(3), row.value(4)};
}

QList<sql::Row> readLines(const QSqlDatabase &main, const Key &key)
{
    return sql::rows(main,
                     u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 FROM 時給明細 "
                     u"WHERE 氏名 = ? AND タイトル = ? ORDER BY 行番号"_s,
                     {key.name, key.title});
}

bool placeWorkLines(const QSqlDatabase &work, const QList<sql::Row> &lines)
{
    if (lines.isEmpty())
        return true;
    sql::Transaction transaction(work);
    if (!transaction.active())
        return false;
    const QList<sql::Row> workRows =
        sql::rows(work, u"SELECT rowid, 行番号 FROM w明細 ORDER BY 行番号"_s);
    QList<sql::Row> updates;
    QList<sql::Row> inserts;
    int lastNumber = workRows.isEmpty() ? 0 : workRows.last().value(1).toInt();
    for (int i = 0; i < lines.size(); ++i) {
        if (i < workRows.size()) {
            sql::Row row = lines.at(i);
            row.append(workRows.at(i).value(0));
            updates.append(std::move(row));
        } else {
            sql::Row row{++lastNumber};
            row.append(lines.at(i));
            inserts.append(std::move(row));
        }
    }
    bool ok = sql::execMany(work,
                            u"UPDATE w明細 SET 日付 = ?, 開始時間 = ?, 終了時間 = ?, 時間 = ?, 時給 = ?, "
                            u"調整額 = ?, 金額 = ? WHERE rowid = ?"_s,
                            updates);
    if (ok && !inserts.isEmpty())
        ok = sql::execMany(work,
                           u"INSERT INTO w明細 (行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額) "
                           u"VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                           inserts);
    return ok && transaction.commit();
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
