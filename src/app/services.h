#pragma once

#include <functional>

class MessagePresenter;
class StatementOutput;
class QUrl;

// What the main window asks of the world outside it: dialogs, the printed
// statement and the web browser. The application passes the real ones; tests
// pass scripted ones so that nothing waits on a modal dialog.
struct Services
{
    MessagePresenter *presenter = nullptr;
    StatementOutput *statementOutput = nullptr;
    std::function<void(const QUrl &)> openUrl;
};
