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
// process; on Windows it is the lock (held open, it cannot be removed).
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
};
