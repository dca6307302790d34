#include "app/startup.h"

#include "app/frmpelora.h"
#include "app/progressdialog.h"
#include "data/datamove.h"
#include "messages/dialogs.h"
#include "messages/presenter.h"

#include <QDir>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QString folderName(const DataPaths &paths)
{
    return QDir::toNativeSeparators(QDir::cleanPath(paths.DataPath));
}

using Remedy = StartupError::Remedy;

// The catalog's question for a refusal that offers a way forward: the
// refusal's own text, then what would be used.
bool askRemedy(const StartupError &error, MessagePresenter &presenter)
{
    const Dialogs dialogs(presenter);
    const QString text = error.offer.isEmpty() ? error.message() : error.message() + u"\n\n"_s + error.offer;
    switch (error.remedy) {
    case Remedy::RestoreNewest:
        return dialogs.ask(u"起動"_s, u"控えに戻す"_s, text);
    case Remedy::UseThisFile:
        return dialogs.ask(u"起動"_s, u"このファイルを使う"_s, text);
    case Remedy::RebuildWork:
        return dialogs.ask(u"起動"_s, u"作業ファイルを作り直す"_s, text);
    case Remedy::TakeOverLock:
        return dialogs.ask(u"起動"_s, u"鍵を引き継ぐ"_s, text);
    case Remedy::MakeTables:
        return dialogs.ask(u"起動"_s, u"表を作る"_s, text);
    case Remedy::LocalReadOnly:
        return dialogs.ask(u"起動"_s, u"読み取り専用で始める"_s, text);
    case Remedy::None:
        break;
    }
    return false;
}

} // namespace

void showStartupError(const StartupError &error, MessagePresenter *presenter)
{
    if (!presenter)
        return;
    MessageRequest request;
    request.title = u"Pelora の起動"_s;
    request.prompt = error.message();
    request.icon = MessageRequest::Icon::Critical;
    presenter->present(request);
}

std::optional<DataPaths> settleDataFolder(const ProgramPlace &place, QSettings &settings,
                                          MessagePresenter *presenter, const DataPathProbes &probes)
{
    DataLocation location = locateData(place, chosenDataFolder(settings), probes);
    if (location.kind == DataLocation::Kind::Use)
        return location.paths;
    if (!presenter)
        return std::nullopt;
    const Dialogs dialogs(*presenter);
    if (location.kind == DataLocation::Kind::ChosenMissing) {
        const QString text = u"「データの場所を変更」で選んだ場所にデータがありません。\n\n場所: %1\n\n"
                             u"フォルダーが見つからないか、つながっていない（ネットワークドライブなど）か、"
                             u"Pelora.mdb がありません。空のデータを新しく作ることはしません。\n\n元の場所: %2"_s
                                 .arg(folderName(location.paths), datamove::describe(location.other));
        if (!dialogs.ask(u"起動"_s, u"元の場所で起動"_s, text))
            return std::nullopt;
        if (!forgetDataFolder(settings)) {
            dialogs.tell(u"選んだ場所の記録を消せないため、起動できません（設定を書き込めません）。"_s);
            return std::nullopt;
        }
        location = locateData(place, {}, probes);
        if (location.kind != DataLocation::Kind::AskWhich)
            return location.paths;
    }
    const QString both = u"1: %1\n2: %2"_s.arg(datamove::describe(location.paths), datamove::describe(location.other));
    DataPaths chosen;
    switch (dialogs.choose(u"起動"_s, u"データの場所を選ぶ"_s, both)) {
    case MessageRequest::Button::Yes:
        chosen = location.paths;
        break;
    case MessageRequest::Button::No:
        chosen = location.other;
        break;
    case MessageRequest::Button::Ok:
    case MessageRequest::Button::Cancel:
        return std::nullopt;
    }
    if (!rememberDataFolder(settings, folderName(chosen)))
        dialogs.tell(u"選んだ場所を記録できませんでした（設定を書き込めません）。次に起動したときにもう一度聞きます。"_s);
    return chosen;
}

std::unique_ptr<FrmPelora> startPelora(const DataPaths &paths, const Services &services,
                                       MessagePresenter *startupMessages, OpenProgress *progress)
{
    std::optional<ProgressDialog> dialog;
    if (!progress)
        progress = &dialog.emplace();
    MessagePresenter *presenter = startupMessages ? startupMessages : services.presenter;
    auto store = std::make_unique<DataStore>();
    if (services.settings)
        store->setServer(server::chosen(*services.settings));
    // Each way forward is taken at most once; a refusal after it is told as it stands.
    QList<Remedy> taken;
    for (;;) {
        const std::optional<StartupError> error = store->open(paths, progress);
        if (!error) {
            const QString notice = store->notice();
            auto window = std::make_unique<FrmPelora>(std::move(store), services);
            if (!notice.isEmpty() && presenter)
                Dialogs(*presenter).tell(notice);
            return window;
        }
        qWarning().noquote() << "Start-up failed:" << error->file << error->cause;
        if (error->remedy == Remedy::None || taken.contains(error->remedy)) {
            showStartupError(*error, presenter);
            return nullptr;
        }
        if (!presenter || !askRemedy(*error, *presenter))
            return nullptr;
        taken.append(error->remedy);
        if (const std::optional<QString> failed = store->applyRemedy(*error, progress)) {
            showStartupError(StartupError{error->file, *failed, u"ファイルは前のままです。"_s}, presenter);
            return nullptr;
        }
    }
}
