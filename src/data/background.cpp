#include "data/background.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

Worker::Worker(std::function<void()> work)
    : m_thread(QThread::create(std::move(work)))
{
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
