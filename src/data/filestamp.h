#pragma once

#include <QString>
#include <optional>

// What a database file is and what state it is in, read from the file system
// and the first bytes of the file, never from its contents: which file it is
// (device and inode on Unix, the volume's serial number and the file index on
// Windows, so that a copy put in its place under the same name counts as
// another file), its
// size, its modification time and SQLite's change counter (header bytes
// 24–27, raised by every commit in rollback-journal mode; a modification time
// alone may not move between two writes close together).
struct FileStamp
{
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modified = 0; // the file system's own ticks
    qint64 counter = -1; // -1: no SQLite header

    bool sameFile(const FileStamp &other) const { return device == other.device && inode == other.inode; }
    bool operator==(const FileStamp &) const = default;

    QString toText() const;
    static std::optional<FileStamp> fromText(const QString &text);
};

// The stamp of the file at path, or nothing when there is no such file.
// Reads the header through a descriptor of its own: call it only while no
// transaction of this process is open on the file, because closing any
// descriptor of a file drops every POSIX lock the process holds on it, and
// with it SQLite's.
std::optional<FileStamp> stampOf(const QString &path);
