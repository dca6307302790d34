#include "messages/consolepresenter.h"

#include <cstdio>

MessageRequest::Button ConsolePresenter::present(const MessageRequest &request)
{
    std::fprintf(stderr, "[%s]\n%s\n", request.title.toUtf8().constData(), request.prompt.toUtf8().constData());
    std::fflush(stderr);
    switch (request.buttons) {
    case MessageRequest::Buttons::YesNo:
        return MessageRequest::Button::No;
    case MessageRequest::Buttons::YesNoCancel:
        return MessageRequest::Button::Cancel;
    case MessageRequest::Buttons::Ok:
        break;
    }
    return MessageRequest::Button::Ok;
}
