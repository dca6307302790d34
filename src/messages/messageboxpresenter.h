#pragma once

#include "messages/presenter.h"

// Presents dialogs as modal QMessageBoxes owned by the active window, with the
// default button of the request preselected and Escape answering No (or OK,
// or Cancel where there is one).
class MessageBoxPresenter : public MessagePresenter
{
public:
    MessageRequest::Button present(const MessageRequest &request) override;
};
