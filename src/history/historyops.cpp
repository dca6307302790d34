// The history page: every registered sheet, and opening one of them.
#include "app/frmpelora.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "history/historycolumns.h"
#include "history/historystore.h"
#include "timesheet/sheetstore.h"
#include "messages/failure.h"

#include <QLineEdit>
#include <QTabWidget>

using namespace Qt::StringLiterals;

void FrmPelora::Clear履歴()
{
    if (!history::clear(workDb())) {
        fail(failure::notShown(u"作業ファイルに書き込めないため、履歴をクリアできませんでした。"_s));
        return;
    }
    refreshGrid(Grid履歴);
}

void FrmPelora::Read履歴()
{
    if (!history::rebuild(mainDb(), workDb())) {
        fail(failure::notShown(u"ファイルを読み書きできないため、履歴を読み込めませんでした。"_s));
        return;
    }
    refreshGrid(Grid履歴);
}

void FrmPelora::cmd履歴選択_Click()
{
    if (Grid履歴->eof())
        return;
    const QVariant name = Grid履歴->value(history::Col氏名);
    const QVariant title = Grid履歴->value(history::Colタイトル);
    if (name.isNull() || title.isNull() || name.toString().isEmpty() || title.toString().isEmpty())
        return;
    // The sheet page changes only when the sheet could be read.
    if (!showSheet({name.toString(), title.toString()}))
        return;
    SSTab1->setCurrentIndex(0);
    cmb氏名->setFocus();
}
