// What the tests do to files and processes on Unix.
#include "portable.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace portable {

ModificationTime::ModificationTime(const QString &path)
    : m_path(path)
{
    struct stat st {};
    m_read = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    m_seconds = st.st_mtim.tv_sec;
    m_fraction = st.st_mtim.tv_nsec;
}

bool ModificationTime::restore() const
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(m_seconds), long(m_fraction)}};
    return m_read && ::utimensat(AT_FDCWD, QFile::encodeName(m_path).constData(), times, 0) == 0;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

bool giveToNobody(const QString &path)
{
    return ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

bool holdProcess(qint64 pid, bool held)
{
    return ::kill(pid_t(pid), held ? SIGSTOP : SIGCONT) == 0;
}

void withoutConsole(QProcess &)
{
}

void endAfter(int seconds)
{
    ::alarm(unsigned(seconds));
}

} // namespace portable
