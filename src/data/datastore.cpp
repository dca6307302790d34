#include "data/datastore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/filecheck.h"
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
                         u"ファイル: %1\n原因: %2\n\n%3"_s
                             .arg(QDir::toNativeSeparators(file), cause,
                                  touched ? u"前回書きかけだった変更は取り消され、ファイルは最後に保存された状態に"
                                            u"戻っています。それ以外には手を加えていません。"_s
                                          : u"ファイルには手を加えていません。"_s);
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
    const auto forget = qScopeGuard([this] {
        m_progress = nullptr;
        m_journalRolledBack = false;
    });
    const QString folder = QDir::cleanPath(paths.DataPath);
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        return StartupError{folder, u"データフォルダの場所に、同じ名前のファイルがあります。"_s,
                            u"そのファイルの名前を変えるか、別の場所へ移してから、起動してください。"_s};
    if (!QDir().mkpath(folder))
        return StartupError{folder, u"データフォルダを作成できません。"_s, {}};
    if (!m_lock.isLocked())
        if (auto error = lockFolder(folder))
            return error;
    if (const QString aside = restore::finishInterrupted(m_paths); !aside.isEmpty())
        m_notice = u"前回、控えに戻す途中で Pelora が終了したため、その続きを済ませました。"
                   u"置き換えたファイルは次の名前で残っています（「設定・情報」の控えの一覧からも戻せます）。\n"_s
            + QDir::toNativeSeparators(aside);
    if (auto error = m_readOnly ? openReadOnly() : m_server ? openOnServer() : openBoth()) {
        // The lock stays for the remedy the refusal may offer.
        closeConnection(m_mainName);
        closeConnection(m_workName);
        return error;
    }
    m_lock.setState(FolderLock::State::Running);
    if (!m_hintsFrom.isEmpty()) {
        if (!copyextras::hintsToWork(work(), m_hintsFrom))
            qWarning().noquote() << "The hint texts could not be brought back from" << m_hintsFrom;
        // A copy the operator chose to use as the main file is a copy no more.
        if (m_hintsFrom == m_paths.MainDbPath)
            copyextras::strip(main());
    }
    m_hintsFrom.clear();
    return std::nullopt;
}

std::optional<StartupError> DataStore::openBoth()
{
    const QString &mainPath = m_paths.MainDbPath;
    const std::optional<session::Record> last = session::read(m_paths.DataPath);
    // Read before any connection is open on the file (see stampOf).
    const std::optional<FileStamp> before = stampOf(mainPath);
    const bool laterStart = last || QFileInfo::exists(m_paths.WorkDbPath) || backup::anyCopyTaken(mainPath);
    if (laterStart && !QFileInfo::exists(mainPath)) {
        StartupError error = damaged(
            File::Main, u"ファイルがありません（移動または削除されています）。空のファイルを新しく作ることはしません。"_s);
        if (backup::copies(backup::folderFor(mainPath)).isEmpty())
            error.advice = u"backup フォルダーに控えがありません。Pelora.mdb を data フォルダーに戻してから起動してください。"
                           u"空のデータで新しく始めるときは、data フォルダーの名前を変えて（例: data-old）から起動してください。"_s;
        return error;
    }
    switch (session::judgeJournal(mainPath, last, before)) {
    case session::Journal::None:
        break;
    case session::Journal::Own: // rolled back by SQLite at the first read, as after any crash
        m_journalRolledBack = true;
        break;
    case session::Journal::InUse:
        return StartupError{mainPath, u"他のプログラムがこのファイルを使用中です。"_s, {}};
    case session::Journal::Foreign: {
        StartupError error =
            damaged(File::Main, u"このデータファイルのものではない書きかけの記録（Pelora.mdb-journal）があります。"
                                u"このまま開くと別のファイルの内容が書き込まれます。"_s);
        error.advice = u"書きかけの記録は、それを書いたファイルと組でしか使えません。消したり、ファイルと別々に動かしたり"
                       u"しないでください。"_s;
        return error;
    }
    }
    if (auto error = openFile(File::Main, !laterStart, session::trusts(last, before)))
        return error;
    if (auto error = openFile(File::Work, true, false))
        return error;
    m_acceptOtherFile = false;
    // From here until close() the main file may change: a session that does
    // not get to close() is not trusted at the next start, and only its own
    // journal is rolled back.
    m_opened = stampOf(mainPath);
    if (!m_opened)
        return StartupError{mainPath, u"ファイルを読み取れません（アクセス権がありません）。"_s, {}};
    recordSession(false);
    return std::nullopt;
}

std::optional<StartupError> DataStore::openFile(File file, bool mayCreate, bool trusted)
{
    const bool mainFile = file == File::Main;
    const QString &path = mainFile ? m_paths.MainDbPath : m_paths.WorkDbPath;
    const FileSchema &schema = mainFile ? mainSchema() : workSchema();
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
            return damaged(file, u"ファイルが空です（0 バイト）。データベースではありません。"_s);
    }
    if (!QFileInfo(info.absolutePath()).isWritable())
        return StartupError{path, u"データフォルダが読み取り専用のため書き込めません。"_s, {}};
    if (!existed && !mayCreate)
        return StartupError{path, u"ファイルがありません（移動または削除されています）。"_s, {}};
    if (!existed && !createFile(path, schema))
        return StartupError{path, u"新しいデータファイルを作成できません。"_s, {}};

    const QString name = mainFile ? m_mainName : m_workName;
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_URI"_s); // URIs: see sql::Attachment
    if (!db.open())
        return StartupError{path, u"開けません（%1）。"_s.arg(db.lastError().text()), {}};

    const FirstRead read = firstRead(db);
    if (read == FirstRead::Busy)
        return StartupError{path, u"他のプログラムがこのファイルを使用中です。"_s, {}};
    bool readable = false;
    const QString missing = read == FirstRead::Ok ? findMissingTable(db, schema, &readable) : QString();
    if (!readable)
        return damaged(file, u"データベースではないか、壊れています。"_s);
    if (!missing.isEmpty())
        return damaged(file, u"必要な表「%1」がありません。"_s.arg(missing));

    // A read-only or locked file shows itself only when a write lock is asked for.
    if (!sql::exec(db, u"BEGIN IMMEDIATE"_s))
        return StartupError{path, u"他のプログラムが使用中か、書き込みできません。"_s, {}};
    sql::exec(db, u"ROLLBACK"_s);
    if (fileVersion(db) > schema.version())
        return StartupError{path, u"新しい版の Pelora で使われたファイルです。この版の Pelora では開けません。"_s,
                            u"新しい版の Pelora で開いてください。"_s};

    // The main file is read whole (and copied when it changed) unless Pelora
    // closed it itself and it is still as it was then; the small work file is
    // read whole every time. Both before the journal mode is set below, which
    // may write to the file: a damaged file stays untouched. The main file's
    // check and copy take seconds on a large file; they run aside, on a
    // connection of their own.
    if (mainFile) {
        if (!m_acceptOtherFile)
            if (auto error = otherFile(db))
                return error;
        std::optional<QString> cause = u"開けません。"_s;
        runAside(
            [&](OpenSteps &steps) {
                sql::withFile(path, sql::Access::ReadOnly, [&](const QSqlDatabase &aside) {
                    cause = backup::atStartup(aside, path, trusted, &steps);
                    return true;
                });
            },
            m_progress);
        if (cause)
            return damaged(File::Main, *cause);
        if (m_acceptOtherFile && copyextras::isCopy(db))
            m_hintsFrom = path;
    } else if (!filecheck::quickCheck(db)) {
        return damaged(File::Work, u"ファイルの中身が壊れています（整合性の検査で誤りが見つかりました）。"_s);
    }
    if (auto error = bringUpToDate(db, file))
        return error;

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

std::optional<StartupError> DataStore::bringUpToDate(const QSqlDatabase &db, File file)
{
    const FileSchema &schema = file == File::Main ? mainSchema() : workSchema();
    if (fileVersion(db) >= schema.version())
        return std::nullopt;
    const QString &path = file == File::Main ? m_paths.MainDbPath : m_paths.WorkDbPath;
    if (file == File::Main && !backup::ensureCopy(db, path, copyextras::BeforeUpgrade))
        return StartupError{path, u"新しい版に合わせる前の控えを作成できないため、ファイルを新しい版に合わせられません。"_s,
                            {}};
    if (!upgradeSchema(db, schema))
        return StartupError{path, u"ファイルを新しい版に合わせられません（書き込めません）。"_s, {}};
    return std::nullopt;
}

void DataStore::closeConnection(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    sql::forgetStatements(name);
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void DataStore::recordSession(bool closed)
{
    if (!session::write(m_paths.DataPath, {closed, m_opened, generationOf(main())}))
        qWarning().noquote() << "The session record could not be written in" << m_paths.DataPath;
}

void DataStore::close()
{
    if (m_opened) {
        // Trusted next time only as the very file that was opened. One put in
        // its place while Pelora ran is not the file Pelora wrote: the record
        // keeps the stamp of the one it wrote (and the count of writes read
        // through the connection, which still has that file), and the next
        // start asks before using another that is older.
        const std::optional<qint64> generation = generationOf(main());
        closeConnection(m_mainName);
        closeConnection(m_workName);
        const std::optional<FileStamp> after = stampOf(m_paths.MainDbPath);
        const bool same = after && after->sameFile(*m_opened);
        if (!session::write(m_paths.DataPath, {true, same ? after : m_opened, generation}))
            qWarning().noquote() << "The session record could not be written in" << m_paths.DataPath;
        m_opened.reset();
    }
    closeConnection(m_mainName);
    closeConnection(m_workName);
    m_lock.unlock();
}
