#include "data/filesync.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <algorithm>
#include <io.h>
#include <string>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace files {

#ifdef Q_OS_WIN

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

void NewFile::takePermissionsOf(const QString &)
{
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

static bool syncToDisk(QFileDevice &file)
{
    if (!file.flush() || file.handle() < 0)
        return false;
    const std::intptr_t handle = ::_get_osfhandle(file.handle());
    return handle != -1 && ::FlushFileBuffers(handleOf(handle));
}

#else

namespace {

WriteError fromSystem(int error)
{
    switch (error) {
    case 0:
        return WriteError::None;
    case ENOENT:
    case ENOTDIR:
        return WriteError::NoFolder;
    case EISDIR:
        return WriteError::IsFolder;
    case EROFS:
        return WriteError::ReadOnly;
    case EACCES:
    case EPERM:
        return WriteError::NotAllowed;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteError::DiskFull;
    case EBUSY:
    case ETXTBSY:
        return WriteError::InUse;
    default:
        return WriteError::Other;
    }
}

int handleOf(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

} // namespace

NewFile::~NewFile()
{
    close();
}

WriteError NewFile::create(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fromSystem(errno);
    m_handle = fd;
    return WriteError::None;
}

void NewFile::takePermissionsOf(const QString &file)
{
    struct stat old;
    if (m_handle != -1 && ::stat(QFile::encodeName(file).constData(), &old) == 0)
        ::fchmod(handleOf(m_handle), old.st_mode & 07777);
}

WriteError NewFile::write(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(handleOf(m_handle), data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fromSystem(errno);
        if (written == 0)
            return WriteError::DiskFull;
        data += written;
        left -= written;
    }
    return WriteError::None;
}

WriteError NewFile::sync()
{
    return ::fsync(handleOf(m_handle)) == 0 ? WriteError::None : fromSystem(errno);
}

qint64 NewFile::size() const
{
    struct stat st {};
    return ::fstat(handleOf(m_handle), &st) == 0 ? qint64(st.st_size) : -1;
}

WriteError NewFile::close()
{
    if (m_handle == -1)
        return WriteError::None;
    const int closed = ::close(handleOf(m_handle));
    m_handle = -1;
    return closed == 0 ? WriteError::None : fromSystem(errno);
}

WriteError replace(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return fromSystem(errno);
    // The new name is an entry of the folder: it lasts once the folder is synced.
    const int folder = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return WriteError::None;
}

void remove(const QString &path)
{
    ::unlink(QFile::encodeName(path).constData());
}

static bool syncToDisk(QFileDevice &file)
{
    return file.flush() && file.handle() >= 0 && ::fsync(file.handle()) == 0;
}

#endif

bool syncFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && syncToDisk(file);
}

} // namespace files
