#pragma once

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "employees/employeepage.h"
#include "history/historypage.h"
#include "settings/settingspage.h"
#include "timesheet/timesheetpage.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

// The main window's controls, found as an operator or an accessibility tool
// finds them: by their names, in the window they belong to (the hint window
// has buttons of the same names).
namespace ui {

template <typename T = QWidget>
T *find(const QWidget *window, const QString &name)
{
    const QList<T *> found = window->findChildren<T *>(name);
    for (T *widget : found)
        if (widget->window() == window->window())
            return widget;
    qFatal("no control named %s", qPrintable(name));
    return nullptr;
}

inline QTabWidget *SSTab1(const QWidget *w) { return find<QTabWidget>(w, QStringLiteral("SSTab1")); }
inline NameCombo *cmb氏名(const QWidget *w) { return find<NameCombo>(w, QStringLiteral("cmb氏名")); }
inline NumberEdit *num時給(const QWidget *w) { return find<NumberEdit>(w, QStringLiteral("num時給")); }
inline QLineEdit *txtタイトル(const QWidget *w) { return find<QLineEdit>(w, QStringLiteral("txtタイトル")); }
inline NumberEdit *num休憩(const QWidget *w) { return find<NumberEdit>(w, QStringLiteral("num休憩")); }
inline NumberEdit *num調整額(const QWidget *w) { return find<NumberEdit>(w, QStringLiteral("num調整額")); }
inline NumberEdit *num時間(const QWidget *w) { return find<NumberEdit>(w, QStringLiteral("num時間")); }
inline NumberEdit *num合計(const QWidget *w) { return find<NumberEdit>(w, QStringLiteral("num合計")); }
inline QLabel *Label1(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label1")); }
inline QLabel *Label2(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label2")); }
inline QLabel *Label3(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label3")); }
inline QLabel *Label4(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label4")); }
inline QLabel *Label5(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label5")); }
inline QLabel *Label6(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label6")); }
inline QLabel *Label7(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label7")); }
inline DataGrid *Grid明細(const QWidget *w) { return find<DataGrid>(w, QStringLiteral("Grid明細")); }
inline QPushButton *cmd登録(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd登録")); }
inline QPushButton *cmd読込(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd読込")); }
inline QPushButton *cmd削除(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd削除")); }
inline QPushButton *cmdクリア(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmdクリア")); }
inline QPushButton *cmd行削除(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd行削除")); }
inline QPushButton *Cmd印刷(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("Cmd印刷")); }
inline QPushButton *cmd履歴閉じる(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd履歴閉じる")); }
inline QToolButton *cmdHint(const QWidget *w) { return find<QToolButton>(w, QStringLiteral("cmdHint")); }
inline DataGrid *Grid履歴(const QWidget *w) { return find<DataGrid>(w, QStringLiteral("Grid履歴")); }
inline QPushButton *cmd履歴読込(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd履歴読込")); }
inline QPushButton *cmd履歴クリア(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd履歴クリア")); }
inline QPushButton *cmd履歴選択(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd履歴選択")); }
inline QToolButton *cmdHint2(const QWidget *w) { return find<QToolButton>(w, QStringLiteral("cmdHint2")); }
inline DataGrid *Grid従業員(const QWidget *w) { return find<DataGrid>(w, QStringLiteral("Grid従業員")); }
inline QPushButton *cmd従業員読込(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd従業員読込")); }
inline QPushButton *cmd従業員登録(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd従業員登録")); }
inline QPushButton *cmd従業員行削除(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd従業員行削除")); }
inline QPushButton *cmdクリア従業員(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmdクリア従業員")); }
inline QToolButton *cmdHint3(const QWidget *w) { return find<QToolButton>(w, QStringLiteral("cmdHint3")); }
inline QLineEdit *txt自社名(const QWidget *w) { return find<QLineEdit>(w, QStringLiteral("txt自社名")); }
inline QPlainTextEdit *txt自社情報(const QWidget *w) { return find<QPlainTextEdit>(w, QStringLiteral("txt自社情報")); }
inline QLabel *Label8(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label8")); }
inline QLabel *Label9(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label9")); }
inline QLabel *Label10(const QWidget *w) { return find<QLabel>(w, QStringLiteral("Label10")); }
inline QLabel *lblInfo(const QWidget *w) { return find<QLabel>(w, QStringLiteral("lblInfo")); }
inline QLabel *lblSupport(const QWidget *w) { return find<QLabel>(w, QStringLiteral("lblSupport")); }
inline QPushButton *cmd設定読込(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd設定読込")); }
inline QPushButton *cmd設定登録(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd設定登録")); }
inline QPushButton *cmd設定削除(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd設定削除")); }
inline QPushButton *cmd設定クリア(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd設定クリア")); }
inline QPushButton *cmd一括削除7(const QWidget *w) { return find<QPushButton>(w, QStringLiteral("cmd一括削除7")); }
inline QToolButton *cmdHint4(const QWidget *w) { return find<QToolButton>(w, QStringLiteral("cmdHint4")); }
inline QAbstractButton *Image2(const QWidget *w) { return find<QAbstractButton>(w, QStringLiteral("Image2")); }

inline WorkTableModel *dat明細(const QWidget *w) { return Grid明細(w)->workModel(); }
inline WorkTableModel *dat履歴(const QWidget *w) { return Grid履歴(w)->workModel(); }
inline WorkTableModel *dat従業員(const QWidget *w) { return Grid従業員(w)->workModel(); }

// The four pages, whose operations a test or the benchmark may run directly.
inline TimeSheetPage *sheetPage(const QWidget *w) { return find<TimeSheetPage>(w, QStringLiteral("page入力シート")); }
inline HistoryPage *historyPage(const QWidget *w) { return find<HistoryPage>(w, QStringLiteral("page履歴")); }
inline EmployeePage *employeePage(const QWidget *w) { return find<EmployeePage>(w, QStringLiteral("page従業員")); }
inline SettingsPage *settingsPage(const QWidget *w) { return find<SettingsPage>(w, QStringLiteral("page設定")); }

} // namespace ui
