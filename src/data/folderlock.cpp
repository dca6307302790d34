#include "data/folderlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

using namespace Qt::StringLiterals;

FolderLock::FolderLock() = default;

FolderLock::~FolderLock()
{
    unlock();
}

#ifdef Q_OS_UNIX

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return Result::CannotWrite;
    if (::flock(m_folder, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        unlock();
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    m_file = std::make_unique<QLockFile>(QDir(folder).filePath(u"Pelora.lock"_s));
    // Only a live Pelora holds the lock: one left by a killed process is stale
    // (its process is gone) and is taken over.
    m_file->setStaleLockTime(0);
    qint64 pid = 0;
    QString host, program;
    if (!m_file->tryLock(0) && m_file->error() == QLockFile::LockFailedError) {
        // The folder is ours, so no Pelora of this machine is running on it:
        // whatever the lock file says (a reused process id, nothing at all,
        // another program's file put in its place) is left over. Only a lock
        // of another machine sharing the folder still counts.
        const bool described = m_file->getLockInfo(&pid, &host, &program);
        if (!described || host == QSysInfo::machineHostName()) {
            m_file->removeStaleLockFile();
            m_file->tryLock(0);
        }
    }
    if (m_file->isLocked())
        return Result::Locked;
    const bool running = m_file->error() == QLockFile::LockFailedError;
    unlock();
    return running ? Result::HeldByAnother : Result::CannotWrite;
}

void FolderLock::unlock()
{
    // The lock file goes first, while the folder is still held.
    if (m_file) {
        m_file->unlock();
        m_file.reset();
    }
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
}

bool lockedByAnother(const QString &path, qint64 start, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = start;
    probe.l_len = length;
    return ::fcntl(file.handle(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

#else

namespace {

// The byte locked in Pelora.lock: far past the owner's details, which stay
// readable by anyone.
constexpr DWORD LockOffsetHigh = 1;

bool lockRange(HANDLE handle, quint64 start, quint64 length)
{
    OVERLAPPED at {};
    at.Offset = DWORD(start);
    at.OffsetHigh = DWORD(start >> 32);
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, DWORD(length),
                      DWORD(length >> 32), &at);
}

void unlockRange(HANDLE handle, quint64 start, quint64 length)
{
    OVERLAPPED at {};
    at.Offset = DWORD(start);
    at.OffsetHigh = DWORD(start >> 32);
    UnlockFileEx(handle, 0, DWORD(length), DWORD(length >> 32), &at);
}

HANDLE openShared(const QString &path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), access,
                       share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    // Others may read and write the file (a second Pelora opens it to try the
    // lock) but not delete it. A file left by a killed Pelora holds no lock
    // any more and is simply taken over; a closing Pelora removes its own.
    const QString path = QDir(folder).filePath(u"Pelora.lock"_s);
    const HANDLE handle = openShared(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Result::HeldByAnother : Result::CannotWrite;
    if (!lockRange(handle, quint64(LockOffsetHigh) << 32, 1)) {
        const bool held = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(handle);
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    m_handle = handle;
    m_path = path;
    // The owner, as Unix's lock file names it: process id, program, machine.
    const QByteArray owner = QByteArray::number(QCoreApplication::applicationPid()) + '\n'
        + QCoreApplication::applicationName().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    DWORD written = 0;
    if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(handle)
        || !WriteFile(handle, owner.constData(), DWORD(owner.size()), &written, nullptr)
        || written != DWORD(owner.size())) {
        unlock();
        return Result::CannotWrite;
    }
    return Result::Locked;
}

void FolderLock::unlock()
{
    if (!m_handle)
        return;
    const HANDLE handle = static_cast<HANDLE>(m_handle);
    m_handle = nullptr;
    SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    unlockRange(handle, quint64(LockOffsetHigh) << 32, 1);
    CloseHandle(handle);
    // Fails, leaving the file to it, when a Pelora starting meanwhile has it open.
    DeleteFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()));
}

bool lockedByAnother(const QString &path, qint64 start, qint64 length)
{
    const HANDLE handle = openShared(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool held = false;
    if (lockRange(handle, quint64(start), quint64(length)))
        unlockRange(handle, quint64(start), quint64(length));
    else
        held = GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(handle);
    return held;
}

#endif
