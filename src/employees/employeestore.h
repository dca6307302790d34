#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// The statements of the employee master (従業員) and its working copy (w従業員).
// An employee is found by the exact name.
namespace employees {

// w従業員 becomes the master's rows in name order, none ticked.
bool copyMasterToWork(const QSqlDatabase &main, const QSqlDatabase &work);

// The master becomes exactly the rows of w従業員, in one transaction: a failed
// copy keeps the previous master.
bool replaceMasterFromWork(const QSqlDatabase &main, const QSqlDatabase &work);

// Deletes every master row named like a ticked row, and the ticked rows; when
// the master cannot be written, neither file changes.
bool deleteTicked(const QSqlDatabase &main, const QSqlDatabase &work);

bool clearWork(const QSqlDatabase &work);

// The names in order; ok tells whether the read succeeded.
QStringList namesInOrder(const QSqlDatabase &main, bool *ok = nullptr);

// The wage of the first employee of that name; invalid when there is none or
// the read failed (ok tells which).
QVariant wageOf(const QSqlDatabase &main, const QString &name, bool *ok = nullptr);

// Adds the employee, or updates the first one found of that name.
bool storeEmployee(const QSqlDatabase &main, const QString &name, const QVariant &wage);

} // namespace employees
