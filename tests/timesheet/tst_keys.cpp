// Names and titles are taken exactly as typed: quotes, statement characters,
// wildcards, line breaks, wide characters, surrounding blanks and very long
// texts each name their own sheet. Every sheet is registered, read back, found
// in the history and deleted without touching the sheet beside it.
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "history/historycolumns.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using sheet::Col日付, sheet::Col開始時間, sheet::Col終了時間;

namespace {

// The header, lines and employee of one sheet, rowids included.
QList<QVariantList> sheetRows(const Pelora &app, const QString &name, const QString &title)
{
    QList<QVariantList> rows = app.mainRows(
        u"SELECT rowid, * FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ?"_s, {name, title});
    rows.append(app.mainRows(
        u"SELECT rowid, * FROM 時給明細 WHERE 氏名 = ? AND タイトル = ? ORDER BY 行番号"_s, {name, title}));
    rows.append(app.mainRows(u"SELECT rowid, * FROM 従業員 WHERE 氏名 = ?"_s, {name}));
    return rows;
}

int count(const Pelora &app, const QString &table)
{
    return app.mainRows(u"SELECT count(*) FROM %1"_s.arg(table)).first().value(0).toInt();
}

// Types text key by key; a character outside the basic plane (an emoji) goes
// in as one key event carrying both halves, as an input method delivers it.
void typeKeys(QWidget *target, const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(target, char(c.unicode()));
            continue;
        }
        const int length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

void fill(QWidget *field, const QString &text)
{
    op::focus(field);
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : field;
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    typeKeys(target, text);
    QTest::keyClick(target, Qt::Key_Tab);
}

// Puts the key on the page: typed key by key, or pasted where a key cannot be
// typed (a line break) or would take long to type (10,000 characters).
void enterKey(FrmPelora *w, const QString &name, const QString &title, bool typed)
{
    if (typed) {
        fill(ui::cmb氏名(w), name);
        fill(ui::txtタイトル(w), title);
    } else {
        ui::cmb氏名(w)->setEditText(name);
        ui::txtタイトル(w)->setText(title);
    }
}

void typeSheet(FrmPelora *w, const QString &name, const QString &title, bool typed, const QString &start)
{
    enterKey(w, name, title, typed);
    op::fill(ui::num時給(w), u"1000"_s);
    op::fill(ui::num休憩(w), u"1"_s);
    op::typeCell(ui::Grid明細(w), 0, Col日付, u"20070402"_s);
    op::typeCell(ui::Grid明細(w), 0, Col開始時間, start);
    op::typeCell(ui::Grid明細(w), 0, Col終了時間, u"1700"_s);
}

} // namespace

class TestKeys : public QObject
{
    Q_OBJECT

private slots:
    void aKeyIsTakenAsTyped_data();
    void aKeyIsTakenAsTyped();
    void aNameInTheListDoesNotCompleteAnother_data();
    void aNameInTheListDoesNotCompleteAnother();
};

void TestKeys::aKeyIsTakenAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("typed"); // else pasted
    QTest::addColumn<QString>("neighbourName");
    QTest::addColumn<QString>("neighbourTitle");
    const QString n = u"近藤"_s, t = u"4月"_s;
    QTest::newRow("quote") << u"O'Brien"_s << u"4月'分"_s << true << n << t;
    QTest::newRow("double quote") << u"\"山田\""_s << u"\"4月\""_s << true << n << t;
    QTest::newRow("semicolon") << u"山田;"_s << u"4月; DELETE FROM 時給明細;"_s << true << n << t;
    QTest::newRow("comment") << u"山田--"_s << u"4月 -- 分"_s << true << n << t;
    QTest::newRow("percent") << u"%"_s << u"%"_s << true << n << t;
    QTest::newRow("underscore") << u"_"_s << u"__"_s << true << n << t;
    QTest::newRow("backslash") << u"山\\田"_s << u"4月\\"_s << true << n << t;
    QTest::newRow("or true") << u"' OR '1'='1"_s << u"' OR '1'='1"_s << true << n << t;
    QTest::newRow("or true beside a quote") << u"' OR '1'='1"_s << u"4月"_s << true << u"'"_s << t;
    QTest::newRow("line break") << u"山田\n花子"_s << u"4月\r\n分"_s << false << n << t;
    QTest::newRow("line break beside its halves") << u"山田\n花子"_s << u"4月"_s << false << u"山田"_s << t;
    QTest::newRow("full width") << u"ＹＡＭＡＤＡ　花子"_s << u"２００７年４月分"_s << true << n << t;
    QTest::newRow("full width beside half width") << u"ＹＡＭＡＤＡ"_s << u"４月"_s << true << u"YAMADA"_s
                                                  << u"4月"_s;
    QTest::newRow("other case") << u"yamada"_s << u"april"_s << true << u"Yamada"_s << u"April"_s;
    QTest::newRow("emoji") << u"山田😀"_s << u"4月🎉分"_s << true << n << t;
    QTest::newRow("blanks around") << u" 山田 "_s << u" 4月 "_s << true << u"山田"_s << u"4月"_s;
    QTest::newRow("trailing blank") << u"山田 "_s << u"4月"_s << true << u"山田"_s << u"4月"_s;
    QTest::newRow("trailing blank title") << u"山田"_s << u"4月　"_s << true << u"山田"_s << u"4月"_s;
    QTest::newRow("10,000 characters") << u"長井"_s << QString(9999, u'題') + u'x' << false << n << t;
}

void TestKeys::aKeyIsTakenAsTyped()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(bool, typed);
    QFETCH(QString, neighbourName);
    QFETCH(QString, neighbourTitle);
    Pelora app;
    QVERIFY(app.start());
    FrmPelora *w = app.w;

    typeSheet(w, neighbourName, neighbourTitle, true, u"0800"_s);
    op::click(ui::cmd登録(w));
    const QList<QVariantList> neighbour = sheetRows(app, neighbourName, neighbourTitle);
    QCOMPARE(neighbour.size(), 3);

    // Registering.
    typeSheet(w, name, title, typed, u"0900"_s);
    QCOMPARE(ui::cmb氏名(w)->currentText(), name);
    QCOMPARE(ui::txtタイトル(w)->text(), title);
    op::click(ui::cmd登録(w));
    QCOMPARE(app.presenter.last().prompt, name + u" を登録します。よろしいですか"_s);
    QCOMPARE(count(app, u"時給ヘッダ"_s), 2);
    const auto header = app.mainRows(
        u"SELECT 氏名, タイトル, 合計 FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ?"_s, {name, title});
    QCOMPARE(header.size(), 1);
    QCOMPARE(header.first().value(0).toString(), name);
    QCOMPARE(header.first().value(1).toString(), title);
    QCOMPARE(header.first().value(2).toDouble(), 7000.0);
    const auto line = app.mainRows(
        u"SELECT 行番号, 開始時間 FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, {name, title});
    QCOMPARE(line.size(), 1);
    QCOMPARE(line.first().value(1).toString(), u"0900"_s);
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s, {name}).size(), 1);
    QCOMPARE(sheetRows(app, neighbourName, neighbourTitle), neighbour);
    QVERIFY(ui::cmb氏名(w)->findText(name) >= 0);

    // Reading it back.
    enterKey(w, name, title, typed);
    op::click(ui::cmd読込(w));
    QCOMPARE(ui::num合計(w)->value().toDouble(), 7000.0);
    QCOMPARE(ui::dat明細(w)->value(0, Col開始時間).toString(), u"0900"_s);
    QCOMPARE(ui::cmb氏名(w)->currentText(), name);
    QCOMPARE(ui::txtタイトル(w)->text(), title);
    op::click(ui::cmdクリア(w));

    // Finding it in the history and opening it from there.
    ui::SSTab1(w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(w));
    QCOMPARE(ui::dat履歴(w)->storedRowCount(), 2);
    int found = -1;
    for (int r = 0; r < ui::dat履歴(w)->storedRowCount(); ++r) {
        if (ui::dat履歴(w)->value(r, history::Col氏名).toString() == name
            && ui::dat履歴(w)->value(r, history::Colタイトル).toString() == title)
            found = r;
    }
    QVERIFY(found >= 0);
    op::selectCell(ui::Grid履歴(w), found, history::Col氏名);
    op::click(ui::cmd履歴選択(w));
    QCOMPARE(ui::SSTab1(w)->currentIndex(), 0);
    QCOMPARE(ui::cmb氏名(w)->currentText(), name);
    QCOMPARE(ui::txtタイトル(w)->text(), title);
    QCOMPARE(ui::dat明細(w)->value(0, Col開始時間).toString(), u"0900"_s);

    // Deleting it.
    app.presenter.answerYes();
    op::click(ui::cmd削除(w));
    QCOMPARE(app.presenter.last().prompt, name + u" を削除します。よろしいですか"_s);
    QCOMPARE(count(app, u"時給ヘッダ"_s), 1);
    QCOMPARE(count(app, u"時給明細"_s), 1);
    QCOMPARE(sheetRows(app, neighbourName, neighbourTitle), neighbour);
    QCOMPARE(app.mainRows(u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s, {name}).size(), 1);
}

void TestKeys::aNameInTheListDoesNotCompleteAnother_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("typed");
    QTest::newRow("longer name") << u"山田花子"_s << u"山田"_s;
    QTest::newRow("trailing blank") << u"山田 "_s << u"山田"_s;
    QTest::newRow("other case") << u"Yamada"_s << u"yamada"_s;
    QTest::newRow("other case, longer") << u"Yamada Hanako"_s << u"yamada"_s;
}

void TestKeys::aNameInTheListDoesNotCompleteAnother()
{
    QFETCH(QString, listed);
    QFETCH(QString, typed);
    Pelora app;
    QVERIFY(app.start());
    FrmPelora *w = app.w;
    typeSheet(w, listed, u"4月"_s, false, u"0800"_s);
    op::click(ui::cmd登録(w));
    QVERIFY(ui::cmb氏名(w)->findText(listed, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0);

    typeSheet(w, typed, u"4月"_s, true, u"0900"_s);
    QCOMPARE(ui::cmb氏名(w)->currentText(), typed);
    op::click(ui::cmd登録(w));
    QCOMPARE(app.presenter.last().prompt, typed + u" を登録します。よろしいですか"_s);
    QCOMPARE(app.mainRows(u"SELECT 開始時間 FROM 時給明細 WHERE 氏名 = ?"_s, {typed}).size(), 1);
    QCOMPARE(app.mainRows(u"SELECT 開始時間 FROM 時給明細 WHERE 氏名 = ?"_s, {listed}).first().value(0),
             QVariant(u"0800"_s));
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
