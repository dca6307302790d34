#include "messages/consolepresenter.h"

#include <cstdio>

MessageRequest::Button ConsolePresenter::present(const MessageRequest &request)
{
    std::fprintf(stderr, "[%s]\n%s\n", request.title.toUtf8().constData(), request.prompt.toUtf8().constData());
    std::fflush(stderr);
    return request.buttons == MessageRequest::Buttons::YesNo ? MessageRequest::Button::No : MessageRequest::Button::Ok;
}
