#include "controls/griddelegate.h"

#include "controls/datagrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {

// QLineEdit tells the input method it is enabled whenever it is editable,
// whatever its WA_InputMethodEnabled says; a cell that takes digits only must
// say no, or the input method composes into it all the same.
class CellEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    using QLineEdit::inputMethodQuery;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override
    {
        if (query == Qt::ImEnabled && !testAttribute(Qt::WA_InputMethodEnabled))
            return false;
        return QLineEdit::inputMethodQuery(query);
    }

protected:
    // A click into a date or time cell being edited puts the cursor where the
    // click landed; past the digits typed so far, the next digits would fill
    // the mask from its middle ("__:09") and the entry would be refused. The
    // cursor goes to the first blank instead, where typing goes on.
    void mousePressEvent(QMouseEvent *event) override
    {
        QLineEdit::mousePressEvent(event);
        if (inputMask().isEmpty())
            return;
        const qsizetype firstBlank = displayText().indexOf(u'_');
        if (firstBlank >= 0 && cursorPosition() > firstBlank)
            setCursorPosition(int(firstBlank));
    }
};

bool isTickBox(const QModelIndex &index)
{
    const auto *model = qobject_cast<const WorkTableModel *>(index.model());
    return model && model->columns().at(index.column()).kind == GridColumn::Kind::Check;
}

QRect tickBoxRect(const QStyleOptionViewItem &option)
{
    QStyleOptionViewItem box = option;
    box.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QStyle *style = box.widget ? box.widget->style() : QApplication::style();
    const QSize size = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, box.widget).size();
    return QStyle::alignedRect(box.direction, Qt::AlignCenter, size, box.rect);
}

} // namespace

GridDelegate::GridDelegate(DataGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    auto *editor = new CellEdit(parent);
    editor->setFrame(false);
    const auto *model = qobject_cast<const WorkTableModel *>(index.model());
    const GridColumn column = model ? model->columns().at(index.column()) : GridColumn();
    editor->setAlignment(column.alignment | Qt::AlignVCenter);
    switch (column.kind) {
    case GridColumn::Kind::Date:
        editor->setInputMask(QStringLiteral("9999/99/99;_"));
        break;
    case GridColumn::Kind::Time:
        editor->setInputMask(QStringLiteral("99:99;_"));
        break;
    default:
        break;
    }
    if (column.kind != GridColumn::Kind::Text) {
        // The input method stays closed: these cells take digits only.
        editor->setAttribute(Qt::WA_InputMethodEnabled, false);
        editor->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText);
    }
    Q_UNUSED(option);
    m_editor = editor;
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *lineEdit = qobject_cast<QLineEdit *>(editor);
    if (!lineEdit)
        return;
    lineEdit->setText(index.data(Qt::EditRole).toString());
    lineEdit->selectAll();
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *lineEdit = qobject_cast<QLineEdit *>(editor);
    if (!lineEdit)
        return;
    // Leaving a cell without typing is no edit; typing is, even the text the
    // cell already held: retyping a time is how a line is computed again.
    if (!lineEdit->isModified())
        return;
    QString text = lineEdit->text();
    if (!lineEdit->inputMask().isEmpty()) {
        QString digits;
        for (QChar c : text)
            if (c.isDigit())
                digits += c;
        text = digits;
    }
    m_committing = true;
    model->setData(index, text, Qt::EditRole);
    m_committing = false;
}

void GridDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (m_editor == editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (isTickBox(index))
        paintTickBox(painter, option, index);
    else
        QStyledItemDelegate::paint(painter, option, index);
    // The current cell is framed whenever the grid has the focus, however the
    // focus came and whatever the style draws for it.
    if (m_grid->hasFocus() && index == m_grid->currentIndex()) {
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight).darker(170), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

void GridDelegate::paintTickBox(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    QStyleOptionViewItem box = cell;
    box.rect = tickBoxRect(cell);
    box.state = (cell.state & ~QStyle::State_HasFocus)
        | (cell.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, cell.widget);
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
        || event->type() == QEvent::MouseButtonDblClick;
    if (!isTickBox(index) || !mouse || !(index.flags() & Qt::ItemIsUserCheckable))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto *click = static_cast<QMouseEvent *>(event);
    if (click->button() != Qt::LeftButton || !tickBoxRect(option).contains(click->position().toPoint()))
        return false;
    if (event->type() != QEvent::MouseButtonRelease)
        return true; // the press and a double click are the box's; the release ticks it
    const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && (key->modifiers() & Qt::ControlModifier) && m_grid->tabMovesBetweenCells()) {
            // Ctrl+Tab leaves the grid from an open cell too, with what was typed.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_grid->leave(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_grid->processKey(Qt::Key_Return, modifiers);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
