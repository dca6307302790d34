#include "data/aside.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSqlError>
#include <QThread>
#include <QTimer>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Work read aside may match regular expressions (the names of the copies), and
// Qt keeps the JIT's stack for that in a thread_local object with a destructor.
// With the MinGW runtime on Windows a thread's thread_local storage is freed
// before those destructors run: the thread faults as it ends, the fault leaves
// a lock of the runtime's taken, and the program then never ends after its
// window has closed. Matching without the JIT never creates that object. Qt
// reads the switch once, at the first pattern it compiles, so it is set before
// main(); a value given in the environment stands.
void matchWithoutJit()
{
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        qputenv("QT_ENABLE_REGEXP_JIT", "0");
}
Q_CONSTRUCTOR_FUNCTION(matchWithoutJit)

std::optional<QString> runOnOwnConnection(
    const QString &file, const std::function<std::optional<QString>(const QSqlDatabase &, OpenSteps &)> &work,
    OpenSteps &steps)
{
    static std::atomic<int> counter = 0;
    const QString name = u"pelora-aside-%1"_s.arg(++counter);
    std::optional<QString> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"_s);
        result = db.open() ? work(db, steps) : u"開けません（%1）。"_s.arg(db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

std::optional<QString> readAside(const QString &file,
                                 const std::function<std::optional<QString>(const QSqlDatabase &, OpenSteps &)> &work,
                                 OpenProgress *progress)
{
    OpenSteps steps;
    std::optional<QString> result;
    std::unique_ptr<QThread> thread(
        QThread::create([&] { result = runOnOwnConnection(file, work, steps); }));
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread()) {
        thread->start();
        thread->wait();
        return result;
    }

    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    if (progress) {
        progress->begin();
        QObject::connect(&poll, &QTimer::timeout, &loop,
                         [&] { progress->advance(steps.phase, steps.done, steps.total); });
        poll.start(50);
    }
    thread->start();
    // Typing or clicks meanwhile wait for the window they were meant for.
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    if (progress) {
        poll.stop();
        progress->advance(steps.phase, steps.done, steps.total);
        progress->end();
    }
    return result;
}
