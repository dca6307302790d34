#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

class QSettings;

// The main data on an office's PostgreSQL server instead of in Pelora.mdb:
// where the server is, remembered per user; the password kept where libpq
// reads it itself (the user's password file); the tables made there as the
// main file has them; and what the server says about other computers.
namespace server {

struct Config
{
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString sslMode = QStringLiteral("prefer"); // or "require"

    bool operator==(const Config &) const = default;
    // 「サーバー host:5432 のデータベース pelora」
    QString describe() const;
};

// A server named as libpq's key=value pairs ("host=… port=… dbname=… user=…
// password=…", no blanks in the values), as scripts/pgserver.sh prints it for
// the tests and the benchmark; the password, when there is one, to password.
Config parseKeyValues(const QString &pairs, QString *password = nullptr);

// The server the user chose, or nothing when the main data is on this computer.
std::optional<Config> chosen(const QSettings &settings);
// Remembers the choice (nothing: this computer); false when the settings could not be written.
bool choose(QSettings &settings, const std::optional<Config> &config);

// Writes the password for config into the user's PostgreSQL password file
// (~/.pgpass, %APPDATA%\postgresql\pgpass.conf), readable by the user alone,
// replacing an earlier line for the same server, database and user. Says why
// it could not, or nothing.
std::optional<QString> rememberPassword(const Config &config, const QString &password);

// Opens connectionName on the server: a few seconds at most to connect, and
// no statement waits longer than that for the server or a lock. Why it could
// not connect, in words for the operator, or nothing.
// A password given is used instead of the password file's.
std::optional<QString> connect(const QString &connectionName, const Config &config, const QString &password = {});



// What a database holds.
enum class Tables {
    Empty,    // no table at all: Pelora may make its own
    Pelora,   // Pelora's tables, up to date
    Outdated, // Pelora's tables of an earlier version: brought up to date after a copy
    Newer,    // Pelora's tables of a newer version
    Foreign,  // other tables: never altered
    Unreadable,
};
Tables tablesOf(const QSqlDatabase &db);
// What 接続を確認 reports of a server: its version, whether Pelora's tables
// are there and how many sheets they hold; or why it could not connect.
struct Probe
{
    bool connected = false;
    Tables tables = Tables::Unreadable;
    QString text;
};
Probe probe(const Config &config, const QString &password);

// Makes Pelora's tables on an empty database, or adds what an earlier
// version lacks, in one transaction.
bool makeTables(const QSqlDatabase &db);

// Replaces the rows of Pelora's tables in to by those of from (a server and
// a main file, either way; the columns both have, rows in their order), and
// the count of writes with from's. Runs inside the caller's transaction of to;
// the rows are read in one read transaction of from, one moment of it.
bool copyTables(const QSqlDatabase &from, const QSqlDatabase &to);

// What the tables of db hold, to tell that a copy arrived whole: the rows of
// each table and the sums of the sheets' totals and the lines' amounts, as text.
QString tally(const QSqlDatabase &db);

// The computers whose Pelora is connected to the same database now, besides
// this connection (this computer's name too, for another of its sessions);
// nothing when the server cannot tell.
std::optional<QStringList> otherComputers(const QSqlDatabase &db);

// Whether db is a connection to a server (not a file).
bool isServer(const QSqlDatabase &db);

} // namespace server
