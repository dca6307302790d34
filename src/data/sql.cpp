#include "data/sql.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QLoggingCategory>
#include <QSqlDriver>
#include <atomic>
#include <memory>
#include <optional>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace sql {

namespace {

bool onServer(const QSqlDatabase &db)
{
    return db.driverName() == QStringLiteral("QPSQL");
}

// The statements a server connection keeps prepared (keepStatements), by
// connection name and then by text.
struct Kept
{
    QMutex mutex;
    QSet<QString> keeping;
    QHash<QString, QHash<QString, std::shared_ptr<QSqlQuery>>> queries;
};

Kept &kept()
{
    static Kept statements;
    return statements;
}

// The connection's kept query for statement, prepared the first time; null
// when the connection keeps none, or the kept one is in use.
std::shared_ptr<QSqlQuery> keptQuery(const QSqlDatabase &db, const QString &statement)
{
    Kept &all = kept();
    const QMutexLocker lock(&all.mutex);
    if (!all.keeping.contains(db.connectionName()))
        return {};
    std::shared_ptr<QSqlQuery> &query = all.queries[db.connectionName()][statement];
    if (!query) {
        auto made = std::make_shared<QSqlQuery>(db);
        made->setForwardOnly(true);
        if (!made->prepare(statement))
            return {};
        query = made;
    }
    return query.use_count() == 1 && !query->isActive() ? query : nullptr;
}

// Lets the kept statements of a connection go; with stopKeeping, it keeps no more.
void dropKept(const QString &connectionName, bool stopKeeping)
{
    QHash<QString, std::shared_ptr<QSqlQuery>> queries; // let go outside the lock
    Kept &all = kept();
    const QMutexLocker lock(&all.mutex);
    queries = all.queries.take(connectionName);
    if (stopKeeping)
        all.keeping.remove(connectionName);
}

// Runs statement on query, prepared there unless it is a kept one already.
bool runOn(QSqlQuery &query, bool prepared, const QString &statement, const QVariantList &values)
{
    // A server prepares no transaction statement (BEGIN, COMMIT): a statement
    // with no value to bind runs as it stands there.
    bool ok = false;
    if (values.isEmpty() && query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        query.setForwardOnly(true);
        ok = query.exec(statement);
    } else if (prepared || (query.setForwardOnly(true), ok = query.prepare(statement))) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        ok = query.exec();
    }
    if (!ok)
        qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
    return ok;
}

// Opens a server connection again. After a try that failed it waits a second
// before the next, so that the statements left in a failing operation do not
// each wait out the connect time-out once more.
void reopen(const QSqlDatabase &db)
{
    static QMutex mutex;
    static QHash<QString, QDeadlineTimer> quiet; // by connection name: no try before it expires
    {
        const QMutexLocker lock(&mutex);
        if (!quiet.value(db.connectionName(), QDeadlineTimer(0)).hasExpired())
            return;
    }
    dropKept(db.connectionName(), false); // they end with the session
    QSqlDatabase connection = db;
    connection.close();
    const bool opened = connection.open();
    if (!opened)
        qWarning().noquote() << "The server cannot be reached:" << connection.lastError().text();
    const QMutexLocker lock(&mutex);
    if (opened)
        quiet.remove(db.connectionName());
    else
        quiet.insert(db.connectionName(), QDeadlineTimer(1000));
}

// A statement that failed on a server for want of the server (no answer at
// all, or SQLSTATE class 08, or the server shutting down) leaves the session
// dead: the connection is closed, to be opened again before its next
// statement (reopenIfClosed), so that the operation after the network or the
// server is back works. The operation that failed says so at once, without
// waiting on a connect to a network that may still be gone. Whether it was lost.
bool closeIfLost(const QSqlDatabase &db, const QSqlError &error)
{
    if (!onServer(db))
        return false;
    const QString state = error.nativeErrorCode();
    if (!state.isEmpty() && !state.startsWith(QStringLiteral("08")) && !state.startsWith(QStringLiteral("57P")))
        return false;
    dropKept(db.connectionName(), false);
    QSqlDatabase connection = db;
    connection.close();
    return true;
}

bool beginsTransaction(const QString &statement)
{
    return statement.startsWith(QStringLiteral("BEGIN"));
}

bool endsTransaction(const QString &statement)
{
    return statement.startsWith(QStringLiteral("COMMIT")) || statement.startsWith(QStringLiteral("ROLLBACK"));
}

// The server connections inside a transaction begun here, by name: from a
// BEGIN that ran to its COMMIT or ROLLBACK, whether or not the session was
// lost in between (what follows a loss belongs to the failed transaction).
struct Open
{
    QMutex mutex;
    QSet<QString> names;
};

Open &openTransactions()
{
    static Open open;
    return open;
}

bool inTransaction(const QSqlDatabase &db)
{
    Open &open = openTransactions();
    const QMutexLocker lock(&open.mutex);
    return open.names.contains(db.connectionName());
}

void noteTransaction(const QSqlDatabase &db, const QString &statement, bool ran)
{
    if (!onServer(db))
        return;
    Open &open = openTransactions();
    const QMutexLocker lock(&open.mutex);
    if (endsTransaction(statement))
        open.names.remove(db.connectionName());
    else if (ran && beginsTransaction(statement))
        open.names.insert(db.connectionName());
}

// A statement that found its session gone (the server restarted, or the
// network dropped it while idle) runs once more on a new one when nothing of
// it or of its transaction can have happened: a BEGIN, or a read outside any
// transaction, failed before a row was read. An operation then works at the
// first try once the server is back, rather than failing on the old session.
// Only when the session was found dead at once: a statement that waited out a
// silent network is told, not sent into the same silence again.
bool repeatable(const QString &statement, bool wasInTransaction, bool reading, const QElapsedTimer &ran)
{
    return !reading && ran.elapsed() < 1000
        && (beginsTransaction(statement) || (!wasInTransaction && statement.startsWith(QStringLiteral("SELECT"))));
}

// A server connection closed because its session was lost is opened before
// its next statement.
void reopenIfClosed(const QSqlDatabase &db)
{
    if (onServer(db) && !db.isOpen())
        reopen(db);
}

// Runs a statement on a query of its own, hands the query to read when it ran.
bool run(const QSqlDatabase &db, const QString &statement, const QVariantList &values,
         const std::function<void(QSqlQuery &)> &read = {})
{
    for (bool again = false;; again = true) {
        // A session lost in a transaction took the transaction with it: its end
        // waits on no connect.
        if (onServer(db) && !db.isOpen() && endsTransaction(statement)) {
            noteTransaction(db, statement, false);
            return statement.startsWith(QStringLiteral("ROLLBACK"));
        }
        reopenIfClosed(db);
        const bool wasInTransaction = inTransaction(db);
        QElapsedTimer ran;
        ran.start();
        QSqlError error;
        bool ok = false;
        bool reading = false;
        {
            const std::shared_ptr<QSqlQuery> reused = values.isEmpty() ? nullptr : keptQuery(db, statement);
            std::optional<QSqlQuery> own;
            QSqlQuery &query = reused ? *reused : own.emplace(db);
            ok = runOn(query, bool(reused), statement, values);
            if (ok && read) {
                reading = true;
                read(query);
            }
            if (ok && query.lastError().isValid() && query.lastError().type() != QSqlError::NoError) {
                // A step that failed half-way through the rows: a failed read, not fewer rows.
                qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
                ok = false;
            }
            error = query.lastError();
            query.finish();
        }
        noteTransaction(db, statement, ok);
        if (ok)
            return true;
        if (!closeIfLost(db, error) || again || !repeatable(statement, wasInTransaction, reading, ran))
            return false;
        qInfo().noquote() << "The session with the server was lost; the statement runs again on a new one.";
    }
}

} // namespace

void keepStatements(const QSqlDatabase &db)
{
    if (!onServer(db))
        return;
    Kept &all = kept();
    const QMutexLocker lock(&all.mutex);
    all.keeping.insert(db.connectionName());
}

void forgetStatements(const QString &connectionName)
{
    dropKept(connectionName, true);
}

QSqlDatabase connection(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

bool withFile(const QString &file, Access access, const std::function<bool(const QSqlDatabase &)> &fn)
{
    if (access != Access::Create && !QFileInfo(file).isFile())
        return false;
    static std::atomic<int> counter = 0;
    const QString name = QStringLiteral("pelora-file-%1").arg(++counter);
    bool result = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        // URIs: see Attachment.
        db.setConnectOptions(access == Access::ReadOnly
                                 ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_URI"));
        if (db.open())
            result = fn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool exec(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    return run(db, statement, values);
}

QList<Row> rows(const QSqlDatabase &db, const QString &statement, const QVariantList &values, bool *ok)
{
    QList<Row> result;
    const bool ran = run(db, statement, values, [&result](QSqlQuery &query) {
        const int columns = query.record().count();
        while (query.next()) {
            Row row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.append(query.value(c));
            result.append(std::move(row));
        }
    });
    if (!ran)
        result.clear();
    if (ok)
        *ok = ran;
    return result;
}

QVariant scalar(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QVariant value;
    run(db, statement, values, [&value](QSqlQuery &query) {
        if (query.next())
            value = query.value(0);
    });
    return value;
}

QVariant insert(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QVariant id;
    const bool ran = run(db, statement, values, [&id](QSqlQuery &query) { id = query.lastInsertId(); });
    return ran ? id : QVariant();
}

int changed(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    int count = -1;
    run(db, statement, values, [&count](QSqlQuery &query) { count = query.numRowsAffected(); });
    return count;
}

bool execMany(const QSqlDatabase &db, const QString &statement, const QList<Row> &rows)
{
    QSqlError error;
    bool ok = true;
    {
        QSqlQuery query(db);
        if (!query.prepare(statement)) {
            qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
            ok = false;
        }
        for (qsizetype r = 0; ok && r < rows.size(); ++r) {
            const Row &row = rows.at(r);
            for (int i = 0; i < row.size(); ++i)
                query.bindValue(i, row.at(i));
            if (!query.exec()) {
                qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
                ok = false;
            }
        }
        error = query.lastError();
    }
    if (!ok)
        closeIfLost(db, error);
    return ok;
}

namespace {

// Rows on their way into a table, sent as they gather, many to a statement:
// up to 500 on a server (under its limit of 65,535 values to a statement),
// where each statement is a round trip; up to 100 on a file (under SQLite's
// oldest limit of 999 values), where each costs the program's binding.
class Inserter
{
public:
    Inserter(const QSqlDatabase &db, const QString &table, const QString &columns)
        : m_db(db)
        , m_insert(QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns))
        , m_width(int(columns.count(QLatin1Char(',')) + 1))
        , m_batch(onServer(db) ? qMin(500, 30000 / m_width) : qMax(1, qMin(100, 999 / m_width)))
    {
        reopenIfClosed(db);
        m_pending.reserve(m_batch);
    }
    ~Inserter()
    {
        if (!m_ok)
            closeIfLost(m_db, m_error);
    }

    bool add(Row row)
    {
        m_pending.append(std::move(row));
        return m_pending.size() < m_batch || flush();
    }

    bool finish() { return m_pending.isEmpty() ? m_ok : flush(); }

private:
    QString statement(qsizetype rows) const
    {
        QStringList places(m_width, QStringLiteral("?"));
        const QString one = QLatin1Char('(') + places.join(QStringLiteral(", ")) + QLatin1Char(')');
        return m_insert + QStringList(rows, one).join(QStringLiteral(", "));
    }

    bool flush()
    {
        // A file takes a short last batch row by row: one statement prepared
        // once costs less there than a long one prepared for a single use.
        if (m_pending.size() == m_batch || onServer(m_db)) {
            send(m_pending);
        } else {
            for (const Row &row : std::as_const(m_pending))
                send({row});
        }
        m_pending.clear();
        return m_ok;
    }

    void send(const QList<Row> &rows)
    {
        if (!m_ok)
            return;
        const QString text = statement(rows.size());
        std::shared_ptr<QSqlQuery> query = keptQuery(m_db, text);
        if (!query) {
            std::shared_ptr<QSqlQuery> &prepared = m_prepared[rows.size()];
            if (!prepared) {
                prepared = std::make_shared<QSqlQuery>(m_db);
                m_ok = prepared->prepare(text);
            }
            query = prepared;
        }
        int place = 0;
        for (const Row &row : rows)
            for (const QVariant &value : row)
                query->bindValue(place++, value);
        m_ok = m_ok && place == m_width * rows.size() && query->exec();
        if (!m_ok) {
            m_error = query->lastError();
            qWarning().noquote() << "SQL failed:" << m_insert << "--" << m_error.text();
        }
    }

    QSqlDatabase m_db;
    QString m_insert;
    int m_width;
    int m_batch;
    QHash<qsizetype, std::shared_ptr<QSqlQuery>> m_prepared; // by the rows a statement inserts
    bool m_ok = true;
    QSqlError m_error;
    QList<Row> m_pending;
};

} // namespace

bool insertRows(const QSqlDatabase &db, const QString &table, const QString &columns, const QList<Row> &rows)
{
    Inserter inserter(db, table, columns);
    for (const Row &row : rows)
        if (!inserter.add(row))
            return false;
    return inserter.finish();
}

bool copyRows(const QSqlDatabase &from, const QString &select, const QSqlDatabase &to, const QString &table,
              const QString &columns)
{
    Inserter inserter(to, table, columns);
    reopenIfClosed(from);
    QSqlError error;
    bool ok = false;
    {
        QSqlQuery query(from);
        query.setForwardOnly(true);
        ok = query.exec(select);
        const int width = query.record().count();
        while (ok && query.next()) {
            Row row;
            row.reserve(width);
            for (int c = 0; c < width; ++c)
                row.append(query.value(c));
            ok = inserter.add(std::move(row));
        }
        // A read that stopped half-way is a failed read, not fewer rows.
        if (query.lastError().type() != QSqlError::NoError) {
            qWarning().noquote() << "SQL failed:" << select << "--" << query.lastError().text();
            ok = false;
        }
        error = query.lastError();
        query.finish();
    }
    if (!ok)
        closeIfLost(from, error);
    return ok && inserter.finish();
}

Attachment::Attachment(const QSqlDatabase &db, const QString &file, const QString &schema)
    : m_db(db)
    , m_schema(schema)
{
    // As a URI opened read-write: SQLite then refuses a missing file instead of creating it.
    const QString uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?mode=rw");
    m_attached = exec(m_db, QStringLiteral("ATTACH DATABASE ? AS ?"), {uri, schema});
}

Attachment::~Attachment()
{
    if (m_attached)
        exec(m_db, QStringLiteral("DETACH DATABASE ?"), {m_schema});
}

bool refillFromMain(const QSqlDatabase &work, const QSqlDatabase &main, const QString &table, const QString &columns,
                    const QString &select)
{
    if (onServer(main)) {
        // No statement reaches from a server into a file: the rows come over, then go in.
        Transaction transaction(work);
        return transaction.active() && exec(work, QStringLiteral("DELETE FROM ") + table)
            && copyRows(main, QString(select).replace(QStringLiteral("{main}"), QString()).remove(QStringLiteral("{scan}")),
                        work, table, columns)
            && transaction.commit();
    }
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) ").arg(table, columns);
    const Attachment source(work, main.databaseName(), QStringLiteral("source"));
    if (!source.attached())
        return false;
    Transaction transaction(work);
    return transaction.active() && exec(work, QStringLiteral("DELETE FROM ") + table)
        && exec(work, insert + QString(select).replace(QStringLiteral("{main}"), QStringLiteral("source."))
                                   .replace(QStringLiteral("{scan}"), QStringLiteral(" NOT INDEXED")))
        && transaction.commit();
}

Transaction::Transaction(const QSqlDatabase &db)
    : m_db(db)
{
    // A file's write lock is taken at once; a server locks rows as they are written.
    m_active = exec(m_db, onServer(m_db) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    if (exec(m_db, QStringLiteral("COMMIT")))
        return true;
    exec(m_db, QStringLiteral("ROLLBACK"));
    return false;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    exec(m_db, QStringLiteral("ROLLBACK"));
}

} // namespace sql
