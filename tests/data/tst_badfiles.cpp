// The real program started on data files it cannot use: each refusal says why
// in words, ends with a non-zero exit code and leaves the files byte for byte
// as they were. Prints the table of cases for the README at the end.
#include "fixture.h"
#include "realprogram.h"

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
};

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

bool giveToNobody(const QString &path)
{
    return ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
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
    QVERIFY(QFile::copy(app.paths.WorkDbPath, QDir(m_template.path()).filePath(u"PeloraWork.mdb"_s)));
}

void TestBadFiles::refusesAndLeavesTheFileAlone_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero-byte main file") << Damage::ZeroBytes << u"ファイルが空です"_s;
    QTest::newRow("text file as main file") << Damage::TextFile << u"データベースではないか、壊れています"_s;
    QTest::newRow("damaged page in the main file") << Damage::DamagedPage << u"ファイルの中身が壊れています"_s;
    QTest::newRow("damaged page in the work file") << Damage::DamagedWorkPage << u"ファイルの中身が壊れています"_s;
    QTest::newRow("main file missing a table") << Damage::MissingTable << u"必要な表「時給明細」がありません"_s;
    QTest::newRow("folder named like the main file") << Damage::FolderInsteadOfFile << u"ファイルではありません"_s;
    QTest::newRow("read-only main file") << Damage::ReadOnlyFile << u"読み取り専用"_s;
    QTest::newRow("read-only data folder") << Damage::ReadOnlyFolder << u"データフォルダに書き込めません"_s;
    QTest::newRow("main file locked by another program")
        << Damage::LockedByAnotherProgram << u"他のプログラムがこのファイルを使用中です"_s;
}

void TestBadFiles::refusesAndLeavesTheFileAlone()
{
    QFETCH(Damage, damage);
    QFETCH(QString, expected);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile::copy(QDir(m_template.path()).filePath(u"Pelora.mdb"_s), folder.mainFile()));
    QVERIFY(QFile::copy(QDir(m_template.path()).filePath(u"PeloraWork.mdb"_s), folder.workFile()));

    const bool permissions = damage == Damage::ReadOnlyFile || damage == Damage::ReadOnlyFolder;
    QStringList runAs;
    if (permissions && ::geteuid() == 0) {
        if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
            QSKIP("running as root, whose writes permission bits do not stop, and setpriv is missing");
        runAs = unprivileged();
        QVERIFY(::chmod(QFile::encodeName(folder.folder()).constData(), 0755) == 0);
        for (const QString &path : {folder.dataPath(), folder.mainFile(), folder.workFile()})
            QVERIFY(giveToNobody(path));
    }

    std::unique_ptr<QProcess> holder;
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
        QVERIFY(::chmod(QFile::encodeName(folder.dataPath()).constData(), 0555) == 0);
        break;
    case Damage::LockedByAnotherProgram: {
        holder = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(HoldLockVariable), folder.mainFile());
        holder->setProcessEnvironment(env);
        holder->start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(holder->waitForStarted());
        QVERIFY(holder->waitForReadyRead(10000));
        QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));
        break;
    }
    }

    const QByteArray mainBefore = fileDigest(folder.mainFile());
    const QByteArray workBefore = fileDigest(folder.workFile());
    const ProgramResult result = folder.run(runAs);
    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
        QCOMPARE(holder->exitCode(), 0);
    }
    ::chmod(QFile::encodeName(folder.dataPath()).constData(), 0755); // so the folder can be removed

    QVERIFY2(result.finished, "the program did not end by itself");
    QVERIFY2(result.exitCode != 0, qPrintable(result.errors));
    QVERIFY2(result.errors.contains(u"Pelora を起動できません"_s), qPrintable(result.errors));
    QVERIFY2(result.cause().contains(expected), qPrintable(result.errors));
    const bool unchanged = fileDigest(folder.mainFile()) == mainBefore && fileDigest(folder.workFile()) == workBefore;
    QVERIFY(unchanged);
    // Nothing was rebuilt, rolled back or left behind beside the files.
    for (const QString &leftover : {u"Pelora.mdb-journal"_s, u"Pelora.mdb.new"_s, u"PeloraWork.mdb-journal"_s,
                                    u"PeloraWork.mdb.new"_s, u"Pelora.lock"_s})
        QVERIFY2(!QFileInfo::exists(QDir(folder.dataPath()).filePath(leftover)), qPrintable(leftover));

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
    QApplication app(argc, argv);
    TestBadFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badfiles.moc"
