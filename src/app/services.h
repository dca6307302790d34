#pragma once

#include <functional>

class ExportChooser;
class MessagePresenter;
class StatementOutput;
class QUrl;

// What the main window asks of the world outside it: dialogs, the printed
// statement, the web browser and where exported figures go. The application
// passes the real ones; tests pass scripted ones so that nothing waits on a
// modal dialog.
struct Services
{
    MessagePresenter *presenter = nullptr;
    StatementOutput *statementOutput = nullptr;
    std::function<void(const QUrl &)> openUrl;
    ExportChooser *exportChooser = nullptr;
};
