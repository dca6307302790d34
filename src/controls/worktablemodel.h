#pragma once

#include "controls/gridcolumn.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMap>
#include <QSet>
#include <QVariant>

// A grid's view of one work table: every row is read into memory at refresh()
// (no query stays open on the file), keyed by SQLite's rowid so that identical
// rows stay distinct. Edits change the row in memory and mark it; commitRow()
// writes it back, and a row stays marked until its write succeeded, so what
// the grid shows is either in the table or still waiting to be written, never
// silently dropped. A cell the operator edited stays owed its after-edit
// steps until its row is written: editsWritten() names such cells once their
// write succeeded, whichever commit wrote them, so that the steps a failed
// write put off run then. Display text comes from the column's format; the
// raw stored value is under RawValueRole.
struct GridCell
{
    int row = -1;
    int column = -1;
};

class WorkTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int RawValueRole = Qt::UserRole + 1;

    WorkTableModel(const QString &connectionName, const QString &table,
                   const QList<GridColumn> &columns, QObject *parent = nullptr);

    const QList<GridColumn> &columns() const { return m_columns; }
    QString table() const { return m_table; }

    // Offers one blank row after the last; typing into it adds a row, which is
    // inserted into the table when it is committed.
    void setAddNewRow(bool on);
    bool isAddNewRow(int row) const { return m_addNewRow && row == int(m_rows.size()); }

    // Re-reads the table; when the read fails the rows shown stay as they were.
    bool refresh();
    int storedRowCount() const { return int(m_rows.size()); }
    QVariant value(int row, int column) const;
    // Sets a value without the edit signal, as the program does.
    void setValue(int row, int column, const QVariant &value);
    bool isDirty(int row) const { return m_dirty.contains(row); }
    // Writes a changed row; false when the write failed (the row stays changed).
    bool commitRow(int row);
    // Writes every changed row, stopping at the first that fails.
    bool commitAll();
    bool deleteRow(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString displayText(int row, int column) const;
    QString editText(int row, int column) const;

signals:
    // The operator changed a cell's text (the value holds the raw entry).
    void cellEdited(int row, int column);
    // Edited cells whose rows were written, once the outermost commit is done
    // (a handler may commit again).
    void editsWritten(const QList<GridCell> &cells);

private:
    void appendBlankRow();
    bool writeRow(int row);
    void reportWritten();

    QString m_connectionName;
    QString m_table;
    QList<GridColumn> m_columns;
    QString m_updateStatement; // a row written back, built once
    QString m_insertStatement; // a new row written, built once
    QList<qint64> m_rowIds;    // NewRowId until a new row is inserted
    QList<QVariantList> m_rows;
    QSet<int> m_dirty;
    QMap<int, QList<int>> m_unwritten; // edited columns by row, until the row is written
    QList<GridCell> m_written;         // written since the outermost commit began
    int m_commitDepth = 0;
    bool m_addNewRow = false;
};
