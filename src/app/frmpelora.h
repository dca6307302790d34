#pragma once

#include "app/services.h"
#include "data/datastore.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class Banner;
class DataGrid;
struct GridKey;
class Hint;
class NameCombo;
class NumberEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class WorkTableModel;
namespace sheet {
struct Key;
}

// The main window: four pages on one tab control, the two database
// connections, and every operation of the program as a method without
// arguments. Each operation reads the screen, runs its statements through its
// subsystem, refreshes the grid it changed and asks or warns through
// ShowMessage. The bodies live beside their subsystem (timesheet/, employees/,
// history/, settings/, hints/, report/).
class FrmPelora : public QWidget
{
    Q_OBJECT
public:
    // Takes an opened data store; start-up clears every page and reads the settings.
    FrmPelora(std::unique_ptr<DataStore> store, const Services &services, QWidget *parent = nullptr);
    ~FrmPelora() override;

    // Data paths and connections
    QString DataPath, MainDbPath, WorkDbPath;
    QSqlDatabase mainDb() const;
    QSqlDatabase workDb() const;

    // Held company values, printed on the statement; set only by Read設定.
    QString str自社名;
    QString str自社情報;

    // Handed to the hint window by the hint buttons.
    QString HintFormName, HintCtlName, HintFormTitle;
    Hint *hintWindow() const;

    // Operations
    void FormInit();
    void Calc明細();
    void Clear時給();
    void Clear従業員();
    void Clear設定();
    bool Clear明細();
    void Clear履歴();
    void Delete行();
    void Delete時給();
    void Delete設定();
    void Entry時給();
    void Entry従業員マスタ();
    bool Entry従業員();
    void Get時給();
    void LineDelete従業員();
    void ReadComb氏名();
    void Read時給();
    void Read従業員();
    void Read履歴();
    void AllDelete();
    void Read設定();
    bool Entry設定(); // false only when the settings could not be stored

    // Clicks that do more than call one operation
    void Cmd印刷_Click();
    void cmd履歴選択_Click();
    void cmd一括削除7_Click();
    void cmd設定登録_Click();
    void cmdHint_Click(const QString &buttonName);
    void Image2_Click();

    // Controls, named as the operations know them
    QTabWidget *SSTab1 = nullptr;

    NameCombo *cmb氏名 = nullptr;
    NumberEdit *num時給 = nullptr;
    QLineEdit *txtタイトル = nullptr;
    NumberEdit *num休憩 = nullptr;
    NumberEdit *num調整額 = nullptr;
    NumberEdit *num時間 = nullptr;
    NumberEdit *num合計 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr;
    DataGrid *Grid明細 = nullptr;
    WorkTableModel *dat明細 = nullptr;
    QPushButton *cmd登録 = nullptr, *cmd読込 = nullptr, *cmd削除 = nullptr, *cmdクリア = nullptr,
                *cmd行削除 = nullptr, *Cmd印刷 = nullptr, *cmd履歴閉じる = nullptr;
    QToolButton *cmdHint = nullptr;

    DataGrid *Grid履歴 = nullptr;
    WorkTableModel *dat履歴 = nullptr;
    QPushButton *cmd履歴読込 = nullptr, *cmd履歴クリア = nullptr, *cmd履歴選択 = nullptr;
    QToolButton *cmdHint2 = nullptr;

    DataGrid *Grid従業員 = nullptr;
    WorkTableModel *dat従業員 = nullptr;
    QPushButton *cmd従業員読込 = nullptr, *cmd従業員登録 = nullptr, *cmd従業員行削除 = nullptr,
                *cmdクリア従業員 = nullptr;
    QToolButton *cmdHint3 = nullptr;

    QLineEdit *txt自社名 = nullptr;
    QPlainTextEdit *txt自社情報 = nullptr;
    QLabel *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr;
    QLabel *lblInfo = nullptr, *lblSupport = nullptr;
    QPushButton *cmd設定読込 = nullptr, *cmd設定登録 = nullptr, *cmd設定削除 = nullptr,
                *cmd設定クリア = nullptr, *cmd一括削除7 = nullptr;
    QToolButton *cmdHint4 = nullptr;
    Banner *Image2 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Events of the name field and the detail grid
    void cmb氏名_GotFocus();
    void cmb氏名_LostFocus();
    void Grid明細_AfterColEdit(int row, int column);
    void Grid明細_KeyDown(GridKey *key);
    void Grid明細_GotFocus();
    void Grid明細_RowColChange(int lastRow, int lastColumn);
    void Grid従業員_AfterColEdit(int row, int column);

    QWidget *buildSheetPage();
    QWidget *buildHistoryPage();
    QWidget *buildEmployeePage();
    QWidget *buildSettingsPage();
    QPushButton *button(const QString &name, const QString &caption, double pointSize = 11.25);
    QToolButton *hintButton(const QString &name);
    void wireCommands();
    bool checkSheetKey();
    // Reads a registered sheet onto the page: its key, header and lines, or nothing at all.
    bool showSheet(const sheet::Key &key);
    bool commitLine(int row);
    bool refreshGrid(DataGrid *grid);
    bool ask(const QString &category, const QString &code, const QString &text);
    // The one failure path: one message, the stored data and the screen left as they were.
    void fail(const QString &text);
    void shutdown();

    std::unique_ptr<DataStore> m_store;
    Services m_services;
    QPointer<Hint> m_hint;
    bool m_shutDown = false;
};
