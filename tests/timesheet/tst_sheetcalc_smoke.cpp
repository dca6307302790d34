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
    op::fill(ui::cmb氏名(app.w), u"山田花子"_s);
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"山田花子"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);
    QCOMPARE(ui::num時給(app.w)->value().toDouble(), 1000.0);
    QCOMPARE(ui::num時給(app.w)->text(), u"1,000"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col日付, u"20070430"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col終了時間, u"1730"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col調整額, u"500"_s);
    auto *m = ui::dat明細(app.w);
    QCOMPARE(m->displayText(0, sheet::Col日付), u"2007/04/30"_s);
    QCOMPARE(m->displayText(0, sheet::Col開始時間), u"9:00"_s);
    QCOMPARE(m->displayText(0, sheet::Col時間), u"7.5"_s);
    QCOMPARE(m->displayText(0, sheet::Col金額), u"8,000"_s);
    QCOMPARE(ui::num合計(app.w)->text(), u"8,000"_s);
    QCOMPARE(ui::num時間(app.w)->text(), u"7.5"_s);
    // Enter in the amount column goes to the next line's date, the day after.
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col金額, u"8000"_s);
    QCOMPARE(ui::Grid明細(app.w)->row(), 1);
    QCOMPARE(ui::Grid明細(app.w)->col(), int(sheet::Col日付));
    QCOMPARE(m->displayText(1, sheet::Col日付), u"2007/05/01"_s);
    const auto stored = app.workRows(u"SELECT 日付, 開始時間, 時間, 金額 FROM w明細 WHERE 行番号 = 1"_s);
    QCOMPARE(stored.first().value(0).toString(), u"2007-04-30"_s);
    QCOMPARE(stored.first().value(1).toString(), u"0900"_s);
    QCOMPARE(stored.first().value(2).toDouble(), 7.5);
}

QTEST_MAIN(Smoke)
#include "tst_sheetcalc_smoke.moc"
