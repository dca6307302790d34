#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/sheetcolumns.h"

#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

class Smoke : public QObject
{
    Q_OBJECT
private slots:
    void typesALine();
};

void Smoke::typesALine()
{
    Pelora app;
    QVERIFY(app.start());
    op::fill(app.w->cmb氏名, u"山田花子"_s);
    QCOMPARE(app.w->cmb氏名->currentText(), u"山田花子"_s);
    op::fill(app.w->num時給, u"1000"_s);
    QCOMPARE(app.w->num時給->value().toDouble(), 1000.0);
    QCOMPARE(app.w->num時給->text(), u"1,000"_s);
    op::fill(app.w->num休憩, u"1"_s);
    op::typeCell(app.w->Grid明細, 0, sheet::Col日付, u"20070430"_s);
    op::typeCell(app.w->Grid明細, 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(app.w->Grid明細, 0, sheet::Col終了時間, u"1730"_s);
    op::typeCell(app.w->Grid明細, 0, sheet::Col調整額, u"500"_s);
    auto *m = app.w->dat明細;
    QCOMPARE(m->displayText(0, sheet::Col日付), u"2007/04/30"_s);
    QCOMPARE(m->displayText(0, sheet::Col開始時間), u"9:00"_s);
    QCOMPARE(m->displayText(0, sheet::Col時間), u"7.5"_s);
    QCOMPARE(m->displayText(0, sheet::Col金額), u"8,000"_s);
    QCOMPARE(app.w->num合計->text(), u"8,000"_s);
    QCOMPARE(app.w->num時間->text(), u"7.5"_s);
    // Enter in the amount column goes to the next line's date, the day after.
    op::typeCell(app.w->Grid明細, 0, sheet::Col金額, u"8000"_s);
    QCOMPARE(app.w->Grid明細->row(), 1);
    QCOMPARE(app.w->Grid明細->col(), int(sheet::Col日付));
    QCOMPARE(m->displayText(1, sheet::Col日付), u"2007/05/01"_s);
    const auto stored = app.workRows(u"SELECT 日付, 開始時間, 時間, 金額 FROM w明細 WHERE 行番号 = 1"_s);
    QCOMPARE(stored.first().value(0).toString(), u"2007-04-30"_s);
    QCOMPARE(stored.first().value(1).toString(), u"0900"_s);
    QCOMPARE(stored.first().value(2).toDouble(), 7.5);
}

QTEST_MAIN(Smoke)
#include "tst_sheetcalc_smoke.moc"
