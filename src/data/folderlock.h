#pragma once

#include "data/files.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

// Keeps a second Pelora away from a data folder while the object holds it.
// On Unix the folder itself is locked (flock on a descriptor of the folder,
// held for the session): a lock file can be removed, emptied or replaced by
// anyone while Pelora runs, the folder's lock cannot, and the kernel releases
// it when the process dies, so a killed Pelora never blocks the next start.
// On Windows the lock file is the lock: held open without delete sharing (it
// cannot be removed while Pelora runs) and locked with LockFileEx, which the
// system releases when the process dies. Either way the lock file Pelora.lock
// beside the data names the process, its computer and user, when it was taken
// and what Pelora is doing (checking its data or running), so that a refused
// start can say who holds the folder. The systems' halves are in
// folderlock_unix.cpp and folderlock_win.cpp.
class FolderLock
{
public:
    enum class Result {
        Locked,
        HeldByAnother,   // a Pelora of this computer holds the folder
        OtherComputer,   // the lock file names another computer; nothing here holds the folder
        LockIsFolder,    // a folder named Pelora.lock stands where the lock file goes
        LockUnreadable,  // the lock file is there and cannot be read: whose it is cannot be told
        CannotWrite,
    };
    enum class State { Checking, Running };

    // What a lock file says about its owner.
    struct Owner
    {
        qint64 pid = 0;
        QString host;
        QString user;
        QDateTime taken;
        State state = State::Running;
    };

    FolderLock();
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    Result lock(const QString &folder);
    void unlock();
    bool isLocked() const { return m_held != nullptr; }
    // Rewrites the lock file with the new state (the rest stays as it was).
    void setState(State state);

    static QString lockFilePath(const QString &folder);
    // The owner the lock file of folder names, or nothing when it names none.
    static std::optional<Owner> owner(const QString &folder);
    // Moves a lock file naming another computer aside
    // (Pelora.lock-<host>-<time>, numbered on when that name is taken), never
    // deleting it. Says why it could not be moved.
    static files::WriteError moveAside(const QString &folder);

private:
    struct Held; // what the system holds for the lock
    static bool namesAnotherComputer(const std::optional<Owner> &owner);
    QByteArray content(State state) const;
    bool writeContent(State state);

    std::unique_ptr<Held> m_held;
    QString m_path;
    QDateTime m_taken;
};

// Whether another process holds a lock on any byte of [start, start + length)
// of the file at path (SQLite's locks, for instance). Our own probe is released
// at once.
bool lockedByAnother(const QString &path, qint64 start, qint64 length);
