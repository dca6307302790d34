#include "history/paydaystore.h"

#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>

using namespace Qt::StringLiterals;

namespace history {

namespace {

using Take = std::function<void(const sheet::Key &, QList<sql::Row> &&)>;

bool failed(const QSqlQuery &query, const QString &statement)
{
    qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
    return false;
}

// Runs one statement, prepared once, for every key (bound as name and title)
// and hands each key its rows; all inside one read transaction.
bool readEachKey(const QSqlDatabase &db, const QString &statement, const QList<sheet::Key> &keys,
                 const Take &take)
{
    if (!sql::exec(db, u"BEGIN"_s))
        return false;
    bool ok = true;
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        ok = query.prepare(statement) || failed(query, statement);
        for (qsizetype k = 0; ok && k < keys.size(); ++k) {
            query.bindValue(0, keys.at(k).name);
            query.bindValue(1, keys.at(k).title);
            ok = query.exec() || failed(query, statement);
            QList<sql::Row> rows;
            const int columns = query.record().count();
            while (ok && query.next()) {
                sql::Row row;
                row.reserve(columns);
                for (int c = 0; c < columns; ++c)
                    row.append(query.value(c));
                rows.append(std::move(row));
            }
            // A step that fails half-way ends the rows early: that is a failed read, not fewer rows.
            if (ok && query.lastError().isValid())
                ok = failed(query, statement);
            if (ok)
                take(keys.at(k), std::move(rows));
        }
        query.finish();
    }
    sql::exec(db, u"COMMIT"_s);
    return ok;
}

} // namespace

std::optional<StoredSheets> readHeaders(const QSqlDatabase &main, const QList<sheet::Key> &keys)
{
    StoredSheets sheets;
    const bool ok = readEachKey(
        main,
        u"SELECT 時給, 休憩, 調整額, 時間, 合計, 時間外, 深夜, 休日, 割増 FROM 時給ヘッダ "
        u"WHERE 氏名 = ? AND タイトル = ? ORDER BY rowid LIMIT 1"_s,
        keys, [&](const sheet::Key &key, QList<sql::Row> &&rows) {
            if (rows.isEmpty()) {
                sheets.missing.append(key);
                return;
            }
            sheets.found.append({key, sheet::headerOf(rows.first())});
        });
    return ok ? std::optional(sheets) : std::nullopt;
}

std::optional<QList<sql::Row>> readLines(const QSqlDatabase &main, const QList<sheet::Key> &keys)
{
    QList<sql::Row> lines;
    const bool ok = readEachKey(
        main,
        u"SELECT 氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額, "
        u"休日, 深夜, 時間外, 割増 FROM 時給明細 WHERE 氏名 = ? AND タイトル = ? ORDER BY 行番号"_s,
        keys, [&](const sheet::Key &, QList<sql::Row> &&rows) { lines.append(std::move(rows)); });
    return ok ? std::optional(lines) : std::nullopt;
}

} // namespace history
