#pragma once

#include "messages/presenter.h"

// Start-up messages for runs without an operator (scripts, tests of the real
// program): written to stderr instead of a dialog no one would close. It
// never answers a question for an operator: a Yes/No dialog is answered No,
// a choice between two ways forward with its way out.
class ConsolePresenter : public MessagePresenter
{
public:
    MessageRequest::Button present(const MessageRequest &request) override;
};
