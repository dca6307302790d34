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
    if (!isTickBox(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
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

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_delegate(new GridDelegate(this))
{
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
}

void DataGrid::bind(WorkTableModel *model)
{
    m_model = model;
    setModel(model);
    connect(model, &WorkTableModel::cellEdited, this, &DataGrid::afterColEdit);
    applyColumns();
}

void DataGrid::applyColumns()
{
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
    const QList<GridColumn> &columns = m_model->columns();
    for (int c = 0; c < columns.size(); ++c) {
        setColumnHidden(c, !columns.at(c).visible);
        setColumnWidth(c, twipsToPixels(columns.at(c).widthTwips, dpi));
    }
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
}

int DataGrid::row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int DataGrid::col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void DataGrid::setCol(int column)
{
    const int r = row() < 0 ? 0 : row();
    if (m_model && r < m_model->rowCount())
        setCurrentIndex(m_model->index(r, column));
}

void DataGrid::setRow(int r)
{
    if (!m_model || r < 0 || r >= m_model->rowCount())
        return;
    const int c = col() < 0 ? firstVisibleColumn() : col();
    setCurrentIndex(m_model->index(r, c));
}

QString DataGrid::text(int column) const
{
    return m_model ? m_model->displayText(row(), column) : QString();
}

QVariant DataGrid::value(int column) const
{
    return m_model ? m_model->value(row(), column) : QVariant();
}

void DataGrid::setValue(int column, const QVariant &value)
{
    if (m_model)
        m_model->setValue(row(), column, value);
}

bool DataGrid::commitPending()
{
    if (!m_model)
        return false;
    QWidget *editor = m_delegate->openEditor();
    if (editor && !m_delegate->isCommitting()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    return m_model->commitAll();
}

bool DataGrid::deleteCurrentRow()
{
    if (!m_model)
        return false;
    if (QWidget *editor = m_delegate->openEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    const int r = row();
    const int c = col();
    if (r < 0 || r >= m_model->storedRowCount())
        return false;
    const bool ok = m_model->deleteRow(r);
    const int rows = m_model->rowCount();
    if (rows > 0)
        setCurrentIndex(m_model->index(std::min(r, rows - 1), c));
    return ok;
}

bool DataGrid::moveNext()
{
    const int r = row();
    if (!m_model || r + 1 >= m_model->rowCount())
        return false;
    setCurrentIndex(m_model->index(r + 1, col()));
    return true;
}

bool DataGrid::movePrevious()
{
    const int r = row();
    if (!m_model || r <= 0)
        return false;
    setCurrentIndex(m_model->index(r - 1, col()));
    return true;
}

bool DataGrid::eof() const
{
    return !m_model || row() < 0 || row() >= m_model->storedRowCount();
}

bool DataGrid::refresh()
{
    if (!m_model)
        return false;
    if (QWidget *editor = m_delegate->openEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    const int column = col() >= 0 ? col() : firstVisibleColumn();
    if (!m_model->refresh())
        return false;
    if (m_model->rowCount() > 0)
        setCurrentIndex(m_model->index(0, column));
    return true;
}

int DataGrid::firstVisibleColumn() const
{
    if (!m_model)
        return 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c))
            return c;
    return 0;
}

int DataGrid::nextVisibleColumn(int column) const
{
    for (int c = column + 1; m_model && c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c))
            return c;
    return column;
}

void DataGrid::processKey(int key, Qt::KeyboardModifiers modifiers)
{
    GridKey gridKey{key, modifiers, false};
    emit keyDown(&gridKey);
    if (gridKey.consumed)
        return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (row() >= 0)
            setCol(nextVisibleColumn(col()));
    }
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (state() != QAbstractItemView::EditingState) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            processKey(key, event->modifiers());
            return;
        }
        GridKey gridKey{key, event->modifiers(), false};
        emit keyDown(&gridKey);
        if (gridKey.consumed)
            return;
        const QModelIndex current = currentIndex();
        const bool editable = current.isValid() && (m_model->flags(current) & Qt::ItemIsEditable);
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && editable) {
            // Emptying a cell is an edit like any other; an empty cell has nothing to empty.
            if (!m_model->editText(current.row(), current.column()).isEmpty())
                m_model->setData(current, QString(), Qt::EditRole);
            return;
        }
        // Any key that types something opens the editor with that key in it:
        // a sign, a point, a full-width digit, as much as a digit.
        const QString typed = event->text();
        const bool printable = !typed.isEmpty() && typed.front().isPrint()
            && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (printable && editable && (editTriggers() & AnyKeyPressed) && edit(current, AllEditTriggers, nullptr)) {
            if (QWidget *editor = m_delegate->openEditor())
                QCoreApplication::sendEvent(editor, event);
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

bool DataGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // A click on the current cell opens its editor at once: Qt waits for a
    // possible double click first and drops the keys typed meanwhile, and an
    // operator types straight after the click.
    if (trigger == SelectedClicked && (editTriggers() & SelectedClicked))
        trigger = AllEditTriggers;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    emit gotFocus();
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // Edits are written as they are made; a row whose write failed (and was
    // reported then) is tried again as the cursor leaves it.
    if (m_model && previous.isValid() && previous.row() != current.row())
        m_model->commitRow(previous.row());
    emit rowColChange(previous.isValid() ? previous.row() : -1,
                      previous.isValid() ? previous.column() : -1);
}
