// The history page: every registered sheet, and opening one of them.
#include "app/frmpelora.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "history/historycolumns.h"
#include "history/historystore.h"

#include <QLineEdit>
#include <QTabWidget>

void FrmPelora::Clear履歴()
{
    history::clear(workDb());
    Grid履歴->refresh();
}

void FrmPelora::Read履歴()
{
    history::rebuild(mainDb(), workDb());
    Grid履歴->refresh();
}

void FrmPelora::cmd履歴選択_Click()
{
    if (Grid履歴->eof())
        return;
    const QVariant name = Grid履歴->value(history::Col氏名);
    const QVariant title = Grid履歴->value(history::Colタイトル);
    if (name.isNull() || title.isNull() || name.toString().isEmpty() || title.toString().isEmpty())
        return;
    cmb氏名->setEditText(name.toString());
    txtタイトル->setText(title.toString());
    Read時給();
    SSTab1->setCurrentIndex(0);
    cmb氏名->setFocus();
}
