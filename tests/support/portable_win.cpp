// What the tests do to files and processes on Windows (under Wine).
#include "portable.h"

#include <QDir>
#include <QProcess>

#include <windows.h>

namespace portable {

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

bool runningAsRoot()
{
    return false;
}

bool giveToNobody(const QString &)
{
    return false;
}

bool holdProcess(qint64, bool)
{
    return false;
}

void withoutConsole(QProcess &process)
{
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= DETACHED_PROCESS; });
}

void endAfter(int)
{
}

} // namespace portable
