#include "data/filecheck.h"

#include "data/background.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace filecheck {

namespace {

bool saysOk(const QSqlDatabase &db, const QString &pragma)
{
    bool ran = false;
    const QList<sql::Row> rows = sql::rows(db, pragma, {}, &ran);
    return ran && rows.size() == 1 && rows.first().value(0).toString() == u"ok"_s;
}

QString quoted(const QString &identifier)
{
    return u'"' + QString(identifier).replace(u'"', u"\"\""_s) + u'"';
}

// The entries of an index against the rows of its table. Each side is one
// sequential read (the index alone, the table alone); integrity_check instead
// looks every row up in every index, which on a large file takes nearly four
// times as long as both reads together.
bool indexMatchesTable(const QSqlDatabase &db, const QString &table, const QString &index)
{
    const QString count = u"SELECT count(*), sum(rowid) FROM %1 "_s.arg(quoted(table));
    bool indexRead = false, tableRead = false;
    const QList<sql::Row> entries = sql::rows(db, count + u"INDEXED BY "_s + quoted(index), {}, &indexRead);
    const QList<sql::Row> rows = sql::rows(db, count + u"NOT INDEXED"_s, {}, &tableRead);
    return indexRead && tableRead && !entries.isEmpty() && !rows.isEmpty()
        && entries.first().value(0).toLongLong() == rows.first().value(0).toLongLong()
        && entries.first().value(1).toLongLong() == rows.first().value(1).toLongLong();
}

} // namespace

bool quickCheck(const QSqlDatabase &db)
{
    return saysOk(db, u"PRAGMA quick_check"_s);
}

bool integrityCheck(const QSqlDatabase &db)
{
    // Matching every index entry to its row revisits the same pages over and
    // over: a larger page cache for the check alone saves about a quarter of
    // its time on a large file, and is given back after it.
    const QVariant cacheSize = sql::scalar(db, u"PRAGMA cache_size"_s);
    sql::exec(db, u"PRAGMA cache_size=-32768"_s);
    const bool sound = saysOk(db, u"PRAGMA integrity_check"_s);
    sql::exec(db, u"PRAGMA cache_size=%1"_s.arg(cacheSize.toLongLong()));
    return sound;
}

bool checkWhole(const QSqlDatabase &db, OpenSteps *steps)
{
    bool listed = false;
    // Partial indexes hold only some rows of their table by design.
    const QList<sql::Row> indexes =
        sql::rows(db, u"SELECT m.name, i.name FROM sqlite_master AS m, pragma_index_list(m.name) AS i "
                      u"WHERE m.type = 'table' AND i.partial = 0"_s,
                  {}, &listed);
    if (!listed)
        return false;
    OpenSteps unseen;
    OpenSteps &counted = steps ? *steps : unseen;
    counted.begin(OpenSteps::Phase::Checking, int(indexes.size()) + 1);
    // The two halves read the file each on a processor of its own.
    bool whole = false;
    Worker quick([&whole, file = db.databaseName()] {
        whole = sql::withFile(file, sql::Access::ReadOnly, quickCheck);
    });
    bool sound = true;
    for (const sql::Row &index : indexes) {
        if (!indexMatchesTable(db, index.value(0).toString(), index.value(1).toString())) {
            sound = false;
            break;
        }
        ++counted.done;
    }
    quick.wait();
    sound = whole && sound;
    if (sound)
        ++counted.done;
    return sound;
}

bool readsAsMainFile(const QString &file)
{
    return sql::withFile(file, sql::Access::ReadOnly, [&file](const QSqlDatabase &db) {
        const qint64 pages = sql::scalar(db, u"PRAGMA page_count"_s).toLongLong();
        const qint64 pageSize = sql::scalar(db, u"PRAGMA page_size"_s).toLongLong();
        bool readable = false;
        const QString missing = findMissingTable(db, mainSchema(), &readable);
        return pages > 0 && pages * pageSize == QFileInfo(file).size() && readable && missing.isEmpty();
    });
}

bool wholeDatabase(const QString &file, OpenSteps *steps)
{
    return readsAsMainFile(file) && sql::withFile(file, sql::Access::ReadOnly, [steps](const QSqlDatabase &db) {
               return checkWhole(db, steps);
           });
}

bool holdsData(const QSqlDatabase &main)
{
    for (const TableDef &table : mainSchema().tables)
        if (sql::scalar(main, u"SELECT EXISTS (SELECT 1 FROM %1)"_s.arg(table.name)).toBool())
            return true;
    return false;
}

} // namespace filecheck
