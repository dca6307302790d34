// One Pelora per data folder: a second start is refused while the first runs,
// and a lock left behind by a Pelora that was killed never blocks the next start.
#include "fixture.h"
#include "realprogram.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString AlreadyRunning = u"既にこのデータフォルダで起動しています"_s;

DataPaths pathsOf(const ProgramFolder &folder)
{
    return chooseDataPaths(folder.folder(), false, QString(), {});
}

void stop(QProcess &process)
{
    process.kill();
    process.waitForFinished();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartIsRefusedWhileTheFirstRuns_data();
    void secondStartIsRefusedWhileTheFirstRuns();
    void startAfterTheFirstWasKilledTakesTheLockOver();
    void lockFileOfADeadStartDoesNotBlock_data();
    void lockFileOfADeadStartDoesNotBlock();
};

enum class LockFile { Untouched, Removed, Emptied, Replaced, FirstStillChecking };

void TestSingleInstance::secondStartIsRefusedWhileTheFirstRuns_data()
{
    QTest::addColumn<LockFile>("lockFile");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lock file as the first wrote it") << LockFile::Untouched << AlreadyRunning;
    // What anyone may do to the lock file while the first runs.
    QTest::newRow("lock file removed") << LockFile::Removed << AlreadyRunning;
    QTest::newRow("lock file emptied") << LockFile::Emptied << AlreadyRunning;
    QTest::newRow("lock file replaced by one naming a gone process") << LockFile::Replaced << AlreadyRunning;
    // The first held in its start-up check (by another program's lock on the
    // main file, and stopped there).
    QTest::newRow("first still checking its data") << LockFile::FirstStillChecking
                                                   << u"データを検査しています（起動の途中です）"_s;
}

void TestSingleInstance::secondStartIsRefusedWhileTheFirstRuns()
{
    QFETCH(LockFile, lockFile);
    QFETCH(QString, expected);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    const bool checking = lockFile == LockFile::FirstStillChecking;
    QSqlDatabase holder;
    if (checking) {
        if (portable::Windows)
            QSKIP("the first start is held in its check by stopping it, which Windows cannot do from here");
        Pelora made;
        made.paths = pathsOf(folder);
        QVERIFY(made.start());
        made.stop();
        holder = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"holder"_s);
        holder.setDatabaseName(folder.mainFile());
        QVERIFY(holder.open() && QSqlQuery(holder).exec(u"BEGIN EXCLUSIVE"_s));
    }
    std::unique_ptr<QProcess> first = folder.process();
    first->start();
    QVERIFY(first->waitForStarted());
    QVERIFY2(folder.waitForLock(*first, 20000, checking ? "checking" : "running"),
             first->readAllStandardError().constData());
    if (checking)
        QVERIFY(portable::holdProcess(first->processId(), true));
    // On Windows the first holds the file open without delete sharing: it
    // stays, and is emptied or overwritten in place.
    if (lockFile != LockFile::Untouched && !checking)
        QCOMPARE(QFile::remove(folder.lockFile()), !portable::Windows);
    if (lockFile == LockFile::Emptied || lockFile == LockFile::Replaced) {
        QFile lock(folder.lockFile());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        if (lockFile == LockFile::Replaced)
            lock.write(u"999999999\npelora\n%1\n"_s.arg(QSysInfo::machineHostName()).toUtf8());
    }

    const ProgramResult second = folder.run();
    QVERIFY(second.finished);
    QVERIFY(second.exitCode != 0);
    QVERIFY2(second.cause().contains(expected), qPrintable(second.errors));

    // Inside another program of ours just the same.
    Pelora app;
    app.paths = pathsOf(folder);
    QVERIFY(!app.start());
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(app.presenter.last().prompt.contains(expected));
    if (checking) {
        QVERIFY(portable::holdProcess(first->processId(), false));
        QVERIFY(QSqlQuery(holder).exec(u"ROLLBACK"_s));
        holder.close();
        QVERIFY(folder.waitForLock(*first));
    }

    // The first runs on, still the owner of the folder.
    QCOMPARE(first->state(), QProcess::Running);
    if (lockFile == LockFile::Untouched || checking)
        QCOMPARE(folder.lockOwner(), first->processId());
    stop(*first);
}

void TestSingleInstance::startAfterTheFirstWasKilledTakesTheLockOver()
{
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    std::unique_ptr<QProcess> first = folder.process();
    first->start();
    QVERIFY(first->waitForStarted());
    QVERIFY(folder.waitForLock(*first));
    const qint64 killed = first->processId();
    stop(*first); // SIGKILL: no chance to remove its lock
    QVERIFY(QFileInfo::exists(folder.lockFile()));
    QCOMPARE(folder.lockOwner(), killed);

    // The next real start takes the stale lock over and holds it: a start
    // after it is refused again.
    std::unique_ptr<QProcess> next = folder.process();
    next->start();
    QVERIFY(next->waitForStarted());
    QVERIFY2(folder.waitForLock(*next), next->readAllStandardError().constData());
    const ProgramResult refused = folder.run();
    QVERIFY2(refused.cause().contains(AlreadyRunning), qPrintable(refused.errors));
    QCOMPARE(next->state(), QProcess::Running);
    stop(*next);

    // And the window comes up on the folder after that kill too.
    Pelora app;
    app.paths = pathsOf(folder);
    QVERIFY(app.start());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestSingleInstance::lockFileOfADeadStartDoesNotBlock_data()
{
    QTest::addColumn<bool>("written");
    // Killed between creating the lock file and writing its owner into it.
    QTest::newRow("empty lock file") << false;
    // Killed at any later moment: the owner named is gone.
    QTest::newRow("lock file naming a gone process") << true;
}

void TestSingleInstance::lockFileOfADeadStartDoesNotBlock()
{
    QFETCH(bool, written);
    ProgramFolder folder;
    {
        const qint64 pid = portable::endedProcessId();
        QVERIFY(pid > 0);
        QFile lock(folder.lockFile());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        if (written)
            lock.write(u"%1\npelora\n%2\n"_s.arg(pid).arg(QSysInfo::machineHostName()).toUtf8());
    }
    Pelora app;
    app.paths = pathsOf(folder);
    QVERIFY2(app.start(), qPrintable(app.presenter.last().prompt));

    // The lock is ours now: the real program is refused.
    const ProgramResult refused = folder.run();
    QVERIFY2(refused.cause().contains(AlreadyRunning), qPrintable(refused.errors));
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
