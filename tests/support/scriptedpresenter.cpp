#include "scriptedpresenter.h"

MessageRequest::Button ScriptedPresenter::present(const MessageRequest &request)
{
    shown.append(request);
    if (request.buttons == MessageRequest::Buttons::Ok)
        return MessageRequest::Button::Ok;
    if (!script.isEmpty())
        return script.takeFirst();
    return request.defaultButton;
}
