#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

struct OpenSteps;

// Copies of the main file kept in the folder "backup" beside it, named
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

// The copies of the folder, newest first (full paths). Only files named as
// copies count; nothing else in the folder is ever touched.
QStringList copies(const QString &folder);

// Whether the main file differs from what it was when its newest copy was
// taken (another file, or another size, modification time or change counter),
// or that copy is no longer the file that was written (emptied, replaced,
// removed), or there is no copy at all. Reads the files' metadata and headers
// only, never their contents; call it outside any transaction (see stampOf).
bool changedSinceLastCopy(const QString &mainPath);

// Whether the data folder of mainPath ever had a copy taken (a copy or the
// state file is there).
bool anyCopyTaken(const QString &mainPath);

// PRAGMA quick_check over the whole file of the connection.
bool quickCheck(const QSqlDatabase &db);
// PRAGMA integrity_check: quick_check, and every index against its table.
bool integrityCheck(const QSqlDatabase &db);
// The check of a file not trusted as Pelora left it: every index against its
// table by the number of entries and the sum of the rowids they point to, each
// read in one pass, and beside it, on a connection and thread of its own,
// quick_check over the whole file. It finds an index that lost or kept
// entries, or points to other rows, as integrity_check does, in under half its
// processor time; an index entry whose key alone differs from its row's goes
// unseen. Counts one step per index and one for quick_check into steps.
bool checkWhole(const QSqlDatabase &db, OpenSteps *steps = nullptr);

// Copies the main file now, with the hint texts of the work file beside it and
// the reason (one of copyextras' words), and drops the oldest copies beyond
// KeptCopies. Returns the new copy's path, or an empty string when none could be made.
QString takeCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason);

// Records copy as the last copy taken, of the main file as it now stands (a
// copy just put back in its place).
void recordAsLastCopy(const QString &mainPath, const QString &copy);

// Whether file reads as a whole database with every table of the main file,
// every page and every index of it (checkWhole).
bool wholeDatabase(const QString &file);

// For a start-up message: the newest copy and how to put it back.
QString restoreAdvice(const QString &mainPath);

// Start-up. A file not trusted as Pelora left it is checked whole
// (checkWhole); a trusted one only when it changed since its last copy
// (quick_check). When it changed it is then copied, unless it holds no row at
// all: a copy of nothing would only push a copy with data out. Returns why
// start-up must stop (a damaged file, which is never copied over good
// copies), or nothing.
// Long enough on a large file to be run aside (data/aside.h): steps tell how far it is.
std::optional<QString> atStartup(const QSqlDatabase &main, const QString &mainPath, bool trusted,
                                 OpenSteps *steps = nullptr);

// Shutdown: when the main file changed since its last copy, checks it whole and
// copies it, so that the next start finds a fresh copy and has nothing to do.
// A damaged file is not copied (it is refused at the next start).
void atShutdown(const QSqlDatabase &main, const QString &mainPath);

// Before every sheet, employee and setting is deleted: true when nothing can be
// lost, that is when a copy holding the current contents exists (made now when
// the file changed since the last one) or the file holds no row.
bool beforeDeletingAll(const QSqlDatabase &main, const QString &mainPath);

} // namespace backup
