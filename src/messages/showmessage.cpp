#include "messages/showmessage.h"

#include "messages/catalog.h"

bool ShowMessage(MessagePresenter &presenter, const QString &category, const QString &code,
                 const QString &text)
{
    const std::optional<MessageRequest> request = buildMessage(category, code, text);
    if (!request)
        return false;
    const MessageRequest::Button answer = presenter.present(*request);
    return request->buttons == MessageRequest::Buttons::YesNo && answer == MessageRequest::Button::Yes;
}
