#pragma once

#include "data/datapaths.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Putting a backup copy back in place of the main file, and moving a file
// Pelora cannot use out of the way. Nothing is ever deleted: the file that is
// replaced moves aside in its folder under a dated name, together with its
// rollback journal or write-ahead log, so that the pair stays a pair.
namespace restore {

// A copy as the operator chooses it.
struct CopyInfo
{
    QString path;
    QDateTime taken;
    QString reason;     // why it was taken; empty for a copy of an older Pelora
    int sheets = -1;    // -1: the copy cannot be read
    int employees = -1;
    qint64 size = 0;
    QString summary() const; // "2024/04/01 12:00:00（閉じたとき）、シート 3 件、従業員 2 人"
};

// The copies of the main file's backup folder, newest first.
QList<CopyInfo> copies(const QString &mainPath);
CopyInfo describe(const QString &copyPath);
// The newest copy that carries hint texts, or empty.
QString newestWithHints(const QString &mainPath);
// Sheets and employees of a database file, -1 each when it cannot be read.
std::pair<int, int> counts(const QString &file);

// Renames file, and its -journal, -wal and -shm where they are, to
// <name>-old-yyyyMMdd-HHmmss<.suffix> in the same folder. Returns the new
// name of the file (empty when there was none), or nothing when a rename failed.
std::optional<QString> moveAside(const QString &file);

// Puts the copy in the main file's place: copied under a temporary name in the
// data folder, its extras taken out, synced and checked whole, the current
// main file moved aside, and the copy renamed into place; then the session
// record and the copy state say that the main file is the copy as Pelora left
// it. No connection may be open on the main file. Returns what the main file
// became (its aside name, possibly empty) or why nothing was done.
struct Result
{
    bool done = false;
    QString movedAside;
    QString failure;
};
Result putInPlace(const QString &copy, const DataPaths &paths);

} // namespace restore
