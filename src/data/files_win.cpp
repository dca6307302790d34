// The files of files.h on Windows.
#include "data/files.h"

#include <QDir>

#include <algorithm>
#include <string>
#include <windows.h>

namespace files {

namespace {

WriteError fromSystem(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return WriteError::None;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_NETPATH:
        return WriteError::NoFolder;
    case ERROR_WRITE_PROTECT:
        return WriteError::ReadOnly;
    case ERROR_ACCESS_DENIED:
        return WriteError::NotAllowed;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return WriteError::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return WriteError::InUse;
    default:
        return WriteError::Other;
    }
}

// Kept alive for the call it is passed to.
std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE handleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

NewFile::~NewFile()
{
    close();
}

WriteError NewFile::create(const QString &path)
{
    HANDLE h = ::CreateFileW(native(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fromSystem(::GetLastError());
    m_handle = reinterpret_cast<std::intptr_t>(h);
    return WriteError::None;
}

void NewFile::takePermissionsOf(const QString &)
{
}

WriteError NewFile::write(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<qint64>(left, 1 << 20));
        if (!::WriteFile(handleOf(m_handle), data, chunk, &written, nullptr))
            return fromSystem(::GetLastError());
        if (written == 0)
            return WriteError::DiskFull;
        data += written;
        left -= written;
    }
    return WriteError::None;
}

WriteError NewFile::sync()
{
    return ::FlushFileBuffers(handleOf(m_handle)) ? WriteError::None : fromSystem(::GetLastError());
}

qint64 NewFile::size() const
{
    LARGE_INTEGER size;
    return ::GetFileSizeEx(handleOf(m_handle), &size) ? size.QuadPart : -1;
}

WriteError NewFile::close()
{
    if (m_handle == -1)
        return WriteError::None;
    const bool closed = ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
    return closed ? WriteError::None : fromSystem(::GetLastError());
}

WriteError replace(const QString &from, const QString &to)
{
    const std::wstring target = native(to);
    if (::MoveFileExW(native(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return WriteError::None;
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    // Refused on a file that is there: a folder of that name, a read-only
    // file, or (most often) a file another program has open.
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return WriteError::IsFolder;
        return attributes & FILE_ATTRIBUTE_READONLY ? WriteError::NotAllowed : WriteError::InUse;
    }
    return fromSystem(error);
}

void remove(const QString &path)
{
    ::DeleteFileW(native(path).c_str());
}

bool syncFile(const QString &path)
{
    const HANDLE h = ::CreateFileW(native(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool synced = ::FlushFileBuffers(h);
    return ::CloseHandle(h) && synced;
}

bool identityOf(const QString &path, Identity *identity)
{
    // Read through a handle that shares everything (SQLite holds the file open
    // and may delete its journal meanwhile). The creation time would not do
    // for which file it is: a file replaced under the same name inherits it,
    // and Wine moves it with every write.
    const HANDLE handle = ::CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool read = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!read || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    identity->device = qint64(info.dwVolumeSerialNumber);
    identity->inode = qint64(quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow);
    identity->size = qint64(quint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
    identity->modified = qint64(quint64(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime);
    return true;
}

} // namespace files
