#include "fixture.h"
#include "portable.h"

#include "app/startup.h"
#include "app/progressdialog.h"
#include "data/backup.h"
#include "data/copyextras.h"
#include "data/datastore.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The two helper modes of this executable: a second process that holds a lock
// on a file or on the data folder, so that the tests meet a real foreign lock.
const char HoldWriteLockMode[] = "--hold-write-lock";
const char HoldFolderLockMode[] = "--hold-folder-lock";

// The helper never outlives the test run: it ends at the end of its stdin,
// and the alarm ends it should the test process hang.
void waitForEndOfInput()
{
    portable::endAfter(30);
    while (std::fgetc(stdin) != EOF) {
    }
}

void announceLocked()
{
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
}

int holdWriteLock(const QString &file)
{
    int rc = 2;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"holder"_s);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(u"BEGIN EXCLUSIVE"_s)) {
                announceLocked();
                waitForEndOfInput();
                query.exec(u"ROLLBACK"_s);
                rc = 0;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"holder"_s);
    return rc;
}

int holdFolderLock(const QString &folder)
{
    FolderLock lock;
    if (lock.lock(folder) != FolderLock::Result::Locked)
        return 2;
    announceLocked();
    waitForEndOfInput();
    return 0;
}

// Starts this executable in a helper mode and waits until it holds its lock.
bool startHolder(QProcess &child, const char *mode, const QString &path)
{
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(mode), path});
    child.start(QIODevice::ReadWrite | QIODevice::Text); // CRLF on Windows
    if (!child.waitForStarted(5000))
        return false;
    QByteArray out;
    const QDeadlineTimer deadline(10000);
    while (!out.contains("locked\n") && !deadline.hasExpired()) {
        if (!child.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        out += child.readAllStandardOutput();
    }
    return out.contains("locked\n");
}

void releaseHolder(QProcess &child)
{
    if (child.state() == QProcess::NotRunning)
        return;
    child.closeWriteChannel();
    if (!child.waitForFinished(5000)) {
        child.kill();
        child.waitForFinished(5000);
    }
}

DataPaths pathsIn(const QString &folder)
{
    return chooseDataPaths(folder, false, QString(), {});
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool hasJapanese(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3040 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff))
            return true;
    }
    return false;
}

QStringList tablesOf(const QString &file)
{
    QStringList names;
    for (const auto &row : Pelora::query(
             file, u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"_s))
        names.append(row.value(0).toString());
    names.sort();
    return names;
}

QStringList columnsOf(const QString &file, const QString &table)
{
    QStringList names;
    for (const auto &row : Pelora::query(file, u"SELECT name FROM pragma_table_info(?) ORDER BY cid"_s, {table}))
        names.append(row.value(0).toString());
    return names;
}

// The column lists of the indexes on a table.
QList<QStringList> indexesOf(const QString &file, const QString &table)
{
    QList<QStringList> indexes;
    for (const auto &index : Pelora::query(file, u"SELECT name FROM pragma_index_list(?)"_s, {table})) {
        QStringList columns;
        for (const auto &row : Pelora::query(file, u"SELECT name FROM pragma_index_info(?) ORDER BY seqno"_s,
                                             {index.value(0)}))
            columns.append(row.value(0).toString());
        indexes.append(columns);
    }
    return indexes;
}

using Tables = QList<std::pair<QString, QStringList>>;

const Tables &mainTables()
{
    static const Tables tables{
        {u"従業員"_s, {u"氏名"_s, u"時給"_s}},
        {u"時給ヘッダ"_s,
         {u"氏名"_s, u"タイトル"_s, u"時給"_s, u"休憩"_s, u"調整額"_s, u"時間"_s, u"合計"_s, u"登録日時"_s,
          u"休日"_s, u"深夜"_s, u"時間外"_s, u"割増"_s, u"版"_s, u"更新者"_s}},
        {u"時給明細"_s,
         {u"氏名"_s, u"タイトル"_s, u"行番号"_s, u"日付"_s, u"開始時間"_s, u"終了時間"_s, u"時間"_s,
          u"時給"_s, u"調整額"_s, u"金額"_s, u"休日"_s, u"深夜"_s, u"時間外"_s, u"割増"_s}},
        {u"自社情報"_s, {u"自社名"_s, u"自社情報"_s}},
        {u"世代"_s, {u"番号"_s}},
        {u"割増設定"_s,
         {u"計算"_s, u"時間外率"_s, u"深夜率"_s, u"休日率"_s, u"時間外60時間超率"_s, u"週労働時間"_s, u"週起算日"_s}},
    };
    return tables;
}

const Tables &workTables()
{
    static const Tables tables{
        {u"w明細"_s,
         {u"行番号"_s, u"日付"_s, u"開始時間"_s, u"終了時間"_s, u"時間"_s, u"時給"_s, u"調整額"_s, u"金額"_s,
          u"休日"_s, u"深夜"_s, u"時間外"_s, u"割増"_s}},
        {u"w従業員"_s, {u"チェック"_s, u"氏名"_s, u"時給"_s}},
        {u"w履歴"_s, {u"氏名"_s, u"合計"_s, u"タイトル"_s}},
        {u"ClHint"_s, {u"FormName"_s, u"CtlName"_s, u"FormTitle"_s, u"Contents"_s}},
    };
    return tables;
}

enum class Damage { ZeroBytes, Text, Folder, DropTable, DropColumn, ReadOnlyFile, ReadOnlyFolder, Locked };

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestDataStore : public QObject
{
    Q_OBJECT

private slots:
    void createsAMissingFolderWithBothFiles();
    void reopensAnExistingFileWithoutTouchingIt();
    void refusesAFileItCannotUse_data();
    void refusesAFileItCannotUse();
    void refusesASecondStoreOnTheSameFolder();
    void takesOverTheLockOfAKilledProcess();
    void startupTellsTheOperatorAndStops_data();
    void startupTellsTheOperatorAndStops();
    void startupOnAFreshFolderShowsNoDialog();
    void anOlderFileIsBroughtUpToDateAfterACopy_data();
    void anOlderFileIsBroughtUpToDateAfterACopy();
    void aLongStartShowsWhatItIsDoing();
};

void TestDataStore::createsAMissingFolderWithBothFiles()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const DataPaths paths = pathsIn(tmp.filePath(u"office/pelora"_s));
    QVERIFY(!QFileInfo::exists(paths.DataPath));

    DataStore store;
    const auto error = store.open(paths);
    QVERIFY2(!error, error ? qPrintable(error->message()) : "");
    QVERIFY(QFileInfo(paths.MainDbPath).isFile());
    QVERIFY(QFileInfo(paths.WorkDbPath).isFile());
    QVERIFY(store.main().isOpen());
    QVERIFY(store.work().isOpen());
    QCOMPARE(QFileInfo(store.main().databaseName()).canonicalFilePath(),
             QFileInfo(paths.MainDbPath).canonicalFilePath());
    QCOMPARE(QFileInfo(store.work().databaseName()).canonicalFilePath(),
             QFileInfo(paths.WorkDbPath).canonicalFilePath());

    for (const auto &[file, tables] : {std::pair{paths.MainDbPath, mainTables()},
                                       std::pair{paths.WorkDbPath, workTables()}}) {
        QStringList expectedNames;
        for (const auto &[table, columns] : tables) {
            expectedNames.append(table);
            QCOMPARE(columnsOf(file, table), columns);
        }
        expectedNames.sort();
        QCOMPARE(tablesOf(file), expectedNames);
    }

    // The lookups by sheet key, employee name and hint key have their indexes.
    const QList<std::tuple<QString, QString, QStringList>> lookups{
        {paths.MainDbPath, u"従業員"_s, {u"氏名"_s}},
        {paths.MainDbPath, u"時給ヘッダ"_s, {u"氏名"_s, u"タイトル"_s}},
        {paths.MainDbPath, u"時給明細"_s, {u"氏名"_s, u"タイトル"_s, u"行番号"_s}},
        {paths.WorkDbPath, u"ClHint"_s, {u"FormName"_s, u"CtlName"_s}},
    };
    for (const auto &[file, table, key] : lookups)
        QVERIFY2(indexesOf(file, table).contains(key), qPrintable(table));

    // Every table starts empty, but the count of writes at its first.
    for (const auto &[table, columns] : mainTables())
        QCOMPARE(Pelora::query(paths.MainDbPath, u"SELECT count(*) FROM "_s + table).value(0).value(0).toInt(),
                 table == u"世代"_s ? 1 : 0);
    for (const auto &[table, columns] : workTables())
        QCOMPARE(Pelora::query(paths.WorkDbPath, u"SELECT count(*) FROM "_s + table).value(0).value(0).toInt(), 0);
}

void TestDataStore::reopensAnExistingFileWithoutTouchingIt()
{
    QTemporaryDir tmp;
    const DataPaths paths = pathsIn(tmp.path());
    {
        DataStore store;
        QVERIFY(!store.open(paths));
        // Fractions of a yen and of an hour are kept as they are.
        QVERIFY(sql::exec(store.main(),
                          u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 時間, 金額) "
                          u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                          {u"山田花子"_s, u"4月分"_s, 1, u"2007-04-30"_s, u"0930"_s, 7.5, 8333.33}));
        QVERIFY(sql::exec(store.work(), u"INSERT INTO ClHint VALUES (?, ?, ?, ?)"_s,
                          {u"FrmPelora"_s, u"cmdHint"_s, u"Pelora Ver 1.30"_s, u"ヒントの本文"_s}));
    }

    // Any write would move the modification time off this old one.
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    for (const QString &file : {paths.MainDbPath, paths.WorkDbPath}) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const QByteArray mainBefore = bytesOf(paths.MainDbPath);
    const QByteArray workBefore = bytesOf(paths.WorkDbPath);

    for (int run = 0; run < 2; ++run) {
        DataStore store;
        const auto error = store.open(paths);
        QVERIFY2(!error, error ? qPrintable(error->message()) : "");
        const auto line = sql::rows(store.main(), u"SELECT 氏名, 開始時間, 時間, 金額 FROM 時給明細"_s);
        QCOMPARE(line.size(), 1);
        QCOMPARE(line.first().value(0).toString(), u"山田花子"_s);
        QCOMPARE(line.first().value(1).toString(), u"0930"_s);
        QCOMPARE(line.first().value(2).toDouble(), 7.5);
        QCOMPARE(line.first().value(3).toDouble(), 8333.33);
        QCOMPARE(sql::scalar(store.work(), u"SELECT Contents FROM ClHint"_s).toString(), u"ヒントの本文"_s);
    }

    QCOMPARE(bytesOf(paths.MainDbPath), mainBefore);
    QCOMPARE(bytesOf(paths.WorkDbPath), workBefore);
    QCOMPARE(QFileInfo(paths.MainDbPath).lastModified().toUTC(), old);
    QCOMPARE(QFileInfo(paths.WorkDbPath).lastModified().toUTC(), old);
    QVERIFY(!QFileInfo::exists(paths.MainDbPath + u"-journal"_s));
    QVERIFY(!QFileInfo::exists(paths.WorkDbPath + u"-journal"_s));

    // A work file gone is made again, empty; the main file stays as it is.
    QVERIFY(QFile::remove(paths.WorkDbPath));
    DataStore store;
    const auto error = store.open(paths);
    QVERIFY2(!error, error ? qPrintable(error->message()) : "");
    QCOMPARE(sql::scalar(store.work(), u"SELECT count(*) FROM ClHint"_s).toInt(), 0);
    QCOMPARE(bytesOf(paths.MainDbPath), mainBefore);
}

void TestDataStore::refusesAFileItCannotUse_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("target");   // "main", "work" or "folder"
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("main file of zero bytes") << Damage::ZeroBytes << u"main"_s << QString() << QString() << QStringList{};
    QTest::newRow("work file of zero bytes") << Damage::ZeroBytes << u"work"_s << QString() << QString() << QStringList{};
    QTest::newRow("main file is text") << Damage::Text << u"main"_s << QString() << QString() << QStringList{};
    QTest::newRow("work file is text") << Damage::Text << u"work"_s << QString() << QString() << QStringList{};
    QTest::newRow("main file is a folder") << Damage::Folder << u"main"_s << QString() << QString() << QStringList{};
    QTest::newRow("main file lacks 時給明細")
        << Damage::DropTable << u"main"_s << u"時給明細"_s << QString() << QStringList{u"時給明細"_s};
    QTest::newRow("work file lacks ClHint")
        << Damage::DropTable << u"work"_s << u"ClHint"_s << QString() << QStringList{u"ClHint"_s};
    QTest::newRow("main file lacks 時給ヘッダ.合計")
        << Damage::DropColumn << u"main"_s << u"時給ヘッダ"_s << u"合計"_s
        << QStringList{u"時給ヘッダ"_s, u"合計"_s};
    QTest::newRow("work file lacks w明細.金額")
        << Damage::DropColumn << u"work"_s << u"w明細"_s << u"金額"_s << QStringList{u"w明細"_s, u"金額"_s};
    QTest::newRow("read-only main file")
        << Damage::ReadOnlyFile << u"main"_s << QString() << QString() << QStringList{u"読み取り専用"_s};
    QTest::newRow("read-only work file")
        << Damage::ReadOnlyFile << u"work"_s << QString() << QString() << QStringList{u"読み取り専用"_s};
    QTest::newRow("read-only data folder")
        << Damage::ReadOnlyFolder << u"folder"_s << QString() << QString() << QStringList{u"書き込"_s};
    QTest::newRow("main file locked by another program")
        << Damage::Locked << u"main"_s << QString() << QString() << QStringList{u"使用中"_s};
    QTest::newRow("work file locked by another program")
        << Damage::Locked << u"work"_s << QString() << QString() << QStringList{u"使用中"_s};
}

void TestDataStore::refusesAFileItCannotUse()
{
    QFETCH(Damage, damage);
    QFETCH(QString, target);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QStringList, mentions);

    QTemporaryDir tmp;
    const DataPaths paths = pathsIn(tmp.path());
    {
        DataStore store;
        QVERIFY(!store.open(paths));
    }
    const QString folder = QDir::cleanPath(paths.DataPath);
    const QString file = target == u"main"_s ? paths.MainDbPath
                       : target == u"work"_s ? paths.WorkDbPath
                                             : folder;

    QProcess holder;
    const auto restore = qScopeGuard([&] {
        releaseHolder(holder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(paths.MainDbPath, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(paths.WorkDbPath, QFile::ReadOwner | QFile::WriteOwner);
    });

    switch (damage) {
    case Damage::ZeroBytes: {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        break;
    }
    case Damage::Text: {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(u"給与データではありません。\r\nThis is a note, not a database.\r\n"_s.toUtf8());
        break;
    }
    case Damage::Folder:
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkdir(file));
        break;
    case Damage::DropTable:
        QVERIFY(Pelora::execute(file, u"DROP TABLE "_s + table));
        break;
    case Damage::DropColumn:
        QVERIFY(Pelora::execute(file, u"ALTER TABLE %1 DROP COLUMN %2"_s.arg(table, column)));
        break;
    case Damage::ReadOnlyFile: {
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QFile probe(file);
        if (probe.open(QIODevice::ReadWrite))
            QSKIP("permission bits do not stop this user (root) from writing the file");
        break;
    }
    case Damage::ReadOnlyFolder: {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        QFile probe(QDir(folder).filePath(u"probe"_s));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("permission bits do not stop this user (root) from writing in the folder");
        }
        break;
    }
    case Damage::Locked:
        QVERIFY2(startHolder(holder, HoldWriteLockMode, file), "the helper process took no lock");
        break;
    }

    const QByteArray mainBefore = bytesOf(paths.MainDbPath);
    const QByteArray workBefore = bytesOf(paths.WorkDbPath);

    {
        DataStore store;
        const auto error = store.open(paths);
        QVERIFY(error.has_value());
        QCOMPARE(error->file, file);
        QVERIFY2(hasJapanese(error->cause), qPrintable(error->cause));
        for (const QString &word : mentions)
            QVERIFY2(error->cause.contains(word), qPrintable(error->cause));
        const QString message = error->message();
        QVERIFY(message.contains(QDir::toNativeSeparators(file)));
        QVERIFY(message.contains(error->cause));
        QVERIFY(!store.main().isOpen());
        QVERIFY(!store.work().isOpen());
    }

    releaseHolder(holder);
    QCOMPARE(bytesOf(paths.MainDbPath), mainBefore);
    QCOMPARE(bytesOf(paths.WorkDbPath), workBefore);
    if (damage == Damage::Folder)
        QVERIFY(QFileInfo(file).isDir());

    // Once the other program has let go, the same data opens again.
    if (damage == Damage::Locked) {
        DataStore store;
        const auto error = store.open(paths);
        QVERIFY2(!error, error ? qPrintable(error->message()) : "");
    }
}

void TestDataStore::refusesASecondStoreOnTheSameFolder()
{
    QTemporaryDir tmp;
    const DataPaths paths = pathsIn(tmp.path());
    DataStore first;
    QVERIFY(!first.open(paths));
    const QByteArray mainBefore = bytesOf(paths.MainDbPath);
    const QByteArray workBefore = bytesOf(paths.WorkDbPath);

    {
        DataStore second;
        const auto error = second.open(paths);
        QVERIFY(error.has_value());
        QVERIFY2(error->cause.contains(u"既に"_s) && error->cause.contains(u"起動"_s), qPrintable(error->cause));
        QVERIFY(!second.main().isOpen());
    }
    QCOMPARE(bytesOf(paths.MainDbPath), mainBefore);
    QCOMPARE(bytesOf(paths.WorkDbPath), workBefore);

    // The refused store took nothing from the first: its lock still holds and its connections still work.
    {
        DataStore third;
        QVERIFY(third.open(paths).has_value());
    }
    QVERIFY(first.main().isOpen());
    QVERIFY(sql::exec(first.main(), u"INSERT INTO 従業員 VALUES (?, ?)"_s, {u"佐藤"_s, 950}));
    QVERIFY(sql::exec(first.work(), u"DELETE FROM w明細"_s));

    first.close();
    DataStore after;
    const auto error = after.open(paths);
    QVERIFY2(!error, error ? qPrintable(error->message()) : "");
    QCOMPARE(sql::scalar(after.main(), u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s, {u"佐藤"_s}).toInt(), 950);
}

void TestDataStore::takesOverTheLockOfAKilledProcess()
{
    QTemporaryDir tmp;
    const DataPaths paths = pathsIn(tmp.path());
    const QString folder = QDir::cleanPath(paths.DataPath);
    QVERIFY(QDir().mkpath(folder));

    QProcess holder;
    QVERIFY2(startHolder(holder, HoldFolderLockMode, folder), "the helper process took no lock");
    {
        // While that process lives, its lock keeps Pelora out.
        DataStore store;
        QVERIFY(store.open(paths).has_value());
    }
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    const QStringList left = QDir(folder).entryList(QDir::Files);
    QVERIFY2(!left.isEmpty(), "the killed process left no lock file behind");

    DataStore store;
    const auto error = store.open(paths);
    QVERIFY2(!error, error ? qPrintable(error->message()) : "");
    QVERIFY(store.main().isOpen());
}

void TestDataStore::startupTellsTheOperatorAndStops_data()
{
    QTest::addColumn<bool>("mainFile");
    QTest::addColumn<bool>("yes"); // the answer to the way forward a damaged work file offers
    QTest::newRow("main file damaged") << true << false;
    QTest::newRow("work file damaged, not rebuilt") << false << false;
    // Made again, the damaged one kept aside; the hint texts come back from the newest copy.
    QTest::newRow("work file damaged, rebuilt") << false << true;
}

void TestDataStore::startupTellsTheOperatorAndStops()
{
    QFETCH(bool, mainFile);
    QFETCH(bool, yes);
    QTemporaryDir tmp;
    const DataPaths paths = pathsIn(tmp.path());
    {
        DataStore store;
        QVERIFY(!store.open(paths));
        QVERIFY(sql::exec(store.work(), u"INSERT INTO ClHint VALUES ('FrmPelora', 'cmdHint', 'Pelora', '時給の入れ方')"_s));
        QVERIFY(sql::exec(store.main(), u"INSERT INTO 従業員 VALUES ('佐藤', 950)"_s));
        if (!mainFile)
            QVERIFY(!backup::takeCopy(store.main(), paths.MainDbPath, copyextras::AtClose).isEmpty());
    }
    const QString file = mainFile ? paths.MainDbPath : paths.WorkDbPath;
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a database");
    }
    const QByteArray before = bytesOf(file);

    ScriptedPresenter presenter;
    if (yes)
        presenter.answerYes();
    const std::unique_ptr<FrmPelora> window = startPelora(paths, Services{&presenter, nullptr, {}});
    QCOMPARE(bool(window), yes);
    QCOMPARE(presenter.shown.size(), 1);
    const MessageRequest shown = presenter.shown.first();
    QCOMPARE(shown.icon, mainFile ? MessageRequest::Icon::Critical : MessageRequest::Icon::Question);
    QCOMPARE(shown.buttons, mainFile ? MessageRequest::Buttons::Ok : MessageRequest::Buttons::YesNo);
    QVERIFY(!shown.title.isEmpty());
    QVERIFY2(shown.prompt.contains(QDir::toNativeSeparators(file)), qPrintable(shown.prompt));
    QVERIFY(hasJapanese(shown.prompt));
    if (!yes) {
        QCOMPARE(bytesOf(file), before);
        return;
    }
    const QStringList aside = QDir(paths.DataPath).entryList({u"PeloraWork-old-*.mdb"_s});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(bytesOf(QDir(paths.DataPath).filePath(aside.first())), before);
    QCOMPARE(sql::scalar(window->workDb(), u"SELECT Contents FROM ClHint"_s).toString(), u"時給の入れ方"_s);
}

void TestDataStore::startupOnAFreshFolderShowsNoDialog()
{
    QTemporaryDir tmp;
    ScriptedPresenter presenter;
    const std::unique_ptr<FrmPelora> window = startPelora(pathsIn(tmp.path()), Services{&presenter, nullptr, {}});
    QVERIFY(window);
    QVERIFY(presenter.shown.isEmpty());
}

void TestDataStore::anOlderFileIsBroughtUpToDateAfterACopy_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("blocked"); // a table of the new version is in the way: the upgrade fails halfway
    for (int version = 0; version < mainSchema().version(); ++version)
        QTest::addRow("version %d", version) << version << false;
    QTest::newRow("version 2, failing halfway") << 2 << true;
}

void TestDataStore::anOlderFileIsBroughtUpToDateAfterACopy()
{
    QFETCH(int, version);
    QFETCH(bool, blocked);
    Pelora app;
    QVERIFY(Pelora::makeOlderData(app.paths, version));
    if (blocked)
        QVERIFY(Pelora::execute(app.paths.MainDbPath, u"CREATE TABLE 割増設定 (x)"_s));
    auto sheets = [](const QString &file) {
        return Pelora::query(file, u"SELECT 氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計 FROM 時給ヘッダ ORDER BY 氏名"_s)
            + Pelora::query(file, u"SELECT 氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 "
                                  u"FROM 時給明細 ORDER BY 氏名, 行番号"_s)
            + Pelora::query(file, u"SELECT 氏名, 時給 FROM 従業員"_s);
    };
    auto versionOf = [](const QString &file) {
        return Pelora::query(file, u"PRAGMA user_version"_s).value(0).value(0).toInt();
    };
    const QList<QVariantList> before = sheets(app.paths.MainDbPath);
    QCOMPARE(before.size(), 6);

    if (blocked) {
        // Refused, and the file is as that version left it, for that version to go on with.
        QVERIFY(!app.start());
        QVERIFY(app.presenter.last().prompt.contains(u"新しい版に合わせられません"_s));
        QCOMPARE(versionOf(app.paths.MainDbPath), version);
        QCOMPARE(sheets(app.paths.MainDbPath), before);
        QCOMPARE(Pelora::query(app.paths.MainDbPath, u"SELECT count(*) FROM pragma_table_info('時給明細') "
                                                     u"WHERE name = '割増'"_s).value(0).value(0).toInt(), 0);
        return;
    }
    QVERIFY(app.start());
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(versionOf(app.paths.MainDbPath), mainSchema().version());
    QCOMPARE(versionOf(app.paths.WorkDbPath), workSchema().version());
    // A copy of the file as it was, taken before.
    bool copied = false;
    for (const QString &copy : backup::copies(backup::folderFor(app.paths.MainDbPath)))
        copied = copied || (versionOf(copy) == version && sheets(copy) == before);
    QVERIFY(copied);
    // Every sheet as it was, none of its premiums computed; the new fields empty.
    QCOMPARE(sheets(app.paths.MainDbPath), before);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細 WHERE 休日 IS NOT NULL OR 深夜 IS NOT NULL "
                          u"OR 時間外 IS NOT NULL OR 割増 IS NOT NULL"_s).value(0).value(0).toInt(), 0);
}

void TestDataStore::aLongStartShowsWhatItIsDoing()
{
    // Shown at once here; at start-up only once the work has lasted a moment.
    ProgressDialog dialog(0);
    dialog.begin();
    QVERIFY(dialog.isVisible());
    dialog.advance(OpenSteps::Phase::Checking, 2, 4);
    QCOMPARE(dialog.findChild<QLabel *>(u"lbl段階"_s)->text(), u"2 / 4"_s);
    QCOMPARE(dialog.findChild<QProgressBar *>(u"bar進行"_s)->value(), 2);
    QVERIFY(!dialog.close()); // start-up goes on until the work is done
    dialog.end();
    QVERIFY(!dialog.isVisible());
}

int main(int argc, char **argv)
{
    if (argc == 3 && (qstrcmp(argv[1], HoldWriteLockMode) == 0 || qstrcmp(argv[1], HoldFolderLockMode) == 0)) {
        QCoreApplication helper(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        return qstrcmp(argv[1], HoldWriteLockMode) == 0 ? holdWriteLock(path) : holdFolderLock(path);
    }
    QApplication app(argc, argv);
    TestDataStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_datastore.moc"
