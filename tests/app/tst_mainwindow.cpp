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
    void dialogsUseTheWindowFace();
};

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
    QCOMPARE(mainTables, (QStringList{u"従業員"_s, u"時給ヘッダ"_s, u"時給明細"_s, u"自社情報"_s}));
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
                                       u"時間"_s, u"時給"_s, u"調整額"_s, u"金　額"_s}
                        << QList<int>{0, 1430, 1200, 1200, 1050, 765, 1050, 1130}
                        << QList<int>{r, c, c, c, r, r, r, r};
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
    QCOMPARE(order.at(5), static_cast<QWidget *>(ui::cmd登録(app.w)));
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
