#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// The company settings: the first row of 自社情報 (name and information).
namespace settings {

struct Company
{
    QVariant name; // null when stored empty
    QVariant info;
};

// The first row; nothing when there is none or the read failed (ok tells which).
std::optional<Company> read(const QSqlDatabase &main, bool *ok = nullptr);
// Updates the first row, or adds it when the table is empty.
bool store(const QSqlDatabase &main, const QString &name, const QString &info);
// Sets both fields of the first row to null; the row stays.
bool blank(const QSqlDatabase &main);

// Deletes every registered sheet, employee and the settings in one transaction.
bool deleteAllData(const QSqlDatabase &main);

} // namespace settings
