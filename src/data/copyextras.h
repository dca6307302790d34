#pragma once

#include <QSqlDatabase>
#include <QString>

// What a backup copy carries beyond the main file's tables: why it was taken
// (table 控え情報) and the hint texts of the work file (ClHint), which exist
// nowhere else, so that putting a copy back brings them back too. Both are
// added to the copy under its temporary name, before it is checked, and taken
// out of a copy that is put back as the main file.
namespace copyextras {

inline const QString AtClose = QStringLiteral("閉じたとき");
inline const QString BeforeDeletingAll = QStringLiteral("一括削除の前");
inline const QString AfterStartupCheck = QStringLiteral("起動時の検査の後");
inline const QString BeforeUpgrade = QStringLiteral("新しい版に合わせる前");
inline const QString BeforeRestore = QStringLiteral("控えに戻す前");

// Writes the reason and the hint texts of workFile into the copy; a work file
// that cannot be read leaves the copy without hints (logged).
bool addTo(const QString &copy, const QString &workFile, const QString &reason);

// Whether the file carries a copy's extras: a copy put where the main file goes.
bool isCopy(const QSqlDatabase &file);
// The reason written into the copy, or empty for a copy of an older Pelora.
QString reason(const QSqlDatabase &copy);
// Whether the copy carries hint texts.
bool hasHints(const QSqlDatabase &copy);
// Brings the hint texts of the copy file that the work file lacks (by window
// and control) into it, in one statement. A text the work file holds stays as
// it is: a hint may have been written after the copy was taken, and it exists
// nowhere else.
bool hintsToWork(const QSqlDatabase &work, const QString &copy);
// Drops the extra tables from a file about to become the main file.
bool strip(const QSqlDatabase &file);

} // namespace copyextras
