#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second Pelora away from a data folder while the object holds it.
// On Unix the folder itself is locked (flock on a descriptor of the folder,
// held for the session): a lock file can be removed, emptied or replaced by
// anyone while Pelora runs, the folder's lock cannot, and the kernel releases
// it when the process dies, so a killed Pelora never blocks the next start.
// The lock file Pelora.lock is still written beside the data, naming the
// process. On Windows the lock file is the lock: held open without delete
// sharing (it cannot be removed while Pelora runs) and locked with LockFileEx,
// which the system releases when the process dies.
class FolderLock
{
public:
    enum class Result { Locked, HeldByAnother, CannotWrite };

    FolderLock();
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    Result lock(const QString &folder);
    void unlock();

private:
    int m_folder = -1;
    std::unique_ptr<QLockFile> m_file;
    void *m_handle = nullptr; // Windows: the open, locked Pelora.lock
    QString m_path;
};

// Whether another process holds a lock on any byte of [start, start + length)
// of the file at path (SQLite's locks, for instance). Our own probe is released
// at once.
bool lockedByAnother(const QString &path, qint64 start, qint64 length);
