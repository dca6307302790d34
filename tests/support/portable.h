#pragma once

// What the tests do to files and processes in the same way on Unix and on
// Windows (where the suite runs under Wine).

#include <QString>

class QProcess;

namespace portable {

#ifdef Q_OS_WIN
inline constexpr bool Windows = true;
#else
inline constexpr bool Windows = false;
#endif

// A hard link of from at to where the file system allows one, else a copy.
bool linkOrCopy(const QString &from, const QString &to);

// The id of a process that has run and ended: one no live process holds.
qint64 endedProcessId();

// A file's modification time, kept to the file system's own resolution (the
// standard library of mingw keeps whole seconds), and put back.
class ModificationTime
{
public:
    explicit ModificationTime(const QString &path);
    bool restore() const;

private:
    QString m_path;
    qint64 m_seconds = 0;
    qint64 m_fraction = 0; // nanoseconds on Unix, 100 ns ticks on Windows
    bool m_read = false;
};

// Whether the tests run as root (never on Windows), whose writes permission
// bits do not stop.
bool runningAsRoot();

// Gives path to the user and group "nobody" (Unix only; false on Windows).
bool giveToNobody(const QString &path);

// Stops a process where it is, or lets it go on (Unix only; false on Windows).
bool holdProcess(qint64 pid, bool held);

// Ends this process after seconds, should it still run then (Unix only).
void endAfter(int seconds);

// Starts process without a console of its own (Windows; nothing elsewhere):
// under Wine the console host of a child that is killed can outlive it,
// holding the test's output pipes, and ctest then waits for it until its timeout.
void withoutConsole(QProcess &process);

} // namespace portable
