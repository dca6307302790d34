#pragma once

#include "controls/griddelegate.h"

#include <QTableView>

class QAbstractProxyModel;

// A grid bound to one work table, with what the operations ask of a grid:
// the current row and column, a cell's text and raw value, committing the
// pending edit, deleting the current row, moving between rows, refreshing,
// and five events (cell edit committed, edited cells written, key down, focus
// in, cell moved).
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    // Shows the work table, or only the rows a proxy over it lets through (its
    // rows are then still those of the work table for everything below).
    void bind(WorkTableModel *model, QAbstractProxyModel *shown = nullptr);
    WorkTableModel *workModel() const { return m_model; }

    // The work-table row of the current line, -1 when there is none.
    int row() const;
    // Work-table rows of the chosen lines, and of every line shown, in the order shown.
    QList<int> selectedModelRows() const;
    QList<int> shownModelRows() const;
    int col() const;
    void setCol(int column);
    void setRow(int row);
    QString text(int column) const;
    QVariant value(int column) const;
    void setValue(int column, const QVariant &value);

    // Writes the open cell editor's text and every changed row to the work
    // table; false when a write failed (what it could not write stays shown).
    bool commitPending();
    bool deleteCurrentRow();
    bool moveNext();
    bool movePrevious();
    bool eof() const;
    // Re-reads the work table and makes its first row current; false when the
    // read failed, and the grid then keeps the rows it showed.
    bool refresh();

    // Enter moves to the next column unless a keyDown handler consumes it.
    void processKey(int key, Qt::KeyboardModifiers modifiers);

    // In a grid the operator types into, Tab and Shift+Tab go from cell to
    // cell that takes typing (along the line, then on to the next; tick boxes
    // are passed) and stop at the last such cell (the first, going back)
    // rather than leave: what is typed next lands in
    // a cell, never on a button. Ctrl+Tab and Ctrl+Shift+Tab leave the grid.
    void setTabMovesBetweenCells(bool on) { m_tabInCells = on; }
    bool tabMovesBetweenCells() const { return m_tabInCells; }
    // Gives the focus to the next (or the previous) control after the grid.
    void leave(bool forward);
    // Whether a cell's editor is open with text typed into it that is not yet in the work table.
    bool hasTypedEdit() const;

signals:
    void afterColEdit(int row, int column);
    // Edited cells now in the work table: with their own edit, or with the first
    // later write that succeeded when theirs failed (WorkTableModel::editsWritten).
    void editsWritten(const QList<GridCell> &cells);
    void keyDown(GridKey *key);
    void gotFocus();
    void rowColChange(int lastRow, int lastColumn);

protected:
    using QTableView::edit;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool focusNextPrevChild(bool next) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void applyColumns();
    int firstVisibleColumn() const;
    int nextVisibleColumn(int column) const;

    int modelRow(const QModelIndex &shownIndex) const;
    QModelIndex shownIndex(int row, int column) const;

    WorkTableModel *m_model = nullptr;
    QAbstractProxyModel *m_shown = nullptr;
    GridDelegate *m_delegate;
    bool m_tabInCells = false;
};
