// The files of files.h on Unix.
#include "data/files.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

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

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

NewFile::~NewFile()
{
    close();
}

WriteError NewFile::create(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fromSystem(errno);
    m_handle = fd;
    return WriteError::None;
}

void NewFile::takePermissionsOf(const QString &file)
{
    struct stat old;
    if (m_handle != -1 && ::stat(native(file).constData(), &old) == 0)
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
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        return fromSystem(errno);
    // The new name is an entry of the folder: it lasts once the folder is synced.
    const int folder = ::open(native(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return WriteError::None;
}

void remove(const QString &path)
{
    ::unlink(native(path).constData());
}

bool syncFile(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

bool identityOf(const QString &path, Identity *identity)
{
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    identity->device = qint64(st.st_dev);
    identity->inode = qint64(st.st_ino);
    identity->size = qint64(st.st_size);
    identity->modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

} // namespace files
