// The employee page and the employee of a time sheet.
#include "app/frmpelora.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/numbertext.h"
#include "employees/employeecolumns.h"
#include "employees/employeestore.h"
#include "messages/failure.h"

#include <QSignalBlocker>
#include <QStringListModel>

using namespace Qt::StringLiterals;

void FrmPelora::Read従業員()
{
    if (!employees::copyMasterToWork(mainDb(), workDb())) {
        fail(failure::notShown(u"ファイルを読み書きできないため、従業員を読み込めませんでした。"_s));
        return;
    }
    refreshGrid(Grid従業員);
}

void FrmPelora::Entry従業員マスタ()
{
    if (!ask(u"登録"_s, u"確認"_s, u"従業員"_s))
        return;
    // The master becomes what the grid shows, or stays as it is.
    if (!Grid従業員->commitPending()) {
        fail(failure::notStored(u"作業ファイルに書き込めないため、従業員を登録できませんでした。"_s));
        return;
    }
    if (!employees::replaceMasterFromWork(mainDb(), workDb()))
        fail(failure::notStored(u"データファイルに書き込めないため、従業員を登録できませんでした。"_s));
}

void FrmPelora::LineDelete従業員()
{
    if (!ask(u"削除"_s, u"確認"_s, u"指定された従業員"_s))
        return;
    if (!Grid従業員->commitPending() || !employees::deleteTicked(mainDb(), workDb())) {
        fail(failure::notStored(u"ファイルに書き込めないため、従業員を削除できませんでした。"_s));
        return;
    }
    refreshGrid(Grid従業員);
}

void FrmPelora::Clear従業員()
{
    if (!employees::clearWork(workDb())) {
        fail(failure::notShown(u"作業ファイルに書き込めないため、一覧をクリアできませんでした。"_s));
        return;
    }
    refreshGrid(Grid従業員);
}

void FrmPelora::ReadComb氏名()
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
        fail(failure::notShown(u"データファイルを読み込めないため、氏名の一覧を表示できませんでした。"_s));
        return;
    }
    names->setStringList(list);
    cmb氏名->setCurrentIndex(-1);
    cmb氏名->setEditText(text);
}

bool FrmPelora::Entry従業員()
{
    return employees::storeEmployee(mainDb(), cmb氏名->currentText(), num時給->value());
}

void FrmPelora::Grid従業員_AfterColEdit(int row, int column)
{
    // A wage is a number: what is not one is emptied. The row is written at once.
    const QVariant typed = dat従業員->value(row, column);
    if (column == employees::Col時給 && typed.typeId() == QMetaType::QString) {
        double wage = 0;
        dat従業員->setValue(row, column,
                            numbertext::parse(typed.toString(), &wage) ? QVariant(wage) : QVariant());
    }
    if (!dat従業員->commitRow(row))
        fail(u"作業ファイルに書き込めないため、入力した値を保存できませんでした。"
             u"値は画面に残っています。書き込めるようになってから、もう一度入力してください。"_s);
}
