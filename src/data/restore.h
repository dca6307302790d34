#pragma once

#include "data/datapaths.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

struct OpenSteps;

// Putting a backup copy back in place of the main file. Nothing is ever
// deleted: the file that is replaced moves aside in its folder under a dated
// name (Pelora-old-yyyyMMdd-HHmmss.mdb), together with its rollback journal,
// and can itself be put back like a copy. The steps that rename files are
// recorded before they are taken (Pelora.restoring), so that a Pelora killed
// half-way finishes or undoes them at its next start.
namespace restore {

// A copy as the operator chooses it, or a file a restore moved aside.
struct CopyInfo
{
    QString path;
    QDateTime taken;     // when the copy was taken, or the file moved aside
    QString reason;      // why; empty for a copy of an older Pelora
    int sheets = -1;     // -1: the file cannot be read
    int employees = -1;
    qint64 size = 0;
    QString summary() const; // "2024/04/01 12:00:00（閉じたとき）、シート 3 件、従業員 2 人"
};

// The copies of the main file's backup folder, newest first, then the files
// restores moved aside in the data folder, newest first.
QList<CopyInfo> copies(const QString &mainPath);
CopyInfo describe(const QString &path);
// The newest copy that carries hint texts, or empty.
QString newestWithHints(const QString &mainPath);
// Sheets and employees of a database file, -1 each when it cannot be read.
std::pair<int, int> counts(const QString &file);

// The first step, which needs no connection closed: the copy copied beside
// the main file (Pelora.mdb.restore), its extras taken out, synced and
// checked whole, steps counting the check. Why it could not be done (the
// data folder and the main file are then as they were), or nothing.
// Where prepare() puts the checked copy, beside the main file.
QString preparedFile(const DataPaths &paths);
std::optional<QString> prepare(const QString &copy, const DataPaths &paths, OpenSteps *steps = nullptr);

// The second step: the prepared copy renamed into the main file's place,
// after the main file moved aside; then the session record and the copy
// state say that the main file is the copy as Pelora left it. No connection
// may be open on the main file. A rename that fails is undone.
struct Result
{
    bool done = false;
    QString movedAside; // the replaced file's new name; empty when there was none
    QString failure;
};
Result swapIn(const QString &copy, const DataPaths &paths);

// At start-up, before the files are opened: a put-back a killed Pelora left
// half-done is finished (its copy was checked before anything moved) or
// undone (nothing had moved yet), without a question; a prepared copy that
// never went in is removed. Returns the name of the file moved aside by a
// put-back finished now, to be told; otherwise empty.
QString finishInterrupted(const DataPaths &paths);

} // namespace restore
