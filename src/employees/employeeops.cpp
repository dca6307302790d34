// The employee page and the employee of a time sheet.
#include "app/frmpelora.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/numbertext.h"
#include "employees/employeecolumns.h"
#include "employees/employeestore.h"

#include <QSignalBlocker>
#include <QStringListModel>

using namespace Qt::StringLiterals;

void FrmPelora::Read従業員()
{
    employees::copyMasterToWork(mainDb(), workDb());
    Grid従業員->refresh();
}

void FrmPelora::Entry従業員マスタ()
{
    if (!ask(u"登録"_s, u"確認"_s, u"従業員"_s))
        return;
    Grid従業員->commitPending();
    employees::replaceMasterFromWork(mainDb(), workDb());
}

void FrmPelora::LineDelete従業員()
{
    if (!ask(u"削除"_s, u"確認"_s, u"指定された従業員"_s))
        return;
    Grid従業員->commitPending();
    employees::deleteTicked(mainDb(), workDb());
    Grid従業員->refresh();
}

void FrmPelora::Clear従業員()
{
    employees::clearWork(workDb());
    Grid従業員->refresh();
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
    names->setStringList(employees::namesInOrder(mainDb()));
    cmb氏名->setCurrentIndex(-1);
    cmb氏名->setEditText(text);
}

bool FrmPelora::Entry従業員()
{
    return employees::storeEmployee(mainDb(), cmb氏名->currentText(), num時給->value());
}

void FrmPelora::Grid従業員_AfterColEdit(int row, int column)
{
    // A wage is a number: what is not one is emptied.
    if (column != employees::Col時給)
        return;
    const QVariant typed = dat従業員->value(row, column);
    if (typed.typeId() != QMetaType::QString)
        return;
    double wage = 0;
    dat従業員->setValue(row, column,
                        numbertext::parse(typed.toString(), &wage) ? QVariant(wage) : QVariant());
}
