// The folder lock on Unix: flock on the data folder itself.
#include "data/folderlock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

struct FolderLock::Held
{
    int folder = -1;
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
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return Result::CannotWrite;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(descriptor);
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    // The folder is ours, so no Pelora of this computer runs on it: whatever
    // a lock file there says (a process gone, a reused process id) is left
    // over. A lock of another computer is not taken over silently: that
    // computer may share the folder, or the folder was copied from it while
    // Pelora ran there; nor is a lock file that cannot be read.
    std::optional<Result> refused;
    if (QFileInfo::exists(path)) {
        if (QFile existing(path); !existing.open(QIODevice::ReadOnly))
            refused = Result::LockUnreadable;
        else if (namesAnotherComputer(owner(folder)))
            refused = Result::OtherComputer;
    }
    if (refused) {
        ::close(descriptor);
        return *refused;
    }
    m_held = std::make_unique<Held>(Held{descriptor});
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
    // Written beside and renamed over, so that a lock file another user left
    // read-only is replaced all the same while the folder is ours.
    const QString part = m_path + QStringLiteral(".new");
    QFile file(part);
    const QByteArray text = content(state);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size()
        && file.flush();
    file.close();
    if (written && ::rename(QFile::encodeName(part).constData(), QFile::encodeName(m_path).constData()) == 0)
        return true;
    QFile::remove(part);
    return false;
}

void FolderLock::unlock()
{
    if (!m_held)
        return;
    // The lock file goes first, while the folder is still held.
    QFile::remove(m_path);
    ::close(m_held->folder);
    m_held.reset();
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
