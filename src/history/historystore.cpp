#include "history/historystore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace history {

bool rebuild(const QSqlDatabase &main, const QSqlDatabase &work)
{
    bool ok = false;
    const QList<sql::Row> sheets =
        sql::rows(main, u"SELECT 氏名, 合計, タイトル FROM 時給ヘッダ ORDER BY 氏名"_s, {}, &ok);
    sql::Transaction transaction(work);
    if (!transaction.active() || !sql::exec(work, u"DELETE FROM w履歴"_s))
        return false;
    if (ok && !sql::execMany(work, u"INSERT INTO w履歴 (氏名, 合計, タイトル) VALUES (?, ?, ?)"_s, sheets))
        return false;
    return transaction.commit() && ok;
}

bool clear(const QSqlDatabase &work)
{
    return sql::exec(work, u"DELETE FROM w履歴"_s);
}

} // namespace history
