// Printing the pay statement of the sheet on the page.
#include "app/frmpelora.h"
#include "controls/formats.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "report/statementoutput.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

void FrmPelora::Cmd印刷_Click()
{
    StatementValues values;
    values.name = cmb氏名->currentText();
    values.title = txtタイトル->text();
    values.wage = fmt::value(num時給->value(), u"#,###");
    values.hours = fmt::value(num時間->value(), u"#,###.0");
    values.adjustment = fmt::value(num調整額->value(), u"#,###");
    values.total = fmt::value(num合計->value(), u"#,###");
    values.companyName = str自社名;
    values.companyInfo = str自社情報;
    values.date = QDate::currentDate();
    if (m_services.statementOutput)
        m_services.statementOutput->show(values, this);
}
