#pragma once

#include <QString>

#include <cstdint>

class QByteArray;

// The file calls whose behaviour differs between systems: a new file written
// straight through the system (no library buffer that could fail unseen at
// the end), pushed to the disk, renamed over an old one. Each failure carries
// the system's own reason, sorted into what the operator can act on.
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

// A file created anew (never an existing one), closed when the object goes.
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

// Pushes a file already written (a copy SQLite or QFile made) to the disk.
bool syncFile(const QString &path);

} // namespace files
