#pragma once

#include "timesheet/premiums.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// The company settings: the first row of 自社情報 (name and information), and
// how premiums are computed: the first row of 割増設定.
namespace settings {

struct Company
{
    QVariant name; // null when stored empty
    QVariant info;
};

// The first row; nothing when there is none or the read failed (ok tells which).
std::optional<Company> read(const QSqlDatabase &main, bool *ok = nullptr);
// The premium settings stored; the defaults (not computed) when none are, or
// for a field that is empty. Nothing when the read failed.
std::optional<sheet::Premiums> readPremiums(const QSqlDatabase &main);
// Updates the first rows, or adds them when the tables are empty; both or neither.
bool store(const QSqlDatabase &main, const QString &name, const QString &info, const sheet::Premiums &premiums);
// Sets both company fields of the first row to null (the row stays) and
// removes the premium settings, so that the defaults hold again; both or neither.
bool blank(const QSqlDatabase &main);

// Deletes every registered sheet, employee and the settings in one transaction.
bool deleteAllData(const QSqlDatabase &main);

} // namespace settings
