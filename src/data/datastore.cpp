#include "data/datastore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/restore.h"
#include "data/schema.h"
#include "data/session.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>

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

enum class FirstRead { Ok, Busy, NotADatabase };

// Another program's exclusive lock makes every read fail as busy; that is not
// a damaged file and must not be reported as one.
FirstRead firstRead(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (query.exec(u"SELECT count(*) FROM sqlite_master"_s))
        return FirstRead::Ok;
    const int code = query.lastError().nativeErrorCode().toInt() & 0xff; // extended codes too
    return code == 5 /* SQLITE_BUSY */ || code == 6 /* SQLITE_LOCKED */ ? FirstRead::Busy
                                                                        : FirstRead::NotADatabase;
}

// Builds a new file under a temporary name and puts it in place only once it
// holds every table: a first start killed half-way leaves no empty or half-made
// file that every later start would have to refuse.
bool createFile(const QString &path, const FileSchema &schema)
{
    const QString part = path + u".new"_s;
    QFile::remove(part);
    QFile::remove(part + u"-journal"_s);
    const QString name = u"pelora-create-%1"_s.arg(nextConnectionNumber());
    bool created = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(part);
        created = db.open() && sql::exec(db, u"PRAGMA journal_mode=DELETE"_s) && createSchema(db, schema);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (created && QFile::rename(part, path))
        return true;
    QFile::remove(part);
    return false;
}

} // namespace

QString StartupError::message() const
{
    const QString text = u"データファイルを開けないため、Pelora を起動できません。\n\n"
                         u"ファイル: %1\n原因: %2\n\n"
                         u"ファイルには手を加えていません。"_s
                             .arg(QDir::toNativeSeparators(file), cause);
    return advice.isEmpty() ? text : text + u"\n\n"_s + advice;
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

std::optional<StartupError> DataStore::open(const DataPaths &paths, OpenProgress *progress)
{
    m_paths = paths;
    m_progress = progress;
    const auto forgetProgress = qScopeGuard([this] { m_progress = nullptr; });
    const QString folder = QDir::cleanPath(paths.DataPath);
    if (!QDir().mkpath(folder))
        return StartupError{folder, u"データフォルダを作成できません。"_s, {}};
    if (!m_lock.isLocked())
        if (auto error = lockFolder(folder))
            return error;
    if (auto error = openBoth()) {
        // The lock stays for the remedy the refusal may offer.
        closeConnection(m_mainName);
        closeConnection(m_workName);
        if (error->remedy == StartupError::Remedy::Repair) {
            const bool work = error->file == m_paths.WorkDbPath;
            const bool copied = !backup::copies(backup::folderFor(m_paths.MainDbPath)).isEmpty();
            error->remedy = work ? StartupError::Remedy::RebuildWork
                : copied         ? StartupError::Remedy::RestoreNewest
                                 : StartupError::Remedy::None;
            if (error->remedy == StartupError::Remedy::RestoreNewest)
                error->offer = u"最新の控え（%1）"_s.arg(restore::describe(backup::copies(
                    backup::folderFor(m_paths.MainDbPath)).first()).summary());
        }
        return error;
    }
    m_lock.setState(FolderLock::State::Running);
    if (!m_hintsFrom.isEmpty() && !copyextras::hintsToWork(work(), m_hintsFrom))
        qWarning().noquote() << "The hint texts could not be brought back from" << m_hintsFrom;
    m_hintsFrom.clear();
    return std::nullopt;
}

std::optional<StartupError> DataStore::lockFolder(const QString &folder)
{
    switch (m_lock.lock(folder)) {
    case FolderLock::Result::Locked:
        return std::nullopt;
    case FolderLock::Result::HeldByAnother: {
        const std::optional<FolderLock::Owner> owner = FolderLock::owner(folder);
        if (owner && owner->state == FolderLock::State::Checking)
            return StartupError{folder, u"Pelora がこのデータフォルダのデータを検査しています（起動の途中です）。"_s,
                                u"検査が終わると Pelora の画面が開きます。そのままお待ちください。"_s};
        return StartupError{folder, u"Pelora は既にこのデータフォルダで起動しています。"_s, {}};
    }
    case FolderLock::Result::OtherComputer: {
        const std::optional<FolderLock::Owner> owner = FolderLock::owner(folder);
        const QString user = owner && !owner->user.isEmpty() ? u"（利用者 %1）"_s.arg(owner->user) : QString();
        const QString since = owner && owner->taken.isValid()
            ? owner->taken.toString(u"yyyy/MM/dd HH:mm"_s) + u" から"_s : QString();
        StartupError error{FolderLock::lockFilePath(folder),
                           u"別のコンピューター「%1」%2が %3このデータフォルダで Pelora を使っています。"_s.arg(
                               owner ? owner->host : QString(), user, since),
                           {}};
        error.remedy = StartupError::Remedy::TakeOverLock;
        return error;
    }
    case FolderLock::Result::LockIsFolder:
        return StartupError{FolderLock::lockFilePath(folder),
                            u"「Pelora.lock」という名前のフォルダーがあります。この名前は、Pelora が起動中であることを"
                            u"記録するファイルに使います。"_s,
                            u"このフォルダーの名前を変えるか、別の場所へ移してから、起動してください。"_s};
    case FolderLock::Result::CannotWrite:
        break;
    }
    return StartupError{folder, u"データフォルダに書き込めません。"_s, {}};
}

std::optional<StartupError> DataStore::openBoth()
{
    const QString &mainPath = m_paths.MainDbPath;
    const std::optional<session::Record> last = session::read(m_paths.DataPath);
    // Read before any connection is open on the file (see stampOf).
    const std::optional<FileStamp> before = stampOf(mainPath);
    const bool laterStart = last || QFileInfo::exists(m_paths.WorkDbPath) || backup::anyCopyTaken(mainPath);
    if (laterStart && !QFileInfo::exists(mainPath)) {
        const bool copied = !backup::copies(backup::folderFor(mainPath)).isEmpty();
        StartupError error{
            mainPath, u"ファイルがありません（移動または削除されています）。空のファイルを新しく作ることはしません。"_s,
            copied ? backup::restoreAdvice(mainPath)
                   : u"backup フォルダーに控えがありません。Pelora.mdb を data フォルダーに戻してから起動してください。"
                     u"空のデータで新しく始めるときは、data フォルダーの名前を変えて（例: data-old）から起動してください。"_s};
        error.remedy = StartupError::Remedy::Repair;
        return error;
    }
    switch (session::judgeJournal(mainPath, last, before)) {
    case session::Journal::None:
    case session::Journal::Own: // rolled back by SQLite at the first read, as after any crash
        break;
    case session::Journal::InUse:
        return StartupError{mainPath, u"他のプログラムがこのファイルを使用中です。"_s, {}};
    case session::Journal::Foreign: {
        StartupError error{
            mainPath + u"-journal"_s,
            u"このデータファイルのものではない書きかけの記録（Pelora.mdb-journal）があります。"
            u"このまま開くと別のファイルの内容が書き込まれます。"_s,
            u"書きかけの記録は、それを書いたファイルと組でしか使えません。消したり、ファイルと別々に動かしたり"
            u"しないでください。"_s};
        error.remedy = StartupError::Remedy::Repair;
        return error;
    }
    }
    if (!m_acceptOtherFile && !session::sameFileAsRecorded(last, before))
        return replacedFile(mainPath);

    const bool trusted = session::trusts(last, before);
    if (auto error = openFile(m_mainName, mainPath, true, trusted))
        return error;
    if (auto error = openFile(m_workName, m_paths.WorkDbPath, false, false))
        return error;

    // From here until close() the main file may change: a session that does
    // not get to close() is not trusted at the next start, and only its own
    // journal is rolled back. The record is synced to the disk beside the
    // window coming up (a sync costs several milliseconds), long before the
    // operator can register anything.
    m_opened = stampOf(mainPath);
    if (!m_opened)
        return StartupError{mainPath, u"ファイルを読み取れません（アクセス権がありません）。"_s, {}};
    m_acceptOtherFile = false;
    m_recordWritten = std::async(std::launch::async, [dataPath = m_paths.DataPath, opened = m_opened] {
        return session::write(dataPath, {false, opened});
    });
    return std::nullopt;
}

std::optional<StartupError> DataStore::openFile(const QString &connectionName, const QString &path,
                                                bool mainFile, bool trusted)
{
    const FileSchema &schema = mainFile ? mainSchema() : workSchema();
    constexpr auto Repair = StartupError::Remedy::Repair;
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (existed) {
        if (!info.isFile())
            return StartupError{path, u"ファイルではありません。"_s, {}};
        if (!info.isReadable())
            return StartupError{path, u"ファイルを読み取れません（アクセス権がありません）。"_s, {}};
        if (!info.isWritable())
            return StartupError{path, u"ファイルが読み取り専用のため書き込めません。"_s, {}};
        if (info.size() == 0)
            return StartupError{path, u"ファイルが空です（0 バイト）。データベースではありません。"_s, {}, Repair};
    }
    if (!QFileInfo(info.absolutePath()).isWritable())
        return StartupError{path, u"データフォルダが読み取り専用のため書き込めません。"_s, {}};
    if (!existed && !createFile(path, schema))
        return StartupError{path, u"新しいデータファイルを作成できません。"_s, {}};

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_URI"_s); // URIs: see sql::Attachment
    if (!db.open())
        return StartupError{path, u"開けません（%1）。"_s.arg(connectionError(db)), {}};

    const FirstRead read = firstRead(db);
    if (read == FirstRead::Busy)
        return StartupError{path, u"他のプログラムがこのファイルを使用中です。"_s, {}};
    bool readable = false;
    const QString missing = read == FirstRead::Ok ? findMissingTable(db, schema, &readable) : QString();
    if (!readable)
        return StartupError{path, u"データベースではないか、壊れています。"_s, {}, Repair};
    if (!missing.isEmpty())
        return StartupError{path, u"必要な表「%1」がありません。"_s.arg(missing), {}, Repair};

    // A read-only or locked file shows itself only when a write lock is asked for.
    if (!sql::exec(db, u"BEGIN IMMEDIATE"_s))
        return StartupError{path, u"他のプログラムが使用中か、書き込みできません。"_s, {}};
    sql::exec(db, u"ROLLBACK"_s);

    // The main file is read whole (and copied when it changed) unless Pelora
    // closed it itself and it is still as it was then; the small work file is
    // read whole every time. Both before the journal mode is set below, which
    // may write to the file: a damaged file stays untouched. The main file's
    // check and copy take seconds on a large file; they run on a connection of
    // their own beside this one.
    if (mainFile) {
        const auto checkAndCopy = [&](const QSqlDatabase &aside, OpenSteps &steps) {
            return backup::atStartup(aside, path, trusted, &steps);
        };
        const std::optional<QString> cause = readAside(path, checkAndCopy, m_progress);
        if (cause)
            return StartupError{path, *cause, backup::restoreAdvice(path), Repair};
    } else if (!backup::quickCheck(db)) {
        return StartupError{path, u"ファイルの中身が壊れています（整合性の検査で誤りが見つかりました）。"_s, {}, Repair};
    }

    // The main file keeps a rollback journal synced in full at every commit:
    // what an operation registered is on the disk when it ends. The work file
    // holds editing copies, written at every cell edit, and the hints; a
    // write-ahead log synced only at checkpoints keeps it whole through a power
    // cut (at worst the last edits are lost) without an fsync per cell, which
    // costs several milliseconds each. No transaction spans both files.
    if (mainFile
        || sql::scalar(db, u"PRAGMA journal_mode=WAL"_s).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0) {
        sql::exec(db, u"PRAGMA journal_mode=DELETE"_s);
        sql::exec(db, u"PRAGMA synchronous=FULL"_s);
    } else {
        sql::exec(db, u"PRAGMA synchronous=NORMAL"_s);
    }
    return std::nullopt;
}

void DataStore::closeConnection(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void DataStore::close()
{
    const bool sessionRan = m_opened.has_value();
    closeConnection(m_mainName);
    closeConnection(m_workName);
    if (m_recordWritten.valid() && !m_recordWritten.get())
        qWarning().noquote() << "The session record could not be written in" << m_paths.DataPath;
    if (sessionRan) {
        // Trusted next time only as the very file that was opened. One put in
        // its place while Pelora ran is not the file Pelora wrote: the record
        // keeps the stamp of the one it wrote, and the next start asks before
        // using another.
        const std::optional<FileStamp> after = stampOf(m_paths.MainDbPath);
        const bool same = after && after->sameFile(*m_opened);
        session::write(m_paths.DataPath, {true, same ? after : m_opened});
        m_opened.reset();
    }
    m_lock.unlock();
}
