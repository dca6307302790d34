#include "history/historysearch.h"

namespace history {

QString searchKey(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

bool matchesKeys(const QString &needleKey, const QString &nameKey, const QString &titleKey)
{
    // Each field on its own: a needle never matches across the end of the name
    // into the title.
    return needleKey.isEmpty() || nameKey.contains(needleKey) || titleKey.contains(needleKey);
}

bool matches(const QString &needleKey, const QString &name, const QString &title)
{
    return matchesKeys(needleKey, searchKey(name), searchKey(title));
}

SearchFilterModel::SearchFilterModel(int nameColumn, int titleColumn, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_nameColumn(nameColumn)
    , m_titleColumn(titleColumn)
{
}

void SearchFilterModel::setSourceModel(QAbstractItemModel *source)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    m_keys.clear();
    // Connected before the base class connects its own handlers, so that the
    // kept keys are already put right when it filters the changed rows.
    if (source) {
        using M = QAbstractItemModel;
        auto all = [this] { rebuildKeys(); };
        m_sourceConnections = {
            connect(source, &M::modelReset, this, all),
            connect(source, &M::layoutChanged, this, all),
            connect(source, &M::rowsMoved, this, all),
            connect(source, &M::columnsInserted, this, all),
            connect(source, &M::columnsRemoved, this, all),
            connect(source, &M::rowsInserted, this,
                    [this](const QModelIndex &parent, int first, int last) {
                        // Rows beyond the kept keys get theirs when first tested.
                        if (!parent.isValid() && first <= m_keys.size())
                            m_keys.insert(first, last - first + 1, Keys{});
                    }),
            connect(source, &M::rowsRemoved, this,
                    [this](const QModelIndex &parent, int first, int last) {
                        if (!parent.isValid() && first < m_keys.size())
                            m_keys.remove(first, std::min<qsizetype>(last, m_keys.size() - 1) - first + 1);
                    }),
            connect(source, &M::dataChanged, this,
                    [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                        forgetRows(topLeft.row(), bottomRight.row());
                    }),
        };
    }
    QSortFilterProxyModel::setSourceModel(source);
    rebuildKeys();
}

void SearchFilterModel::setTextRole(int role)
{
    m_textRole = role;
    rebuildKeys();
    invalidate();
}

void SearchFilterModel::setSearchText(const QString &text)
{
    m_searchText = text;
    const QString needle = searchKey(text);
    if (needle == m_needle)
        return;
    m_needle = needle;
    // Not invalidateFilter(): that reports each run of rows that comes or goes
    // on its own, which with many rows costs far more than mapping them anew.
    invalidate();
}

bool SearchFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_needle.isEmpty() || sourceParent.isValid())
        return true;
    const Keys &keys = keysOf(sourceRow);
    return matchesKeys(m_needle, keys.name, keys.title);
}

const SearchFilterModel::Keys &SearchFilterModel::keysOf(int sourceRow) const
{
    if (sourceRow >= m_keys.size())
        m_keys.resize(std::max(sourceRow + 1, sourceModel()->rowCount()));
    Keys &keys = m_keys[sourceRow];
    if (!keys.ready) {
        const QAbstractItemModel *source = sourceModel();
        keys.name = searchKey(source->index(sourceRow, m_nameColumn).data(m_textRole).toString());
        keys.title = searchKey(source->index(sourceRow, m_titleColumn).data(m_textRole).toString());
        keys.ready = true;
    }
    return keys;
}

void SearchFilterModel::rebuildKeys()
{
    // Computed with the rows rather than at the first keystroke, which would
    // otherwise pay for every row at once.
    m_keys.clear();
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    m_keys.reserve(rows);
    for (int row = 0; row < rows; ++row)
        keysOf(row);
}

void SearchFilterModel::forgetRows(int first, int last)
{
    for (int row = std::max(0, first); row <= last && row < m_keys.size(); ++row)
        m_keys[row].ready = false;
}

} // namespace history
