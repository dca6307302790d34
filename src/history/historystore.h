#pragma once

#include <QSqlDatabase>

// The statements of the history list (w履歴), built from the registered sheets.
namespace history {

// w履歴 becomes one row per registered sheet (name, total, title), in name order.
bool rebuild(const QSqlDatabase &main, const QSqlDatabase &work);
bool clear(const QSqlDatabase &work);

} // namespace history
