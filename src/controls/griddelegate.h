#pragma once

#include "controls/worktablemodel.h"

#include <QPointer>
#include <QStyledItemDelegate>

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
    void paintTickBox(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    DataGrid *m_grid;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_committing = false;
};
