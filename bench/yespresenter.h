#pragma once

#include "messages/presenter.h"

#include <QString>

// The operator of the benchmark: answers Yes to every question and counts the
// notices, which in a benchmark run only ever mean that an operation failed.
class YesPresenter : public MessagePresenter
{
public:
    int notices = 0;
    QString lastNotice;

    MessageRequest::Button present(const MessageRequest &request) override
    {
        if (request.buttons == MessageRequest::Buttons::YesNo)
            return MessageRequest::Button::Yes;
        ++notices;
        lastNotice = request.prompt;
        return MessageRequest::Button::Ok;
    }
};
