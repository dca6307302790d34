#pragma once

#include "data/copies.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

struct OpenSteps;

// When copies of the main file are taken (copies.h says how): at start-up
// after a change made elsewhere, at close after a change, and before anything
// replaces or deletes what the file holds.
namespace backup {

// For a start-up message: the newest copy and how to put it back.
QString restoreAdvice(const QString &mainPath);

// Start-up. A file not trusted as Pelora left it is checked whole
// (filecheck::checkWhole); a trusted one only when it changed since its last
// copy (quick_check). When it changed it is then copied, unless it holds no
// row at all. Returns why start-up must stop (a damaged file, which is never
// copied over good copies), or nothing. Long enough on a large file to be run
// aside (runAside): steps tell how far it is.
std::optional<QString> atStartup(const QSqlDatabase &main, const QString &mainPath, bool trusted,
                                 OpenSteps *steps = nullptr);

// Shutdown: when the main file changed since its last copy, checks it and
// copies it, so that the next start finds a fresh copy and has nothing to do.
// A damaged file is not copied (it is refused at the next start). A server's
// tables are copied at every close.
void atShutdown(const QSqlDatabase &main, const QString &mainPath);

// Before every sheet, employee and setting is deleted, or the file is brought
// up to date: true when nothing can be lost, that is when a copy holding the
// current contents exists (made now, for reason, when the file changed since
// the last one) or the file holds no row.
bool ensureCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason);

} // namespace backup
