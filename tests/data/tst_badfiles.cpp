// The real program started on data files it cannot use: each refusal says why
// in words, ends with a non-zero exit code and leaves the files byte for byte
// as they were. Prints the table of cases for the README at the end.
#include "fixture.h"
#include "realprogram.h"

#include "data/backup.h"
#include "data/filestamp.h"

#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const char HoldLockVariable[] = "PELORA_HOLD_LOCK";
// r-x for owner, group and others.
constexpr QFile::Permissions Everyone = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
    | QFile::ReadOther | QFile::ExeOther;
const char HalfWriteVariable[] = "PELORA_HALF_WRITE";

// Child mode: holds an exclusive lock on a database file until stdin closes,
// as another program working on the file would.
int holdLock(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"holder"_s);
    db.setDatabaseName(qEnvironmentVariable(HoldLockVariable));
    QSqlQuery query(db);
    if (!db.open() || !query.exec(u"BEGIN EXCLUSIVE"_s) || !query.exec(u"SELECT count(*) FROM sqlite_master"_s))
        return 2;
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    query.exec(u"ROLLBACK"_s);
    return 0;
}

// Child mode: another program in the middle of a large write to a database
// file, far beyond its small page cache, so that SQLite has already synced its
// journal and written changed pages into the file. The parent kills it there,
// as a power cut would, leaving a hot journal beside the file.
int halfWrite(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"writer"_s);
    db.setDatabaseName(qEnvironmentVariable(HalfWriteVariable));
    QSqlQuery query(db);
    if (!db.open() || !query.exec(u"PRAGMA cache_size=10"_s) || !query.exec(u"BEGIN"_s)
        || !query.exec(u"UPDATE 時給明細 SET タイトル = 'x' || タイトル"_s)
        || !query.exec(u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付) WITH RECURSIVE n(i) AS "
                       u"(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                       u"SELECT '佐藤一郎', printf('%.200c', 'y'), i, '2024-05-01' FROM n"_s))
        return 2;
    std::fputs("half\n", stdout);
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

// Runs a child mode of this program on file until it says what it waits with.
std::unique_ptr<QProcess> startChild(const char *variable, const QString &file, const QByteArray &says)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(variable), file);
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), {}, QIODevice::ReadWrite | QIODevice::Text); // CRLF on Windows
    if (!child->waitForStarted() || !child->waitForReadyRead(10000) || child->readLine().trimmed() != says)
        return nullptr;
    return child;
}

// Lines the index of 時給明細 does not know, as a faulty program or disk
// leaves them: the index is taken out of the schema while rows are added and
// put back after. Only a full integrity_check finds it; quick_check does not.
bool hideRowsFromIndex(const QString &file)
{
    const QString index = u"時給明細_key1"_s;
    const QVariantList entry = Pelora::query(file, u"SELECT type, name, tbl_name, rootpage, sql FROM sqlite_master "
                                                   u"WHERE name = ?"_s, {index})
                                   .value(0);
    auto withSchema = [&file](const QString &statement, const QVariantList &values) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"schema-writer"_s);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        bool ok = db.open() && query.exec(u"PRAGMA writable_schema=ON"_s) && query.prepare(statement);
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = ok && query.exec();
        query = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"schema-writer"_s);
        return ok;
    };
    return entry.size() == 5 && withSchema(u"DELETE FROM sqlite_master WHERE name = ?"_s, {index})
        && Pelora::execute(file, u"INSERT INTO 時給明細 (氏名, タイトル, 行番号) VALUES ('佐藤一郎', '5月分', 1)"_s)
        && withSchema(u"INSERT INTO sqlite_master VALUES (?, ?, ?, ?, ?)"_s, entry);
}

// Every file of the data folder but the lock with a digest of its bytes (a
// lock left by a killed Pelora is taken over and removed).
QMap<QString, QByteArray> dataFiles(const ProgramFolder &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder.dataPath());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name != u"Pelora.lock"_s)
            files.insert(name, fileDigest(dir.filePath(name)));
    return files;
}

enum class Damage {
    ZeroBytes,
    TextFile,
    DamagedPage,
    DamagedWorkPage,
    MissingTable,
    FolderInsteadOfFile,
    ReadOnlyFile,
    ReadOnlyFolder,
    LockedByAnotherProgram,
    IndexMissingRows,
    MainFileGone,
    MainFileGoneWithCopies,
    JournalOfNoSession,
    JournalBesideRestoredCopy,
    JournalAfterCleanClose,
    CopyOverInPlaceBesideJournal,
    SwappedWhileRunning,
    LockOfAnotherComputer,
    LockTakenOverBefore,
    UnreadableLock,
    FolderNamedLock,
    CopyPutInPlace,
    CopyOverInPlaceCountersMatch,
    NewestCopyDamagedToo,
    OnlySessionRecord,
    FileNamedData,
};

bool writeAll(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Sets the change counter in a database file's header (bytes 24–27).
bool setCounter(const QString &file, quint32 counter)
{
    QFile f(file);
    const char bytes[4] = {char(counter >> 24), char(counter >> 16), char(counter >> 8), char(counter)};
    return f.open(QIODevice::ReadWrite) && f.seek(24) && f.write(bytes, 4) == 4;
}

bool overwritePage(const QString &file, const QString &table)
{
    const int page = Pelora::query(file, u"SELECT rootpage FROM sqlite_master WHERE name = ?"_s, {table})
                         .value(0)
                         .value(0)
                         .toInt();
    const int pageSize = Pelora::query(file, u"PRAGMA page_size"_s).value(0).value(0).toInt();
    QFile f(file);
    if (page < 2 || pageSize < 512 || !f.open(QIODevice::ReadWrite) || !f.seek(qint64(page - 1) * pageSize + 8))
        return false;
    return f.write(QByteArray(64, '\xee')) == 64;
}

// root's writes are not stopped by permission bits: such a case runs the
// program as "nobody" when setpriv can drop the rights, and is skipped otherwise.
QStringList unprivileged()
{
    return {u"setpriv"_s, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s};
}

} // namespace

class TestBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesAndLeavesTheFileAlone_data();
    void refusesAndLeavesTheFileAlone();
    void cleanupTestCase();

private:
    QTemporaryDir m_template;
    QStringList m_table;
};

void TestBadFiles::initTestCase()
{
    QVERIFY2(QFileInfo(QStringLiteral(PELORA_PROGRAM)).isExecutable(), PELORA_PROGRAM);
    // Real files of a used Pelora: a sheet of forty lines spans several pages.
    Pelora app;
    QVERIFY(app.start());
    app.stop();
    for (int n = 1; n <= 40; ++n)
        QVERIFY(Pelora::execute(app.paths.MainDbPath,
                                u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額) "
                                u"VALUES (?, ?, ?, '2024-04-01', '0900', '1700', 8, 1000, 0, 8000)"_s,
                                {u"山田花子"_s, u"4月分 "_s + QString(150, u'x'), n}));
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 合計) VALUES (?, ?, 320000)"_s,
                            {u"山田花子"_s, u"4月分 "_s + QString(150, u'x')}));
    QVERIFY(QFile::copy(app.paths.MainDbPath, QDir(m_template.path()).filePath(u"Pelora.mdb"_s)));
    QVERIFY(Pelora::execute(app.paths.WorkDbPath, u"INSERT INTO ClHint VALUES ('FrmPelora', 'cmdHint', 'Pelora', '使い方のメモ')"_s));
    QVERIFY(QFile::copy(app.paths.WorkDbPath, QDir(m_template.path()).filePath(u"PeloraWork.mdb"_s)));
}

void TestBadFiles::refusesAndLeavesTheFileAlone_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("offer"); // the way forward the same dialog offers; empty: none
    const QString missing = u"ファイルがありません（移動または削除されています）"_s;
    const QString foreignJournal = u"このデータファイルのものではない書きかけの記録"_s;
    const QString restore = u"に戻しますか"_s;
    QTest::newRow("zero-byte main file") << Damage::ZeroBytes << u"ファイルが空です"_s << QString();
    QTest::newRow("text file as main file") << Damage::TextFile << u"データベースではないか、壊れています"_s << QString();
    QTest::newRow("damaged page in the main file") << Damage::DamagedPage << u"ファイルの中身が壊れています"_s << QString();
    QTest::newRow("damaged page in the work file")
        << Damage::DamagedWorkPage << u"ファイルの中身が壊れています"_s << u"作業ファイルを作り直しますか"_s;
    QTest::newRow("main file missing a table") << Damage::MissingTable << u"必要な表「時給明細」がありません"_s << QString();
    QTest::newRow("folder named like the main file") << Damage::FolderInsteadOfFile << u"ファイルではありません"_s << QString();
    QTest::newRow("read-only main file") << Damage::ReadOnlyFile << u"読み取り専用"_s << QString();
    QTest::newRow("read-only data folder") << Damage::ReadOnlyFolder << u"データフォルダに書き込めません"_s << QString();
    QTest::newRow("main file locked by another program")
        << Damage::LockedByAnotherProgram << u"他のプログラムがこのファイルを使用中です"_s << QString();
    QTest::newRow("index missing lines of its table") << Damage::IndexMissingRows << u"ファイルの中身が壊れています"_s << QString();
    QTest::newRow("main file gone at a later start, no copy") << Damage::MainFileGone << missing << QString();
    QTest::newRow("main file gone at a later start, copies kept") << Damage::MainFileGoneWithCopies << missing << restore;
    QTest::newRow("hot journal of no unfinished session") << Damage::JournalOfNoSession << foreignJournal << QString();
    QTest::newRow("copy put back beside the journal of the old file")
        << Damage::JournalBesideRestoredCopy << foreignJournal << restore;
    QTest::newRow("hot journal of another program after a clean close")
        << Damage::JournalAfterCleanClose << foreignJournal << restore;
    QTest::newRow("copy put over the file in place beside its journal")
        << Damage::CopyOverInPlaceBesideJournal << foreignJournal << restore;
    QTest::newRow("main file swapped for an older one while running")
        << Damage::SwappedWhileRunning << u"前回 Pelora が使っていたときより古い内容のファイルです"_s
        << u"前回閉じたときの控え: Pelora-"_s;
    QTest::newRow("lock file of another computer")
        << Damage::LockOfAnotherComputer << u"別のコンピューター「buero-pc」（利用者 tanaka）が 2024/04/01 09:00 から"_s
        << u"Pelora.lock を別の名前に変えて残し"_s;
    QTest::newRow("lock of another computer, taken over once before")
        << Damage::LockTakenOverBefore << u"別のコンピューター「buero-pc」"_s << u"Pelora.lock を別の名前に変えて残し"_s;
    QTest::newRow("lock file that cannot be read") << Damage::UnreadableLock << u"Pelora.lock を読み取れません"_s
                                                   << QString();
    QTest::newRow("folder named Pelora.lock") << Damage::FolderNamedLock << u"「Pelora.lock」という名前のフォルダー"_s
                                              << QString();
    QTest::newRow("a copy put in the main file's place")
        << Damage::CopyPutInPlace << u"バックアップの控えが、データファイルとして置かれています"_s
        << u"このファイルで起動しますか"_s;
    // The journal's counter meets the copy's: SQLite rolls it into the copy,
    // and the refusal says so instead of calling the file untouched.
    QTest::newRow("copy put over the file in place, counters matching the journal")
        << Damage::CopyOverInPlaceCountersMatch << QString() << restore;
    QTest::newRow("damaged main file, newest copy damaged too")
        << Damage::NewestCopyDamagedToo << u"ファイルの中身が壊れています"_s << u"誤りのない最新の控え（2024/04/01 12:00:00"_s;
    QTest::newRow("only the session record left in the data folder")
        << Damage::OnlySessionRecord << missing << QString();
    QTest::newRow("a file named data where the folder goes")
        << Damage::FileNamedData << u"データフォルダの場所に、同じ名前のファイルがあります"_s << QString();
}

void TestBadFiles::refusesAndLeavesTheFileAlone()
{
    QFETCH(Damage, damage);
    QFETCH(QString, expected);
    QFETCH(QString, offer);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile::copy(QDir(m_template.path()).filePath(u"Pelora.mdb"_s), folder.mainFile()));
    QVERIFY(QFile::copy(QDir(m_template.path()).filePath(u"PeloraWork.mdb"_s), folder.workFile()));

    if (portable::Windows && (damage == Damage::ReadOnlyFolder || damage == Damage::UnreadableLock))
        QSKIP("Windows ignores read-only attributes there: only an access list stops reading or writing");
    const bool permissions = damage == Damage::ReadOnlyFile || damage == Damage::ReadOnlyFolder
        || damage == Damage::UnreadableLock;
    QStringList runAs;
    if (permissions && portable::runningAsRoot()) {
        if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
            QSKIP("running as root, whose writes permission bits do not stop, and setpriv is missing");
        runAs = unprivileged();
        QVERIFY(QFile::setPermissions(folder.folder(), Everyone | QFile::WriteOwner));
        for (const QString &path : {folder.dataPath(), folder.mainFile(), folder.workFile()})
            QVERIFY(portable::giveToNobody(path));
    }

    std::unique_ptr<QProcess> holder;
    const QString journal = folder.mainFile() + u"-journal"_s;
    const QString oldMain = QDir(folder.dataPath()).filePath(u"Pelora-old.mdb"_s);
    const QString copy = QDir(folder.dataPath()).filePath(u"backup/Pelora-20240401-120000.mdb"_s);
    switch (damage) {
    case Damage::ZeroBytes: {
        QFile file(folder.mainFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        break;
    }
    case Damage::TextFile: {
        QFile file(folder.mainFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int n = 0; n < 200; ++n)
            file.write(u"氏名,時給\n山田花子,1000\n"_s.toUtf8());
        break;
    }
    case Damage::DamagedPage:
        QVERIFY(overwritePage(folder.mainFile(), u"時給明細"_s));
        break;
    case Damage::DamagedWorkPage:
        // As a work file of an earlier Pelora, with a rollback journal: the
        // check must come before anything (a change of journal) is written.
        QVERIFY(Pelora::execute(folder.workFile(), u"PRAGMA journal_mode=DELETE"_s));
        QVERIFY(overwritePage(folder.workFile(), u"w明細"_s));
        break;
    case Damage::MissingTable:
        QVERIFY(Pelora::execute(folder.mainFile(), u"DROP TABLE 時給明細"_s));
        break;
    case Damage::FolderInsteadOfFile:
        QVERIFY(QFile::remove(folder.mainFile()));
        QVERIFY(QDir().mkpath(folder.mainFile()));
        break;
    case Damage::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(folder.mainFile(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        break;
    case Damage::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(folder.dataPath(), Everyone));
        break;
    case Damage::LockedByAnotherProgram: {
        holder = startChild(HoldLockVariable, folder.mainFile(), "locked");
        QVERIFY(holder);
        break;
    }
    case Damage::IndexMissingRows:
        QVERIFY(hideRowsFromIndex(folder.mainFile()));
        break;
    case Damage::MainFileGoneWithCopies:
        QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
        QVERIFY(QFile::copy(folder.mainFile(), copy));
        Q_FALLTHROUGH();
    case Damage::MainFileGone:
        QVERIFY(QFile::remove(folder.mainFile()));
        break;
    case Damage::SwappedWhileRunning: {
        // A sync tool renames an older file into place while Pelora runs on a newer one.
        if (portable::Windows)
            QSKIP("Windows renames nothing over a file SQLite holds open (it opens its files without delete sharing)");
        Pelora app;
        app.paths = chooseDataPaths(folder.folder(), false, QString(), {});
        QVERIFY(app.start());
        QVERIFY(Pelora::execute(folder.mainFile(), u"INSERT INTO 従業員 VALUES ('佐藤一郎', 1000)"_s));
        QVERIFY(QFile::copy(QDir(m_template.path()).filePath(u"Pelora.mdb"_s), oldMain));
        QVERIFY(::rename(QFile::encodeName(oldMain).constData(), QFile::encodeName(folder.mainFile()).constData()) == 0);
        app.stop();
        break;
    }
    case Damage::UnreadableLock:
        QVERIFY(writeAll(folder.lockFile(), "4242\npelora\nbuero-pc\n"));
        QVERIFY(QFile::setPermissions(folder.lockFile(), {}));
        break;
    case Damage::CopyPutInPlace: {
        // A copy taken at close, copied over the main file by hand.
        Pelora app;
        app.paths = chooseDataPaths(folder.folder(), false, QString(), {});
        QVERIFY(app.start());
        QVERIFY(Pelora::execute(folder.mainFile(), u"INSERT INTO 従業員 VALUES ('佐藤一郎', 1000)"_s));
        app.stop();
        QVERIFY(QFile::remove(folder.mainFile()));
        QVERIFY(QFile::copy(backup::copies(QFileInfo(copy).path()).value(0), folder.mainFile()));
        break;
    }
    case Damage::NewestCopyDamagedToo: {
        // Two copies beside a damaged main file, the newer damaged too.
        const QString newer = QDir(QFileInfo(copy).path()).filePath(u"Pelora-20240402-120000.mdb"_s);
        QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
        QVERIFY(QFile::copy(folder.mainFile(), copy) && QFile::copy(folder.mainFile(), newer));
        QVERIFY(overwritePage(newer, u"時給明細"_s) && overwritePage(folder.mainFile(), u"時給明細"_s));
        break;
    }
    case Damage::OnlySessionRecord:
        // Both files moved away together: the record of the last session stays behind.
        QVERIFY(QFile::remove(folder.mainFile()) && QFile::remove(folder.workFile()));
        QVERIFY(writeAll(QDir(folder.dataPath()).filePath(u"Pelora.session"_s), "closed\n\n"));
        break;
    case Damage::FileNamedData:
        QVERIFY(QDir(folder.dataPath()).removeRecursively());
        QVERIFY(writeAll(folder.dataPath(), "data"));
        break;
    case Damage::LockTakenOverBefore:
        QVERIFY(writeAll(folder.lockFile() + u"-buero-pc-20240401-090000"_s, "taken over once\n"));
        Q_FALLTHROUGH();
    case Damage::LockOfAnotherComputer: {
        // A data folder copied while Pelora ran on another computer.
        QFile lock(folder.lockFile());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("4242\npelora\nbuero-pc\n0123456789abcdef\nboot\nuser=tanaka\ntaken=2024-04-01T09:00:00\n"
                   "state=running\n");
        break;
    }
    case Damage::FolderNamedLock:
        QVERIFY(QDir().mkpath(folder.lockFile()));
        break;
    case Damage::JournalAfterCleanClose:
    case Damage::CopyOverInPlaceCountersMatch:
    case Damage::CopyOverInPlaceBesideJournal:
    case Damage::JournalBesideRestoredCopy: {
        // Pelora killed while it ran on the file (its session never closed),
        // leaving its copy of the file in backup/…
        std::unique_ptr<QProcess> killed = folder.process();
        killed->start();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QDir(folder.dataPath()).filePath(u"Pelora.session"_s)), 20000);
        killed->kill();
        killed->waitForFinished();
        if (damage == Damage::JournalAfterCleanClose) {
            // …then started and closed cleanly: the copy at that start holds the file.
            Pelora app;
            app.paths = chooseDataPaths(folder.folder(), false, QString(), {});
            QVERIFY(app.start());
            app.stop();
        }
        QVERIFY(!backup::copies(QFileInfo(copy).path()).isEmpty());
        QVERIFY(QFile::rename(backup::copies(QFileInfo(copy).path()).first(), copy));
        // …and changed after that copy, so that the old file's pages are not the copy's.
        QVERIFY(Pelora::execute(folder.mainFile(), u"DELETE FROM 時給明細 WHERE 行番号 > 20"_s));
        Q_FALLTHROUGH();
    }
    case Damage::JournalOfNoSession: {
        // …then a write to it cut off half-way…
        const qint64 counterBefore = stampOf(folder.mainFile())->counter;
        std::unique_ptr<QProcess> writer = startChild(HalfWriteVariable, folder.mainFile(), "half");
        QVERIFY(writer);
        writer->kill();
        writer->waitForFinished();
        QVERIFY(QFileInfo(journal).size() > 0);
        if (damage == Damage::JournalOfNoSession || damage == Damage::JournalAfterCleanClose)
            break;
        if (damage == Damage::CopyOverInPlaceBesideJournal || damage == Damage::CopyOverInPlaceCountersMatch) {
            // …and the copy put back the way a file manager does it: over the file, in place.
            QFile target(folder.mainFile());
            QFile source(copy);
            QVERIFY(source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(target.write(source.readAll()) > 0);
            target.close();
            // As in a young folder, where a copy's counter may follow the journal's.
            if (damage == Damage::CopyOverInPlaceCountersMatch)
                QVERIFY(setCounter(folder.mainFile(), quint32(counterBefore + 1)));
            break;
        }
        // …and the copy put back as the README once told: the file renamed,
        // its journal left where it was.
        QVERIFY(QFile::rename(folder.mainFile(), oldMain));
        QVERIFY(QFile::copy(copy, folder.mainFile()));
        break;
    }
    }

    const QMap<QString, QByteArray> before = dataFiles(folder);
    const ProgramResult result = folder.run(runAs);
    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
        QCOMPARE(holder->exitCode(), 0);
    }
    QFile::setPermissions(folder.dataPath(), Everyone | QFile::WriteOwner); // so the folder can be removed

    QVERIFY2(result.finished, "the program did not end by itself");
    QVERIFY2(result.exitCode != 0, qPrintable(result.errors));
    QVERIFY2(result.errors.contains(u"Pelora を起動できません"_s), qPrintable(result.errors));
    QVERIFY2(result.cause().contains(expected), qPrintable(result.errors));
    // Nothing was created, rebuilt, rolled back or left behind beside the files;
    // where SQLite rolled a journal back, the refusal says so.
    const bool unchanged = dataFiles(folder) == before;
    const bool rolledBack = damage == Damage::CopyOverInPlaceCountersMatch;
    QVERIFY2(unchanged != rolledBack, qPrintable(QStringList(dataFiles(folder).keys()).join(u' ')));
    QVERIFY2(result.errors.contains(u"ファイルには手を加えていません"_s) != rolledBack, qPrintable(result.errors));
    const bool lockCase = damage == Damage::LockOfAnotherComputer || damage == Damage::LockTakenOverBefore
        || damage == Damage::UnreadableLock || damage == Damage::FolderNamedLock;
    QVERIFY(lockCase || !QFileInfo::exists(folder.lockFile()));
    // The way forward is offered in the same dialog, or nothing is asked.
    QVERIFY2(offer.isEmpty() ? !result.errors.contains(u"「はい」"_s) : result.errors.contains(offer),
             qPrintable(result.errors));
    if (damage == Damage::MainFileGoneWithCopies)
        QVERIFY2(result.errors.contains(u"最新の控え: "_s + QDir::toNativeSeparators(copy)), qPrintable(result.errors));

    if (damage == Damage::JournalBesideRestoredCopy) {
        // The README's steps now: the journal goes along with the old file. The
        // copy then opens with its own contents, whole, and the old file with
        // its journal is rolled back to its last committed state.
        QVERIFY(QFile::rename(journal, oldMain + u"-journal"_s));
        Pelora app;
        app.paths = chooseDataPaths(folder.folder(), false, QString(), {});
        app.presenter.answerYes(); // the copy is not the file Pelora left: used once the operator agrees
        QVERIFY2(app.start(), qPrintable(app.presenter.last().prompt));
        QCOMPARE(app.mainRows(u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
        const QString templateMain = QDir(m_template.path()).filePath(u"Pelora.mdb"_s);
        for (const QString &statement : {u"SELECT * FROM 時給明細 ORDER BY 行番号"_s, u"SELECT * FROM 時給ヘッダ"_s})
            QCOMPARE(app.mainRows(statement), Pelora::query(templateMain, statement));
        app.stop();
        QVERIFY(Pelora::execute(oldMain, u"SELECT count(*) FROM sqlite_master"_s));
        QCOMPARE(Pelora::query(oldMain, u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
        QCOMPARE(Pelora::query(oldMain, u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 20);
    }

    if (!offer.isEmpty() && damage != Damage::JournalBesideRestoredCopy) {
        // はい takes it: Pelora starts on a whole file, and every file that was
        // in the folder is still there, under its name or moved aside (but a
        // journal the refusal said was rolled back).
        const QMap<QString, QByteArray> refused = dataFiles(folder);
        Pelora app;
        app.paths = chooseDataPaths(folder.folder(), false, QString(), {});
        app.presenter.answerYes();
        QVERIFY2(app.start(), qPrintable(app.presenter.last().prompt));
        QCOMPARE(app.mainRows(u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
        app.stop();
        const QMap<QString, QByteArray> after = dataFiles(folder);
        for (auto it = refused.cbegin(); it != refused.cend(); ++it)
            if (it.key().endsWith(u".mdb"_s) || it.key().endsWith(u"-journal"_s))
                QVERIFY2(after.contains(it.key()) || after.values().contains(it.value()), qPrintable(it.key()));
        if (damage == Damage::LockOfAnotherComputer)
            QVERIFY(QFileInfo::exists(folder.lockFile() + u"-buero-pc-20240401-090000"_s));
        if (damage == Damage::LockTakenOverBefore)
            QVERIFY(QFileInfo::exists(folder.lockFile() + u"-buero-pc-20240401-090000-2"_s));
        // The hint texts of a sound work file are kept through whatever was put back.
        if (damage != Damage::DamagedWorkPage)
            QCOMPARE(Pelora::query(folder.workFile(), u"SELECT Contents FROM ClHint"_s).value(0).value(0),
                     QVariant(u"使い方のメモ"_s));
    }

    m_table.append(u"| %1 | %2 | %3 | %4 |"_s.arg(QString::fromUtf8(QTest::currentDataTag()), result.cause())
                       .arg(result.exitCode)
                       .arg(unchanged ? u"yes"_s : u"no"_s));
}

void TestBadFiles::cleanupTestCase()
{
    if (m_table.isEmpty())
        return;
    qInfo().noquote() << "\n| Case | Message (原因) | Exit code | Bytes unchanged |\n|---|---|---|---|\n"
                             + m_table.join(u'\n');
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(HoldLockVariable))
        return holdLock(argc, argv);
    if (qEnvironmentVariableIsSet(HalfWriteVariable))
        return halfWrite(argc, argv);
    QApplication app(argc, argv);
    TestBadFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badfiles.moc"
