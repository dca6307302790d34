#pragma once

#include "messages/presenter.h"

// For runs without an operator (scripts, tests of the real program): each
// dialog is written to stderr and answered with its default button, so that
// nothing waits for a click that never comes.
class ConsolePresenter : public MessagePresenter
{
public:
    MessageRequest::Button present(const MessageRequest &request) override;
};
