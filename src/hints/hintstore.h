#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The hint texts (ClHint), one per window name and control name.
namespace hints {

// The pair's hint; nothing when there is none or the read failed (ok tells which).
std::optional<QString> read(const QSqlDatabase &work, const QString &formName, const QString &ctlName,
                            bool *ok = nullptr);
// Replaces the pair's hint by this one.
bool store(const QSqlDatabase &work, const QString &formName, const QString &ctlName,
           const QString &formTitle, const QString &contents);
bool remove(const QSqlDatabase &work, const QString &formName, const QString &ctlName);

} // namespace hints
