#include "history/historypage.h"

#include "controls/datagrid.h"
#include "controls/fonts.h"
#include "controls/pagewidgets.h"
#include "controls/worktablemodel.h"
#include "data/datastore.h"
#include "hints/hintkeys.h"
#include "history/historycolumns.h"
#include "history/historysearch.h"
#include "history/historystore.h"
#include "history/paydayexport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

namespace {

// Shows the grid's current row, the one 選択 opens, whether or not the grid
// has the focus: a tint (unless the row is chosen, which shows as chosen) and
// a frame around the row. Being current does not make it chosen for 印刷 and
// CSV出力.
class CurrentRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const auto *view = qobject_cast<const QTableView *>(option.widget);
        if (!view || view->currentIndex().row() != index.row())
            return;
        painter->save();
        // Darker than the highlight, so that it shows on a chosen row too.
        painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight).darker(170), 2));
        const QRectF cell = QRectF(option.rect).adjusted(0, 1, 0, -1);
        painter->drawLine(cell.topLeft(), cell.topRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        if (index.column() == edgeColumn(view->horizontalHeader(), false))
            painter->drawLine(cell.topLeft() + QPointF(1, 0), cell.bottomLeft() + QPointF(1, 0));
        if (index.column() == edgeColumn(view->horizontalHeader(), true))
            painter->drawLine(cell.topRight() - QPointF(1, 0), cell.bottomRight() - QPointF(1, 0));
        painter->restore();
    }

protected:
    // The first or the last column shown.
    static int edgeColumn(const QHeaderView *header, bool last)
    {
        for (int i = 0; i < header->count(); ++i) {
            const int column = header->logicalIndex(last ? header->count() - 1 - i : i);
            if (!header->isSectionHidden(column))
                return column;
        }
        return -1;
    }

    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto *view = qobject_cast<const QAbstractItemView *>(option->widget);
        if (view && view->currentIndex().row() == index.row()) {
            QColor tint = option->palette.color(QPalette::Active, QPalette::Highlight);
            tint.setAlpha(48);
            option->backgroundBrush = tint;
        }
    }
};

// The listed sheets as the grid shows them, narrowed by the search. A name or
// a title too long for its column shows whole on hover; every cell tells a
// screen reader which sheet its line is.
class ListedSheets : public history::SearchFilterModel
{
public:
    using SearchFilterModel::SearchFilterModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::ToolTipRole && index.column() != history::Col合計)
            return SearchFilterModel::data(index, Qt::DisplayRole);
        if (role == Qt::AccessibleDescriptionRole) {
            const auto cell = [&](int column) { return index.siblingAtColumn(column).data(Qt::DisplayRole).toString(); };
            return u"%1「%2」 金額 %3 円"_s.arg(cell(history::Col氏名), cell(history::Colタイトル),
                                               cell(history::Col合計));
        }
        return SearchFilterModel::data(index, role);
    }
};

} // namespace

HistoryPage::HistoryPage(const DataStore &store, MessagePresenter &presenter, StatementOutput *statementOutput,
                         ExportChooser *exportChooser, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(presenter)
    , m_statementOutput(statementOutput)
    , m_exportChooser(exportChooser)
{
    setObjectName(u"page履歴"_s);
    txt検索 = new QLineEdit;
    txt検索->setObjectName(u"txt検索"_s);
    txt検索->setFont(fonts::gothic(fonts::Field));
    txt検索->setClearButtonEnabled(true);
    txt検索->setPlaceholderText(u"氏名またはタイトルの一部"_s);
    Grid履歴 = grid(u"Grid履歴"_s, u"履歴"_s);
    Grid履歴->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid履歴->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Grid履歴->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid履歴->verticalHeader()->hide();
    dat履歴 = new WorkTableModel(m_store.workName(), u"w履歴"_s, history::columns(), this);
    m_found = new ListedSheets(history::Col氏名, history::Colタイトル, this);
    Grid履歴->bind(dat履歴, m_found);
    auto *currentRow = new CurrentRowDelegate(Grid履歴);
    for (int c = 0; c < dat履歴->columns().size(); ++c)
        Grid履歴->setItemDelegateForColumn(c, currentRow);
    connect(Grid履歴->selectionModel(), &QItemSelectionModel::currentRowChanged, Grid履歴->viewport(),
            qOverload<>(&QWidget::update));

    cmd履歴読込 = button(u"cmd履歴読込"_s, u"読込"_s);
    cmd履歴選択 = button(u"cmd履歴選択"_s, u"選択"_s);
    cmd履歴クリア = button(u"cmd履歴クリア"_s, u"クリア"_s);
    cmd履歴印刷 = button(u"cmd履歴印刷"_s, u"印刷"_s);
    cmd履歴印刷->setToolTip(u"選んだシート（選んでいなければ一覧のすべて）の給与明細を印刷します"_s);
    // The two forms of the figures, each its own button and its own file name.
    cmd履歴CSV合計 = button(u"cmd履歴CSV合計"_s, u"CSV（合計）"_s);
    cmd履歴CSV合計->setToolTip(u"選んだシート（選んでいなければ一覧のすべて）を、シートごとの合計を 1 行として"
                               u"CSVファイルに書き出します"_s);
    cmd履歴CSV明細 = button(u"cmd履歴CSV明細"_s, u"CSV（明細）"_s);
    cmd履歴CSV明細->setToolTip(u"選んだシート（選んでいなければ一覧のすべて）の日ごとの明細を、1 日 1 行として"
                               u"CSVファイルに書き出します"_s);
    for (QPushButton *csv : {cmd履歴CSV合計, cmd履歴CSV明細})
        csv->setAccessibleDescription(csv->toolTip());
    cmdHint2 = hintButton(u"cmdHint2"_s);

    auto *search = new QHBoxLayout;
    search->addWidget(fieldLabel(u"Label検索"_s, u"検索"_s, txt検索));
    search->addWidget(txt検索, 1);
    auto *list = new QVBoxLayout;
    list->addLayout(search);
    list->addWidget(Grid履歴, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(list, 1);
    layout->addLayout(commandBar({cmd履歴読込, cmd履歴選択, cmd履歴クリア, cmd履歴印刷, cmd履歴CSV合計, cmd履歴CSV明細}, cmdHint2));
    QWidget::setTabOrder(txt検索, Grid履歴);

    connect(txt検索, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_found->setSearchText(text);
        // A line stays current, so that 選択 and Enter go on working on the narrowed list.
        if (!Grid履歴->currentIndex().isValid() && m_found->rowCount() > 0)
            Grid履歴->selectionModel()->setCurrentIndex(m_found->index(0, history::Col氏名),
                                                         QItemSelectionModel::NoUpdate);
    });
    connect(cmd履歴印刷, &QPushButton::clicked, this, &HistoryPage::Print履歴);
    connect(cmd履歴CSV合計, &QPushButton::clicked, this, [this] { Export履歴(history::CsvKind::Sheets); });
    connect(cmd履歴CSV明細, &QPushButton::clicked, this, [this] { Export履歴(history::CsvKind::Lines); });

    connect(cmd履歴読込, &QPushButton::clicked, this, &HistoryPage::Read履歴);
    connect(cmd履歴クリア, &QPushButton::clicked, this, &HistoryPage::Clear履歴);
    connect(cmd履歴選択, &QPushButton::clicked, this, &HistoryPage::cmd履歴選択_Click);
    connect(Grid履歴, &QAbstractItemView::doubleClicked, this, &HistoryPage::cmd履歴選択_Click);
    // Enter on a line opens it, as 選択 does.
    connect(Grid履歴, &DataGrid::keyDown, this, [this](GridKey *key) {
        if (key->key != Qt::Key_Return && key->key != Qt::Key_Enter)
            return;
        key->consumed = true;
        cmd履歴選択_Click();
    });
    connect(cmdHint2, &QToolButton::clicked, this, [this] { emit hintRequested(hints::HistoryPage); });
}

void HistoryPage::Clear履歴()
{
    if (!history::clear(m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、履歴をクリアできませんでした。"_s));
        return;
    }
    // The next 読込 lists every sheet, as the first one did.
    txt検索->clear();
    if (refresh(Grid履歴, m_dialogs))
        fitColumns();
}

void HistoryPage::Read履歴()
{
    if (!history::rebuild(m_store.main(), m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"ファイルを読み書きできないため、履歴を読み込めませんでした。"_s));
        return;
    }
    if (refresh(Grid履歴, m_dialogs))
        fitColumns();
}

void HistoryPage::fitColumns()
{
    // Each column as wide as what it lists, never narrower than its own
    // width; a name takes at most half the list (the rest of it shows on
    // hover), the title whatever the list has left when that is more; an
    // empty list has its own widths. Qt measures the lines in view and a
    // thousand more, not every line.
    const auto *view = static_cast<const QAbstractItemView *>(Grid履歴);
    const QList<GridColumn> &columns = dat履歴->columns();
    const int shown = Grid履歴->viewport()->width();
    int used = 0;
    for (int c = 0; c < columns.size(); ++c) {
        const int own = twipsToPixels(columns.at(c).widthTwips, Grid履歴->logicalDpiX());
        if (Grid履歴->model()->rowCount() == 0) {
            Grid履歴->setColumnWidth(c, own);
            continue;
        }
        int width = std::max(own, view->sizeHintForColumn(c));
        if (c == history::Col氏名)
            width = std::min(width, std::max(own, shown / 2));
        if (c == history::Colタイトル)
            width = std::max(view->sizeHintForColumn(c), shown - used);
        Grid履歴->setColumnWidth(c, width);
        used += width;
    }
}

void HistoryPage::cmd履歴選択_Click()
{
    if (Grid履歴->eof())
        return;
    const QVariant name = Grid履歴->value(history::Col氏名);
    const QVariant title = Grid履歴->value(history::Colタイトル);
    if (name.isNull() || title.isNull() || name.toString().isEmpty() || title.toString().isEmpty())
        return;
    emit sheetChosen(name.toString(), title.toString());
}

void HistoryPage::setCompany(const QString &name, const QString &info)
{
    m_companyName = name;
    m_companyInfo = info;
}
