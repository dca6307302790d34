#pragma once

#include "data/datapaths.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

// Moving the data to another folder while Pelora runs. The files are copied,
// never moved: the folder the data leaves stays as it was.
namespace datamove {

// What a folder the operator chose is to the data folder in use.
enum class Target {
    Free,      // a folder Pelora can write in, holding no data
    HoldsData, // holds a main or work file already
    Current,   // the data folder in use
    Inside,    // inside the data folder in use (its backup folder, say)
    Unusable,  // missing, not a folder, or not writable
};
Target judge(const DataPaths &current, const DataPaths &target);

// A data folder as the operator tells one from another: where it is, how many
// sheets and employees it holds and when its main file last changed.
QString describe(const DataPaths &paths);

// Copies the data of the open connections into target, with target's folder
// locked against another Pelora meanwhile: both files written by SQLite as
// consistent copies under temporary names, synced, the main file checked
// whole (as a copy put back is), and only then renamed into place; data files
// target already holds move aside first under dated names. The session record
// there then says the main file is as Pelora left it. Nothing in the current
// folder changes. Returns why it could not be done (the copies are then gone
// again), or nothing.
std::optional<QString> copyTo(const QSqlDatabase &main, const QSqlDatabase &work, const DataPaths &target);

} // namespace datamove
