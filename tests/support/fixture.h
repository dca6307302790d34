#pragma once

#include "app/frmpelora.h"
#include "data/datapaths.h"
#include "data/server.h"
#include "controls.h"
#include "scriptedpresenter.h"

#include <QSettings>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

class DataGrid;

// A Pelora started offscreen on a fresh data folder of its own, with scripted
// dialogs, a recorded statement output and recorded browser requests.
class Pelora
{
public:
    Pelora();
    ~Pelora();

    // Starts (or restarts) the window on the data folder; false when start-up refused.
    bool start();
    void stop();

    FrmPelora *w = nullptr;
    ScriptedPresenter presenter;
    RecordingOutput output;
    StatementOutput *statementOutput = &output; // another (the real preview) set before start()
    ScriptedChooser chooser;
    ScriptedFolderChooser folderChooser;
    RecordingProgress progress;
    QList<QUrl> openedUrls;
    bool desktopOpens = true; // false: as a desktop without a browser or file manager
    DataPaths paths;
    QTemporaryDir dir;
    // The user's settings, in a file of the test's own.
    QSettings settings{dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};

    Services services();

    // Run with PELORA_TEST_ON_SERVER set (the tests' *_server variants), each
    // Pelora keeps its main data in a database of its own on the server
    // PELORA_TEST_PG names ("host=… port=… dbname=… user=… password=…"),
    // made with Pelora's tables and dropped at the end; query() and execute()
    // on its main file's path reach that database.
    static bool onServer();
    // The server of PELORA_TEST_PG, in database (its own dbname when empty).
    static server::Config testServer(const QString &database = {});
    // Runs fn on a connection of its own to database on that server.
    static bool onTestServer(const QString &database, const std::function<bool(const QSqlDatabase &)> &fn);
    // Rows of a statement run there; ok tells whether it ran.
    static QList<QVariantList> serverRows(const QString &database, const QString &statement, bool *ok = nullptr);

    // Rows read from a database file through a connection of the test's own.
    static QList<QVariantList> query(const QString &file, const QString &statement,
                                     const QVariantList &values = {});
    static bool execute(const QString &file, const QString &statement, const QVariantList &values = {});
    // Data files made by Pelora itself in paths' folder, holding this many sheets.
    static bool makeData(const DataPaths &paths, int sheets);
    // Data files as an earlier Pelora left them: the main file at version
    // (FileSchema), the work file at its first, and an employee and two sheets
    // registered, one with a shift past midnight as that version computed it.
    static bool makeOlderData(const DataPaths &paths, int version);
    QList<QVariantList> mainRows(const QString &statement, const QVariantList &values = {}) const
    {
        return query(paths.MainDbPath, statement, values);
    }
    QList<QVariantList> workRows(const QString &statement, const QVariantList &values = {}) const
    {
        return query(paths.WorkDbPath, statement, values);
    }

private:
    std::unique_ptr<FrmPelora> m_window;
    QString m_database; // on a server: the test's database
};

// Everything the time-sheet page shows, to tell whether an operation left it alone.
struct SheetPage
{
    QString name, title;
    QVariantList fields; // 時給, 休憩, 調整額, 時間, 合計
    QList<QVariantList> lines;
};
SheetPage sheetPage(FrmPelora *w);

// Checks that the one dialog shown is the catalog's information box for a
// missing name or title (the text as title and prompt, OK only) and that the
// focus went to the field named focusName. Returns false when a check failed.
bool verifyMissingKeyMessage(const Pelora &app, const QString &message, const QString &focusName);

// Whether a dialog is the question before typed input that is not registered
// is dropped, naming pages (「入力シート」, 「入力シート」と「従業員」), No preselected.
bool isDiscardQuestion(const MessageRequest &asked, const QString &pages);

// What an operator does with keyboard and mouse.
namespace op {

// Types text into the focused widget key by key (non-Latin text as key events carrying it).
void type(QWidget *widget, const QString &text);
// Gives a field the focus, replaces its text by typing, and leaves it with Tab.
void fill(QWidget *field, const QString &text);
void focus(QWidget *widget);
void click(QWidget *button);
// Puts the cursor on a cell, opens its editor (F2), types and commits with key.
void typeCell(DataGrid *grid, int row, int column, const QString &text, int key = Qt::Key_Return);
// Picks a row and column of a grid as a mouse click would.
void selectCell(DataGrid *grid, int row, int column);
// Clicks a cell with the mouse (into its editor, when one is open there),
// types and leaves the cell with Tab.
void clickCell(DataGrid *grid, int row, int column, const QString &text);

} // namespace op
