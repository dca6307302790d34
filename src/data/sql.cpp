#include "data/sql.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <atomic>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace sql {

namespace {

bool prepareAndRun(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    query.setForwardOnly(true);
    bool ok = query.prepare(statement);
    if (ok) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
    return ok;
}

} // namespace

QSqlDatabase connection(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

bool withFile(const QString &file, Access access, const std::function<bool(const QSqlDatabase &)> &fn)
{
    if (!QFileInfo(file).isFile())
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
    QSqlQuery query(db);
    return prepareAndRun(query, statement, values);
}

QList<Row> rows(const QSqlDatabase &db, const QString &statement, const QVariantList &values,
                bool *ok)
{
    QList<Row> result;
    QSqlQuery query(db);
    const bool ran = prepareAndRun(query, statement, values);
    if (ran) {
        const int columns = query.record().count();
        while (query.next()) {
            Row row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.append(query.value(c));
            result.append(std::move(row));
        }
    }
    query.finish();
    if (ok)
        *ok = ran;
    return result;
}

QVariant scalar(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db);
    QVariant value;
    if (prepareAndRun(query, statement, values) && query.next())
        value = query.value(0);
    query.finish();
    return value;
}

QVariant insert(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db);
    return prepareAndRun(query, statement, values) ? query.lastInsertId() : QVariant();
}

bool execMany(const QSqlDatabase &db, const QString &statement, const QList<Row> &rows)
{
    QSqlQuery query(db);
    if (!query.prepare(statement)) {
        qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
        return false;
    }
    for (const Row &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            query.bindValue(i, row.at(i));
        if (!query.exec()) {
            qWarning().noquote() << "SQL failed:" << statement << "--" << query.lastError().text();
            return false;
        }
    }
    return true;
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

bool refillFromFile(const QSqlDatabase &db, const QString &sourceFile, const QString &table,
                    const QString &insertSelect)
{
    const Attachment source(db, sourceFile, QStringLiteral("source"));
    if (!source.attached())
        return false;
    Transaction transaction(db);
    return transaction.active() && exec(db, QStringLiteral("DELETE FROM ") + table)
        && exec(db, insertSelect) && transaction.commit();
}

Transaction::Transaction(const QSqlDatabase &db)
    : m_db(db)
{
    m_active = exec(m_db, QStringLiteral("BEGIN IMMEDIATE"));
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
