#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>

// The few database operations the rest of the program uses. Every value goes
// in as a bound parameter; a failing statement is logged with its text and the
// engine's error and reported to the caller as false, never as a dialog.
namespace sql {

using Row = QVariantList;

QSqlDatabase connection(const QString &connectionName);

// A server connection named here keeps each statement it runs with values
// prepared, so that it costs one round trip to the server the next time
// rather than three (prepare, execute, deallocate). forgetStatements lets
// them go: before the connection closes, and when it is opened again.
// Nothing changes for a file.
void keepStatements(const QSqlDatabase &db);
void forgetStatements(const QString &connectionName);

// Opens a connection of its own to file on the calling thread, runs fn on it,
// and closes and removes it again: the one way to read or change a file other
// than the two the data store holds open (a copy, a file put back, the main
// file read on a worker thread). False when the file could not be opened (a
// missing file is created only with Access::Create) or fn returned false.
enum class Access { ReadOnly, ReadWrite, Create }; // Create: a new file, made when missing
bool withFile(const QString &file, Access access, const std::function<bool(const QSqlDatabase &)> &fn);

bool exec(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {});

// Runs a query and returns all of its rows; the query is finished before
// returning, so no read lock is left on the file.
QList<Row> rows(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {},
                bool *ok = nullptr);

// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {});

// Runs an insert and returns the new row's rowid, or an invalid QVariant when it failed.
QVariant insert(const QSqlDatabase &db, const QString &statement, const QVariantList &values);

// Runs a change and returns how many rows it changed, or -1 when it failed.
int changed(const QSqlDatabase &db, const QString &statement, const QVariantList &values);

// Runs one prepared statement for every row of values, stopping at the first failure.
bool execMany(const QSqlDatabase &db, const QString &statement, const QList<Row> &rows);

// Inserts rows into the columns of table ("a, b, c"). A file takes one prepared
// insert per row; a server takes many rows to a statement, since each statement
// is a round trip over the network.
bool insertRows(const QSqlDatabase &db, const QString &table, const QString &columns, const QList<Row> &rows);

// Inserts every row that select reads from from into the columns of table in
// to, as insertRows does, reading forward and inserting as it goes: a whole
// table is never held in memory at once. False when either side failed.
bool copyRows(const QSqlDatabase &from, const QString &select, const QSqlDatabase &to, const QString &table,
              const QString &columns);

// Another database file seen through a connection under a schema name
// (schema.table) while the object lives, so that one statement copies rows
// from file to file inside SQLite instead of row by row through the program.
// The file must exist: attaching never creates one (a main file moved away
// while Pelora runs must not reappear empty under its name). Attaches and
// detaches outside any transaction: create it before one.
class Attachment
{
public:
    Attachment(const QSqlDatabase &db, const QString &file, const QString &schema);
    ~Attachment();
    Attachment(const Attachment &) = delete;
    Attachment &operator=(const Attachment &) = delete;

    bool attached() const { return m_attached; }

private:
    QSqlDatabase m_db;
    QString m_schema;
    bool m_attached = false;
};

// Empties table of the work file and refills its columns with what select
// reads from the main data, in one transaction of work: when the copy fails
// the table keeps its previous rows. select names the main data's tables as
// {main}table, and may ask for a plain scan of a table with {scan} after its
// name. From a main file the rows go from file to file inside SQLite (the
// file attached as "source"), never one by one through the program; from a
// server they come over and go in as copyRows puts them.
bool refillFromMain(const QSqlDatabase &work, const QSqlDatabase &main, const QString &table, const QString &columns,
                    const QString &select);

// An all-or-nothing write. BEGIN IMMEDIATE takes the write lock up front so
// that a busy file fails at the start rather than half-way. Rolled back on
// destruction unless commit() succeeded.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool active() const { return m_active; }
    bool commit();
    void rollback();

private:
    QSqlDatabase m_db;
    bool m_active = false;
};

} // namespace sql
