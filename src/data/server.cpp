#include "data/server.h"

#include "data/files.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QScopeGuard>
#include <QSet>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace server {

// Where libpq looks for the user's passwords (server_unix.cpp, server_win.cpp).
QString passwordFilePath();

namespace {

const QString Group = u"server/"_s;
// The version of Pelora's tables on the server, as the main file's user_version.
const QString VersionTable = u"pelora_version"_s;

struct Column
{
    QString name;
    QString type; // as the server takes it
};
struct Table
{
    QString name;
    QList<Column> columns;
};

// The main file's tables as they are now, read from a new file made in
// memory with every upgrade, so that the server's tables follow the file's
// without a second list to keep.
const QList<Table> &reference()
{
    static const QList<Table> tables = [] {
        QList<Table> result;
        const QString name = u"pelora-reference"_s;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(u":memory:"_s);
            if (db.open() && createSchema(db, mainSchema())) {
                for (const sql::Row &table :
                     sql::rows(db, u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"_s)) {
                    Table each{table.value(0).toString(), {}};
                    for (const sql::Row &column :
                         sql::rows(db, u"SELECT name, type FROM pragma_table_info(?) ORDER BY cid"_s, {each.name})) {
                        const QString type = column.value(1).toString().toUpper();
                        // Texts sort and compare by code point, as in the file.
                        each.columns.append({column.value(0).toString(),
                                             type == u"REAL"_s      ? u"double precision"_s
                                                 : type == u"TEXT"_s ? u"text COLLATE \"C\""_s
                                                                     : u"bigint"_s});
                    }
                    result.append(each);
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }();
    return tables;
}

// The statements that make one table, or add the columns it lacks.
QStringList tableStatements(const Table &table, const QSet<QString> &existing, bool exists)
{
    QStringList statements;
    if (!exists) {
        QStringList columns;
        if (table.name != u"世代"_s)
            columns.append(u"rowid bigserial PRIMARY KEY"_s); // the file's rowid, kept by the statements that use it
        for (const Column &column : table.columns)
            columns.append(column.name + u' ' + column.type);
        statements.append(u"CREATE TABLE %1 (%2)"_s.arg(table.name, columns.join(u", "_s)));
        for (const TableDef &def : mainSchema().tables)
            if (def.name == table.name)
                statements += def.indexSql;
        return statements;
    }
    for (const Column &column : table.columns)
        if (!existing.contains(column.name))
            statements.append(u"ALTER TABLE %1 ADD COLUMN %2 %3"_s.arg(table.name, column.name, column.type));
    return statements;
}

// The columns of a table of a server or a file: name first.
QList<sql::Row> columnsOf(const QSqlDatabase &db, const QString &table, bool *ok)
{
    return isServer(db) ? sql::rows(db,
                                    u"SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                    u"current_schema() AND table_name = ?"_s,
                                    {table}, ok)
                        : sql::rows(db, u"SELECT name FROM pragma_table_info(?)"_s, {table}, ok);
}

QString quotedField(QString field)
{
    return field.replace(u'\\', u"\\\\"_s).replace(u':', u"\\:"_s);
}

} // namespace

QString Config::describe() const
{
    return u"サーバー %1:%2 のデータベース %3"_s.arg(host).arg(port).arg(database);
}

Config parseKeyValues(const QString &pairs, QString *password)
{
    Config config;
    for (const QString &pair : pairs.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
        if (key == u"host"_s)
            config.host = value;
        else if (key == u"port"_s)
            config.port = value.toInt();
        else if (key == u"dbname"_s)
            config.database = value;
        else if (key == u"user"_s)
            config.user = value;
        else if (key == u"password"_s && password)
            *password = value;
    }
    return config;
}

std::optional<Config> chosen(const QSettings &settings)
{
    if (!settings.value(Group + u"use"_s, false).toBool())
        return std::nullopt;
    Config config;
    config.host = settings.value(Group + u"host"_s).toString();
    config.port = settings.value(Group + u"port"_s, 5432).toInt();
    config.database = settings.value(Group + u"database"_s).toString();
    config.user = settings.value(Group + u"user"_s).toString();
    config.sslMode = settings.value(Group + u"sslmode"_s, u"prefer"_s).toString();
    return config;
}

bool choose(QSettings &settings, const std::optional<Config> &config)
{
    settings.setValue(Group + u"use"_s, config.has_value());
    if (config) {
        settings.setValue(Group + u"host"_s, config->host);
        settings.setValue(Group + u"port"_s, config->port);
        settings.setValue(Group + u"database"_s, config->database);
        settings.setValue(Group + u"user"_s, config->user);
        settings.setValue(Group + u"sslmode"_s, config->sslMode);
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<QString> rememberPassword(const Config &config, const QString &password)
{
    const QString path = passwordFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return u"パスワードのファイルの場所を作れません"_s;
    QFile file(path);
    if (!file.exists()) {
        // Made readable by the user alone before anything is in it; writeWhole keeps that.
        if (!file.open(QIODevice::WriteOnly))
            return u"パスワードのファイルを作れません"_s;
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    QStringList lines;
    if (file.open(QIODevice::ReadOnly)) {
        lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        file.close();
    }
    const QString key = QStringList{quotedField(config.host), QString::number(config.port),
                                    quotedField(config.database), quotedField(config.user)}
                            .join(u':')
        + u':';
    lines.removeIf([&key](const QString &line) { return line.startsWith(key); });
    lines.append(key + quotedField(password));
    const files::WriteError error = files::writeWhole(path, (lines.join(u'\n') + u'\n').toUtf8());
    if (error != files::WriteError::None)
        return u"パスワードのファイルに書き込めません（%1）"_s.arg(files::reason(error));
    return std::nullopt;
}

std::optional<QString> connect(const QString &connectionName, const Config &config, const QString &password)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, connectionName);
    if (!db.isValid())
        return u"PostgreSQL のドライバーがありません"_s;
    db.setHostName(config.host);
    db.setPort(config.port);
    db.setDatabaseName(config.database);
    db.setUserName(config.user);
    if (!password.isEmpty())
        db.setPassword(password);
    // Told within seconds when the server is gone, a statement runs long or a lock is held.
    // A network that stops answering (a pulled cable) is given up after about ten
    // seconds by both ends: without that this computer waits a quarter of an hour on
    // TCP, and the server keeps the session's locks on the sheet for two hours.
    // The session is named after the computer: 一括削除 names the others it finds.
    QString computer = QSysInfo::machineHostName();
    computer.removeIf([](QChar c) { return !(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.'; });
    db.setConnectOptions(
        u"connect_timeout=5;application_name='Pelora %1';sslmode=%2;"
        u"keepalives=1;keepalives_idle=5;keepalives_interval=2;keepalives_count=3;tcp_user_timeout=10000;"
        u"options='-c statement_timeout=15000 -c lock_timeout=5000 -c tcp_keepalives_idle=5 "
        u"-c tcp_keepalives_interval=2 -c tcp_keepalives_count=3 -c tcp_user_timeout=10000'"_s.arg(computer.left(48),
                                                                                                   config.sslMode));
    if (db.open())
        return std::nullopt;
    return db.lastError().text().trimmed();
}

Probe probe(const Config &config, const QString &password)
{
    static int counter = 0;
    const QString name = u"pelora-probe-%1"_s.arg(++counter);
    Probe result;
    if (const std::optional<QString> failed = connect(name, config, password)) {
        result.text = u"接続できません（%1）"_s.arg(*failed);
    } else {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        result.connected = true;
        result.tables = tablesOf(db);
        const QString version = sql::scalar(db, u"SHOW server_version"_s).toString();
        QString found;
        switch (result.tables) {
        case Tables::Empty:
            found = u"空のデータベースです（Pelora の表はありません）"_s;
            break;
        case Tables::Pelora:
        case Tables::Outdated:
            found = u"Pelora の表があります（シート %1 件、従業員 %2 人）"_s
                        .arg(sql::scalar(db, u"SELECT count(*) FROM 時給ヘッダ"_s).toLongLong())
                        .arg(sql::scalar(db, u"SELECT count(*) FROM 従業員"_s).toLongLong());
            break;
        case Tables::Newer:
            found = u"新しい版の Pelora の表があります"_s;
            break;
        case Tables::Foreign:
            found = u"Pelora のものではない表があります（使えません）"_s;
            break;
        case Tables::Unreadable:
            found = u"表を読み取れません（権限がありません）"_s;
            break;
        }
        result.text = u"接続できました。PostgreSQL %1。%2。"_s.arg(version, found);
    }
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == u"QPSQL"_s;
}

Tables tablesOf(const QSqlDatabase &db)
{
    bool ok = false;
    const QList<sql::Row> rows =
        sql::rows(db, u"SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()"_s, {},
                  &ok);
    if (!ok)
        return Tables::Unreadable;
    if (rows.isEmpty())
        return Tables::Empty;
    QSet<QString> ours{VersionTable};
    for (const Table &table : reference())
        ours.insert(table.name);
    for (const sql::Row &row : rows)
        if (!ours.contains(row.value(0).toString()))
            return Tables::Foreign;
    const QVariant version = sql::scalar(db, u"SELECT 番号 FROM %1"_s.arg(VersionTable));
    if (!version.isValid())
        return Tables::Foreign;
    if (version.toInt() > mainSchema().version())
        return Tables::Newer;
    return version.toInt() < mainSchema().version() ? Tables::Outdated : Tables::Pelora;
}

bool makeTables(const QSqlDatabase &db)
{
    sql::Transaction transaction(db);
    if (!transaction.active())
        return false;
    QStringList statements;
    QSet<QString> present;
    for (const sql::Row &row : sql::rows(
             db, u"SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()"_s))
        present.insert(row.value(0).toString());
    for (const Table &table : reference()) {
        QSet<QString> columns;
        for (const sql::Row &row : columnsOf(db, table.name, nullptr))
            columns.insert(row.value(0).toString());
        statements += tableStatements(table, columns, present.contains(table.name));
    }
    if (!present.contains(VersionTable)) {
        statements += {u"CREATE TABLE %1 (番号 integer NOT NULL)"_s.arg(VersionTable),
                       u"INSERT INTO %1 (番号) VALUES (0)"_s.arg(VersionTable),
                       u"INSERT INTO 世代 (番号) VALUES (1)"_s,
                       // A sheet is registered once under its name and title: of two
                       // computers registering the same new sheet at once, one is refused.
                       u"CREATE UNIQUE INDEX 時給ヘッダ_sheet ON 時給ヘッダ (氏名, タイトル)"_s,
                       // Every write counts, as in the file (one statement, one count).
                       u"CREATE FUNCTION pelora_count_write() RETURNS trigger LANGUAGE plpgsql AS "
                       u"$$ BEGIN UPDATE 世代 SET 番号 = 番号 + 1; RETURN NULL; END $$"_s};
        for (const Table &each : reference()) {
            const QString &table = each.name;
            if (table == u"時給明細"_s || table == u"世代"_s)
                continue;
            statements.append(u"CREATE TRIGGER 世代_%1 AFTER INSERT OR UPDATE OR DELETE ON %1 "
                              u"FOR EACH STATEMENT EXECUTE FUNCTION pelora_count_write()"_s.arg(table));
        }
    }
    statements.append(u"UPDATE %1 SET 番号 = %2"_s.arg(VersionTable).arg(mainSchema().version()));
    for (const QString &statement : std::as_const(statements))
        if (!sql::exec(db, statement))
            return false;
    return transaction.commit();
}

bool copyTables(const QSqlDatabase &from, const QSqlDatabase &to)
{
    // One moment of from: a server's snapshot, or a file's read transaction.
    if (!sql::exec(from, isServer(from) ? u"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"_s : u"BEGIN"_s))
        return false;
    const auto end = qScopeGuard([&from] { sql::exec(from, u"ROLLBACK"_s); });
    // Reading a large office's lines takes longer than an operation's statements
    // may: the copy's own reads have minutes.
    if (isServer(from) && !sql::exec(from, u"SET LOCAL statement_timeout = '10min'"_s))
        return false;
    for (const Table &table : reference()) {
        if (table.name == u"世代"_s)
            continue;
        bool read = false;
        QSet<QString> present;
        for (const sql::Row &row : columnsOf(from, table.name, &read))
            present.insert(row.value(0).toString());
        if (!read)
            return false;
        QStringList columns;
        for (const Column &column : table.columns)
            if (present.contains(column.name))
                columns.append(column.name);
        if (!sql::exec(to, u"DELETE FROM "_s + table.name))
            return false;
        if (!columns.isEmpty()
            && !sql::copyRows(from, u"SELECT %1 FROM %2 ORDER BY rowid"_s.arg(columns.join(u", "_s), table.name), to,
                              table.name, columns.join(u", "_s)))
            return false;
    }
    const QVariant writes = sql::scalar(from, u"SELECT 番号 FROM 世代"_s);
    return !writes.isValid() || sql::exec(to, u"UPDATE 世代 SET 番号 = ?"_s, {writes});
}

QString tally(const QSqlDatabase &db)
{
    const QList<sql::Row> rows = sql::rows(
        db, u"SELECT (SELECT count(*) FROM 従業員), (SELECT count(*) FROM 時給ヘッダ), (SELECT count(*) FROM 時給明細), "
            u"(SELECT sum(合計) FROM 時給ヘッダ), (SELECT sum(金額) FROM 時給明細), (SELECT count(*) FROM 自社情報)"_s);
    if (rows.isEmpty())
        return {};
    QStringList parts;
    for (const QVariant &value : rows.first())
        parts.append(QString::number(value.toDouble(), 'f', 2));
    return parts.join(u' ');
}

std::optional<QStringList> otherComputers(const QSqlDatabase &db)
{
    bool read = false;
    const QList<sql::Row> rows = sql::rows(
        db, u"SELECT DISTINCT trim(substr(application_name, 7)) FROM pg_stat_activity "
            u"WHERE datname = current_database() AND application_name LIKE 'Pelora%' AND pid <> pg_backend_pid() ORDER BY 1"_s,
        {}, &read);
    if (!read)
        return std::nullopt;
    QStringList names;
    for (const sql::Row &row : rows)
        names.append(row.value(0).toString().isEmpty() ? u"?"_s : row.value(0).toString());
    return names;
}

} // namespace server
