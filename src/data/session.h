#pragma once

#include "data/filestamp.h"

#include <QString>
#include <optional>

// The record of the last session on a data folder, Pelora.session beside the
// data: written as "open" once both files are open, and as "closed" with the
// main file's stamp once they are closed again; each time with the number of
// writes the main file had seen then (generationOf), which tells an older
// state of the data from the one last used wherever the folder now lies. A main file is trusted as it
// stands (no check of its whole contents) only when the last session closed
// cleanly and the file is still exactly the one it left; a file changed,
// replaced or put back from elsewhere since, or left by a session that never
// closed, is checked whole before it is used or copied.
namespace session {

struct Record
{
    bool closed = false;
    std::optional<FileStamp> main; // at open: which file; at close: its final stamp
    std::optional<qint64> generation; // none in a record of an earlier version
};

// The record of the last session, or nothing when no session ever ran here.
// A record that cannot be read counts as a session that never closed.
std::optional<Record> read(const QString &dataPath);

// Replaces the record whole (written beside it and renamed), so a kill while
// writing leaves the previous record.
bool write(const QString &dataPath, const Record &record);

// Whether main holds exactly what the session of record left at its close.
bool trusts(const std::optional<Record> &record, const std::optional<FileStamp> &main);

// Whether a main file that has seen generation writes holds an older state of
// the data than the session of record left: fewer writes, or (for a record
// of an earlier version, which kept no count) another file than the one the
// record names (sameFileAsRecorded).
bool olderThanRecorded(const std::optional<Record> &record, const std::optional<FileStamp> &main,
                       qint64 generation);

// Whether main is still the file the session of record had: the same file
// (see FileStamp::sameFile), with a change counter that never went back, as it
// does when another file takes the place (and perhaps the inode) of the old
// one. A record without a stamp tells nothing and counts as the same file.
bool sameFileAsRecorded(const std::optional<Record> &record, const std::optional<FileStamp> &main);

enum class Journal { None, Own, Foreign, InUse };

// The rollback journal beside the main file, judged before any connection
// reads the file, because the first read replays a hot journal into it. A hot
// journal (not empty, its header not cleared) is the main file's own only when
// the last session never closed and the main file is still the one it had
// open, with the change counter the journal's transaction started from; a
// journal beside a copy put back (renamed into place or copied over the file),
// or beside a file no session of ours left unfinished, would write another
// file's pages into it. InUse: another
// program holds a lock on the main file, so the journal may be its live one.
Journal judgeJournal(const QString &mainPath, const std::optional<Record> &record,
                     const std::optional<FileStamp> &main);

} // namespace session
