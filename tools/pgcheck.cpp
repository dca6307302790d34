// Proves that Qt's PostgreSQL driver loads and talks to a server, as the packed program
// would: with a connection string of key=value pairs separated by spaces (the first
// argument, or PELORA_TEST_PG), it makes the database pgcheck afresh, a table with
// Japanese names in it, writes two rows with bound values and reads them back.
// The database is left for the caller to read with its own client. Exit 0 when all held.
#include <QCoreApplication>
#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Row {
    QString name;
    double wage;
    QDate day;
};

int fail(const QString &what, const QSqlError &error = {})
{
    std::fprintf(stderr, "pgcheck: %s %s\n", qUtf8Printable(what), qUtf8Printable(error.text()));
    return 1;
}

// host, port, dbname, user and password go to their setters; any other pair (sslmode,
// connect_timeout...) to the driver's options.
QSqlDatabase connection(const QString &name, const QString &connectionString, const QString &database)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
    QStringList options;
    for (const QString &pair : connectionString.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
        if (key == u"host") db.setHostName(value);
        else if (key == u"port") db.setPort(value.toInt());
        else if (key == u"user") db.setUserName(value);
        else if (key == u"password") db.setPassword(value);
        else if (key != u"dbname") options << pair;
    }
    db.setDatabaseName(database);
    db.setConnectOptions(options.join(u';'));
    return db;
}

bool exec(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql);
}

int check(const QString &connectionString)
{
    QSqlDatabase server = connection(u"server"_s, connectionString, u"postgres"_s);
    if (!server.open())
        return fail(u"no connection to the server:"_s, server.lastError());
    QSqlQuery version(u"SELECT version(), coalesce((SELECT version FROM pg_stat_ssl "
                      "WHERE pid = pg_backend_pid() AND ssl), 'no TLS')"_s, server);
    if (!version.next())
        return fail(u"no version:"_s, version.lastError());
    std::printf("connected through %s: %s, %s\n", qUtf8Printable(server.driverName()),
                qUtf8Printable(version.value(0).toString().section(u" on "_s, 0, 0)),
                qUtf8Printable(version.value(1).toString()));
    version.finish();
    if (!exec(server, u"SET client_min_messages TO warning"_s) || !exec(server, u"DROP DATABASE IF EXISTS pgcheck"_s) || !exec(server, u"CREATE DATABASE pgcheck"_s))
        return fail(u"the database pgcheck could not be made:"_s, server.lastError());

    QSqlDatabase db = connection(u"pgcheck"_s, connectionString, u"pgcheck"_s);
    if (!db.open())
        return fail(u"no connection to pgcheck:"_s, db.lastError());
    if (!exec(db, u"CREATE TABLE 従業員 (氏名 text PRIMARY KEY, 時給 double precision, 入社日 date)"_s))
        return fail(u"no table:"_s, db.lastError());
    const QList<Row> rows = {{u"山田花子"_s, 1050.5, QDate(2024, 4, 1)}, {u"佐藤 一郎（週3）"_s, 980, QDate(2023, 12, 31)}};
    QSqlQuery insert(db);
    insert.prepare(u"INSERT INTO 従業員 (氏名, 時給, 入社日) VALUES (?, ?, ?)"_s);
    for (const Row &row : rows) {
        insert.addBindValue(row.name);
        insert.addBindValue(row.wage);
        insert.addBindValue(row.day);
        if (!insert.exec())
            return fail(u"insert:"_s, insert.lastError());
    }
    QSqlQuery select(db);
    select.prepare(u"SELECT 氏名, 時給, 入社日 FROM 従業員 WHERE 氏名 = ?"_s);
    for (const Row &row : rows) {
        select.addBindValue(row.name);
        if (!select.exec() || !select.next())
            return fail(u"row %1 not read back:"_s.arg(row.name), select.lastError());
        if (select.value(0).toString() != row.name || select.value(1).toDouble() != row.wage
            || select.value(2).toDate() != row.day)
            return fail(u"row %1 read back as %2, %3, %4"_s.arg(row.name, select.value(0).toString(),
                                                                 select.value(1).toString(), select.value(2).toString()));
        std::printf("%s %g %s\n", qUtf8Printable(row.name), row.wage, qUtf8Printable(row.day.toString(Qt::ISODate)));
    }
    std::printf("database pgcheck: table 従業員 written with bound values and read back (%lld rows)\n",
                static_cast<long long>(rows.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString connectionString = argc > 1 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("PELORA_TEST_PG");
    if (connectionString.isEmpty())
        return fail(u"no connection string (argument or PELORA_TEST_PG)"_s);
    if (!QSqlDatabase::drivers().contains(u"QPSQL"_s))
        return fail(u"no QPSQL driver among: "_s + QSqlDatabase::drivers().join(u' '));
    const int rc = check(connectionString);
    std::fflush(stdout);
    return rc;
}
