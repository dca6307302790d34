#include "history/historypage.h"

#include "controls/datagrid.h"
#include "controls/pagewidgets.h"
#include "controls/worktablemodel.h"
#include "data/datastore.h"
#include "hints/hintkeys.h"
#include "history/historycolumns.h"
#include "history/historystore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

HistoryPage::HistoryPage(const DataStore &store, MessagePresenter &presenter, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(presenter)
{
    setObjectName(u"page履歴"_s);
    Grid履歴 = grid(u"Grid履歴"_s, u"履歴"_s);
    Grid履歴->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid履歴->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid履歴->verticalHeader()->hide();
    dat履歴 = new WorkTableModel(m_store.workName(), u"w履歴"_s, history::columns(), this);
    Grid履歴->bind(dat履歴);

    cmd履歴読込 = button(u"cmd履歴読込"_s, u"読込"_s);
    cmd履歴選択 = button(u"cmd履歴選択"_s, u"選択"_s);
    cmd履歴クリア = button(u"cmd履歴クリア"_s, u"クリア"_s);
    cmdHint2 = hintButton(u"cmdHint2"_s);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(Grid履歴, 1);
    layout->addLayout(commandBar({cmd履歴読込, cmd履歴選択, cmd履歴クリア}, cmdHint2));

    connect(cmd履歴読込, &QPushButton::clicked, this, &HistoryPage::Read履歴);
    connect(cmd履歴クリア, &QPushButton::clicked, this, &HistoryPage::Clear履歴);
    connect(cmd履歴選択, &QPushButton::clicked, this, &HistoryPage::cmd履歴選択_Click);
    connect(Grid履歴, &QAbstractItemView::doubleClicked, this, &HistoryPage::cmd履歴選択_Click);
    connect(cmdHint2, &QToolButton::clicked, this, [this] { emit hintRequested(hints::HistoryPage); });
}

void HistoryPage::Clear履歴()
{
    if (!history::clear(m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、履歴をクリアできませんでした。"_s));
        return;
    }
    refresh(Grid履歴, m_dialogs);
}

void HistoryPage::Read履歴()
{
    if (!history::rebuild(m_store.main(), m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"ファイルを読み書きできないため、履歴を読み込めませんでした。"_s));
        return;
    }
    refresh(Grid履歴, m_dialogs);
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
