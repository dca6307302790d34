#include "app/startup.h"

#include "app/frmpelora.h"
#include "app/startupprogress.h"
#include "messages/presenter.h"

using namespace Qt::StringLiterals;

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
    std::optional<StartupProgressDialog> dialog;
    if (!progress)
        progress = &dialog.emplace();
    auto store = std::make_unique<DataStore>();
    if (const std::optional<StartupError> error = store->open(paths, progress)) {
        qWarning().noquote() << "Start-up failed:" << error->file << error->cause;
        showStartupError(*error, startupMessages ? startupMessages : services.presenter);
        return nullptr;
    }
    return std::make_unique<FrmPelora>(std::move(store), services);
}
