#pragma once

#include <QSqlDatabase>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// How far a long read of a data file (its check, its copy) has come: written
// by the thread doing it, read by the thread that shows it.
struct OpenSteps
{
    enum class Phase { Checking, Copying };
    std::atomic<Phase> phase{Phase::Checking};
    std::atomic<int> done{0};
    std::atomic<int> total{0};

    void begin(Phase what, int steps)
    {
        done = 0;
        total = steps;
        phase = what;
    }
};

// What the operator is told while a long read runs: start-up's check and
// copy, the check of a copy put back. Called on the thread that waits for the
// work, between begin() and end(), from the events it goes on handling.
class OpenProgress
{
public:
    virtual ~OpenProgress() = default;
    virtual void begin() = 0;
    virtual void advance(OpenSteps::Phase phase, int done, int total) = 0;
    virtual void end() = 0;
};

// A function run on a thread of its own from the moment the object is made;
// wait() (or the destructor) returns once it has ended. Every thread Pelora
// starts is one of these. A connection the function needs is opened, used and
// closed on that thread (sql::withFile). No regular expression is matched on
// it: with the MinGW runtime a thread that did faults as it ends, and the
// program then never ends.
class Worker
{
public:
    explicit Worker(std::function<void()> work);
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    void wait();
    QThread *thread() const { return m_thread.get(); }

private:
    std::unique_ptr<QThread> m_thread;
};

// Runs work on a Worker while the calling thread keeps handling its events
// (typing and clicks wait for the window they were meant for), so that a
// window stays painted however long the work takes; progress is told how far
// it is. Off the application's main thread the caller just waits.
void runAside(const std::function<void(OpenSteps &)> &work, OpenProgress *progress);
