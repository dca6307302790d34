#include "app/frmpelora.h"

#include "app/appinfo.h"
#include "app/banner.h"
#include "app/platform.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "data/backup.h"
#include "employees/employeecolumns.h"
#include "hints/hintwindow.h"
#include "history/historycolumns.h"
#include "messages/failure.h"
#include "messages/showmessage.h"
#include "timesheet/sheetcolumns.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString Gothic = u"ＭＳ Ｐゴシック"_s;

QFont gothic(double pointSize)
{
    QFont font(Gothic);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel *fieldLabel(const QString &name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setFont(gothic(12));
    label->setBuddy(buddy);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

NumberEdit *numberField(const QString &name, double range, int decimals)
{
    auto *field = new NumberEdit;
    field->setObjectName(name);
    field->setFont(gothic(12));
    field->setRange(-range, range);
    field->setDecimals(decimals);
    return field;
}

DataGrid *gridNamed(const QString &name, const QString &accessibleName)
{
    auto *grid = new DataGrid;
    grid->setObjectName(name);
    grid->setFont(gothic(9));
    grid->setAccessibleName(accessibleName);
    return grid;
}

// A page's command bar: its buttons from the top, its hint button below a stretch.
QVBoxLayout *commandBar(const QList<QPushButton *> &buttons, QToolButton *hint)
{
    auto *bar = new QVBoxLayout;
    for (QPushButton *b : buttons)
        bar->addWidget(b);
    bar->addStretch();
    bar->addWidget(hint, 0, Qt::AlignRight);
    return bar;
}

// A page that is a grid with its command bar beside it.
QWidget *gridPage(const QString &name, DataGrid *grid, QVBoxLayout *bar)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(grid, 1);
    layout->addLayout(bar);
    return page;
}

} // namespace

FrmPelora::FrmPelora(std::unique_ptr<DataStore> store, const Services &services, QWidget *parent)
    : QWidget(parent)
    , m_store(std::move(store))
    , m_services(services)
{
    platform::installFontSubstitutes();
    setObjectName(u"FrmPelora"_s);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    DataPath = m_store->paths().DataPath;
    MainDbPath = m_store->paths().MainDbPath;
    WorkDbPath = m_store->paths().WorkDbPath;

    setWindowTitle(appinfo::Caption);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(u"SSTab1"_s);
    SSTab1->tabBar()->setFont(gothic(12));
    SSTab1->addTab(buildSheetPage(), u"入力シート"_s);
    SSTab1->addTab(buildHistoryPage(), u"履　歴"_s);
    SSTab1->addTab(buildEmployeePage(), u"従業員"_s);
    SSTab1->addTab(buildSettingsPage(), u"設定・情報"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SSTab1);
    resize(700, 580);

    FormInit();
    wireCommands();

    Clear時給();
    Clear履歴();
    Clear従業員();
    Read設定();
    SSTab1->setCurrentIndex(0);
    cmb氏名->setFocus();
}

FrmPelora::~FrmPelora()
{
    shutdown();
}

QSqlDatabase FrmPelora::mainDb() const
{
    return m_store->main();
}

QSqlDatabase FrmPelora::workDb() const
{
    return m_store->work();
}

QPushButton *FrmPelora::button(const QString &name, const QString &caption, double pointSize)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    b->setFont(gothic(pointSize));
    b->setAutoDefault(true); // Enter presses the focused button
    b->setMinimumSize(92, 34);
    return b;
}

QToolButton *FrmPelora::hintButton(const QString &name)
{
    auto *b = new QToolButton;
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setToolTip(u"ヒント"_s);
    b->setAccessibleName(u"ヒント"_s);
    b->setAccessibleDescription(u"このページのヒントを表示します"_s);
    return b;
}

QWidget *FrmPelora::buildSheetPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"page入力シート"_s);

    cmb氏名 = new NameCombo;
    cmb氏名->setObjectName(u"cmb氏名"_s);
    cmb氏名->setFont(gothic(12));
    cmb氏名->setMinimumWidth(220);
    num時給 = numberField(u"num時給"_s, 99999, 0);
    txtタイトル = new QLineEdit;
    txtタイトル->setObjectName(u"txtタイトル"_s);
    txtタイトル->setFont(gothic(12));
    num休憩 = numberField(u"num休憩"_s, 99999, 0);
    num調整額 = numberField(u"num調整額"_s, 9999999, 0);
    num時間 = numberField(u"num時間"_s, 99999, 1);
    num合計 = numberField(u"num合計"_s, 9999999, 0);
    // The totals are computed; Tab passes them by.
    for (NumberEdit *total : {num調整額, num時間, num合計})
        total->setFocusPolicy(Qt::ClickFocus);

    Label1 = fieldLabel(u"Label1"_s, u"氏　名"_s, cmb氏名);
    Label2 = fieldLabel(u"Label2"_s, u"時給"_s, num時給);
    Label6 = fieldLabel(u"Label6"_s, u"タイトル"_s, txtタイトル);
    Label4 = fieldLabel(u"Label4"_s, u"休憩"_s, num休憩);
    Label7 = fieldLabel(u"Label7"_s, u"調整額"_s, num調整額);
    Label5 = fieldLabel(u"Label5"_s, u"時間"_s, num時間);
    Label3 = fieldLabel(u"Label3"_s, u"合  計"_s, num合計);

    auto *header = new QGroupBox;
    header->setObjectName(u"frameHeader"_s);
    auto *grid = new QGridLayout(header);
    grid->setHorizontalSpacing(8);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(cmb氏名, 0, 1, 1, 3);
    grid->addWidget(Label2, 0, 4);
    grid->addWidget(num時給, 0, 5);
    grid->addWidget(Label6, 1, 0);
    grid->addWidget(txtタイトル, 1, 1, 1, 3);
    grid->addWidget(Label4, 1, 4);
    grid->addWidget(num休憩, 1, 5);
    grid->addWidget(Label7, 2, 0);
    grid->addWidget(num調整額, 2, 1);
    grid->addWidget(Label5, 2, 2);
    grid->addWidget(num時間, 2, 3);
    grid->addWidget(Label3, 2, 4);
    grid->addWidget(num合計, 2, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    Grid明細 = gridNamed(u"Grid明細"_s, u"明細"_s);
    Grid明細->verticalHeader()->hide();

    cmd登録 = button(u"cmd登録"_s, u"登録"_s);
    cmd読込 = button(u"cmd読込"_s, u"読込"_s);
    cmd削除 = button(u"cmd削除"_s, u"削除"_s, 12);
    cmdクリア = button(u"cmdクリア"_s, u"クリア"_s);
    cmd行削除 = button(u"cmd行削除"_s, u"行削除"_s, 9.75);
    Cmd印刷 = button(u"Cmd印刷"_s, u"印刷"_s);
    cmd履歴閉じる = button(u"cmd履歴閉じる"_s, u"閉じる"_s);
    cmdHint = hintButton(u"cmdHint"_s);

    QVBoxLayout *bar = commandBar({cmd登録, cmd読込, cmd削除, cmdクリア, cmd行削除, Cmd印刷}, cmdHint);
    bar->addWidget(cmd履歴閉じる);

    auto *body = new QHBoxLayout;
    body->addWidget(Grid明細, 1);
    body->addLayout(bar);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(header);
    layout->addLayout(body, 1);

    QWidget::setTabOrder(cmb氏名, num時給);
    QWidget::setTabOrder(num時給, txtタイトル);
    QWidget::setTabOrder(txtタイトル, num休憩);
    QWidget::setTabOrder(num休憩, Grid明細);
    QWidget::setTabOrder(Grid明細, cmd登録);
    return page;
}

QWidget *FrmPelora::buildHistoryPage()
{
    Grid履歴 = gridNamed(u"Grid履歴"_s, u"履歴"_s);
    Grid履歴->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid履歴->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid履歴->verticalHeader()->hide();

    cmd履歴読込 = button(u"cmd履歴読込"_s, u"読込"_s);
    cmd履歴選択 = button(u"cmd履歴選択"_s, u"選択"_s);
    cmd履歴クリア = button(u"cmd履歴クリア"_s, u"クリア"_s);
    cmdHint2 = hintButton(u"cmdHint2"_s);
    return gridPage(u"page履歴"_s, Grid履歴, commandBar({cmd履歴読込, cmd履歴選択, cmd履歴クリア}, cmdHint2));
}

QWidget *FrmPelora::buildEmployeePage()
{
    Grid従業員 = gridNamed(u"Grid従業員"_s, u"従業員"_s);

    cmd従業員読込 = button(u"cmd従業員読込"_s, u"読込"_s);
    cmd従業員登録 = button(u"cmd従業員登録"_s, u"登録"_s);
    cmd従業員行削除 = button(u"cmd従業員行削除"_s, u"行削除"_s, 9.75);
    cmdクリア従業員 = button(u"cmdクリア従業員"_s, u"クリア"_s);
    cmdHint3 = hintButton(u"cmdHint3"_s);
    return gridPage(u"page従業員"_s, Grid従業員,
                    commandBar({cmd従業員読込, cmd従業員登録, cmd従業員行削除, cmdクリア従業員}, cmdHint3));
}

QWidget *FrmPelora::buildSettingsPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"page設定"_s);

    txt自社名 = new QLineEdit;
    txt自社名->setObjectName(u"txt自社名"_s);
    txt自社名->setFont(gothic(12));
    txt自社情報 = new QPlainTextEdit;
    txt自社情報->setObjectName(u"txt自社情報"_s);
    txt自社情報->setFont(gothic(12));
    txt自社情報->setTabChangesFocus(true);
    txt自社情報->setFixedHeight(twipsToPixels(2778) - 40);
    Label9 = fieldLabel(u"Label9"_s, u"自社名"_s, txt自社名);
    Label10 = fieldLabel(u"Label10"_s, u"自社情報"_s, txt自社情報);
    Label10->setAlignment(Qt::AlignRight | Qt::AlignTop);

    cmd設定読込 = button(u"cmd設定読込"_s, u"読込"_s);
    cmd設定登録 = button(u"cmd設定登録"_s, u"登録"_s);
    cmd設定削除 = button(u"cmd設定削除"_s, u"削除"_s, 12);
    cmd設定クリア = button(u"cmd設定クリア"_s, u"クリア"_s);
    cmdHint4 = hintButton(u"cmdHint4"_s);

    auto *company = new QGridLayout;
    company->addWidget(Label9, 0, 0);
    company->addWidget(txt自社名, 0, 1);
    company->addWidget(Label10, 1, 0);
    company->addWidget(txt自社情報, 1, 1);
    auto *settingsBar = new QVBoxLayout;
    for (QPushButton *b : {cmd設定読込, cmd設定登録, cmd設定削除, cmd設定クリア})
        settingsBar->addWidget(b);
    settingsBar->addStretch();
    company->addLayout(settingsBar, 0, 2, 2, 1);

    auto *deleteAll = new QGroupBox;
    deleteAll->setObjectName(u"frame一括削除"_s);
    Label8 = new QLabel(u"すべてのデータを削除し初期状態に戻す"_s);
    Label8->setObjectName(u"Label8"_s);
    Label8->setFont(gothic(12));
    cmd一括削除7 = button(u"cmd一括削除7"_s, u"実行"_s);
    cmd一括削除7->setAccessibleDescription(Label8->text());
    Label8->setBuddy(cmd一括削除7);
    auto *deleteRow = new QHBoxLayout(deleteAll);
    deleteRow->addWidget(Label8, 1);
    deleteRow->addWidget(cmd一括削除7);

    lblInfo = new QLabel;
    lblInfo->setObjectName(u"lblInfo"_s);
    lblInfo->setFont(gothic(14.25));
    lblInfo->setWordWrap(true);
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSupport = new QLabel;
    lblSupport->setObjectName(u"lblSupport"_s);
    lblSupport->setFont(gothic(12));
    Image2 = new Banner;
    Image2->setObjectName(u"Image2"_s);
    Image2->setAccessibleName(u"VORMAK ホームページ"_s);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Image2);
    bottom->addStretch();
    bottom->addWidget(cmdHint4, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(company);
    layout->addWidget(deleteAll);
    layout->addStretch();
    layout->addWidget(lblInfo);
    layout->addWidget(lblSupport);
    layout->addLayout(bottom);
    return page;
}

void FrmPelora::FormInit()
{
    lblInfo->setText(appinfo::InfoLine1 + u"\r\n"_s + appinfo::InfoLine2);
    lblSupport->setText(appinfo::Support);

    dat明細 = new WorkTableModel(m_store->workName(), u"w明細"_s, sheet::columns(), this);
    dat従業員 = new WorkTableModel(m_store->workName(), u"w従業員"_s, employees::columns(), this);
    dat従業員->setAddNewRow(true);
    dat履歴 = new WorkTableModel(m_store->workName(), u"w履歴"_s, history::columns(), this);
    Grid明細->bind(dat明細);
    Grid従業員->bind(dat従業員);
    Grid履歴->bind(dat履歴);

    num時給->setDisplayFormat(u"#,###"_s);
    num休憩->setDisplayFormat(u"#,###"_s);
    num調整額->setDisplayFormat(u"#,###"_s);
    num時間->setDisplayFormat(u"#,###.0"_s);
    num合計->setDisplayFormat(u"#,###"_s);
}

void FrmPelora::wireCommands()
{
    connect(cmd登録, &QPushButton::clicked, this, &FrmPelora::Entry時給);
    connect(cmd読込, &QPushButton::clicked, this, &FrmPelora::Read時給);
    connect(cmd削除, &QPushButton::clicked, this, &FrmPelora::Delete時給);
    connect(cmdクリア, &QPushButton::clicked, this, &FrmPelora::Clear時給);
    connect(cmd行削除, &QPushButton::clicked, this, &FrmPelora::Delete行);
    connect(Cmd印刷, &QPushButton::clicked, this, &FrmPelora::Cmd印刷_Click);
    connect(cmd履歴閉じる, &QPushButton::clicked, this, &FrmPelora::close);

    connect(cmd履歴読込, &QPushButton::clicked, this, &FrmPelora::Read履歴);
    connect(cmd履歴クリア, &QPushButton::clicked, this, &FrmPelora::Clear履歴);
    connect(cmd履歴選択, &QPushButton::clicked, this, &FrmPelora::cmd履歴選択_Click);
    connect(Grid履歴, &QAbstractItemView::doubleClicked, this, &FrmPelora::cmd履歴選択_Click);

    connect(cmd従業員読込, &QPushButton::clicked, this, &FrmPelora::Read従業員);
    connect(cmd従業員登録, &QPushButton::clicked, this, &FrmPelora::Entry従業員マスタ);
    connect(cmd従業員行削除, &QPushButton::clicked, this, &FrmPelora::LineDelete従業員);
    connect(cmdクリア従業員, &QPushButton::clicked, this, &FrmPelora::Clear従業員);

    connect(cmd設定読込, &QPushButton::clicked, this, &FrmPelora::Read設定);
    connect(cmd設定登録, &QPushButton::clicked, this, &FrmPelora::cmd設定登録_Click);
    connect(cmd設定削除, &QPushButton::clicked, this, &FrmPelora::Delete設定);
    connect(cmd設定クリア, &QPushButton::clicked, this, &FrmPelora::Clear設定);
    connect(cmd一括削除7, &QPushButton::clicked, this, &FrmPelora::cmd一括削除7_Click);
    connect(Image2, &Banner::clicked, this, &FrmPelora::Image2_Click);

    for (QToolButton *hint : {cmdHint, cmdHint2, cmdHint3, cmdHint4})
        connect(hint, &QToolButton::clicked, this, [this, hint] { cmdHint_Click(hint->objectName()); });

    connect(cmb氏名, &NameCombo::gotFocus, this, &FrmPelora::cmb氏名_GotFocus);
    connect(cmb氏名, &NameCombo::lostFocus, this, &FrmPelora::cmb氏名_LostFocus);
    connect(Grid明細, &DataGrid::afterColEdit, this, &FrmPelora::Grid明細_AfterColEdit);
    connect(Grid明細, &DataGrid::keyDown, this, &FrmPelora::Grid明細_KeyDown);
    connect(Grid明細, &DataGrid::gotFocus, this, &FrmPelora::Grid明細_GotFocus);
    connect(Grid明細, &DataGrid::rowColChange, this, &FrmPelora::Grid明細_RowColChange);
    connect(Grid従業員, &DataGrid::afterColEdit, this, &FrmPelora::Grid従業員_AfterColEdit);
}

bool FrmPelora::ask(const QString &category, const QString &code, const QString &text)
{
    return ShowMessage(*m_services.presenter, category, code, text);
}

void FrmPelora::fail(const QString &text)
{
    failure::tell(*m_services.presenter, text);
}

bool FrmPelora::refreshGrid(DataGrid *grid)
{
    if (grid->refresh())
        return true;
    fail(failure::notShown(u"作業ファイルを読み込めないため、一覧を表示できませんでした。"_s));
    return false;
}

void FrmPelora::cmd設定登録_Click()
{
    // After a failed write the typed settings stay on the page to be tried again.
    if (Entry設定())
        Read設定();
}

void FrmPelora::cmd一括削除7_Click()
{
    if (ask(u"削除"_s, u"確認"_s, QString()))
        AllDelete();
}

void FrmPelora::Image2_Click()
{
    if (m_services.openUrl)
        m_services.openUrl(QUrl(appinfo::HomePage));
}

void FrmPelora::closeEvent(QCloseEvent *event)
{
    shutdown();
    QWidget::closeEvent(event);
}

void FrmPelora::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // The grids hold no open query; the hint window and any other top-level
    // window of ours closes before the connections go.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget *window = *it;
        if (window != this && window->isVisible() && window->objectName() != objectName())
            window->close();
    }
    if (m_hint)
        delete m_hint;
    hide();
    QCoreApplication::processEvents();
    // The day's copy of the main file is taken here, with the window already
    // gone, rather than on the next start where the operator would wait for it.
    backup::atShutdown(mainDb(), MainDbPath);
    m_store->close();
}
