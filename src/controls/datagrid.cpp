#include "controls/datagrid.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

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

void DataGrid::bind(WorkTableModel *model, QAbstractProxyModel *shown)
{
    m_model = model;
    m_shown = shown;
    if (shown)
        shown->setSourceModel(model);
    setModel(shown ? static_cast<QAbstractItemModel *>(shown) : model);
    connect(model, &WorkTableModel::cellEdited, this, &DataGrid::afterColEdit);
    connect(model, &WorkTableModel::editsWritten, this, &DataGrid::editsWritten);
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
    return modelRow(currentIndex());
}

int DataGrid::modelRow(const QModelIndex &shownIndex) const
{
    if (!shownIndex.isValid())
        return -1;
    return m_shown ? m_shown->mapToSource(shownIndex).row() : shownIndex.row();
}

QModelIndex DataGrid::shownIndex(int row, int column) const
{
    const QModelIndex index = m_model->index(row, column);
    return m_shown ? m_shown->mapFromSource(index) : index;
}

QList<int> DataGrid::selectedModelRows() const
{
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QList<int> rows;
    for (const QModelIndex &index : selected)
        rows.append(modelRow(index));
    return rows;
}

QList<int> DataGrid::shownModelRows() const
{
    QList<int> rows;
    for (int r = 0; r < model()->rowCount(); ++r)
        rows.append(modelRow(model()->index(r, 0)));
    return rows;
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
        setCurrentIndex(shownIndex(r, column));
}

void DataGrid::setRow(int r)
{
    if (!m_model || r < 0 || r >= m_model->rowCount())
        return;
    const int c = col() < 0 ? firstVisibleColumn() : col();
    setCurrentIndex(shownIndex(r, c));
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
        setCurrentIndex(shownIndex(std::min(r, rows - 1), c));
    return ok;
}

bool DataGrid::moveNext()
{
    const int r = row();
    if (!m_model || r + 1 >= m_model->rowCount())
        return false;
    setCurrentIndex(shownIndex(r + 1, col()));
    return true;
}

bool DataGrid::movePrevious()
{
    const int r = row();
    if (!m_model || r <= 0)
        return false;
    setCurrentIndex(shownIndex(r - 1, col()));
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
    // The first line shown is the current one; in a grid where several lines
    // may be chosen it is not chosen by that alone.
    if (model()->rowCount() == 0)
        return true;
    if (selectionMode() == ExtendedSelection)
        selectionModel()->setCurrentIndex(model()->index(0, column), QItemSelectionModel::NoUpdate);
    else
        setCurrentIndex(model()->index(0, column));
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

void DataGrid::leave(bool forward)
{
    QWidget::focusNextPrevChild(forward);
}

bool DataGrid::hasTypedEdit() const
{
    const auto *editor = qobject_cast<const QLineEdit *>(m_delegate->openEditor());
    return editor && editor->isModified();
}

bool DataGrid::focusNextPrevChild(bool next)
{
    // Tab on the grid itself; in an open editor the delegate takes it and
    // moves on through moveCursor.
    if (!m_tabInCells || !m_model)
        return QTableView::focusNextPrevChild(next);
    const QModelIndex to = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
    if (to.isValid() && to != currentIndex())
        setCurrentIndex(to);
    return true;
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (!m_tabInCells || (action != MoveNext && action != MovePrevious) || !current.isValid())
        return QTableView::moveCursor(action, modifiers);
    const int step = action == MoveNext ? 1 : -1;
    const int columns = model()->columnCount();
    int row = current.row();
    int column = current.column();
    for (int tried = 0; tried < 2 * columns; ++tried) {
        column += step;
        if (column < 0 || column >= columns) {
            row += step;
            if (row < 0 || row >= model()->rowCount())
                return current; // the end of the grid: Tab stays
            column = step > 0 ? 0 : columns - 1;
        }
        // A tick box is no stop: Tab goes from what is typed to what is typed.
        const QModelIndex cell = model()->index(row, column);
        if (!isColumnHidden(column) && (cell.flags() & Qt::ItemIsEditable))
            return cell;
    }
    return current;
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (m_tabInCells && (key == Qt::Key_Tab || key == Qt::Key_Backtab) && (event->modifiers() & Qt::ControlModifier)) {
        // Taken here, or the tab control would turn the page.
        leave(key == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    }
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
    if (m_model && previous.isValid() && modelRow(previous) != modelRow(current))
        m_model->commitRow(modelRow(previous));
    emit rowColChange(previous.isValid() ? previous.row() : -1,
                      previous.isValid() ? previous.column() : -1);
}
