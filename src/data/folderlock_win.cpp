// The folder lock on Windows: Pelora.lock held open and locked with LockFileEx.
#include "data/folderlock.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace {

// The byte locked in Pelora.lock: far past the owner's details, which stay
// readable by anyone.
constexpr quint64 LockOffset = quint64(1) << 32;

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

struct FolderLock::Held
{
    HANDLE file = INVALID_HANDLE_VALUE;
};

FolderLock::FolderLock() = default;

FolderLock::~FolderLock()
{
    unlock();
}

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    const QString path = lockFilePath(folder);
    if (QFileInfo(path).isDir())
        return Result::LockIsFolder;
    // Others may read and write the file (a second Pelora opens it to try the
    // lock) but not delete it. A file left by a killed Pelora of this computer
    // holds no lock any more and is simply taken over; a closing Pelora
    // removes its own.
    const bool existed = QFileInfo::exists(path);
    const HANDLE handle = openShared(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return Result::HeldByAnother;
        return existed && error == ERROR_ACCESS_DENIED ? Result::LockUnreadable : Result::CannotWrite;
    }
    if (!lockRange(handle, LockOffset, 1)) {
        const bool held = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(handle);
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    // Nothing here holds it; a file naming another computer came with a
    // folder copied while Pelora ran there, and is not taken over silently.
    if (namesAnotherComputer(owner(folder))) {
        unlockRange(handle, LockOffset, 1);
        CloseHandle(handle);
        return Result::OtherComputer;
    }
    m_held = std::make_unique<Held>(Held{handle});
    m_path = path;
    m_taken = QDateTime::currentDateTime();
    if (!writeContent(State::Checking)) {
        unlock();
        return Result::CannotWrite;
    }
    return Result::Locked;
}

bool FolderLock::writeContent(State state)
{
    const QByteArray text = content(state);
    DWORD written = 0;
    return SetFilePointer(m_held->file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER
        && SetEndOfFile(m_held->file) && WriteFile(m_held->file, text.constData(), DWORD(text.size()), &written, nullptr)
        && written == DWORD(text.size());
}

void FolderLock::unlock()
{
    if (!m_held)
        return;
    const HANDLE handle = m_held->file;
    m_held.reset();
    SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    unlockRange(handle, LockOffset, 1);
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
