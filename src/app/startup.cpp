#include "app/startup.h"

#include "app/frmpelora.h"
#include "app/progressdialog.h"
#include "messages/dialogs.h"
#include "messages/presenter.h"

using namespace Qt::StringLiterals;

namespace {

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

std::unique_ptr<FrmPelora> startPelora(const DataPaths &paths, const Services &services,
                                       MessagePresenter *startupMessages, OpenProgress *progress)
{
    std::optional<ProgressDialog> dialog;
    if (!progress)
        progress = &dialog.emplace();
    MessagePresenter *presenter = startupMessages ? startupMessages : services.presenter;
    auto store = std::make_unique<DataStore>();
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
