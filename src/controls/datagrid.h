#pragma once

#include "controls/worktablemodel.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

class DataGrid;

// A key that went down in a grid; a handler consumes it by setting consumed.
struct GridKey
{
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    bool consumed = false;
};

// Editors for the grid's cells: masks for dates ("yyyy/mm/dd", eight digits)
// and times ("##:##", four digits); the raw entry handed to the model is the
// digits alone. Number, date and time editors take no input method.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(DataGrid *grid);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    // A tick box sits in the middle of its cell, and a click there ticks it.
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    QWidget *openEditor() const { return m_editor; }
    bool isCommitting() const { return m_committing; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    DataGrid *m_grid;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_committing = false;
};

// A grid bound to one work table, with what the operations ask of a grid:
// the current row and column, a cell's text and raw value, committing the
// pending edit, deleting the current row, moving between rows, refreshing,
// and four events (cell edit committed, key down, focus in, cell moved).
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void bind(WorkTableModel *model);
    WorkTableModel *workModel() const { return m_model; }

    int row() const;
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

signals:
    void afterColEdit(int row, int column);
    void keyDown(GridKey *key);
    void gotFocus();
    void rowColChange(int lastRow, int lastColumn);

protected:
    using QTableView::edit;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void applyColumns();
    int firstVisibleColumn() const;
    int nextVisibleColumn(int column) const;

    WorkTableModel *m_model = nullptr;
    GridDelegate *m_delegate;
};
