#include "fixture.h"

#include "controls/banner.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "hints/hintwindow.h"
#include "messages/messageboxpresenter.h"
#include "report/previewoutput.h"

#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithCaptionPagesAndFiles();
    void controlsCarryTheirNamesAndCaptions_data();
    void controlsCarryTheirNamesAndCaptions();
    void fieldsAreBuddiesOfTheirLabels_data();
    void fieldsAreBuddiesOfTheirLabels();
    void gridColumns_data();
    void gridColumns();
    void infoTextsAndBanner();
    void tabOrderRunsThroughTheHeaderIntoTheGrid();
    void closeButtonEndsTheWindowAndReleasesTheData();
    void discardsAskOnlyWhenTypedInputWouldGo_data();
    void discardsAskOnlyWhenTypedInputWouldGo();
    void currentCellIsFramedWhileTheGridHasTheFocus_data();
    void currentCellIsFramedWhileTheGridHasTheFocus();
    void dialogsUseTheWindowFace();
};

namespace {

// The employee grid's names, as a check that its rows stayed or went.
QStringList employeeRows(FrmPelora *w)
{
    QStringList names;
    for (int r = 0; r < ui::dat従業員(w)->storedRowCount(); ++r)
        names.append(ui::dat従業員(w)->value(r, 1).toString() + u'|' + ui::dat従業員(w)->value(r, 2).toString());
    return names;
}

// What the operator has on the pages before a discard: typed, read, or nothing.
void prepareInput(Pelora &app, const QString &input)
{
    FrmPelora *w = app.w;
    DataGrid *lines = ui::Grid明細(w);
    ui::SSTab1(w)->setCurrentIndex(0);
    const QStringList what = input.split(u", "_s);
    if (what.contains(u"read"_s)) {
        op::fill(ui::cmb氏名(w), u"山田"_s);
        op::fill(ui::txtタイトル(w), u"4月"_s);
        op::click(ui::cmd読込(w));
    }
    if (what.contains(u"key"_s)) { // a name and a title only: what 読込 reads by
        op::fill(ui::cmb氏名(w), u"佐藤"_s);
        op::fill(ui::txtタイトル(w), u"5月"_s);
    }
    if (what.contains(u"line"_s))
        op::typeCell(lines, 3, 1, u"20070405"_s);
    if (what.contains(u"wage"_s))
        op::fill(ui::num時給(w), u"1300"_s);
    if (what.contains(u"line deleted"_s) || what.contains(u"blank line deleted"_s)) { // read, or blank
        op::selectCell(lines, what.contains(u"blank line deleted"_s) ? 10 : 0, 1);
        op::click(ui::cmd行削除(w));
    }
    if (what.contains(u"open cell"_s)) { // typed, the cell still open
        op::selectCell(lines, 3, 6);
        QTest::keyClick(lines, Qt::Key_F2);
        op::type(QApplication::focusWidget(), u"500"_s);
    }
    if (what.contains(u"employee"_s) || what.contains(u"tick"_s))
        ui::SSTab1(w)->setCurrentIndex(2);
    if (what.contains(u"employee"_s))
        op::typeCell(ui::Grid従業員(w), 1, 1, u"新井"_s);
    if (what.contains(u"tick"_s)) { // ticks are never stored
        op::selectCell(ui::Grid従業員(w), 0, 0);
        QTest::keyClick(ui::Grid従業員(w), Qt::Key_Space);
    }
    if (what.contains(u"registered"_s)) {
        op::click(ui::cmd登録(w));
        app.presenter.clear();
    }
}

// The discard itself, as the operator starts it.
void discard(Pelora &app, const QString &path)
{
    FrmPelora *w = app.w;
    DataGrid *list = ui::Grid履歴(w);
    if (path.startsWith(u"履歴"_s)) {
        ui::SSTab1(w)->setCurrentIndex(1);
        op::selectCell(list, 0, 0);
    }
    if (path == u"閉じる"_s) {
        ui::SSTab1(w)->setCurrentIndex(0);
        op::click(ui::cmd履歴閉じる(w));
    } else if (path == u"close box"_s) {
        w->windowHandle()->close(); // as the window system closes it
    } else if (path == u"履歴 選択"_s) {
        op::click(ui::cmd履歴選択(w));
    } else if (path == u"履歴 double click"_s) {
        const QPoint cell = list->visualRect(list->model()->index(0, 2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, cell);
    } else if (path == u"履歴 Enter"_s) {
        QTest::keyClick(list, Qt::Key_Return);
    } else if (path == u"読込"_s) {
        ui::SSTab1(w)->setCurrentIndex(0);
        op::fill(ui::cmb氏名(w), u"山田"_s);
        op::fill(ui::txtタイトル(w), u"4月"_s);
        op::click(ui::cmd読込(w));
    } else if (path == u"従業員 読込"_s) {
        ui::SSTab1(w)->setCurrentIndex(2);
        op::click(ui::cmd従業員読込(w));
    } else if (path == u"クリア"_s) {
        ui::SSTab1(w)->setCurrentIndex(0);
        op::click(ui::cmdクリア(w));
    }
    QApplication::processEvents();
}

} // namespace

void TestMainWindow::startsWithCaptionPagesAndFiles()
{
    Pelora app;
    QVERIFY(app.start());
    QCOMPARE(app.w->windowTitle(), u"Pelora Ver 1.30"_s);
    QCOMPARE(ui::SSTab1(app.w)->count(), 4);
    const QStringList captions{u"入力シート"_s, u"履　歴"_s, u"従業員"_s, u"設定・情報"_s};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(ui::SSTab1(app.w)->tabText(i), captions.at(i));
    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);

    QVERIFY(QFileInfo::exists(app.paths.MainDbPath));
    QVERIFY(QFileInfo::exists(app.paths.WorkDbPath));
    QVERIFY(app.paths.MainDbPath.endsWith(u"/data/Pelora.mdb"_s));
    QVERIFY(app.paths.WorkDbPath.endsWith(u"/data/PeloraWork.mdb"_s));
    QStringList mainTables;
    for (const auto &row : app.mainRows(u"SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"_s))
        mainTables.append(row.value(0).toString());
    QCOMPARE(mainTables, (QStringList{u"世代"_s, u"割増設定"_s, u"従業員"_s, u"時給ヘッダ"_s, u"時給明細"_s, u"自社情報"_s}));
    QStringList workTables;
    for (const auto &row : app.workRows(u"SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"_s))
        workTables.append(row.value(0).toString());
    QCOMPARE(workTables, (QStringList{u"ClHint"_s, u"w履歴"_s, u"w従業員"_s, u"w明細"_s}));

    // The sheet page starts with its 60 blank lines, the two lists empty.
    const auto lines = app.workRows(u"SELECT 行番号, 日付, 金額 FROM w明細 ORDER BY 行番号"_s);
    QCOMPARE(lines.size(), 60);
    QCOMPARE(lines.first().value(0).toInt(), 1);
    QCOMPARE(lines.last().value(0).toInt(), 60);
    QVERIFY(lines.at(10).value(1).isNull());
    QCOMPARE(ui::Grid明細(app.w)->model()->rowCount(), 60);
    QCOMPARE(ui::dat履歴(app.w)->rowCount(), 0);
    QCOMPARE(ui::dat従業員(app.w)->storedRowCount(), 0);
}

void TestMainWindow::controlsCarryTheirNamesAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("page");
    const QList<std::tuple<const char *, QString, int>> buttons{
        {"cmd登録", u"登録"_s, 0},         {"cmd読込", u"読込"_s, 0},
        {"cmd削除", u"削除"_s, 0},         {"cmdクリア", u"クリア"_s, 0},
        {"cmd行削除", u"行削除"_s, 0},     {"Cmd印刷", u"印刷"_s, 0},
        {"cmd履歴閉じる", u"閉じる"_s, 0}, {"cmd履歴読込", u"読込"_s, 1},
        {"cmd履歴クリア", u"クリア"_s, 1}, {"cmd履歴選択", u"選択"_s, 1},
        {"cmd従業員読込", u"読込"_s, 2},   {"cmd従業員登録", u"登録"_s, 2},
        {"cmd従業員行削除", u"行削除"_s, 2}, {"cmdクリア従業員", u"クリア"_s, 2},
        {"cmd設定読込", u"読込"_s, 3},     {"cmd設定登録", u"登録"_s, 3},
        {"cmd設定削除", u"削除"_s, 3},     {"cmd設定クリア", u"クリア"_s, 3},
        {"cmd一括削除7", u"実行"_s, 3},    {"cmdデータ場所", u"開く"_s, 3},
        {"cmdデータ場所変更", u"データの場所を変更"_s, 3},
    };
    for (const auto &[name, caption, page] : buttons)
        QTest::newRow(name) << QString::fromUtf8(name) << caption << page;
}

void TestMainWindow::controlsCarryTheirNamesAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, page);
    Pelora app;
    QVERIFY(app.start());
    auto *button = app.w->findChild<QPushButton *>(name);
    QVERIFY2(button, qPrintable(name));
    QCOMPARE(button->text(), caption);
    QVERIFY(ui::SSTab1(app.w)->widget(page)->isAncestorOf(button));
    QVERIFY(button->focusPolicy() & Qt::TabFocus);
}

void TestMainWindow::fieldsAreBuddiesOfTheirLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("氏名") << u"Label1"_s << u"氏　名"_s << u"cmb氏名"_s;
    QTest::newRow("時給") << u"Label2"_s << u"時給"_s << u"num時給"_s;
    QTest::newRow("合計") << u"Label3"_s << u"合  計"_s << u"num合計"_s;
    QTest::newRow("休憩") << u"Label4"_s << u"休憩"_s << u"num休憩"_s;
    QTest::newRow("時間") << u"Label5"_s << u"時間"_s << u"num時間"_s;
    QTest::newRow("タイトル") << u"Label6"_s << u"タイトル"_s << u"txtタイトル"_s;
    QTest::newRow("調整額") << u"Label7"_s << u"調整額"_s << u"num調整額"_s;
    QTest::newRow("自社名") << u"Label9"_s << u"自社名"_s << u"txt自社名"_s;
    QTest::newRow("自社情報") << u"Label10"_s << u"自社情報"_s << u"txt自社情報"_s;
    QTest::newRow("データの場所") << u"lblデータ場所"_s << u"データの場所"_s << u"txtデータ場所"_s;
}

void TestMainWindow::fieldsAreBuddiesOfTheirLabels()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, field);
    Pelora app;
    QVERIFY(app.start());
    auto *l = app.w->findChild<QLabel *>(label);
    auto *f = app.w->findChild<QWidget *>(field);
    QVERIFY(l && f);
    QCOMPARE(l->text(), text);
    QCOMPARE(l->buddy(), f);
}

void TestMainWindow::gridColumns_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("widthsTwips"); // 0: hidden
    QTest::addColumn<QList<int>>("alignments");
    const int l = Qt::AlignLeft, r = Qt::AlignRight, c = Qt::AlignHCenter;
    QTest::newRow("明細") << u"Grid明細"_s
                        << QStringList{u"行番号"_s, u"日　付"_s, u"開始時間"_s, u"終了時間"_s,
                                       u"時間"_s, u"時給"_s, u"調整額"_s, u"休日"_s, u"深夜"_s, u"時間外"_s,
                                       u"割増"_s, u"金　額"_s}
                        << QList<int>{0, 1430, 1200, 1200, 1050, 765, 1050, 0, 0, 0, 0, 1130}
                        << QList<int>{r, c, c, c, r, r, r, c, r, r, r, r};
    QTest::newRow("履歴") << u"Grid履歴"_s << QStringList{u"氏　　名"_s, u"金額"_s, u"タイトル"_s}
                        << QList<int>{2160, 1050, 4515} << QList<int>{l, r, l};
    QTest::newRow("従業員") << u"Grid従業員"_s << QStringList{QString(), u"氏　　名"_s, u"時給"_s}
                          << QList<int>{390, 4695, 855} << QList<int>{c, l, r};
}

void TestMainWindow::gridColumns()
{
    QFETCH(QString, grid);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, widthsTwips);
    QFETCH(QList<int>, alignments);
    Pelora app;
    QVERIFY(app.start());
    auto *g = app.w->findChild<DataGrid *>(grid);
    QVERIFY(g);
    QCOMPARE(g->model()->columnCount(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
        QCOMPARE(g->model()->headerData(i, Qt::Horizontal).toString(), captions.at(i));
        QCOMPARE(g->isColumnHidden(i), widthsTwips.at(i) == 0);
        if (widthsTwips.at(i) > 0)
            QCOMPARE(g->columnWidth(i), twipsToPixels(widthsTwips.at(i), g->logicalDpiX()));
    }
    // Alignment is asked of the first row when there is one, else of the column definition.
    const WorkTableModel *model = g->workModel();
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(int(model->columns().at(i).alignment), alignments.at(i));
}

void TestMainWindow::infoTextsAndBanner()
{
    Pelora app;
    QVERIFY(app.start());
    QCOMPARE(ui::lblInfo(app.w)->text().section(u"\r\n"_s, 0, 0),
             u"Pelora Ver 1.30 LastUpdate2007/04/04 by VORMAK"_s);
    QVERIFY(!ui::lblInfo(app.w)->text().section(u"\r\n"_s, 1).isEmpty());
    QCOMPARE(ui::lblSupport(app.w)->text(), u"質問は下のバナーをクリックしてVORMAKフリー掲示板へ"_s);
    QCOMPARE(ui::Image2(app.w)->size(), QSize(553, 67));
    ui::SSTab1(app.w)->setCurrentIndex(3);
    op::click(ui::Image2(app.w));
    QCOMPARE(app.openedUrls.size(), 1);
    QVERIFY(app.openedUrls.first().isValid());
    auto *dataFolder = app.w->findChild<QLineEdit *>(u"txtデータ場所"_s);
    QVERIFY(dataFolder && dataFolder->isReadOnly());
    QCOMPARE(dataFolder->text(), QDir::toNativeSeparators(app.dir.filePath(u"data"_s)));
    op::click(app.w->findChild<QPushButton *>(u"cmdデータ場所"_s));
    QCOMPARE(app.openedUrls.last(), QUrl::fromLocalFile(app.dir.filePath(u"data"_s)));
    QVERIFY(app.presenter.shown.isEmpty());
    // Where nothing takes the address, the operator is told once, with the address.
    app.desktopOpens = false;
    op::click(app.w->findChild<QPushButton *>(u"cmdデータ場所"_s));
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(app.presenter.last().prompt.endsWith(u"\n"_s + dataFolder->text()));
    for (QToolButton *hint : {ui::cmdHint(app.w), ui::cmdHint2(app.w), ui::cmdHint3(app.w), ui::cmdHint4(app.w)})
        QCOMPARE(hint->accessibleName(), u"ヒント"_s);
}

void TestMainWindow::tabOrderRunsThroughTheHeaderIntoTheGrid()
{
    Pelora app;
    QVERIFY(app.start());
    op::focus(ui::cmb氏名(app.w));
    QList<QWidget *> order{ui::cmb氏名(app.w)};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    QCOMPARE(order.at(1), static_cast<QWidget *>(ui::num時給(app.w)));
    QCOMPARE(order.at(2), static_cast<QWidget *>(ui::txtタイトル(app.w)));
    QCOMPARE(order.at(3), static_cast<QWidget *>(ui::num休憩(app.w)));
    QCOMPARE(order.at(4), static_cast<QWidget *>(ui::Grid明細(app.w)));
    // Tab stays in the grid; Ctrl+Tab leaves it, forwards or back, and turns no page.
    QCOMPARE(order.at(5), static_cast<QWidget *>(ui::Grid明細(app.w)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::cmd登録(app.w)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::Grid明細(app.w)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(ui::num休憩(app.w)));
    QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);
}

void TestMainWindow::closeButtonEndsTheWindowAndReleasesTheData()
{
    Pelora app;
    QVERIFY(app.start());
    op::click(ui::cmdHint(app.w));
    QPointer<Hint> hint = app.w->hintWindow();
    QVERIFY(hint && hint->isVisible());
    op::click(ui::cmd履歴閉じる(app.w));
    QVERIFY(!app.w->isVisible());
    QVERIFY(!hint || !hint->isVisible());
    // The data folder is free again: a new start succeeds on it.
    app.stop();
    QVERIFY(app.start());
}

void TestMainWindow::discardsAskOnlyWhenTypedInputWouldGo_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("asked"); // the pages the question names; empty: no question
    const QString sheet = u"「入力シート」"_s, employees = u"「従業員」"_s;
    const QList<std::tuple<const char *, QString, bool, QString>> rows{
        {"閉じる", u"nothing"_s, true, {}},
        {"閉じる", u"line"_s, false, sheet},
        {"閉じる", u"line"_s, true, sheet},
        {"閉じる", u"employee"_s, false, employees},
        {"閉じる", u"read, line, registered"_s, true, {}},
        {"閉じる", u"read, line deleted"_s, false, sheet},
        {"閉じる", u"read, blank line deleted"_s, true, {}},
        {"履歴 double click", u"nothing"_s, true, {}},
        {"close box", u"nothing"_s, true, {}},
        {"close box", u"key"_s, true, {}},
        {"close box", u"read"_s, true, {}},
        {"close box", u"tick"_s, true, {}},
        {"close box", u"wage, employee"_s, false, sheet + u"と"_s + employees},
        {"close box", u"open cell"_s, false, sheet},
        {"close box", u"open cell"_s, true, sheet},
        {"履歴 選択", u"nothing"_s, true, {}},
        {"履歴 選択", u"read, line"_s, false, sheet},
        {"履歴 選択", u"line"_s, true, sheet},
        {"履歴 選択", u"employee"_s, true, {}},
        {"履歴 double click", u"wage"_s, false, sheet},
        {"履歴 Enter", u"nothing"_s, true, {}},
        {"履歴 Enter", u"line"_s, false, sheet},
        {"読込", u"key"_s, true, {}},
        {"読込", u"read, wage"_s, false, sheet},
        {"読込", u"read, wage"_s, true, sheet},
        {"読込", u"employee"_s, true, {}},
        {"従業員 読込", u"employee"_s, false, employees},
        {"従業員 読込", u"employee"_s, true, employees},
        {"従業員 読込", u"tick"_s, true, {}},
        {"従業員 読込", u"line"_s, true, {}},
        {"クリア", u"line"_s, true, {}}, // the operator's own discard
    };
    for (const auto &[path, input, yes, asked] : rows)
        QTest::addRow("%s, %s, %s", path, qPrintable(input), yes ? "はい" : "いいえ")
            << QString::fromUtf8(path) << input << yes << asked;
}

void TestMainWindow::discardsAskOnlyWhenTypedInputWouldGo()
{
    QFETCH(QString, path);
    QFETCH(QString, input);
    QFETCH(bool, yes);
    QFETCH(QString, asked);
    Pelora app;
    QVERIFY(app.start());
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                                                          u"VALUES ('山田', '4月', 1000, 0, 0, 8, 8000)"_s));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 時給明細 "
                                 u"(氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額) VALUES ('山田', '4月', 1, '2007-04-02', "
                                                  u"'0900', '1700', 8, 1000, NULL, 8000)"_s));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 VALUES ('佐藤', 900)"_s));
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(2);
    op::click(ui::cmd従業員読込(app.w));
    prepareInput(app, input);
    QVERIFY(app.presenter.shown.isEmpty());
    const SheetPage page = sheetPage(app.w);
    const QStringList staff = employeeRows(app.w);
    const int tab = path == u"close box"_s ? ui::SSTab1(app.w)->currentIndex()
        : path.startsWith(u"履歴"_s)      ? 1
        : path == u"従業員 読込"_s         ? 2
                                          : 0;

    app.presenter.script.append(yes ? MessageRequest::Button::Yes : MessageRequest::Button::No);
    discard(app, path);

    QCOMPARE(app.presenter.shown.size(), asked.isEmpty() ? 0 : 1);
    if (!asked.isEmpty())
        QVERIFY(isDiscardQuestion(app.presenter.last(), asked));
    if (!yes) { // いいえ changes nothing
        QVERIFY(app.w->isVisible());
        const SheetPage now = sheetPage(app.w);
        QCOMPARE(now.name, page.name);
        QCOMPARE(now.title, page.title);
        QCOMPARE(now.fields, page.fields);
        QCOMPARE(now.lines, page.lines);
        QCOMPARE(employeeRows(app.w), staff);
        QCOMPARE(ui::SSTab1(app.w)->currentIndex(), tab);
        return;
    }
    // はい, or nothing to lose: the operation goes on as it always did.
    if (path.contains(u"close"_s) || path == u"閉じる"_s) {
        QVERIFY(!app.w->isVisible());
    } else if (path.startsWith(u"履歴"_s) || path == u"読込"_s) {
        QCOMPARE(ui::SSTab1(app.w)->currentIndex(), 0);
        QCOMPARE(sheetPage(app.w).fields.last().toDouble(), 8000.0);
        QCOMPARE(ui::dat明細(app.w)->value(0, 2).toString(), u"0900"_s);
        QVERIFY(ui::dat明細(app.w)->value(3, 1).isNull());
    } else if (path == u"従業員 読込"_s) {
        QCOMPARE(employeeRows(app.w), QStringList{u"佐藤|900"_s});
    } else {
        QVERIFY(ui::dat明細(app.w)->value(3, 1).isNull());
    }
}

void TestMainWindow::currentCellIsFramedWhileTheGridHasTheFocus_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("column");
    QTest::newRow("明細") << u"Grid明細"_s << 0 << 3;
    QTest::newRow("従業員") << u"Grid従業員"_s << 2 << 1;
}

void TestMainWindow::currentCellIsFramedWhileTheGridHasTheFocus()
{
    QFETCH(QString, grid);
    QFETCH(int, page);
    QFETCH(int, column);
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(page);
    auto *g = ui::find<DataGrid>(app.w, grid);
    g->setCurrentIndex(g->model()->index(0, column));
    // The cell's left edge, as a mouse click and as Tab bring the focus.
    const QRect cell = g->visualRect(g->model()->index(0, column));
    const auto edge = [&] { return g->viewport()->grab().toImage().pixelColor(cell.left() + 1, cell.center().y()); };
    op::focus(ui::cmd登録(app.w)->isVisible() ? static_cast<QWidget *>(ui::cmd登録(app.w)) : ui::cmd従業員読込(app.w));
    const QColor unfocused = edge();
    for (Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::TabFocusReason}) {
        g->setFocus(reason);
        QApplication::processEvents();
        QVERIFY(g->hasFocus());
        QVERIFY2(edge() != unfocused, qPrintable(edge().name()));
        QVERIFY(edge().value() < unfocused.value()); // a dark line
    }
}

void TestMainWindow::dialogsUseTheWindowFace()
{
    Pelora app;
    QVERIFY(app.start());
    // The face of every text in a window, as the operator reads it.
    QStringList seen;
    auto faces = [&](QWidget *window) {
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets << window;
        for (QWidget *w : std::as_const(widgets)) {
            const QFontInfo face(w->font());
            seen << u"%1 %2 %3"_s.arg(QString::fromUtf8(w->metaObject()->className()), face.family())
                        .arg(face.pointSizeF());
        }
    };
    auto readAndClose = [&] {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            faces(dialog);
            dialog->reject();
        });
    };
    readAndClose();
    MessageBoxPresenter().present({u"確認"_s, u"登録しますか？"_s, MessageRequest::Icon::Question,
                                   MessageRequest::Buttons::YesNo, MessageRequest::Button::Yes});
    readAndClose();
    PreviewOutput(app.presenter, nullptr).show(StatementValues{}, app.w);
    op::click(ui::cmdHint(app.w));
    QVERIFY(app.w->hintWindow());
    faces(app.w->hintWindow());
    QVERIFY(seen.size() > 20);
    for (const QString &face : std::as_const(seen)) {
        QVERIFY2(face.contains(u" IPAPGothic "_s), qPrintable(face));
        QVERIFY2(face.section(u' ', -1).toDouble() >= 10.5, qPrintable(face));
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
