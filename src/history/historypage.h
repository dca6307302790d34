#pragma once

#include "messages/dialogs.h"

#include <QWidget>

class DataGrid;
class DataStore;
class MessagePresenter;
class QPushButton;
class QToolButton;
class WorkTableModel;

// The page "履　歴": every registered sheet, listed from the main file into
// w履歴, and the choice of one of them for the time-sheet page.
class HistoryPage : public QWidget
{
    Q_OBJECT
public:
    HistoryPage(const DataStore &store, MessagePresenter &presenter, QWidget *parent = nullptr);

    // Operations
    void Read履歴();
    void Clear履歴();
    void cmd履歴選択_Click();

signals:
    // The operator chose the sheet of that name and title.
    void sheetChosen(const QString &name, const QString &title);
    void hintRequested(const QString &key);

private:
    const DataStore &m_store;
    Dialogs m_dialogs;

    DataGrid *Grid履歴 = nullptr;
    WorkTableModel *dat履歴 = nullptr;
    QPushButton *cmd履歴読込 = nullptr, *cmd履歴クリア = nullptr, *cmd履歴選択 = nullptr;
    QToolButton *cmdHint2 = nullptr;
};
