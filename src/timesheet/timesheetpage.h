#pragma once

#include "messages/dialogs.h"
#include "timesheet/premiums.h"
#include "timesheet/sheetstore.h"

#include <QSqlDatabase>
#include <QWidget>

class DataGrid;
class DataStore;
class MessagePresenter;
class NameCombo;
class NumberEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class StatementOutput;
class WorkTableModel;
struct GridCell;
struct GridKey;

// The page "入力シート": one time sheet (name, title, wage, break, the 60 day
// lines and their totals) typed, computed, registered, read, deleted, cleared
// and printed. It owns its controls; its operations run against the data
// store's two connections and tell the operator through Dialogs.
class TimeSheetPage : public QWidget
{
    Q_OBJECT
public:
    TimeSheetPage(const DataStore &store, MessagePresenter &presenter, StatementOutput *statementOutput,
                  QWidget *parent = nullptr);

    // Reads a registered sheet onto the page (its key, header and lines), or
    // leaves the page as it was and tells why.
    bool showSheet(const sheet::Key &key);
    void focusName();
    // Whether the page holds input typed since it was cleared, read or
    // registered: a wage or a break, lines edited or deleted. The name and
    // the title alone are not: they are what 読込 reads by.
    bool hasUnregisteredInput() const;
    // Asks before that input is dropped: true when there is none or the operator agreed.
    bool mayDiscardInput();
    // The held company values (str自社名, str自社情報) printed on the statement,
    // as last read from the settings.
    void setCompany(const QString &name, const QString &info);
    struct Company
    {
        QString str自社名, str自社情報;
    };
    const Company &heldCompany() const { return m_company; }
    // How premiums are computed, as last read from the settings: the lines'
    // premium columns and the total 割増 show only while they are.
    void setPremiums(const sheet::Premiums &premiums);

    // Operations
    void Entry時給();
    void Read時給();
    void Delete時給();
    void Clear時給();
    bool Clear明細();
    void Delete行();
    void Calc明細();
    void Get時給();
    void ReadComb氏名();
    bool Entry従業員();
    void Cmd印刷_Click();

signals:
    void closeRequested();
    void hintRequested(const QString &key);

private:
    void build();
    void cmb氏名_GotFocus();
    void cmb氏名_LostFocus();
    void Grid明細_AfterColEdit(int row, int column);
    void Grid明細_EditsWritten(const QList<GridCell> &cells);
    void Grid明細_KeyDown(GridKey *key);
    void Grid明細_GotFocus();
    void Grid明細_RowColChange(int lastRow, int lastColumn);
    bool checkSheetKey();
    bool mayReplace(const sheet::Key &key, std::optional<qint64> *seen, bool storeRefused = false);
    void markTyped() { m_typed = true; }
    bool commitLines();
    sheet::Line lineAt(int row) const;
    // Sets the cells of a work row that differ from line's (and the edited one).
    void putLine(int row, const sheet::Line &line, int editedColumn = -1);
    // The premiums of every line, after an edit: a line's overtime follows the
    // other lines of its date and week.
    void recomputePremiums();
    void showTotals(const sheet::Totals &totals);
    QSqlDatabase mainDb() const;
    QSqlDatabase workDb() const;

    const DataStore &m_store;
    Dialogs m_dialogs;
    StatementOutput *m_statementOutput;
    Company m_company;
    sheet::Premiums m_premiums;
    // The sheet's overtime and night hours and its hours on rest days, as
    // summed or read with the totals: registered and printed with them.
    QVariant m_overtimeHours, m_nightHours, m_restDayHours;
    bool m_typed = false;
    std::optional<sheet::Key> m_readFrom; // the registered sheet the page was read from
    qint64 m_readVersion = 0;             // and which write of it (版)

    NameCombo *cmb氏名 = nullptr;
    NumberEdit *num時給 = nullptr;
    QLineEdit *txtタイトル = nullptr;
    NumberEdit *num休憩 = nullptr;
    NumberEdit *num調整額 = nullptr;
    NumberEdit *num時間 = nullptr;
    NumberEdit *num合計 = nullptr;
    NumberEdit *num割増 = nullptr;
    QLabel *Label割増 = nullptr;
    DataGrid *Grid明細 = nullptr;
    WorkTableModel *dat明細 = nullptr;
    QPushButton *cmd登録 = nullptr, *cmd読込 = nullptr, *cmd削除 = nullptr, *cmdクリア = nullptr,
                *cmd行削除 = nullptr, *Cmd印刷 = nullptr, *cmd履歴閉じる = nullptr;
    QToolButton *cmdHint = nullptr;
};
