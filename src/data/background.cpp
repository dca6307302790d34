#include "data/background.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

Worker::Worker(std::function<void()> work)
    : m_thread(QThread::create(std::move(work)))
{
    // Qt lists its SQL drivers when the first connection is made, matching the plugins'
    // file names with a pattern (a regular expression): done here, before any worker
    // opens a connection, rather than on the worker.
    [[maybe_unused]] static const QStringList drivers = QSqlDatabase::drivers();
    m_thread->start();
}

Worker::~Worker()
{
    wait();
}

void Worker::wait()
{
    m_thread->wait();
}

void runAside(const std::function<void(OpenSteps &)> &work, OpenProgress *progress)
{
    OpenSteps steps;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread()) {
        Worker(([&] { work(steps); })).wait();
        return;
    }
    QEventLoop loop;
    QTimer poll;
    if (progress) {
        progress->begin();
        QObject::connect(&poll, &QTimer::timeout, &loop,
                         [&] { progress->advance(steps.phase, steps.done, steps.total); });
        poll.start(50);
    }
    {
        Worker worker([&] { work(steps); });
        QObject::connect(worker.thread(), &QThread::finished, &loop, &QEventLoop::quit);
        if (!worker.thread()->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (progress) {
        poll.stop();
        progress->advance(steps.phase, steps.done, steps.total);
        progress->end();
    }
}
