#pragma once

#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// How far a long read of the main file has come: written by the thread doing
// it, read by the thread that shows it.
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

// What start-up tells the operator while it reads the main file whole (a
// check, a copy). Called on the thread that opens the data, between begin()
// and end(), from the events that thread goes on handling meanwhile.
class OpenProgress
{
public:
    virtual ~OpenProgress() = default;
    virtual void begin() = 0;
    virtual void advance(OpenSteps::Phase phase, int done, int total) = 0;
    virtual void end() = 0;
};

// Runs work on a thread of its own with a read-only connection of its own to
// file, while the calling thread keeps handling its events (input aside), so
// that a window stays painted however long the file takes to read. Connections
// belong to the thread that opened them: work must use only the one it is
// given. Returns what work returned, or why the file could not be opened.
std::optional<QString> readAside(const QString &file,
                                 const std::function<std::optional<QString>(const QSqlDatabase &, OpenSteps &)> &work,
                                 OpenProgress *progress);
