#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

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

// A file's tables as its first version had them, and the steps that bring
// it up to date: upgrades.at(i) takes a file of version i (SQLite's
// user_version) to version i + 1.
struct FileSchema
{
    QList<TableDef> tables;
    QList<QStringList> upgrades;
    int version() const { return int(upgrades.size()); }
};

const FileSchema &mainSchema();
const FileSchema &workSchema();

// Creates every table and index of the schema on an empty database, up to
// date, in one transaction.
bool createSchema(const QSqlDatabase &db, const FileSchema &schema);

// The version of the file's tables (0 for a file of Pelora 1.30 as first
// released), or -1 when it cannot be read.
int fileVersion(const QSqlDatabase &db);
// Brings a file of an earlier version up to date in one transaction: a
// failure, or a kill, leaves it as it was.
bool upgradeSchema(const QSqlDatabase &db, const FileSchema &schema);

// How many writes the main file has seen: raised by every change of an
// employee, a sheet's header or the company settings, whoever makes it, and
// carried by every copy. A file with a lower number than the one Pelora last
// used is an older state of the data. 0 for a file that does not count yet;
// nothing when the file cannot be read.
std::optional<qint64> generationOf(const QSqlDatabase &main);

// Returns the name of the first table (or "table.column") that the database lacks,
// or an empty string when everything the program needs is there.
QString findMissingTable(const QSqlDatabase &db, const FileSchema &schema, bool *readable);
