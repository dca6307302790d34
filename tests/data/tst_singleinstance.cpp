// One Pelora per data folder: a second start is refused while the first runs,
// and a lock left behind by a Pelora that was killed never blocks the next start.
#include "fixture.h"
#include "realprogram.h"

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

enum class LockFile { Untouched, Removed, Emptied, Replaced };

void TestSingleInstance::secondStartIsRefusedWhileTheFirstRuns_data()
{
    QTest::addColumn<LockFile>("lockFile");
    QTest::newRow("lock file as the first wrote it") << LockFile::Untouched;
    // What anyone may do to the lock file while the first runs.
    QTest::newRow("lock file removed") << LockFile::Removed;
    QTest::newRow("lock file emptied") << LockFile::Emptied;
    QTest::newRow("lock file replaced by one naming a gone process") << LockFile::Replaced;
}

void TestSingleInstance::secondStartIsRefusedWhileTheFirstRuns()
{
    QFETCH(LockFile, lockFile);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    std::unique_ptr<QProcess> first = folder.process();
    first->start();
    QVERIFY(first->waitForStarted());
    QVERIFY2(folder.waitForLock(*first), first->readAllStandardError().constData());
    // On Windows the first holds the file open without delete sharing: it
    // stays, and is emptied or overwritten in place.
    if (lockFile != LockFile::Untouched)
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
    QVERIFY2(second.cause().contains(AlreadyRunning), qPrintable(second.errors));

    // Inside another program of ours just the same.
    Pelora app;
    app.paths = pathsOf(folder);
    QVERIFY(!app.start());
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(app.presenter.last().prompt.contains(AlreadyRunning));

    // The first runs on, still the owner of the folder.
    QCOMPARE(first->state(), QProcess::Running);
    if (lockFile == LockFile::Untouched)
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
