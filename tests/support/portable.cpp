#include "portable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDir>
#include <windows.h>
#endif

namespace portable {

bool linkOrCopy(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::create_hard_link(QFileInfo(from).filesystemFilePath(), QFileInfo(to).filesystemFilePath(),
                                      error);
    return !error || QFile::copy(from, to);
}

qint64 endedProcessId()
{
    // The test program itself, asked only for its list of test functions.
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-functions")});
    process.waitForStarted();
    const qint64 id = process.processId();
    process.waitForFinished();
    return id;
}

#ifdef Q_OS_UNIX

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

#else

namespace {

HANDLE openForTimes(const QString &path, DWORD access)
{
    return CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

ModificationTime::ModificationTime(const QString &path)
    : m_path(path)
{
    const HANDLE file = openForTimes(path, FILE_READ_ATTRIBUTES);
    FILETIME written {};
    m_read = file != INVALID_HANDLE_VALUE && GetFileTime(file, nullptr, nullptr, &written);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    m_fraction = qint64(quint64(written.dwHighDateTime) << 32 | written.dwLowDateTime);
}

bool ModificationTime::restore() const
{
    const HANDLE file = openForTimes(m_path, FILE_WRITE_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME written {DWORD(m_fraction), DWORD(quint64(m_fraction) >> 32)};
    const bool done = m_read && SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return done;
}

#endif

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

bool giveToNobody(const QString &path)
{
#ifdef Q_OS_UNIX
    return ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool holdProcess(qint64 pid, bool held)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), held ? SIGSTOP : SIGCONT) == 0;
#else
    Q_UNUSED(pid);
    Q_UNUSED(held);
    return false;
#endif
}

void withoutConsole(QProcess &process)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= DETACHED_PROCESS; });
#else
    Q_UNUSED(process);
#endif
}

} // namespace portable
