#include "employees/employeepage.h"

#include "controls/datagrid.h"
#include "controls/numbertext.h"
#include "controls/pagewidgets.h"
#include "controls/worktablemodel.h"
#include "data/datastore.h"
#include "employees/employeecolumns.h"
#include "employees/employeestore.h"
#include "hints/hintkeys.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

EmployeePage::EmployeePage(const DataStore &store, MessagePresenter &presenter, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(presenter)
{
    setObjectName(u"page従業員"_s);
    Grid従業員 = grid(u"Grid従業員"_s, u"従業員"_s);
    dat従業員 = new WorkTableModel(m_store.workName(), u"w従業員"_s, employees::columns(), this);
    dat従業員->setAddNewRow(true);
    Grid従業員->bind(dat従業員);
    Grid従業員->setTabMovesBetweenCells(true);

    cmd従業員読込 = button(u"cmd従業員読込"_s, u"読込"_s);
    cmd従業員登録 = button(u"cmd従業員登録"_s, u"登録"_s);
    cmd従業員行削除 = button(u"cmd従業員行削除"_s, u"行削除"_s, 9.75);
    cmdクリア従業員 = button(u"cmdクリア従業員"_s, u"クリア"_s);
    cmdHint3 = hintButton(u"cmdHint3"_s);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(Grid従業員, 1);
    layout->addLayout(commandBar({cmd従業員読込, cmd従業員登録, cmd従業員行削除, cmdクリア従業員}, cmdHint3));

    connect(cmd従業員読込, &QPushButton::clicked, this, &EmployeePage::cmd従業員読込_Click);
    connect(cmd従業員登録, &QPushButton::clicked, this, &EmployeePage::Entry従業員マスタ);
    connect(cmd従業員行削除, &QPushButton::clicked, this, &EmployeePage::LineDelete従業員);
    connect(cmdクリア従業員, &QPushButton::clicked, this, &EmployeePage::Clear従業員);
    connect(cmdHint3, &QToolButton::clicked, this, [this] { emit hintRequested(hints::EmployeePage); });
    connect(Grid従業員, &DataGrid::afterColEdit, this, &EmployeePage::Grid従業員_AfterColEdit);
}

bool EmployeePage::hasUnregisteredInput() const
{
    return m_typed || Grid従業員->hasTypedEdit();
}

bool EmployeePage::mayDiscardInput()
{
    return !hasUnregisteredInput() || m_dialogs.mayDiscard({u"「従業員」"_s});
}

void EmployeePage::cmd従業員読込_Click()
{
    if (mayDiscardInput())
        Read従業員();
}

void EmployeePage::Read従業員()
{
    if (!employees::copyMasterToWork(m_store.main(), m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"ファイルを読み書きできないため、従業員を読み込めませんでした。"_s));
        return;
    }
    if (refresh(Grid従業員, m_dialogs))
        m_typed = false;
}

void EmployeePage::Entry従業員マスタ()
{
    if (!m_dialogs.ask(u"登録"_s, u"確認"_s, u"従業員"_s))
        return;
    // The master becomes what the grid shows, or stays as it is.
    if (!Grid従業員->commitPending()) {
        m_dialogs.fail(Dialogs::notStored(u"作業ファイルに書き込めないため、従業員を登録できませんでした。"_s));
        return;
    }
    if (!employees::replaceMasterFromWork(m_store.main(), m_store.work())) {
        m_dialogs.fail(Dialogs::notStored(u"データファイルに書き込めないため、従業員を登録できませんでした。"_s));
        return;
    }
    m_typed = false;
    emit masterChanged();
}

void EmployeePage::LineDelete従業員()
{
    if (!m_dialogs.ask(u"削除"_s, u"確認"_s, u"指定された従業員"_s))
        return;
    if (!Grid従業員->commitPending() || !employees::deleteTicked(m_store.main(), m_store.work())) {
        m_dialogs.fail(Dialogs::notStored(u"ファイルに書き込めないため、従業員を削除できませんでした。"_s));
        return;
    }
    emit masterChanged();
    refresh(Grid従業員, m_dialogs);
}

void EmployeePage::Clear従業員()
{
    if (!employees::clearWork(m_store.work())) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、一覧をクリアできませんでした。"_s));
        return;
    }
    if (refresh(Grid従業員, m_dialogs))
        m_typed = false;
}

void EmployeePage::Grid従業員_AfterColEdit(int row, int column)
{
    // A tick is no input: ticks are never registered.
    if (column != employees::Colチェック)
        m_typed = true;
    // A wage is a number: what is not one is emptied. The row is written at once.
    const QVariant typed = dat従業員->value(row, column);
    if (column == employees::Col時給 && typed.typeId() == QMetaType::QString) {
        double wage = 0;
        dat従業員->setValue(row, column,
                            numbertext::parse(typed.toString(), &wage) ? QVariant(wage) : QVariant());
    }
    if (!dat従業員->commitRow(row))
        m_dialogs.fail(Dialogs::typedNotWritten());
}
