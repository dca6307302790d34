#pragma once

#include "messages/dialogs.h"

#include <QWidget>

class DataGrid;
class DataStore;
class MessagePresenter;
class QPushButton;
class QToolButton;
class WorkTableModel;

// The page "従業員": the employee master (names and wages) edited through its
// working copy w従業員, registered whole, and ticked rows deleted.
class EmployeePage : public QWidget
{
    Q_OBJECT
public:
    EmployeePage(const DataStore &store, MessagePresenter &presenter, QWidget *parent = nullptr);

    // Whether the grid holds names or wages typed since it was read, cleared
    // or registered (ticks are not kept anyway).
    bool hasUnregisteredInput() const;
    // Asks before that input is dropped: true when there is none or the operator agreed.
    bool mayDiscardInput();

    // Operations
    void Read従業員();
    void Entry従業員マスタ();
    void LineDelete従業員();
    void Clear従業員();

signals:
    // The master was registered or employees deleted from it.
    void masterChanged();
    void hintRequested(const QString &key);

private:
    void cmd従業員読込_Click();
    void Grid従業員_AfterColEdit(int row, int column);

    const DataStore &m_store;
    Dialogs m_dialogs;
    bool m_typed = false;

    DataGrid *Grid従業員 = nullptr;
    WorkTableModel *dat従業員 = nullptr;
    QPushButton *cmd従業員読込 = nullptr, *cmd従業員登録 = nullptr, *cmd従業員行削除 = nullptr,
                *cmdクリア従業員 = nullptr;
    QToolButton *cmdHint3 = nullptr;
};
