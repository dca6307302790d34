// The time-sheet page: typing lines, totals, registering, reading, deleting, clearing.
#include "app/frmpelora.h"
#include "app/platform.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "employees/employeestore.h"
#include "messages/failure.h"
#include "messages/showmessage.h"
#include "timesheet/sheetrules.h"
#include "timesheet/sheetstore.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

QVariant orZero(const QVariant &value)
{
    return value.isNull() || !value.isValid() ? QVariant(0) : value;
}

} // namespace

// ---- Name field -----------------------------------------------------------

void FrmPelora::cmb氏名_GotFocus()
{
    platform::SetImeOpen(cmb氏名, true);
}

void FrmPelora::cmb氏名_LostFocus()
{
    if (m_shutDown)
        return; // the focus leaves the field because the window is closing
    Get時給();
}

void FrmPelora::Get時給()
{
    const QString name = cmb氏名->currentText();
    if (name.isEmpty())
        return;
    bool read = false;
    const QVariant wage = employees::wageOf(mainDb(), name, &read);
    if (!read)
        fail(failure::notShown(u"データファイルを読み込めないため、時給を表示できませんでした。"_s));
    else if (wage.isValid() && !wage.isNull())
        num時給->setValue(wage);
}

// ---- Detail grid ----------------------------------------------------------

void FrmPelora::Grid明細_AfterColEdit(int row, int column)
{
    sheet::Line line;
    for (int c = 0; c < int(line.size()); ++c)
        line[c] = dat明細->value(row, c);
    const bool totals = sheet::afterColEdit(line, column, {num時給->value(), num休憩->value()});
    for (int c = 0; c < int(line.size()); ++c)
        if (line[c] != dat明細->value(row, c) || c == column)
            dat明細->setValue(row, c, line[c]);
    if (commitLine(row) && totals)
        Calc明細();
}

bool FrmPelora::commitLine(int row)
{
    if (dat明細->commitRow(row))
        return true;
    // The value stays on the screen and is written with the next edit that succeeds.
    fail(u"作業ファイルに書き込めないため、入力した値を保存できませんでした。"
         u"値は画面に残っています。書き込めるようになってから、もう一度入力してください。"_s);
    return false;
}

void FrmPelora::Grid明細_KeyDown(GridKey *key)
{
    if ((key->key != Qt::Key_Return && key->key != Qt::Key_Enter) || Grid明細->col() != sheet::Col金額)
        return;
    key->consumed = true;
    const QVariant date = Grid明細->value(sheet::Col日付);
    if (Grid明細->moveNext()) {
        if (const auto next = sheet::nextDay(date)) {
            Grid明細->setValue(sheet::Col日付, *next);
            commitLine(Grid明細->row());
        }
    }
    Grid明細->setCol(sheet::Col日付);
}

void FrmPelora::Grid明細_GotFocus()
{
    platform::SetImeOpen(Grid明細, false);
}

void FrmPelora::Grid明細_RowColChange(int, int)
{
    platform::SetImeOpen(Grid明細, false);
}

void FrmPelora::Calc明細()
{
    // The totals are summed in the work table: only over lines that are all written.
    std::optional<sheet::Totals> totals;
    if (Grid明細->commitPending())
        totals = sheet::workTotals(workDb());
    if (!totals) {
        fail(failure::notShown(u"作業ファイルを読み書きできないため、合計を計算できませんでした。"_s));
        return;
    }
    num時間->setValue(orZero(totals->hours));
    num調整額->setValue(orZero(totals->adjustment));
    num合計->setValue(orZero(totals->amount));
}

void FrmPelora::Delete行()
{
    if (!Grid明細->deleteCurrentRow() && !Grid明細->eof()) {
        fail(failure::notShown(u"作業ファイルに書き込めないため、行を削除できませんでした。"_s));
        return;
    }
    Grid明細->viewport()->update();
    Grid明細->setFocus();
    Calc明細();
}

// ---- Clearing and deleting -------------------------------------------------

bool FrmPelora::Clear明細()
{
    if (!sheet::loadWorkLines(workDb())) {
        fail(failure::notShown(u"作業ファイルに書き込めないため、明細をクリアできませんでした。"_s));
        return false;
    }
    return refreshGrid(Grid明細);
}

void FrmPelora::Clear時給()
{
    // The lines first: when they cannot be emptied, the page is left whole.
    if (!Clear明細())
        return;
    cmb氏名->setEditText(QString());
    txtタイトル->clear();
    for (NumberEdit *field : {num休憩, num合計, num時間, num時給, num調整額})
        field->setValue(QVariant());
    ReadComb氏名();
}

bool FrmPelora::checkSheetKey()
{
    if (cmb氏名->currentText().isEmpty()) {
        ask(u"その他"_s, u"メッセージ"_s, u"氏名を記入してください。"_s);
        cmb氏名->setFocus();
        return false;
    }
    if (txtタイトル->text().isEmpty()) {
        ask(u"その他"_s, u"メッセージ"_s, u"タイトルを記入してください。"_s);
        txtタイトル->setFocus();
        return false;
    }
    return true;
}

void FrmPelora::Delete時給()
{
    if (!checkSheetKey())
        return;
    if (!ask(u"削除"_s, u"確認"_s, cmb氏名->currentText()))
        return;
    if (!sheet::deleteSheet(mainDb(), {cmb氏名->currentText(), txtタイトル->text()})) {
        fail(failure::notStored(u"データファイルに書き込めないため、削除できませんでした。"_s));
        return;
    }
    Clear時給();
    cmb氏名->setFocus();
}

// ---- Registering and reading ------------------------------------------------

void FrmPelora::Entry時給()
{
    if (!checkSheetKey())
        return;
    const sheet::Key key{cmb氏名->currentText(), txtタイトル->text()};
    if (!ask(u"登録"_s, u"確認"_s, key.name))
        return;

    // Only a work table that holds every line on the screen is registered.
    bool read = false;
    QList<sql::Row> lines;
    if (Grid明細->commitPending())
        lines = sheet::filledWorkLines(workDb(), &read);
    const sheet::Header header{num時給->value(), num休憩->value(), num調整額->value(),
                               num時間->value(), num合計->value()};

    // The employee, the header and the lines are stored together or not at all.
    bool stored = false;
    if (read) {
        sql::Transaction transaction(mainDb());
        stored = transaction.active() && Entry従業員()
            && sheet::storeSheet(mainDb(), key, header, lines) && transaction.commit();
    }
    if (!stored) {
        // Nothing was written; the page keeps what was typed.
        fail(failure::notStored(read ? u"データファイルに書き込めないため、登録できませんでした。"_s
                                     : u"作業ファイルを読み書きできないため、登録できませんでした。"_s));
        return;
    }
    Clear時給();
}

void FrmPelora::Read時給()
{
    if (checkSheetKey())
        showSheet({cmb氏名->currentText(), txtタイトル->text()});
}

bool FrmPelora::showSheet(const sheet::Key &key)
{
    // Read whole, then shown whole: a failure at any step leaves the page as it
    // was, never one sheet's header over another sheet's lines.
    const std::optional<sheet::Stored> stored = sheet::readSheet(mainDb(), key);
    if (!stored) {
        fail(failure::notShown(u"データファイルを読み込めないため、時給明細を読み込めませんでした。"_s));
        return false;
    }
    if (!sheet::loadWorkLines(workDb(), stored->lines)) {
        fail(failure::notShown(u"作業ファイルに書き込めないため、時給明細を読み込めませんでした。"_s));
        return false;
    }
    if (cmb氏名->currentText() != key.name)
        cmb氏名->setEditText(key.name);
    txtタイトル->setText(key.title);
    if (const auto &header = stored->header) {
        num時給->setValue(orZero(header->wage));
        num休憩->setValue(orZero(header->breakHours));
        num調整額->setValue(orZero(header->adjustment));
        num時間->setValue(orZero(header->hours));
        num合計->setValue(orZero(header->total));
    }
    return refreshGrid(Grid明細);
}
