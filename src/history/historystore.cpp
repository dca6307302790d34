#include "history/historystore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace history {

bool rebuild(const QSqlDatabase &main, const QSqlDatabase &work)
{
    // The rows go from file to file inside SQLite: a list of every sheet is
    // then hardly more than reading it once. The table is read straight
    // through and sorted: walking the name index instead would look up every
    // sheet's row in turn, several times slower once the sheets outgrow
    // SQLite's page cache.
    return sql::refillFromMain(work, main, u"w履歴"_s, u"氏名, 合計, タイトル"_s,
                               u"SELECT 氏名, 合計, タイトル FROM {main}時給ヘッダ{scan} ORDER BY 氏名"_s);
}

bool clear(const QSqlDatabase &work)
{
    return sql::exec(work, u"DELETE FROM w履歴"_s);
}

} // namespace history
