#include "data/folderlock.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

FolderLock::FolderLock() = default;

FolderLock::~FolderLock()
{
    unlock();
}

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
#ifdef Q_OS_UNIX
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return Result::CannotWrite;
    if (::flock(m_folder, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        unlock();
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
#endif
    m_file = std::make_unique<QLockFile>(QDir(folder).filePath(u"Pelora.lock"_s));
    // Only a live Pelora holds the lock: one left by a killed process is stale
    // (its process is gone) and is taken over.
    m_file->setStaleLockTime(0);
    qint64 pid = 0;
    QString host, program;
    if (!m_file->tryLock(0) && m_file->error() == QLockFile::LockFailedError) {
        const bool described = m_file->getLockInfo(&pid, &host, &program);
#ifdef Q_OS_UNIX
        // The folder is ours, so no Pelora of this machine is running on it:
        // whatever the lock file says (a reused process id, nothing at all,
        // another program's file put in its place) is left over. Only a lock
        // of another machine sharing the folder still counts.
        if (!described || host == QSysInfo::machineHostName()) {
            m_file->removeStaleLockFile();
            m_file->tryLock(0);
        }
#else
        if (!described) {
            // A lock file without its owner's details is left by a start
            // killed between creating and writing it. Judged by its age it is
            // stale once older than a millisecond (hence the short wait), and
            // QLockFile removes a stale lock only when no process holds the
            // file open, so a live Pelora keeps its own.
            m_file->setStaleLockTime(1);
            m_file->tryLock(250);
        }
#endif
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
#ifdef Q_OS_UNIX
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
#endif
}
