#include "app/frmpelora.h"

#include "app/appinfo.h"
#include "app/platform.h"
#include "app/progressdialog.h"
#include "controls/fonts.h"
#include "data/backup.h"
#include "data/datamove.h"
#include "data/restore.h"
#include "messages/dialogs.h"
#include "employees/employeepage.h"
#include "hints/hintkeys.h"
#include "hints/hintwindow.h"
#include "history/historypage.h"
#include "settings/folderchooser.h"
#include "settings/dataplaceframe.h"
#include "settings/settingspage.h"
#include "timesheet/sheetstore.h"
#include "timesheet/timesheetpage.h"

#include <QApplication>
#include <QScrollArea>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

FrmPelora::FrmPelora(std::unique_ptr<DataStore> store, const Services &services, QWidget *parent)
    : QWidget(parent)
    , m_store(std::move(store))
    , m_services(services)
{
    platform::installFontSubstitutes();
    setObjectName(u"FrmPelora"_s);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // On a server, or on this computer's files read only, the title says so.
    if (m_store->readOnly())
        setWindowTitle(appinfo::Caption + u"（読み取り専用：サーバーに接続できません）"_s);
    else if (m_store->serverConfig())
        setWindowTitle(appinfo::Caption + u" - "_s + m_store->mainPlace());
    else
        setWindowTitle(appinfo::Caption);

    MessagePresenter &presenter = *m_services.presenter;
    m_sheet = new TimeSheetPage(*m_store, presenter, m_services.statementOutput);
    m_history = new HistoryPage(*m_store, presenter, m_services.statementOutput, m_services.exportChooser);
    m_employees = new EmployeePage(*m_store, presenter);
    m_settings = new SettingsPage(*m_store, presenter);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(u"SSTab1"_s);
    SSTab1->tabBar()->setFont(fonts::gothic(fonts::Field));
    SSTab1->addTab(m_sheet, u"入力シート"_s);
    SSTab1->addTab(m_history, u"履　歴"_s);
    SSTab1->addTab(m_employees, u"従業員"_s);
    // The settings outgrow a small screen's height: they scroll rather than squeeze.
    auto *settingsScroll = new QScrollArea;
    settingsScroll->setObjectName(u"scroll設定"_s);
    settingsScroll->setFrameShape(QFrame::NoFrame);
    settingsScroll->setWidgetResizable(true);
    settingsScroll->setWidget(m_settings);
    SSTab1->addTab(settingsScroll, u"設定・情報"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SSTab1);
    resize(700, 580);

    // The commands that cross pages.
    // Closing asks before typed input goes (closeEvent).
    connect(m_sheet, &TimeSheetPage::closeRequested, this, &QWidget::close);
    connect(m_history, &HistoryPage::sheetChosen, this, &FrmPelora::openSheet);
    connect(m_settings, &SettingsPage::companyRead, m_sheet, &TimeSheetPage::setCompany);
    connect(m_settings, &SettingsPage::companyRead, m_history, &HistoryPage::setCompany);
    connect(m_settings, &SettingsPage::premiumsRead, m_sheet, &TimeSheetPage::setPremiums);
    connect(m_settings, &SettingsPage::premiumsRead, m_history,
            [this](const sheet::Premiums &premiums) { m_history->setPremiums(premiums.on); });
    connect(m_settings, &SettingsPage::allDataDeleted, this, [this] {
        m_employees->Clear従業員();
        m_history->Clear履歴();
        m_sheet->Clear明細();
        m_sheet->ReadComb氏名();
    });
    // The name list offers the master as it is now.
    connect(m_employees, &EmployeePage::masterChanged, m_sheet, &TimeSheetPage::ReadComb氏名);
    m_settings->setUnregisteredInputQuery([this] { return !pagesWithUnregisteredInput().isEmpty(); });
    connect(m_settings, &SettingsPage::restoreChosen, this, &FrmPelora::restoreCopy);
    connect(m_settings, &SettingsPage::homePageRequested, this, [this] {
        openOnDesktop(QUrl(appinfo::HomePage), u"ホームページを開けませんでした。アドレスは次のとおりです。"_s);
    });
    connect(m_settings, &SettingsPage::dataFolderRequested, this, [this] {
        openOnDesktop(QUrl::fromLocalFile(QDir::cleanPath(QDir::fromNativeSeparators(m_store->paths().DataPath))),
                      u"データの場所を開けませんでした。場所は次のとおりです。"_s);
    });
    connect(m_settings, &SettingsPage::dataFolderChangeRequested, this, &FrmPelora::changeDataFolder);
    connect(m_settings->placeFrame(), &DataPlaceFrame::placeChosen, this,
            [this](const std::optional<server::Config> &place, const QString &password) {
                changeDataPlace(place, password, false);
            });
    connect(m_settings->placeFrame(), &DataPlaceFrame::moveRequested, this,
            [this](const server::Config &place, const QString &password) { changeDataPlace(place, password, true); });
    connect(m_sheet, &TimeSheetPage::hintRequested, this, &FrmPelora::showHint);
    connect(m_history, &HistoryPage::hintRequested, this, &FrmPelora::showHint);
    connect(m_employees, &EmployeePage::hintRequested, this, &FrmPelora::showHint);
    connect(m_settings, &SettingsPage::hintRequested, this, &FrmPelora::showHint);

    m_sheet->Clear時給();
    m_history->Clear履歴();
    m_employees->Clear従業員();
    m_settings->Read設定();
    SSTab1->setCurrentIndex(0);
    m_sheet->focusName();
}

FrmPelora::~FrmPelora()
{
    shutdown();
}

void FrmPelora::openSheet(const QString &name, const QString &title)
{
    // The sheet page changes only when what it holds may go and the sheet could be read.
    if (!m_sheet->mayDiscardInput() || !m_sheet->showSheet({name, title}))
        return;
    SSTab1->setCurrentIndex(0);
    m_sheet->focusName();
}

QStringList FrmPelora::pagesWithUnregisteredInput() const
{
    QStringList pages;
    if (m_sheet->hasUnregisteredInput())
        pages.append(u"「入力シート」"_s);
    if (m_employees->hasUnregisteredInput())
        pages.append(u"「従業員」"_s);
    return pages;
}

void FrmPelora::showHint(const QString &key)
{
    m_hintHandOver = {hints::FormName, key, windowTitle()};
    if (!m_hint) {
        // Loaded once per opening: while it is open it keeps the pair it was opened with.
        m_hint = new Hint(m_store->workName(), *m_services.presenter, m_hintHandOver.HintFormName,
                          m_hintHandOver.HintCtlName, m_hintHandOver.HintFormTitle, this);
        m_hint->show();
        m_hint->txtContents->setFocus();
    } else {
        m_hint->show();
    }
    m_hint->raise();
    m_hint->activateWindow();
}

void FrmPelora::openOnDesktop(const QUrl &url, const QString &failure)
{
    if (!m_services.openUrl || m_services.openUrl(url))
        return;
    const QString where = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    Dialogs(*m_services.presenter).fail(failure + u"\n"_s + where);
}

void FrmPelora::restoreCopy(const QString &copy)
{
    // The hint window reads the work file; it shows the texts brought back when opened again.
    if (m_hint)
        delete m_hint;
    const Dialogs dialogs(*m_services.presenter);
    const QString summary = restore::describe(copy).summary();
    // The copy is checked whole before it is put in place: seconds on a large file.
    std::optional<ProgressDialog> window;
    OpenProgress *progress = m_services.progress ? m_services.progress : &window.emplace();
    const restore::Result result = m_store->restoreCopy(copy, progress);
    if (!result.done) {
        dialogs.fail(Dialogs::notStored(u"控えに戻せませんでした（%1）。"_s.arg(result.failure)));
        return;
    }
    if (!result.failure.isEmpty()) {
        dialogs.fail(result.failure);
        return;
    }
    // Every page shows the restored file from here on.
    m_sheet->Clear時給();
    m_history->Read履歴();
    m_employees->Read従業員();
    m_settings->Read設定();
    m_settings->List控え();
    const QString replaced = result.movedAside.isEmpty()
        ? QString()
        : u"\n\n今までのデータファイルは、次の名前で残っています（控えの一覧からも戻せます）。\n"_s
            + QDir::toNativeSeparators(result.movedAside);
    dialogs.ask(u"復元"_s, u"完了"_s, summary + u" に戻しました。"_s + replaced);
}

namespace {

QString folderName(const DataPaths &paths)
{
    return QDir::toNativeSeparators(QDir::cleanPath(paths.DataPath));
}

// The data folder could not be changed: why, and that the data in use stays in use.
void cannotMove(const Dialogs &dialogs, QString cause, const DataPaths &from)
{
    if (cause.endsWith(u'。'))
        cause.chop(1);
    dialogs.fail(Dialogs::notStored(u"データの場所を変更できませんでした（%1）。"_s.arg(cause))
                 + u"今の場所 %1 をそのまま使います。"_s.arg(folderName(from)));
}

// Whether the data goes to the folder and how: copied there (true), the data
// already there used (false), or not at all.
std::optional<bool> askDataMove(const Dialogs &dialogs, const DataPaths &from, const DataPaths &to)
{
    switch (datamove::judge(from, to)) {
    case datamove::Target::Unusable:
        cannotMove(dialogs, u"選んだフォルダーに書き込めません"_s, from);
        break;
    case datamove::Target::Current:
        dialogs.tell(u"選んだフォルダーは今のデータの場所です。"_s);
        break;
    case datamove::Target::Inside:
        dialogs.tell(u"今のデータの場所の中には移せません。別のフォルダーを選んでください。"_s);
        break;
    case datamove::Target::HoldsData:
        switch (dialogs.choose(u"データの場所"_s, u"既にデータ"_s,
                               u"選んだフォルダー: %1\n今のデータ: %2"_s.arg(datamove::describe(to), datamove::describe(from)))) {
        case MessageRequest::Button::Yes:
            return true;
        case MessageRequest::Button::No:
            return false;
        case MessageRequest::Button::Ok:
        case MessageRequest::Button::Cancel:
            break;
        }
        break;
    case datamove::Target::Free:
        if (dialogs.ask(u"データの場所"_s, u"確認"_s, folderName(to)))
            return true;
        break;
    }
    return std::nullopt;
}

} // namespace

void FrmPelora::changeDataFolder()
{
    if (!m_services.folderChooser || !m_services.settings)
        return;
    const DataPaths from = m_store->paths();
    const std::optional<QString> folder =
        m_services.folderChooser->chooseFolder(this, QFileInfo(QDir::cleanPath(from.DataPath)).path());
    if (!folder)
        return;
    const DataPaths to = dataPathsIn(QDir::toNativeSeparators(*folder), QDir::separator() == u'\\');
    const Dialogs dialogs(*m_services.presenter);
    const std::optional<bool> copy = askDataMove(dialogs, from, to);
    if (!copy)
        return;

    // Remembered first, so that a choice that cannot be kept moves nothing.
    QSettings &settings = *m_services.settings;
    const QString before = chosenDataFolder(settings);
    const auto forget = [&] { before.isEmpty() ? forgetDataFolder(settings) : rememberDataFolder(settings, before); };
    if (!rememberDataFolder(settings, folderName(to))) {
        forget();
        cannotMove(dialogs, u"設定を書き込めません"_s, from);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<QString> failure = *copy ? datamove::copyTo(mainDb(), workDb(), to) : std::nullopt;
    if (!failure)
        failure = switchDataFolder(to);
    QApplication::restoreOverrideCursor();
    if (failure) {
        forget();
        cannotMove(dialogs, *failure, from);
        return;
    }
    m_settings->showDataFolder();
    m_settings->List控え();
    if (!*copy)
        startPagesOver();
    dialogs.ask(u"データの場所"_s, u"完了"_s,
                (*copy ? u"データを %1 にコピーしました。"_s : u"%1 にあるデータを使っています。"_s).arg(folderName(to))
                    + u"これからはこの場所を使います。\n元の場所 %1 のデータはそのまま残しています。"_s.arg(folderName(from)));
}

void FrmPelora::startPagesOver()
{
    m_sheet->Clear時給();
    m_history->Clear履歴();
    m_employees->Clear従業員();
    m_settings->Read設定();
}

void FrmPelora::changeDataPlace(const std::optional<server::Config> &place, const QString &password, bool move)
{
    const Dialogs dialogs(*m_services.presenter);
    const QStringList typed = pagesWithUnregisteredInput();
    if (!typed.isEmpty() && !dialogs.ask(u"破棄"_s, u"確認"_s, u"「"_s + typed.join(u"」と「"_s) + u"」"_s))
        return;
    const auto refused = [&](const QString &cause) {
        dialogs.fail(Dialogs::notStored(u"データの置き場所を変えられませんでした（%1）。"_s.arg(cause))
                     + u"今の置き場所 %1 をそのまま使います。"_s.arg(m_store->mainPlace()));
    };
    // The password goes where libpq reads it, never into the settings.
    if (place && !password.isEmpty())
        if (const std::optional<QString> failed = server::rememberPassword(*place, password)) {
            refused(*failed);
            return;
        }
    // An empty database gets Pelora's tables once the operator agrees.
    bool makeTables = false;
    if (place && !move && server::probe(*place, {}).tables == server::Tables::Empty) {
        if (!dialogs.ask(u"その他"_s, u"確認"_s,
                         u"%1 は空です。Pelora の表を作って、空のデータで始めます"_s.arg(place->describe())))
            return;
        makeTables = true;
    }
    if (m_hint)
        delete m_hint;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<QString> failure = move ? m_store->moveToServer(*place) : m_store->switchPlace(place, makeTables);
    QApplication::restoreOverrideCursor();
    if (!failure && m_services.settings && !server::choose(*m_services.settings, place))
        failure = u"設定を書き込めません。次に起動したときは元の置き場所を使います"_s;
    m_settings->placeFrame()->showPlace();
    if (failure) {
        refused(*failure);
        return;
    }
    setWindowTitle(m_store->serverConfig() ? appinfo::Caption + u" - "_s + m_store->mainPlace() : appinfo::Caption);
    startPagesOver();
    m_settings->List控え();
    dialogs.tell(u"これからは %1 のデータを使います。"_s.arg(m_store->mainPlace())
                 + (move ? u"\nこのパソコンのデータファイルはそのまま残しています。"_s : QString()));
}

std::optional<QString> FrmPelora::switchDataFolder(const DataPaths &to)
{
    // The hint window reads the work file; it opens on the new one when asked again.
    if (m_hint)
        delete m_hint;
    const DataPaths from = m_store->paths();
    m_store->close();
    const std::optional<StartupError> error = m_store->open(to);
    if (!error)
        return std::nullopt;
    m_store->close();
    if (const std::optional<StartupError> again = m_store->open(from)) {
        qWarning().noquote() << "The data could not be opened again:" << again->file << again->cause;
        Dialogs(*m_services.presenter).fail(again->message());
        close();
    }
    return QDir::toNativeSeparators(error->file) + u": "_s + error->cause;
}

void FrmPelora::closeEvent(QCloseEvent *event)
{
    // 閉じる, the close box and any other close of the window ask before
    // typed input goes; いいえ leaves the window open as it was.
    if (!m_shutDown && !Dialogs(*m_services.presenter).mayDiscard(pagesWithUnregisteredInput())) {
        event->ignore();
        return;
    }
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
    backup::atShutdown(mainDb(), m_store->paths().MainDbPath);
    m_store->close();
}
