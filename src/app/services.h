#pragma once

#include <functional>

class ExportChooser;
class MessagePresenter;
class OpenProgress;
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
    // False when nothing on the desktop took the address (no browser, no file
    // manager): the operator is then told it, and where it points.
    std::function<bool(const QUrl &)> openUrl;
    ExportChooser *exportChooser = nullptr;
    // Told how far a long check of a data file has come; null: a progress window of the window's own.
    OpenProgress *progress = nullptr;
};
