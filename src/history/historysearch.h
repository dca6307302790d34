#pragma once

#include <QList>
#include <QSortFilterProxyModel>
#include <QString>

// Finding sheets in the history list by name or title. Texts are compared by a
// key in which full-width and half-width letters, digits and katakana, and
// upper and lower case, are the same: what the operator types in either width
// finds what was stored in the other.
namespace history {

// The compared form of a text: NFKC (widths), then case folding.
QString searchKey(const QString &text);

// Whether a sheet is listed for the needle's key: an empty needle lists
// every sheet; otherwise its name or its title must contain it.
bool matchesKeys(const QString &needleKey, const QString &nameKey, const QString &titleKey);
bool matches(const QString &needleKey, const QString &name, const QString &title);

// The rows of a list whose name or title contains the search text. Works over
// any model whose rows carry the name and the title as text in two columns.
// The keys of the source rows are computed with the rows and kept, so that a
// keystroke costs only one substring test per row; a changed row's keys are
// computed again, and all of them when the source is reset or rearranged.
class SearchFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    SearchFilterModel(int nameColumn, int titleColumn, QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;

    // The role the name and the title are read from (Qt::DisplayRole unless set).
    void setTextRole(int role);

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    struct Keys
    {
        QString name;
        QString title;
        bool ready = false;
    };

    const Keys &keysOf(int sourceRow) const;
    void rebuildKeys();
    void forgetRows(int first, int last);

    int m_nameColumn;
    int m_titleColumn;
    int m_textRole = Qt::DisplayRole;
    QString m_searchText;
    QString m_needle;
    mutable QList<Keys> m_keys; // by source row
    QList<QMetaObject::Connection> m_sourceConnections;
};

} // namespace history
