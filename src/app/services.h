#pragma once

#include <functional>

class ExportChooser;
class FolderChooser;
class MessagePresenter;
class OpenProgress;
class QSettings;
class StatementOutput;
class QUrl;

// What the main window asks of the world outside it: dialogs, the printed
// statement, the web browser, where exported figures and moved data go, and
// the user's settings. The application
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
    // Where the data goes when the operator moves it, and the user's settings
    // that remember it; without them the data cannot be moved.
    FolderChooser *folderChooser = nullptr;
    QSettings *settings = nullptr;
    // Told how far a long check of a data file has come; null: a progress window of the window's own.
    OpenProgress *progress = nullptr;
};
