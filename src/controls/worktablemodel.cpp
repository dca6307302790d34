#include "controls/worktablemodel.h"

#include "controls/formats.h"
#include "controls/numbertext.h"
#include "data/sql.h"

#include <utility>


using namespace Qt::StringLiterals;

namespace {
constexpr qint64 NewRowId = -1;
}

WorkTableModel::WorkTableModel(const QString &connectionName, const QString &table,
                               const QList<GridColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_connectionName(connectionName)
    , m_table(table)
    , m_columns(columns)
{
    QStringList fields, assignments, places;
    for (const GridColumn &column : m_columns) {
        fields.append(column.field);
        assignments.append(column.field + u" = ?"_s);
        places.append(u"?"_s);
    }
    m_updateStatement = u"UPDATE %1 SET %2 WHERE rowid = ?"_s.arg(m_table, assignments.join(u", "_s));
    m_insertStatement =
        u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(m_table, fields.join(u", "_s), places.join(u", "_s));
}

void WorkTableModel::setAddNewRow(bool on)
{
    if (on == m_addNewRow)
        return;
    beginResetModel();
    m_addNewRow = on;
    endResetModel();
}

bool WorkTableModel::refresh()
{
    QStringList fields;
    for (const GridColumn &column : m_columns)
        fields.append(column.field);
    bool ok = false;
    QList<sql::Row> rows = sql::rows(sql::connection(m_connectionName),
                                     u"SELECT rowid, %1 FROM %2 ORDER BY rowid"_s
                                         .arg(fields.join(u", "_s), m_table),
                                     {}, &ok);
    if (!ok)
        return false; // a failed read is no empty table: the rows shown stay
    beginResetModel();
    m_rowIds.clear();
    m_rows.clear();
    m_dirty.clear();
    m_unwritten.clear(); // the lines edited are gone, and with them what their edits owed
    m_rowIds.reserve(rows.size());
    m_rows.reserve(rows.size());
    for (sql::Row &row : rows) {
        m_rowIds.append(row.takeFirst().toLongLong());
        m_rows.append(std::move(row));
    }
    endResetModel();
    return true;
}

QVariant WorkTableModel::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return QVariant();
    return m_rows.at(row).at(column);
}

void WorkTableModel::setValue(int row, int column, const QVariant &value)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return;
    m_rows[row][column] = value;
    m_dirty.insert(row);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

bool WorkTableModel::commitRow(int row)
{
    ++m_commitDepth;
    const bool ok = writeRow(row);
    --m_commitDepth;
    reportWritten();
    return ok;
}

bool WorkTableModel::commitAll()
{
    if (m_dirty.isEmpty())
        return true;
    QList<int> rows = m_dirty.values();
    std::sort(rows.begin(), rows.end());
    bool ok = true;
    ++m_commitDepth;
    for (int row : rows)
        if (!(ok = writeRow(row)))
            break;
    --m_commitDepth;
    reportWritten();
    return ok;
}

bool WorkTableModel::writeRow(int row)
{
    if (!m_dirty.contains(row))
        return true;
    const QSqlDatabase db = sql::connection(m_connectionName);
    if (m_rowIds.at(row) == NewRowId) {
        const QVariant rowId = sql::insert(db, m_insertStatement, m_rows.at(row));
        if (!rowId.isValid())
            return false;
        m_rowIds[row] = rowId.toLongLong();
    } else {
        QVariantList values = m_rows.at(row);
        values.append(m_rowIds.at(row));
        if (!sql::exec(db, m_updateStatement, values))
            return false;
    }
    m_dirty.remove(row);
    for (int column : m_unwritten.take(row))
        m_written.append({row, column});
    return true;
}

void WorkTableModel::reportWritten()
{
    // Told once the outermost commit is over, so that a handler that commits
    // again (the totals do) finds no write half done.
    if (m_commitDepth > 0 || m_written.isEmpty())
        return;
    emit editsWritten(std::exchange(m_written, {}));
}

bool WorkTableModel::deleteRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    if (m_rowIds.at(row) != NewRowId
        && !sql::exec(sql::connection(m_connectionName), u"DELETE FROM %1 WHERE rowid = ?"_s.arg(m_table),
                      {m_rowIds.at(row)}))
        return false;
    beginRemoveRows({}, row, row);
    m_rowIds.removeAt(row);
    m_rows.removeAt(row);
    QSet<int> dirty;
    for (int d : std::as_const(m_dirty))
        if (d != row)
            dirty.insert(d > row ? d - 1 : d);
    m_dirty = dirty;
    QMap<int, QList<int>> unwritten;
    for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it)
        if (it.key() != row)
            unwritten.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
    m_unwritten = unwritten;
    endRemoveRows();
    return true;
}

void WorkTableModel::appendBlankRow()
{
    const int row = int(m_rows.size());
    // The add-new row becomes a row of the grid, inserted into the table when
    // it is committed; a new add-new row appears after it.
    beginInsertRows({}, row + 1, row + 1);
    m_rowIds.append(NewRowId);
    QVariantList blank;
    for (const GridColumn &column : m_columns)
        blank.append(column.kind == GridColumn::Kind::Check ? QVariant(0) : QVariant());
    m_rows.append(blank);
    endInsertRows();
    m_dirty.insert(row);
}

int WorkTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_rows.size()) + (m_addNewRow ? 1 : 0);
}

int WorkTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString WorkTableModel::displayText(int row, int column) const
{
    const QVariant v = value(row, column);
    if (v.isNull() || !v.isValid())
        return QString();
    const GridColumn &col = m_columns.at(column);
    switch (col.kind) {
    case GridColumn::Kind::Text: return v.toString();
    case GridColumn::Kind::Number: return fmt::value(v, col.format);
    case GridColumn::Kind::Date: return fmt::date(v);
    case GridColumn::Kind::Time: return fmt::value(v, u"##:##");
    case GridColumn::Kind::Check: return QString();
    }
    return QString();
}

QString WorkTableModel::editText(int row, int column) const
{
    const QVariant v = value(row, column);
    if (v.isNull() || !v.isValid())
        return QString();
    const GridColumn &col = m_columns.at(column);
    switch (col.kind) {
    case GridColumn::Kind::Number: {
        double d = 0;
        if (v.typeId() != QMetaType::QString && fmt::toDouble(v, &d))
            return numbertext::plain(d);
        return v.toString();
    }
    case GridColumn::Kind::Date: return v.toString().remove(u'-');
    case GridColumn::Kind::Check: return QString();
    case GridColumn::Kind::Text:
    case GridColumn::Kind::Time: return v.toString();
    }
    return v.toString();
}

QVariant WorkTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const GridColumn &column = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole: return displayText(index.row(), index.column());
    case Qt::EditRole: return editText(index.row(), index.column());
    case RawValueRole: return value(index.row(), index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (column.kind == GridColumn::Kind::Check && index.row() < m_rows.size())
            return value(index.row(), index.column()).toInt() != 0 ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    default: return QVariant();
    }
}

bool WorkTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid())
        return false;
    const int column = index.column();
    const GridColumn &col = m_columns.at(column);
    QVariant stored;
    if (role == Qt::CheckStateRole && col.kind == GridColumn::Kind::Check) {
        stored = value.toInt() == Qt::Checked ? 1 : 0;
        if (index.row() < m_rows.size() && this->value(index.row(), column).toInt() == stored.toInt())
            return true;
    } else if (role == Qt::EditRole) {
        const QString text = value.toString();
        stored = text.isEmpty() ? QVariant() : QVariant(text);
    } else {
        return false;
    }
    if (isAddNewRow(index.row()))
        appendBlankRow();
    const int row = index.row();
    m_rows[row][column] = stored;
    m_dirty.insert(row);
    if (!m_unwritten[row].contains(column))
        m_unwritten[row].append(column);
    emit dataChanged(index, index);
    emit cellEdited(row, column);
    return true;
}

Qt::ItemFlags WorkTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn &column = m_columns.at(index.column());
    if (!column.editable)
        return flags;
    if (column.kind == GridColumn::Kind::Check)
        return flags | Qt::ItemIsUserCheckable;
    return flags | Qt::ItemIsEditable;
}

QVariant WorkTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section < m_columns.size() ? QVariant(m_columns.at(section).caption) : QVariant();
    return isAddNewRow(section) ? QVariant(u"*"_s) : QVariant(section + 1);
}
