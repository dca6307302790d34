#include "data/copyextras.h"

#include "data/schema.h"
#include "data/sql.h"

#include <QSqlError>

using namespace Qt::StringLiterals;

namespace copyextras {

namespace {

const QString InfoTable = u"控え情報"_s;

QString hintTableSql()
{
    for (const TableDef &table : workSchema().tables)
        if (table.name == u"ClHint"_s)
            return table.createSql;
    return {};
}

bool tableExists(const QSqlDatabase &db, const QString &schema, const QString &table)
{
    return sql::scalar(db, u"SELECT count(*) FROM %1.sqlite_master WHERE type = 'table' AND name = ?"_s.arg(schema),
                       {table})
               .toInt()
        > 0;
}

} // namespace

bool addTo(const QString &copy, const QString &workFile, const QString &reason)
{
    return sql::withFile(copy, sql::Access::ReadWrite, [&](const QSqlDatabase &db) {
        // A main file put back by hand still carries the extras of its copy.
        bool ok = strip(db) && sql::exec(db, u"CREATE TABLE %1 (理由 TEXT)"_s.arg(InfoTable))
            && sql::exec(db, u"INSERT INTO %1 (理由) VALUES (?)"_s.arg(InfoTable), {reason})
            && sql::exec(db, hintTableSql());
        if (!ok)
            return false;
        const sql::Attachment work(db, workFile, u"work"_s);
        if (!work.attached() || !tableExists(db, u"work"_s, u"ClHint"_s)
            || !sql::exec(db, u"INSERT INTO ClHint SELECT FormName, CtlName, FormTitle, Contents FROM work.ClHint"_s))
            qWarning().noquote() << "The hint texts could not be copied from" << workFile;
        return true;
    });
}

bool isCopy(const QSqlDatabase &file)
{
    return tableExists(file, u"main"_s, InfoTable) || tableExists(file, u"main"_s, u"ClHint"_s);
}

QString reason(const QSqlDatabase &copy)
{
    if (!tableExists(copy, u"main"_s, InfoTable))
        return {};
    return sql::scalar(copy, u"SELECT 理由 FROM %1"_s.arg(InfoTable)).toString();
}

bool hasHints(const QSqlDatabase &copy)
{
    return tableExists(copy, u"main"_s, u"ClHint"_s) && sql::scalar(copy, u"SELECT count(*) FROM ClHint"_s).toInt() > 0;
}

bool hintsToWork(const QSqlDatabase &work, const QString &copy)
{
    const sql::Attachment source(work, copy, u"source"_s);
    if (!source.attached() || !tableExists(work, u"source"_s, u"ClHint"_s))
        return source.attached();
    return sql::exec(work, u"INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) "
                           u"SELECT FormName, CtlName, FormTitle, Contents FROM source.ClHint AS copied "
                           u"WHERE NOT EXISTS (SELECT 1 FROM ClHint WHERE FormName = copied.FormName "
                           u"AND CtlName = copied.CtlName)"_s);
}

bool strip(const QSqlDatabase &file)
{
    return sql::exec(file, u"DROP TABLE IF EXISTS %1"_s.arg(InfoTable))
        && sql::exec(file, u"DROP TABLE IF EXISTS ClHint"_s);
}

} // namespace copyextras
