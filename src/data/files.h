#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Every file Pelora makes, replaces, moves or removes outside SQLite goes
// through here: a CSV or a PDF for the operator, the session record, the
// backup state, a copy put back, a file moved out of the way. Each failure
// carries the system's own reason, sorted into what the operator can act on.
// What differs between systems is in files_unix.cpp and files_win.cpp.
namespace files {

enum class WriteError {
    None,
    NoFolder,     // the folder of the file does not exist (or is a file)
    IsFolder,     // the name given is a folder
    ReadOnly,     // the folder is on a read-only medium
    NotAllowed,   // no right to write into the folder
    DiskFull,     // no room left on the disk
    InUse,        // the old file is held by another program
    Incomplete,   // the file on the disk is not what was written
    Other,
};

// Why a file could not be written, in words for the operator: a phrase
// without a full stop, to stand in brackets after what could not be done.
QString reason(WriteError error);

// A file created anew (never an existing one), written straight through the
// system (no library buffer that could fail unseen at the end), closed when
// the object goes.
class NewFile
{
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    WriteError create(const QString &path);
    // Gives the new file the permissions of the one it is to replace. On
    // Windows nothing is done: a new file takes the folder's access list.
    void takePermissionsOf(const QString &file);
    WriteError write(const QByteArray &bytes);
    // Flushes the system's buffers to the disk (fsync, FlushFileBuffers).
    WriteError sync();
    // The size the system holds for the file, or -1.
    qint64 size() const;
    WriteError close();

private:
    std::intptr_t m_handle = -1;
};

// Renames from over to, replacing it in one step, and makes the new name last
// on the disk.
WriteError replace(const QString &from, const QString &to);
void remove(const QString &path);

// Pushes a file already written (a copy SQLite made) to the disk.
bool syncFile(const QString &path);

// Writes content to fileName whole or not at all: into a new file beside it
// (with the permissions fileName had, if it was there), checked (every byte
// taken by the system, the size on the disk), synced to the disk, then renamed
// over fileName. On failure the new file is removed, fileName is as it was,
// and the result says why.
WriteError writeWhole(const QString &fileName, const QByteArray &content);

// Copies from into the new file to, synced to the disk; on failure nothing is
// left under to. A source that cannot be read is Other.
WriteError copyWhole(const QString &from, const QString &to);

// Removes the new files a write to fileName left when the process was killed
// before it could rename or remove them. Only for files no one else writes
// at the same time (those in the data folder Pelora holds the lock of).
void removeLeftParts(const QString &fileName);

// A name in folder for a file moved out of the way: baseName + extension, or
// baseName-2 + extension … when that name (or its journal's) is taken.
QString freeName(const QString &folder, const QString &baseName, const QString &extension);

// Moves file to target (a free name in its folder), never deleting
// anything, together with the rollback journal or write-ahead log SQLite
// keeps beside it (the pair must stay a pair). Nothing is moved when there is
// no file but its companions.
WriteError moveAside(const QString &file, const QString &target);

// What the file system says of a file: which file it is (device and inode on
// Unix, the volume's serial number and the file index on Windows), its size
// and its modification time in the file system's own ticks.
struct Identity
{
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modified = 0;
};
// False when there is no regular file at path.
bool identityOf(const QString &path, Identity *identity);

} // namespace files
