#pragma once

#include <QString>

// One dialog as the operator sees it: the message box is drawn by whoever
// presents it (a QMessageBox in the application, a script in tests).
struct MessageRequest
{
    enum class Icon { Question, Information, Warning, Critical };
    enum class Buttons { YesNo, YesNoCancel, Ok };
    enum class Button { Yes, No, Ok, Cancel };

    QString title;
    QString prompt;
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::Ok;
    Button defaultButton = Button::Ok;
};

class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    // Shows the dialog modally and returns the button the operator chose.
    virtual MessageRequest::Button present(const MessageRequest &request) = 0;
};
