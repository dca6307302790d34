#pragma once

#include "data/filesync.h"

#include <QByteArray>
#include <QString>

// Every file Pelora writes outside SQLite (a CSV or a PDF for the operator,
// the session record, the backup state) is written by this one function, so
// that such a file is either whole or untouched.
namespace files {

// Writes content to fileName whole or not at all: into a new file beside it
// (with the permissions fileName had, if it was there), checked (every byte
// taken by the system, the size on the disk), synced to the disk, then renamed
// over fileName. On failure the new file is removed, fileName is as it was,
// and the result says why.
WriteError writeWhole(const QString &fileName, const QByteArray &content);

// Removes the new files a write to fileName left when the process was killed
// before it could rename or remove them. Only for files no one else writes
// at the same time (those in the data folder Pelora holds the lock of).
void removeLeftParts(const QString &fileName);

// Why a file could not be written, in words for the operator: a phrase
// without a full stop, to stand in brackets after what could not be done.
QString reason(WriteError error);

} // namespace files
