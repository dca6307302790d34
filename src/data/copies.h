#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The copies of the main file kept in the folder "backup" beside it, named
// Pelora-yyyyMMdd-HHmmss.mdb (a "-2", "-3" … appended when that second is
// taken), the newest KeptCopies of them. A copy is written by SQLite from the
// open connection (VACUUM INTO), so it is always one committed state of the
// file, never a half-written one, and it can be taken even when the file's
// name is gone; it is written under a temporary name, checked, and renamed
// only once whole. A state file beside the copies remembers the last copy and
// what the main file looked like then. Nothing here ever shows a dialog: a
// copy that cannot be made is logged.
namespace backup {

inline constexpr int KeptCopies = 10;

// "backup" beside the main file, ending in a separator.
QString folderFor(const QString &mainPath);

// A copy's file name read: when it was taken and its counter within that second.
struct CopyName
{
    QString stamp; // yyyyMMdd-HHmmss
    int counter = 1;
    QDateTime taken() const;
    bool isNewerThan(const CopyName &other) const;
};
// Nothing for a name that is not a copy's. The one place the names are read.
std::optional<CopyName> parseCopyName(QStringView fileName);

// The copies of the folder, newest first (full paths). Only files named as
// copies count; nothing else in the folder is ever touched.
QStringList copies(const QString &folder);

// Whether the main file differs from what it was when its newest copy was
// taken (another file, or another size, modification time or change counter),
// or that copy is no longer the file that was written (emptied, replaced,
// removed), or there is no copy at all. Reads the files' metadata and headers
// only, never their contents; call it outside any transaction (see stampOf).
bool changedSinceLastCopy(const QString &mainPath);

// The same for a server's tables (main a connection to a server): whether
// they were written since the newest copy was taken from that server, by
// this computer or another, or that copy is no longer the file written.
bool serverChangedSinceLastCopy(const QSqlDatabase &main, const QString &mainPath);

// Whether the data folder of mainPath ever had a copy taken (a copy or the
// state file is there).
bool anyCopyTaken(const QString &mainPath);

// Copies the main file now, with the hint texts of the work file beside it and
// the reason (one of copyextras' words), and drops the oldest copies beyond
// KeptCopies. Returns the new copy's path, or an empty string when none could be made.
QString takeCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason);

// Records copy as the last copy taken, of the main file as it now stands (a
// copy just put back in its place).
void recordAsLastCopy(const QString &mainPath, const QString &copy);

} // namespace backup
