#include "messages/messageboxpresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageRequest::Button MessageBoxPresenter::present(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    // Names and titles typed by the operator are shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.prompt);
    switch (request.icon) {
    case MessageRequest::Icon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageRequest::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageRequest::Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageRequest::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (request.buttons == MessageRequest::Buttons::YesNoCancel) {
        // Two ways forward and a way out: Escape (and the close box) take the way out.
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        QPushButton *no = box.addButton(QMessageBox::No);
        QPushButton *cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(request.defaultButton == MessageRequest::Button::Yes ? yes
                             : request.defaultButton == MessageRequest::Button::No ? no
                                                                                    : cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == yes ? MessageRequest::Button::Yes
            : box.clickedButton() == no   ? MessageRequest::Button::No
                                          : MessageRequest::Button::Cancel;
    }
    if (request.buttons == MessageRequest::Buttons::YesNo) {
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        QPushButton *no = box.addButton(QMessageBox::No);
        box.setDefaultButton(request.defaultButton == MessageRequest::Button::Yes ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessageRequest::Button::Yes : MessageRequest::Button::No;
    }
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MessageRequest::Button::Ok;
}
