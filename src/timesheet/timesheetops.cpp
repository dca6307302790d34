// The operations of the page "入力シート": the wage of the name, the totals,
// registering, reading, deleting and clearing a sheet.
#include "timesheet/timesheetpage.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/pagewidgets.h"
#include "controls/worktablemodel.h"
#include "employees/employeestore.h"
#include "timesheet/premiums.h"
#include "timesheet/sheetrules.h"
#include "timesheet/sheetstore.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>

using namespace Qt::StringLiterals;

namespace {

QVariant orZero(const QVariant &value)
{
    return value.isNull() || !value.isValid() ? QVariant(0) : value;
}

} // namespace

// ---- Computing ------------------------------------------------------------

void TimeSheetPage::Get時給()
{
    const QString name = cmb氏名->currentText();
    if (name.isEmpty())
        return;
    bool read = false;
    const QVariant wage = employees::wageOf(mainDb(), name, &read);
    if (!read)
        m_dialogs.fail(Dialogs::notShown(u"データファイルを読み込めないため、時給を表示できませんでした。"_s));
    else if (wage.isValid() && !wage.isNull())
        num時給->setValue(wage);
}

void TimeSheetPage::Calc明細()
{
    // The totals are summed in the work table: only over lines that are all written.
    std::optional<sheet::Totals> totals;
    if (Grid明細->commitPending())
        totals = sheet::workTotals(workDb());
    if (!totals) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルを読み書きできないため、合計を計算できませんでした。"_s));
        return;
    }
    showTotals(*totals);
}

void TimeSheetPage::showTotals(const sheet::Totals &sums)
{
    const sheet::Totals totals = sheet::settled(sums);
    num時間->setValue(orZero(totals.hours));
    num調整額->setValue(orZero(totals.adjustment));
    num合計->setValue(orZero(totals.amount));
    // Without premiums computed the sheet has none to show or store.
    num割増->setValue(m_premiums.on ? orZero(totals.premium) : totals.premium);
    m_overtimeHours = totals.overtime;
    m_nightHours = totals.night;
    m_restDayHours = totals.restDay;
}

void TimeSheetPage::Delete行()
{
    // A line with something on it is a change to the sheet; a blank one is not.
    bool blank = true;
    for (int c = sheet::Col日付; c <= sheet::Col金額; ++c)
        blank = blank && Grid明細->value(c).isNull();
    const bool deleted = Grid明細->deleteCurrentRow();
    if (!deleted && !Grid明細->eof()) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、行を削除できませんでした。"_s));
        return;
    }
    if (deleted && !blank)
        markTyped();
    if (deleted && m_premiums.on)
        recomputePremiums();
    Grid明細->viewport()->update();
    Grid明細->setFocus();
    Calc明細();
}

// ---- Clearing and deleting -------------------------------------------------

bool TimeSheetPage::Clear明細()
{
    if (!sheet::loadWorkLines(workDb())) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、明細をクリアできませんでした。"_s));
        return false;
    }
    return pagewidgets::refresh(Grid明細, m_dialogs);
}

void TimeSheetPage::Clear時給()
{
    // The lines first: when they cannot be emptied, the page is left whole.
    if (!Clear明細())
        return;
    cmb氏名->setEditText(QString());
    txtタイトル->clear();
    for (NumberEdit *field : {num休憩, num合計, num時間, num時給, num調整額, num割増})
        field->setValue(QVariant());
    m_overtimeHours = m_nightHours = m_restDayHours = QVariant();
    m_typed = false;
    m_readFrom.reset();
    ReadComb氏名();
}

bool TimeSheetPage::checkSheetKey()
{
    if (cmb氏名->currentText().isEmpty()) {
        m_dialogs.tell(u"氏名を記入してください。"_s);
        cmb氏名->setFocus();
        return false;
    }
    if (txtタイトル->text().isEmpty()) {
        m_dialogs.tell(u"タイトルを記入してください。"_s);
        txtタイトル->setFocus();
        return false;
    }
    return true;
}

void TimeSheetPage::Delete時給()
{
    if (!checkSheetKey())
        return;
    if (!m_dialogs.ask(u"削除"_s, u"確認"_s, cmb氏名->currentText()))
        return;
    if (!sheet::deleteSheet(mainDb(), {cmb氏名->currentText(), txtタイトル->text()})) {
        m_dialogs.fail(Dialogs::notStored(u"データファイルに書き込めないため、削除できませんでした。"_s));
        return;
    }
    Clear時給();
    cmb氏名->setFocus();
}

// ---- Registering and reading ------------------------------------------------

void TimeSheetPage::Entry時給()
{
    if (!checkSheetKey())
        return;
    const sheet::Key key{cmb氏名->currentText(), txtタイトル->text()};
    std::optional<qint64> seen;
    if (!m_dialogs.ask(u"登録"_s, u"確認"_s, key.name) || !mayReplace(key, &seen))
        return;

    // Only a work table that holds every line on the screen is registered.
    bool read = false;
    QList<sql::Row> lines;
    if (Grid明細->commitPending())
        lines = sheet::filledWorkLines(workDb(), &read);
    const sheet::Header header{num時給->value(), num休憩->value(), num調整額->value(), num時間->value(),
                               num合計->value(),    m_overtimeHours,   m_nightHours,        m_restDayHours,
                               num割増->value()};

    // The employee, the header and the lines are stored together or not at all.
    // Another computer may register or delete the same sheet between the
    // question and the write: the operator is asked again, with what is there now.
    sheet::StoreResult result = read ? sheet::StoreResult::Changed : sheet::StoreResult::Failed;
    while (result == sheet::StoreResult::Changed) {
        sql::Transaction transaction(mainDb());
        result = transaction.active() && Entry従業員() ? sheet::storeSheet(mainDb(), key, header, lines, seen)
                                                     : sheet::StoreResult::Failed;
        if (result == sheet::StoreResult::Stored && !transaction.commit())
            result = sheet::StoreResult::Failed;
        if (result == sheet::StoreResult::Changed) {
            transaction.rollback();
            if (!mayReplace(key, &seen, true))
                return;
        }
    }
    if (result != sheet::StoreResult::Stored) {
        // Nothing was written; the page keeps what was typed.
        m_dialogs.fail(Dialogs::notStored(read ? u"データファイルに書き込めないため、登録できませんでした。"_s
                                     : u"作業ファイルを読み書きできないため、登録できませんでした。"_s));
        return;
    }
    Clear時給();
}

bool TimeSheetPage::mayReplace(const sheet::Key &key, std::optional<qint64> *seen, bool storeRefused)
{
    // A sheet read onto the page and registered again under its own name and
    // title is replaced as the operator meant, while it is as it was read;
    // any other registered sheet of that key, or one changed since it was
    // read (by another computer), only once the operator has been told what
    // is stored. seen becomes what the operator was shown.
    bool read = false;
    const std::optional<sheet::Registered> stored = sheet::findRegistered(mainDb(), key, &read);
    if (!read) {
        m_dialogs.fail(Dialogs::notStored(u"データファイルを読み込めないため、登録できませんでした。"_s));
        return false;
    }
    *seen = stored ? std::optional(stored->version) : std::nullopt;
    const bool ownSheet = m_readFrom == key && !storeRefused;
    if (ownSheet && stored && stored->version == m_readVersion)
        return true;
    if (ownSheet || storeRefused) {
        const QString text = stored ? sheet::changedText(key.name, key.title, false, stored->lines, stored->total,
                                                         stored->registered, stored->computer)
                                    : sheet::changedText(key.name, key.title, true);
        return m_dialogs.ask(u"登録"_s, u"上書き確認"_s, text);
    }
    return !stored
        || m_dialogs.ask(u"登録"_s, u"上書き確認"_s,
                         sheet::registeredText(key.name, key.title, stored->lines, stored->total, stored->registered,
                                               stored->computer));
}

void TimeSheetPage::Read時給()
{
    if (checkSheetKey() && mayDiscardInput())
        showSheet({cmb氏名->currentText(), txtタイトル->text()});
}

bool TimeSheetPage::showSheet(const sheet::Key &key)
{
    // Read whole, then shown whole: a failure at any step leaves the page as it
    // was, never one sheet's header over another sheet's lines.
    const std::optional<sheet::Stored> stored = sheet::readSheet(mainDb(), key);
    if (!stored) {
        m_dialogs.fail(Dialogs::notShown(u"データファイルを読み込めないため、時給明細を読み込めませんでした。"_s));
        return false;
    }
    if (!sheet::loadWorkLines(workDb(), stored->lines)) {
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルに書き込めないため、時給明細を読み込めませんでした。"_s));
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
        num割増->setValue(m_premiums.on ? orZero(header->premium) : header->premium);
        m_overtimeHours = header->overtime;
        m_nightHours = header->night;
        m_restDayHours = header->restDay;
    }
    if (!pagewidgets::refresh(Grid明細, m_dialogs))
        return false;
    m_typed = false;
    m_readFrom = stored->header ? std::optional(key) : std::nullopt;
    m_readVersion = stored->version;
    return true;
}

// ---- The employee of the sheet ------------------------------------------------

void TimeSheetPage::ReadComb氏名()
{
    // Refilling the list must not change the text the operator sees.
    const QString text = cmb氏名->currentText();
    const QSignalBlocker blocker(cmb氏名);
    // The list lives in a string list model: refilling it is one reset, not an
    // item and a round of signals for every employee.
    auto *names = qobject_cast<QStringListModel *>(cmb氏名->model());
    if (!names) {
        names = new QStringListModel(cmb氏名);
        cmb氏名->setModel(names);
    }
    bool read = false;
    const QStringList list = employees::namesInOrder(mainDb(), &read);
    if (!read) {
        m_dialogs.fail(Dialogs::notShown(u"データファイルを読み込めないため、氏名の一覧を表示できませんでした。"_s));
        return;
    }
    names->setStringList(list);
    cmb氏名->setCurrentIndex(-1);
    cmb氏名->setEditText(text);
}

bool TimeSheetPage::Entry従業員()
{
    return employees::storeEmployee(mainDb(), cmb氏名->currentText(), num時給->value());
}
