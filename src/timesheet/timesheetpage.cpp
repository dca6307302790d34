// The page "入力シート": its controls, how they are laid out and wired, the
// events of the name field and the detail grid, and printing. The operations
// are in timesheetops.cpp.
#include "timesheet/timesheetpage.h"

#include "app/platform.h"
#include "controls/datagrid.h"
#include "controls/fonts.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/pagewidgets.h"
#include "controls/worktablemodel.h"
#include "data/datastore.h"
#include "hints/hintkeys.h"
#include "report/statementoutput.h"
#include "timesheet/sheetcolumns.h"
#include "timesheet/sheetrules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

TimeSheetPage::TimeSheetPage(const DataStore &store, MessagePresenter &presenter,
                             StatementOutput *statementOutput, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(presenter)
    , m_statementOutput(statementOutput)
{
    setObjectName(u"page入力シート"_s);
    build();

    connect(cmd登録, &QPushButton::clicked, this, &TimeSheetPage::Entry時給);
    connect(cmd読込, &QPushButton::clicked, this, &TimeSheetPage::Read時給);
    connect(cmd削除, &QPushButton::clicked, this, &TimeSheetPage::Delete時給);
    connect(cmdクリア, &QPushButton::clicked, this, &TimeSheetPage::Clear時給);
    connect(cmd行削除, &QPushButton::clicked, this, &TimeSheetPage::Delete行);
    connect(Cmd印刷, &QPushButton::clicked, this, &TimeSheetPage::Cmd印刷_Click);
    connect(cmd履歴閉じる, &QPushButton::clicked, this, &TimeSheetPage::closeRequested);
    connect(cmdHint, &QToolButton::clicked, this, [this] { emit hintRequested(hints::SheetPage); });

    connect(cmb氏名, &NameCombo::gotFocus, this, &TimeSheetPage::cmb氏名_GotFocus);
    connect(cmb氏名, &NameCombo::lostFocus, this, &TimeSheetPage::cmb氏名_LostFocus);
    connect(Grid明細, &DataGrid::afterColEdit, this, &TimeSheetPage::Grid明細_AfterColEdit);
    connect(Grid明細, &DataGrid::editsWritten, this, &TimeSheetPage::Grid明細_EditsWritten);
    connect(Grid明細, &DataGrid::keyDown, this, &TimeSheetPage::Grid明細_KeyDown);
    connect(Grid明細, &DataGrid::gotFocus, this, &TimeSheetPage::Grid明細_GotFocus);
    connect(Grid明細, &DataGrid::rowColChange, this, &TimeSheetPage::Grid明細_RowColChange);

    // What the operator types, as against what the page fills in (the wage of
    // a name, the totals, a sheet read).
    for (NumberEdit *typed : {num時給, num休憩})
        connect(typed, &QLineEdit::textEdited, this, &TimeSheetPage::markTyped);
    connect(dat明細, &WorkTableModel::cellEdited, this, &TimeSheetPage::markTyped);
}

void TimeSheetPage::build()
{
    cmb氏名 = new NameCombo;
    cmb氏名->setObjectName(u"cmb氏名"_s);
    cmb氏名->setFont(fonts::gothic(fonts::Field));
    cmb氏名->setMinimumWidth(220);
    num時給 = numberField(u"num時給"_s, 99999, 0, u"#,###"_s);
    txtタイトル = new QLineEdit;
    txtタイトル->setObjectName(u"txtタイトル"_s);
    txtタイトル->setFont(fonts::gothic(fonts::Field));
    num休憩 = numberField(u"num休憩"_s, 99999, 0, u"#,###"_s);
    num調整額 = numberField(u"num調整額"_s, 9999999, 0, u"#,###"_s);
    num時間 = numberField(u"num時間"_s, 99999, 1, u"#,###.0"_s);
    num合計 = numberField(u"num合計"_s, 9999999, 0, u"#,###"_s);
    num割増 = numberField(u"num割増"_s, 9999999, 0, u"#,###"_s);
    // The totals are computed; Tab passes them by.
    for (NumberEdit *total : {num調整額, num時間, num合計, num割増})
        total->setFocusPolicy(Qt::ClickFocus);

    auto *header = new QGroupBox;
    header->setObjectName(u"frameHeader"_s);
    auto *grid = new QGridLayout(header);
    grid->setHorizontalSpacing(8);
    grid->addWidget(fieldLabel(u"Label1"_s, u"氏　名"_s, cmb氏名), 0, 0);
    grid->addWidget(cmb氏名, 0, 1, 1, 3);
    grid->addWidget(fieldLabel(u"Label2"_s, u"時給"_s, num時給), 0, 4);
    grid->addWidget(num時給, 0, 5);
    grid->addWidget(fieldLabel(u"Label6"_s, u"タイトル"_s, txtタイトル), 1, 0);
    grid->addWidget(txtタイトル, 1, 1, 1, 3);
    grid->addWidget(fieldLabel(u"Label4"_s, u"休憩"_s, num休憩), 1, 4);
    grid->addWidget(num休憩, 1, 5);
    grid->addWidget(fieldLabel(u"Label7"_s, u"調整額"_s, num調整額), 2, 0);
    grid->addWidget(num調整額, 2, 1);
    grid->addWidget(fieldLabel(u"Label5"_s, u"時間"_s, num時間), 2, 2);
    grid->addWidget(num時間, 2, 3);
    grid->addWidget(fieldLabel(u"Label3"_s, u"合  計"_s, num合計), 2, 4);
    grid->addWidget(num合計, 2, 5);
    Label割増 = fieldLabel(u"Label割増"_s, u"割増"_s, num割増);
    grid->addWidget(Label割増, 3, 0);
    grid->addWidget(num割増, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    Grid明細 = pagewidgets::grid(u"Grid明細"_s, u"明細"_s);
    Grid明細->verticalHeader()->hide();
    Grid明細->setTabMovesBetweenCells(true);
    dat明細 = new WorkTableModel(m_store.workName(), u"w明細"_s, sheet::columns(), this);
    Grid明細->bind(dat明細);
    setPremiums(m_premiums);

    cmd登録 = button(u"cmd登録"_s, u"登録"_s);
    cmd読込 = button(u"cmd読込"_s, u"読込"_s);
    cmd削除 = button(u"cmd削除"_s, u"削除"_s, fonts::Field);
    cmdクリア = button(u"cmdクリア"_s, u"クリア"_s);
    cmd行削除 = button(u"cmd行削除"_s, u"行削除"_s, 9.75);
    Cmd印刷 = button(u"Cmd印刷"_s, u"印刷"_s);
    cmd履歴閉じる = button(u"cmd履歴閉じる"_s, u"閉じる"_s);
    cmdHint = hintButton(u"cmdHint"_s);

    QVBoxLayout *bar = commandBar({cmd登録, cmd読込, cmd削除, cmdクリア, cmd行削除, Cmd印刷}, cmdHint);
    bar->addWidget(cmd履歴閉じる);
    auto *body = new QHBoxLayout;
    body->addWidget(Grid明細, 1);
    body->addLayout(bar);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(body, 1);

    QWidget::setTabOrder(cmb氏名, num時給);
    QWidget::setTabOrder(num時給, txtタイトル);
    QWidget::setTabOrder(txtタイトル, num休憩);
    QWidget::setTabOrder(num休憩, Grid明細);
    QWidget::setTabOrder(Grid明細, cmd登録);
}

QSqlDatabase TimeSheetPage::mainDb() const
{
    return m_store.main();
}

QSqlDatabase TimeSheetPage::workDb() const
{
    return m_store.work();
}

void TimeSheetPage::focusName()
{
    cmb氏名->setFocus();
}

bool TimeSheetPage::hasUnregisteredInput() const
{
    return m_typed || Grid明細->hasTypedEdit();
}

bool TimeSheetPage::mayDiscardInput()
{
    return !hasUnregisteredInput() || m_dialogs.mayDiscard({u"「入力シート」"_s});
}

void TimeSheetPage::setCompany(const QString &name, const QString &info)
{
    m_company = {name, info};
}

void TimeSheetPage::setPremiums(const sheet::Premiums &premiums)
{
    m_premiums = premiums;
    for (int column = sheet::Col休日; column <= sheet::Col割増; ++column)
        Grid明細->setColumnHidden(column, !premiums.on);
    Label割増->setVisible(premiums.on);
    num割増->setVisible(premiums.on);
}

// ---- Name field and detail grid ---------------------------------------------

void TimeSheetPage::cmb氏名_GotFocus()
{
    platform::SetImeOpen(cmb氏名, true);
}

void TimeSheetPage::cmb氏名_LostFocus()
{
    if (!window()->isVisible())
        return; // the focus leaves the field because the window is closing
    Get時給();
}

sheet::Line TimeSheetPage::lineAt(int row) const
{
    sheet::Line line;
    for (int c = 0; c < int(line.size()); ++c)
        line[c] = dat明細->value(row, c);
    return line;
}

void TimeSheetPage::putLine(int row, const sheet::Line &line, int editedColumn)
{
    for (int c = 0; c < int(line.size()); ++c)
        if (line[c] != dat明細->value(row, c) || c == editedColumn)
            dat明細->setValue(row, c, line[c]);
}

void TimeSheetPage::recomputePremiums()
{
    QList<sheet::Line> lines;
    lines.reserve(dat明細->storedRowCount());
    for (int row = 0; row < dat明細->storedRowCount(); ++row)
        lines.append(lineAt(row));
    for (int row : sheet::applyPremiums(lines, m_premiums))
        putLine(row, lines.at(row));
}

void TimeSheetPage::Grid明細_AfterColEdit(int row, int column)
{
    sheet::Line line = lineAt(row);
    sheet::afterColEdit(line, column, {num時給->value(), num休憩->value(), m_premiums.on});
    putLine(row, line, column);
    if (m_premiums.on)
        recomputePremiums();
    // The totals are summed from the work table, so they follow once the lines
    // are written: now, or with the first later write that succeeds.
    commitLines();
}

void TimeSheetPage::Grid明細_EditsWritten(const QList<GridCell> &cells)
{
    const bool premiums = m_premiums.on;
    if (std::any_of(cells.cbegin(), cells.cend(),
                    [premiums](const GridCell &cell) { return sheet::changesTotals(cell.column, premiums); }))
        Calc明細();
}

bool TimeSheetPage::commitLines()
{
    // Every line still waiting (one whose write failed before) goes with this
    // one: what the operator was told, that the next edit writes it, holds.
    if (dat明細->commitAll())
        return true;
    // The value stays on the screen and is written with the next edit that succeeds.
    m_dialogs.fail(Dialogs::typedNotWritten());
    return false;
}

void TimeSheetPage::Grid明細_KeyDown(GridKey *key)
{
    if ((key->key != Qt::Key_Return && key->key != Qt::Key_Enter) || Grid明細->col() != sheet::Col金額)
        return;
    key->consumed = true;
    const QVariant date = Grid明細->value(sheet::Col日付);
    if (Grid明細->moveNext()) {
        if (const auto next = sheet::nextDay(date)) {
            Grid明細->setValue(sheet::Col日付, *next);
            markTyped();
            commitLines();
        }
    }
    Grid明細->setCol(sheet::Col日付);
}

void TimeSheetPage::Grid明細_GotFocus()
{
    platform::SetImeOpen(Grid明細, false);
}

void TimeSheetPage::Grid明細_RowColChange(int, int)
{
    platform::SetImeOpen(Grid明細, false);
}

// ---- Printing -----------------------------------------------------------------

void TimeSheetPage::Cmd印刷_Click()
{
    // A statement prints the totals of every line on the screen: edits not yet
    // written are written first, and their totals follow. Printing needs
    // nothing of the work file: when it cannot take them, the totals are
    // summed from the lines the page shows, and the operator is told after.
    const bool written = Grid明細->commitPending();
    if (!written) {
        QList<sheet::Line> lines;
        for (int row = 0; row < dat明細->storedRowCount(); ++row)
            lines.append(lineAt(row));
        showTotals(sheet::totalsOf(lines));
    }
    if (m_statementOutput) {
        StatementValues values = statementOf(cmb氏名->currentText(), txtタイトル->text(), num時給->value(),
                                             num時間->value(), num調整額->value(), num合計->value(),
                                             m_company.str自社名, m_company.str自社情報, QDate::currentDate());
        if (m_premiums.on)
            setPremiumValues(values, m_overtimeHours, m_nightHours, m_restDayHours, num割増->value());
        m_statementOutput->show(values, this);
    }
    if (!written)
        m_dialogs.tell(u"作業ファイルに書き込めないため、入力した行はまだ保存されていません。値は画面に残っています。"
                       u"書き込めるようになれば、次の入力か登録のときに保存されます。"_s);
}
