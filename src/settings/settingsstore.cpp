#include "settings/settingsstore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace settings {

std::optional<Company> read(const QSqlDatabase &main, bool *ok)
{
    const QList<sql::Row> rows =
        sql::rows(main, u"SELECT 自社名, 自社情報 FROM 自社情報 ORDER BY rowid LIMIT 1"_s, {}, ok);
    if (rows.isEmpty())
        return std::nullopt;
    return Company{rows.first().value(0), rows.first().value(1)};
}

bool store(const QSqlDatabase &main, const QString &name, const QString &info)
{
    const QVariant rowId = sql::scalar(main, u"SELECT rowid FROM 自社情報 ORDER BY rowid LIMIT 1"_s);
    if (rowId.isValid())
        return sql::exec(main, u"UPDATE 自社情報 SET 自社名 = ?, 自社情報 = ? WHERE rowid = ?"_s,
                         {name, info, rowId});
    return sql::exec(main, u"INSERT INTO 自社情報 (自社名, 自社情報) VALUES (?, ?)"_s, {name, info});
}

bool blank(const QSqlDatabase &main)
{
    return sql::exec(main,
                     u"UPDATE 自社情報 SET 自社名 = NULL, 自社情報 = NULL "
                     u"WHERE rowid = (SELECT rowid FROM 自社情報 ORDER BY rowid LIMIT 1)"_s);
}

bool deleteAllData(const QSqlDatabase &main)
{
    sql::Transaction transaction(main);
    return transaction.active() && sql::exec(main, u"DELETE FROM 時給ヘッダ"_s)
        && sql::exec(main, u"DELETE FROM 時給明細"_s) && sql::exec(main, u"DELETE FROM 従業員"_s)
        && sql::exec(main, u"DELETE FROM 自社情報"_s) && transaction.commit();
}

} // namespace settings
