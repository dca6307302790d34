#include "data/datastore.h"

#include "data/schema.h"
#include "data/sql.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlError>

using namespace Qt::StringLiterals;

namespace {

int nextConnectionNumber()
{
    static int counter = 0;
    return ++counter;
}

QString connectionError(const QSqlDatabase &db)
{
    return db.lastError().text();
}

} // namespace

QString StartupError::message() const
{
    return u"データファイルを開けないため、Pelora を起動できません。\n\n"
           u"ファイル: %1\n原因: %2\n\n"
           u"ファイルには手を加えていません。"_s
        .arg(QDir::toNativeSeparators(file), cause);
}

DataStore::DataStore()
{
    const int n = nextConnectionNumber();
    m_mainName = u"pelora-main-%1"_s.arg(n);
    m_workName = u"pelora-work-%1"_s.arg(n);
}

DataStore::~DataStore()
{
    close();
}

QSqlDatabase DataStore::main() const
{
    return QSqlDatabase::database(m_mainName, false);
}

QSqlDatabase DataStore::work() const
{
    return QSqlDatabase::database(m_workName, false);
}

std::optional<StartupError> DataStore::open(const DataPaths &paths)
{
    m_paths = paths;
    const QString folder = QDir::cleanPath(paths.DataPath);
    if (!QDir().mkpath(folder))
        return StartupError{folder, u"データフォルダを作成できません。"_s};

    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(u"Pelora.lock"_s));
    // Only a live Pelora holds the lock: one left by a killed process is stale
    // (its process is gone) and is taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const bool running = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        if (running)
            return StartupError{folder, u"Pelora は既にこのデータフォルダで起動しています。"_s};
        return StartupError{folder, u"データフォルダに書き込めません。"_s};
    }

    if (auto error = openFile(m_mainName, paths.MainDbPath, true)) {
        close();
        return error;
    }
    if (auto error = openFile(m_workName, paths.WorkDbPath, false)) {
        close();
        return error;
    }
    return std::nullopt;
}

std::optional<StartupError> DataStore::openFile(const QString &connectionName, const QString &path,
                                                bool mainFile)
{
    const FileSchema &schema = mainFile ? mainSchema() : workSchema();
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (existed) {
        if (!info.isFile())
            return StartupError{path, u"ファイルではありません。"_s};
        if (!info.isReadable())
            return StartupError{path, u"ファイルを読み取れません（アクセス権がありません）。"_s};
        if (!info.isWritable())
            return StartupError{path, u"ファイルが読み取り専用のため書き込めません。"_s};
    }
    if (!QFileInfo(info.absolutePath()).isWritable())
        return StartupError{path, u"データフォルダが読み取り専用のため書き込めません。"_s};

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000"_s);
    if (!db.open())
        return StartupError{path, u"開けません（%1）。"_s.arg(connectionError(db))};

    if (!existed) {
        sql::exec(db, u"PRAGMA journal_mode=DELETE"_s);
        sql::exec(db, u"PRAGMA synchronous=FULL"_s);
        if (!createSchema(db, schema))
            return StartupError{path, u"新しいデータファイルを作成できません。"_s};
        return std::nullopt;
    }

    bool readable = false;
    const QString missing = findMissingTable(db, schema, &readable);
    if (!readable)
        return StartupError{path, u"データベースではないか、壊れています。"_s};
    if (!missing.isEmpty())
        return StartupError{path, u"必要な表「%1」がありません。"_s.arg(missing)};

    // A read-only or locked file shows itself only when a write lock is asked for.
    if (!sql::exec(db, u"BEGIN IMMEDIATE"_s))
        return StartupError{path, u"他のプログラムが使用中か、書き込みできません。"_s};
    sql::exec(db, u"ROLLBACK"_s);

    // Rollback journal: a write that spans both files stays atomic (WAL would not).
    sql::exec(db, u"PRAGMA journal_mode=DELETE"_s);
    sql::exec(db, u"PRAGMA synchronous=FULL"_s);
    return std::nullopt;
}

void DataStore::close()
{
    for (const QString &name : {m_mainName, m_workName}) {
        if (QSqlDatabase::contains(name)) {
            {
                QSqlDatabase db = QSqlDatabase::database(name, false);
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
