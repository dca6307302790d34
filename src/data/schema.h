#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of the two files. Names and titles are TEXT; yen and hours are
// REAL so that nothing is rounded in storage; dates are ISO text (yyyy-mm-dd)
// so that ordering by date is chronological; times are their four-digit text;
// the tick is 0/1.
struct TableDef
{
    QString name;
    QStringList columns;   // column names, in order
    QString createSql;
    QStringList indexSql;  // lookup indexes created with the table
};

struct FileSchema
{
    QList<TableDef> tables;
};

const FileSchema &mainSchema();
const FileSchema &workSchema();

// Creates every table and index of the schema on an empty database, in one transaction.
bool createSchema(const QSqlDatabase &db, const FileSchema &schema);

// Returns the name of the first table (or "table.column") that the database lacks,
// or an empty string when everything the program needs is there.
QString findMissingTable(const QSqlDatabase &db, const FileSchema &schema, bool *readable);
