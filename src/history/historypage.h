#pragma once

#include "messages/dialogs.h"

#include <QWidget>

class DataGrid;
class DataStore;
class ExportChooser;
class MessagePresenter;
class QLineEdit;
class QPushButton;
class QToolButton;
class StatementOutput;
class WorkTableModel;
namespace history {
class SearchFilterModel;
enum class CsvKind;
}
namespace sheet {
struct Key;
}

// The page "履　歴": every registered sheet, listed from the main file into
// w履歴, narrowed by a search; one of them opened on the time-sheet page, or
// several (all listed, when none is chosen) printed as statements on shared
// pages or written to a CSV file for the books.
class HistoryPage : public QWidget
{
    Q_OBJECT
public:
    HistoryPage(const DataStore &store, MessagePresenter &presenter, StatementOutput *statementOutput,
                ExportChooser *exportChooser, QWidget *parent = nullptr);

    // The company values printed on the statements, as last read from the settings.
    void setCompany(const QString &name, const QString &info);
    // Whether premiums are computed, as last read from the settings: the
    // statements then print their row and the CSV files their columns.
    void setPremiums(bool on) { m_premiums = on; }

    // Operations
    void Read履歴();
    void Clear履歴();
    void cmd履歴選択_Click();
    void Print履歴();
    void Export履歴(history::CsvKind kind);

signals:
    // The operator chose the sheet of that name and title.
    void sheetChosen(const QString &name, const QString &title);
    void hintRequested(const QString &key);

private:
    QList<sheet::Key> chosenSheets() const;
    void fitColumns();

    const DataStore &m_store;
    Dialogs m_dialogs;
    StatementOutput *m_statementOutput;
    ExportChooser *m_exportChooser;
    QString m_companyName, m_companyInfo;
    bool m_premiums = false;

    QLineEdit *txt検索 = nullptr;
    DataGrid *Grid履歴 = nullptr;
    WorkTableModel *dat履歴 = nullptr;
    history::SearchFilterModel *m_found = nullptr;
    QPushButton *cmd履歴読込 = nullptr, *cmd履歴クリア = nullptr, *cmd履歴選択 = nullptr,
                *cmd履歴印刷 = nullptr, *cmd履歴CSV合計 = nullptr, *cmd履歴CSV明細 = nullptr;
    QToolButton *cmdHint2 = nullptr;
};
