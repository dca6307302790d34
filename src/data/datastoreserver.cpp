// The main data on an office's PostgreSQL server: opening it (the work file
// stays in the folder), the way forward when it cannot be reached (this
// computer's files, read only), a copy put back into it, and the move of this
// computer's data onto it.
#include "data/datastore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/filecheck.h"
#include "data/restore.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString DataStore::mainPlace() const
{
    if (m_server && !m_readOnly)
        return m_server->describe();
    return QDir::toNativeSeparators(m_paths.MainDbPath);
}

std::optional<StartupError> DataStore::openOnServer()
{
    if (auto error = openFile(File::Work, true, false))
        return error;
    const QString place = m_server->describe();
    if (const std::optional<QString> failed = server::connect(m_mainName, *m_server)) {
        StartupError error{place, u"サーバーに接続できません（%1）。"_s.arg(*failed),
                           u"ネットワークとサーバーの電源を確かめてください。空のデータで始めることはしません。"_s};
        if (QFileInfo::exists(m_paths.MainDbPath)) {
            error.remedy = StartupError::Remedy::LocalReadOnly;
            error.offer = u"このパソコンのデータ（%1）を読み取り専用で開いて始めますか。"
                          u"［いいえ］を選ぶと Pelora を終了します。"_s.arg(QDir::toNativeSeparators(m_paths.MainDbPath));
        }
        return error;
    }
    sql::keepStatements(main());
    switch (server::tablesOf(main())) {
    case server::Tables::Pelora:
        return std::nullopt;
    case server::Tables::Empty:
        return StartupError{place, u"データベースに Pelora の表がありません（空のデータベースです）。"_s, {},
                            StartupError::Remedy::MakeTables,
                            u"このデータベースに Pelora の表を作って始めますか。"_s};
    case server::Tables::Outdated:
        // Brought up to date after a copy of it, as a main file is.
        if (backup::takeCopy(main(), m_paths.MainDbPath, copyextras::BeforeUpgrade).isEmpty())
            return StartupError{place, u"新しい版に合わせる前の控えを作成できないため、新しい版に合わせられません。"_s,
                                {}};
        if (!server::makeTables(main()))
            return StartupError{place, u"データベースの表を新しい版に合わせられません。"_s, {}};
        return std::nullopt;
    case server::Tables::Newer:
        return StartupError{place, u"新しい版の Pelora で使われたデータベースです。この版の Pelora では開けません。"_s,
                            u"新しい版の Pelora で開いてください。"_s};
    case server::Tables::Foreign:
        return StartupError{place, u"データベースに Pelora のものではない表があります。このデータベースには手を加えません。"_s,
                            u"Pelora 用に空のデータベースを作り、その名前を「設定・情報」で選んでください。"_s};
    case server::Tables::Unreadable:
        break;
    }
    return StartupError{place, u"データベースの表を読み取れません（権限がありません）。"_s, {}};
}

std::optional<StartupError> DataStore::openReadOnly()
{
    if (auto error = openFile(File::Work, true, false))
        return error;
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_mainName);
    db.setDatabaseName(m_paths.MainDbPath);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"_s);
    bool readable = false;
    if (!QFileInfo::exists(m_paths.MainDbPath) || !db.open() || !findMissingTable(db, mainSchema(), &readable).isEmpty()
        || !readable)
        return StartupError{m_paths.MainDbPath, u"このパソコンのデータを読み取れません。"_s, {}};
    return std::nullopt;
}

restore::Result DataStore::restoreOnServer(const QString &copy, OpenProgress *progress)
{
    // The copy is checked whole and brought up to date aside, in the folder;
    // then the server's tables take its rows in one transaction, after a copy
    // of what the server holds now (named as the result's aside).
    std::optional<QString> failure;
    runAside([&](OpenSteps &steps) { failure = restore::prepare(copy, m_paths, &steps); }, progress);
    const QString prepared = restore::preparedFile(m_paths);
    const auto removePrepared = [&prepared] { QFile::remove(prepared); };
    if (failure) {
        removePrepared();
        return {false, {}, *failure};
    }
    if (!sql::withFile(prepared, sql::Access::ReadWrite,
                       [](const QSqlDatabase &db) { return upgradeSchema(db, mainSchema()); })) {
        removePrepared();
        return {false, {}, u"控えを新しい版に合わせられません。"_s};
    }
    QString before;
    if (filecheck::holdsData(main())) {
        before = backup::takeCopy(main(), m_paths.MainDbPath, copyextras::BeforeRestore);
        if (before.isEmpty()) {
            removePrepared();
            return {false, {}, u"サーバーのデータの控えを作成できないため、戻せません。"_s};
        }
    }
    bool copied = false;
    {
        sql::Transaction transaction(main());
        copied = transaction.active() && sql::withFile(prepared, sql::Access::ReadOnly, [this](const QSqlDatabase &from) {
                     return server::copyTables(from, main());
                 }) && transaction.commit();
    }
    removePrepared();
    if (!copied)
        return {false, {}, u"サーバーに書き込めないため、戻せませんでした。サーバーのデータは前のままです。"_s};
    if (!copyextras::hintsToWork(work(), copy))
        qWarning().noquote() << "The hint texts could not be brought back from" << copy;
    return {true, before, {}};
}

std::optional<QString> DataStore::moveToServer(const server::Config &config)
{
    const QString name = m_mainName + u"-moving"_s;
    const auto closeNew = [&name] {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    };
    if (const std::optional<QString> failed = server::connect(name, config)) {
        closeNew();
        return u"サーバーに接続できません（%1）。"_s.arg(*failed);
    }
    // Fetched anew each time: no handle outlives the connection closed below.
    const auto target = [&name] { return QSqlDatabase::database(name, false); };
    // Pelora's tables are made first, on their own: a move that failed after
    // them leaves them empty, and may be tried again.
    server::Tables tables = server::tablesOf(target());
    if (tables == server::Tables::Empty)
        tables = server::makeTables(target()) ? server::tablesOf(target()) : server::Tables::Unreadable;
    if (tables != server::Tables::Pelora || filecheck::holdsData(target())) {
        closeNew();
        return tables == server::Tables::Unreadable
            ? u"データベースの表を読み取れません（権限がありません）。"_s
            : u"データベースが空ではありません。移せるのは、空のデータベースにだけです。"_s;
    }
    bool copied = false;
    {
        sql::Transaction transaction(target());
        copied = transaction.active() && server::copyTables(main(), target()) && transaction.commit();
    }
    const QString here = server::tally(main());
    const QString there = server::tally(target());
    closeNew();
    if (!copied)
        return u"サーバーに書き込めないため、移せませんでした。"_s;
    if (here.isEmpty() || here != there)
        return u"サーバーに移したデータの件数か合計が、このパソコンのデータと合いません。"
               u"このパソコンのデータで続けます（サーバーのデータベースは空にしてから、もう一度移してください）。"_s;
    return switchPlace(config);
}

std::optional<QString> DataStore::switchPlace(const std::optional<server::Config> &place, bool makeTables)
{
    const std::optional<server::Config> before = m_readOnly ? std::nullopt : m_server;
    close();
    m_server = place;
    m_readOnly = false;
    std::optional<StartupError> error = open(m_paths);
    if (error && makeTables && error->remedy == StartupError::Remedy::MakeTables) {
        const std::optional<QString> failed = applyRemedy(*error);
        error = failed ? StartupError{error->file, *failed} : open(m_paths);
    }
    if (!error)
        return std::nullopt;
    close();
    m_server = before;
    if (const std::optional<StartupError> again = open(m_paths))
        qWarning().noquote() << "The data could not be opened again:" << again->file << again->cause;
    return QDir::toNativeSeparators(error->file) + u": "_s + error->cause;
}
