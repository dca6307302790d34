#pragma once

#include <QSqlDatabase>
#include <QString>

struct OpenSteps;

// The checks a database file passes before Pelora uses it, copies it or puts
// it back: all in one place, so that start-up, the copies and a restore ask
// the same questions of a file.
namespace filecheck {

// PRAGMA quick_check over the whole file of the connection.
bool quickCheck(const QSqlDatabase &db);
// PRAGMA integrity_check: quick_check, and every index against its table.
bool integrityCheck(const QSqlDatabase &db);
// The check of a file not trusted as Pelora left it: every index against its
// table by the number of entries and the sum of the rowids they point to, each
// read in one pass, and beside it, on a worker and a connection of its own,
// quick_check over the whole file. It finds an index that lost or kept
// entries, or points to other rows, as integrity_check does, in under half its
// processor time; an index entry whose key alone differs from its row's goes
// unseen. Counts one step per index and one for quick_check into steps.
bool checkWhole(const QSqlDatabase &db, OpenSteps *steps = nullptr);

// Whether file reads as a database of exactly its own size with every table
// of the main file (an earlier version's tables are enough: it is brought up
// to date when it is opened).
bool readsAsMainFile(const QString &file);
// readsAsMainFile, and every page and index of it (checkWhole).
bool wholeDatabase(const QString &file, OpenSteps *steps = nullptr);

// Whether the main file holds any row: a file without one has nothing to
// lose, and a copy of it would only push a copy with data out.
bool holdsData(const QSqlDatabase &main);

} // namespace filecheck
