// The page "設定・情報": company name and information, deleting all data.
#include "settings/settingspage.h"

#include "app/appinfo.h"
#include "controls/banner.h"
#include "controls/fonts.h"
#include "controls/gridcolumn.h"
#include "controls/numberedit.h"
#include "controls/pagewidgets.h"
#include "data/backup.h"
#include "data/copyextras.h"
#include "data/datastore.h"
#include "data/restore.h"
#include "hints/hintkeys.h"
#include "settings/dataplaceframe.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

SettingsPage::SettingsPage(const DataStore &store, MessagePresenter &presenter, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(presenter)
{
    setObjectName(u"page設定"_s);
    build();
    lblInfo->setText(appinfo::InfoLine1 + u"\r\n"_s + appinfo::InfoLine2);
    lblSupport->setText(appinfo::Support);

    connect(cmd設定読込, &QPushButton::clicked, this, &SettingsPage::Read設定);
    connect(cmd設定登録, &QPushButton::clicked, this, &SettingsPage::cmd設定登録_Click);
    connect(cmd設定削除, &QPushButton::clicked, this, &SettingsPage::Delete設定);
    connect(cmd設定クリア, &QPushButton::clicked, this, &SettingsPage::Clear設定);
    connect(cmd一括削除7, &QPushButton::clicked, this, &SettingsPage::cmd一括削除7_Click);
    connect(cmd控え一覧, &QPushButton::clicked, this, &SettingsPage::List控え);
    connect(cmd復元, &QPushButton::clicked, this, &SettingsPage::Restore控え);
    connect(cmdデータ場所, &QPushButton::clicked, this, &SettingsPage::dataFolderRequested);
    connect(cmdデータ場所変更, &QPushButton::clicked, this, &SettingsPage::dataFolderChangeRequested);
    connect(Image2, &Banner::clicked, this, &SettingsPage::homePageRequested);
    connect(cmdHint4, &QToolButton::clicked, this, [this] { emit hintRequested(hints::SettingsPage); });
}

void SettingsPage::build()
{

    txt自社名 = new QLineEdit;
    txt自社名->setObjectName(u"txt自社名"_s);
    txt自社名->setFont(fonts::gothic(fonts::Field));
    txt自社情報 = new QPlainTextEdit;
    txt自社情報->setObjectName(u"txt自社情報"_s);
    txt自社情報->setFont(fonts::gothic(fonts::Field));
    txt自社情報->setTabChangesFocus(true);
    txt自社情報->setFixedHeight(twipsToPixels(2778) - 40);
    QLabel *Label9 = fieldLabel(u"Label9"_s, u"自社名"_s, txt自社名);
    QLabel *Label10 = fieldLabel(u"Label10"_s, u"自社情報"_s, txt自社情報);
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

    QGroupBox *premiumFrame = buildPremiumFrame();

    auto *deleteAll = new QGroupBox;
    deleteAll->setObjectName(u"frame一括削除"_s);
    auto *Label8 = new QLabel(u"すべてのデータを削除し初期状態に戻す"_s);
    Label8->setObjectName(u"Label8"_s);
    Label8->setFont(fonts::gothic(fonts::Field));
    cmd一括削除7 = button(u"cmd一括削除7"_s, u"実行"_s);
    cmd一括削除7->setAccessibleDescription(Label8->text());
    Label8->setBuddy(cmd一括削除7);
    auto *deleteRow = new QHBoxLayout(deleteAll);
    deleteRow->addWidget(Label8, 1);
    deleteRow->addWidget(cmd一括削除7);

    auto *restoreBox = new QGroupBox(u"バックアップの控え"_s);
    restoreBox->setObjectName(u"frame復元"_s);
    restoreBox->setFont(fonts::gothic(fonts::Field));
    lst控え = new QTreeWidget;
    lst控え->setObjectName(u"lst控え"_s);
    lst控え->setRootIsDecorated(false);
    lst控え->setHeaderLabels({u"作成日時"_s, u"理由"_s, u"シート"_s, u"従業員"_s, u"大きさ"_s});
    lst控え->setFixedHeight(110);
    cmd控え一覧 = button(u"cmd控え一覧"_s, u"控えの一覧"_s);
    cmd復元 = button(u"cmd復元"_s, u"復元"_s);
    auto *restoreBar = new QVBoxLayout;
    restoreBar->addWidget(cmd控え一覧);
    restoreBar->addWidget(cmd復元);
    restoreBar->addStretch();
    auto *restoreRow = new QHBoxLayout(restoreBox);
    restoreRow->addWidget(lst控え, 1);
    restoreRow->addLayout(restoreBar);

    lblInfo = new QLabel;
    lblInfo->setObjectName(u"lblInfo"_s);
    lblInfo->setFont(fonts::gothic(fonts::Info));
    lblInfo->setWordWrap(true);
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSupport = new QLabel;
    lblSupport->setObjectName(u"lblSupport"_s);
    lblSupport->setFont(fonts::gothic(fonts::Field));
    Image2 = new Banner;
    Image2->setObjectName(u"Image2"_s);
    Image2->setAccessibleName(u"VORMAK ホームページ"_s);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Image2);
    bottom->addStretch();
    bottom->addWidget(cmdHint4, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(company);
    layout->addWidget(premiumFrame);
    layout->addWidget(deleteAll);
    layout->addWidget(restoreBox);
    layout->addLayout(buildDataFolderRow());
    m_place = new DataPlaceFrame(m_store, m_dialogs.presenter());
    layout->addWidget(m_place);
    layout->addStretch();
    layout->addWidget(lblInfo);
    layout->addWidget(lblSupport);
    layout->addLayout(bottom);
}

// How premiums are computed: off by default; the rates, the weekly limit and
// the first day of a week, stored with the company settings.
QGroupBox *SettingsPage::buildPremiumFrame()
{
    auto *frame = new QGroupBox(u"割増賃金"_s);
    frame->setObjectName(u"frame割増賃金"_s);
    frame->setFont(fonts::gothic(fonts::Field));
    chk割増計算 = new QCheckBox(u"時間外・深夜・休日の割増を計算する"_s);
    chk割増計算->setObjectName(u"chk割増計算"_s);
    chk割増計算->setFont(fonts::gothic(fonts::Field));

    num時間外率 = numberField(u"num時間外率"_s, 999, 0, u"##0"_s);
    num深夜率 = numberField(u"num深夜率"_s, 999, 0, u"##0"_s);
    num休日率 = numberField(u"num休日率"_s, 999, 0, u"##0"_s);
    num60時間超率 = numberField(u"num60時間超率"_s, 999, 0, u"##0"_s);
    auto *rates = new QHBoxLayout;
    for (sheet::Rate rate : sheet::Rates) {
        NumberEdit *field = rateField(rate);
        field->setRange(0, 999);
        field->setFixedWidth(52);
        field->setAlignment(Qt::AlignRight);
        field->setAccessibleDescription(u"割増率（%）"_s);
        const QString name = field->objectName().mid(3); // 時間外率, …
        auto *unit = new QLabel(u"%"_s);
        unit->setObjectName(u"lbl"_s + name + u"単位"_s);
        rates->addWidget(fieldLabel(u"lbl"_s + name, sheet::rateCaption(rate), field));
        rates->addWidget(field);
        rates->addWidget(unit);
        rates->addSpacing(8);
    }
    rates->addStretch();

    cmb週労働時間 = new QComboBox;
    cmb週労働時間->setObjectName(u"cmb週労働時間"_s);
    cmb週労働時間->addItem(u"40 時間"_s, 40);
    cmb週労働時間->addItem(u"44 時間（特例）"_s, 44);
    cmb週起算日 = new QComboBox;
    cmb週起算日->setObjectName(u"cmb週起算日"_s);
    for (int day : {7, 1, 2, 3, 4, 5, 6})
        cmb週起算日->addItem(QString(u"日月火水木金土"_s.at(day % 7)) + u"曜"_s, day);
    auto *week = new QHBoxLayout;
    week->addWidget(fieldLabel(u"lbl週労働時間"_s, u"週の労働時間"_s, cmb週労働時間));
    week->addWidget(cmb週労働時間);
    week->addSpacing(16);
    week->addWidget(fieldLabel(u"lbl週起算日"_s, u"週の起算日"_s, cmb週起算日));
    week->addWidget(cmb週起算日);
    week->addStretch();

    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(chk割増計算);
    layout->addLayout(rates);
    layout->addLayout(week);
    // What is not computed is not set either.
    connect(chk割増計算, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget *field : std::initializer_list<QWidget *>{num時間外率, num深夜率, num休日率, num60時間超率,
                                                               cmb週労働時間, cmb週起算日})
            field->setEnabled(on);
    });
    showPremiums(sheet::Premiums());
    return frame;
}

NumberEdit *SettingsPage::rateField(sheet::Rate rate) const
{
    switch (rate) {
    case sheet::Rate::Overtime: return num時間外率;
    case sheet::Rate::Night: return num深夜率;
    case sheet::Rate::RestDay: return num休日率;
    case sheet::Rate::OvertimeOver60: return num60時間超率;
    }
    return nullptr;
}

void SettingsPage::showPremiums(const sheet::Premiums &premiums)
{
    chk割増計算->setChecked(premiums.on);
    for (sheet::Rate rate : sheet::Rates)
        rateField(rate)->setValue(sheet::rateOf(premiums, rate));
    cmb週労働時間->setCurrentIndex(std::max(0, cmb週労働時間->findData(premiums.weeklyHours)));
    cmb週起算日->setCurrentIndex(std::max(0, cmb週起算日->findData(premiums.weekStart)));
    for (QWidget *field : std::initializer_list<QWidget *>{num時間外率, num深夜率, num休日率, num60時間超率,
                                                           cmb週労働時間, cmb週起算日})
        field->setEnabled(premiums.on);
}

sheet::Premiums SettingsPage::typedPremiums() const
{
    sheet::Premiums premiums;
    premiums.on = chk割増計算->isChecked();
    for (sheet::Rate rate : sheet::Rates)
        sheet::setRate(premiums, rate, rateField(rate)->number());
    premiums.weeklyHours = cmb週労働時間->currentData().toInt();
    premiums.weekStart = cmb週起算日->currentData().toInt();
    return premiums;
}

// Where the data lives (beside the program or in the user's folder), shown
// so that the operator can find the files and the backup copies.
QLayout *SettingsPage::buildDataFolderRow()
{
    txtデータ場所 = new QLineEdit;
    txtデータ場所->setObjectName(u"txtデータ場所"_s);
    txtデータ場所->setFont(fonts::gothic(fonts::Field));
    txtデータ場所->setReadOnly(true);
    showDataFolder();
    QLabel *lblデータ場所 = fieldLabel(u"lblデータ場所"_s, u"データの場所"_s, txtデータ場所);
    txtデータ場所->setAccessibleName(lblデータ場所->text());
    cmdデータ場所 = button(u"cmdデータ場所"_s, u"開く"_s);
    cmdデータ場所->setAccessibleName(u"データの場所を開く"_s);
    cmdデータ場所変更 = button(u"cmdデータ場所変更"_s, u"データの場所を変更"_s);

    auto *row = new QHBoxLayout;
    row->addWidget(lblデータ場所);
    row->addWidget(txtデータ場所, 1);
    row->addWidget(cmdデータ場所);
    row->addWidget(cmdデータ場所変更);
    return row;
}

void SettingsPage::showDataFolder()
{
    // A long path scrolls in the field: its tip shows it whole.
    txtデータ場所->setText(QDir::toNativeSeparators(QDir::cleanPath(m_store.paths().DataPath)));
    txtデータ場所->setToolTip(txtデータ場所->text());
    txtデータ場所->setCursorPosition(0);
}

void SettingsPage::cmd設定登録_Click()
{
    // After a failed write the typed settings stay on the page to be tried again.
    if (Entry設定())
        Read設定();
}

void SettingsPage::cmd一括削除7_Click()
{
    if (!m_dialogs.ask(u"削除"_s, u"確認"_s, QString()))
        return;
    // On a server the data of every computer goes: said so, and only while no other computer uses it.
    if (const auto &place = m_store.serverConfig(); place && !m_store.readOnly()) {
        if (const std::optional<QStringList> others = server::otherComputers(m_store.main()); !others || !others->isEmpty()) {
            m_dialogs.fail(Dialogs::notStored(
                !others ? u"サーバーに問い合わせられないため、削除しませんでした。"_s
                        : u"ほかのパソコン（%1）の Pelora が %2 につながっているため、削除しませんでした。"
                          u"ほかのパソコンの Pelora を閉じてから、もう一度実行してください。"_s
                              .arg(others->join(u"、"_s), place->describe())));
            return;
        }
        if (!m_dialogs.ask(u"その他"_s, u"確認"_s,
                           u"%1 のデータ（すべてのパソコンで使っているデータ）を削除します"_s.arg(place->describe())))
            return;
    }
    AllDelete();
}

void SettingsPage::Read設定()
{
    bool read = false;
    const std::optional<settings::Company> company = settings::read(m_store.main(), &read);
    const std::optional<sheet::Premiums> premiums = read ? settings::readPremiums(m_store.main()) : std::nullopt;
    if (!premiums) {
        m_dialogs.fail(Dialogs::notShown(u"データファイルを読み込めないため、設定を読み込めませんでした。"_s));
        return;
    }
    showPremiums(*premiums);
    emit premiumsRead(*premiums);
    if (!company)
        return;
    const QString name = company->name.isNull() ? QString() : company->name.toString();
    const QString info = company->info.isNull() ? QString() : company->info.toString();
    txt自社名->setText(name);
    txt自社情報->setPlainText(info);
    emit companyRead(name, info);
}

bool SettingsPage::Entry設定()
{
    // A rate below the law's is refused before anything is asked; what was typed stays to be corrected.
    const sheet::Premiums premiums = typedPremiums();
    if (const std::optional<sheet::Rate> rate = premiums.on ? sheet::rateBelowMinimum(premiums) : std::nullopt) {
        m_dialogs.tell(sheet::belowMinimumText(*rate));
        rateField(*rate)->setFocus();
        return false;
    }
    if (!m_dialogs.ask(u"登録"_s, u"確認"_s, u"設定"_s))
        return true;
    if (settings::store(m_store.main(), txt自社名->text(), txt自社情報->toPlainText(), premiums))
        return true;
    m_dialogs.fail(Dialogs::notStored(u"データファイルに書き込めないため、設定を登録できませんでした。"_s));
    return false;
}

void SettingsPage::Delete設定()
{
    if (!m_dialogs.ask(u"削除"_s, u"確認"_s, u"設定"_s))
        return;
    if (!settings::blank(m_store.main())) {
        m_dialogs.fail(Dialogs::notStored(u"データファイルに書き込めないため、設定を削除できませんでした。"_s));
        return;
    }
    Clear設定();
}

void SettingsPage::Clear設定()
{
    txt自社情報->clear();
    txt自社名->clear();
    showPremiums(sheet::Premiums());
}

void SettingsPage::AllDelete()
{
    // Deletes only what a backup copy still holds.
    if (!backup::ensureCopy(m_store.main(), m_store.paths().MainDbPath, copyextras::BeforeDeletingAll)) {
        m_dialogs.fail(Dialogs::notStored(u"バックアップを作成できないため、削除しませんでした。"_s));
        return;
    }
    if (!settings::deleteAllData(m_store.main())) {
        // Nothing was deleted: the screens keep showing the data that is still there.
        m_dialogs.fail(Dialogs::notStored(u"データファイルに書き込めないため、削除できませんでした。"_s));
        return;
    }
    // The data is gone; a list that cannot be emptied says so itself.
    Clear設定();
    emit allDataDeleted();
}

void SettingsPage::List控え()
{
    lst控え->clear();
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    for (const restore::CopyInfo &copy : restore::copies(m_store.paths().MainDbPath)) {
        const bool read = copy.sheets >= 0;
        auto *item = new QTreeWidgetItem(lst控え, {copy.taken.toString(u"yyyy/MM/dd HH:mm:ss"_s), copy.reason,
                                                    read ? QString::number(copy.sheets) : u"読めません"_s,
                                                    read ? QString::number(copy.employees) : QString(),
                                                    locale.formattedDataSize(copy.size, 0, QLocale::DataSizeTraditionalFormat)});
        item->setData(0, Qt::UserRole, copy.path);
        item->setData(1, Qt::UserRole, copy.summary());
        for (int column : {2, 3, 4})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column = 0; column < lst控え->columnCount(); ++column)
        lst控え->resizeColumnToContents(column);
}

void SettingsPage::Restore控え()
{
    const QTreeWidgetItem *chosen = lst控え->currentItem();
    if (!chosen) {
        m_dialogs.ask(u"行指定"_s, u"指定なし"_s);
        return;
    }
    // The pages read the restored file: what was typed on them and not registered goes.
    const bool dropsInput = m_unregisteredInput && m_unregisteredInput();
    const QString summary = chosen->data(1, Qt::UserRole).toString();
    const std::optional<server::Config> &place = m_store.serverConfig();
    if (place && !m_store.readOnly() ? m_dialogs.ask(u"復元"_s, u"サーバー確認"_s, summary + u" を "_s + place->describe())
                                     : m_dialogs.ask(u"復元"_s, dropsInput ? u"入力破棄確認"_s : u"確認"_s, summary))
        emit restoreChosen(chosen->data(0, Qt::UserRole).toString());
}
