#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// Copies of the main file kept in the folder "backup" beside it, named
// Pelora-yyyyMMdd-HHmmss.mdb (a "-2", "-3" … appended when that second is
// taken), the newest KeptCopies of them. A copy is made through SQLite's
// online backup on the open connection, so it is always one committed state of
// the file, never a half-written one; it is written under a temporary name and
// renamed only once complete. Nothing here ever shows a dialog: a copy that
// cannot be made is logged.
namespace backup {

inline constexpr int KeptCopies = 10;

// "backup" beside the main file, ending in a separator.
QString folderFor(const QString &mainPath);

// The copies of the folder, newest first (full paths). Only files named as
// copies count; nothing else in the folder is ever touched.
QStringList copies(const QString &folder);

// Whether the main file differs from what it was when its newest copy was
// taken (in size, modification time or SQLite's change counter), or has no
// copy at all. Reads the file's metadata and header only, never its contents.
bool changedSinceLastCopy(const QSqlDatabase &main, const QString &mainPath);

// PRAGMA quick_check over the whole file of the connection.
bool quickCheck(const QSqlDatabase &db);

// Copies the main file now and drops the oldest copies beyond KeptCopies.
// Returns the new copy's path, or an empty string when none could be made.
QString takeCopy(const QSqlDatabase &main, const QString &mainPath);

// Start-up: when the main file changed since its last copy, checks it whole and
// copies it (unless it holds no row at all: a copy of nothing would only push
// a copy with data out). Returns why start-up must stop (a damaged file, which
// is never copied over good copies), or nothing.
std::optional<QString> atStartup(const QSqlDatabase &main, const QString &mainPath);

// Shutdown: when the main file changed since its last copy, checks it whole and
// copies it, so that the next start finds a fresh copy and has nothing to do.
// A damaged file is not copied (it is refused at the next start).
void atShutdown(const QSqlDatabase &main, const QString &mainPath);

// Before every sheet, employee and setting is deleted: true when nothing can be
// lost, that is when a copy holding the current contents exists (made now when
// the file changed since the last one) or the file holds no row.
bool beforeDeletingAll(const QSqlDatabase &main, const QString &mainPath);

} // namespace backup
