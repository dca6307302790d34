#pragma once

#include <QString>

// The keys the hints of the four pages are stored under (ClHint's FormName and
// CtlName). Stored hints are found by them, so they stay as they are whatever
// the window and its buttons are called.
namespace hints {

inline const QString FormName = QStringLiteral("FrmPelora");
inline const QString SheetPage = QStringLiteral("cmdHint");
inline const QString HistoryPage = QStringLiteral("cmdHint2");
inline const QString EmployeePage = QStringLiteral("cmdHint3");
inline const QString SettingsPage = QStringLiteral("cmdHint4");

} // namespace hints
