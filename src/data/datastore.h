#pragma once

#include "data/background.h"
#include "data/datapaths.h"
#include "data/filestamp.h"
#include "data/folderlock.h"
#include "data/restore.h"
#include "data/server.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

// Why start-up could not open the data: which file, what is wrong with it and,
// where there is something to do about it, what; in words for the operator.
// Some refusals offer a way forward the operator may take in the same dialog;
// offer then says what it would use (the copy, the counts of the file).
struct StartupError
{
    enum class Remedy {
        None,
        RestoreNewest, // put the copy named in copy in place of the main file
        RebuildWork,   // move the work file aside and make a new one
        UseThisFile,   // a main file older than the one Pelora left, or a copy: use it after all
        TakeOverLock,  // the lock file of another computer: move it aside
        MakeTables,    // an empty database on the server: make Pelora's tables there
        LocalReadOnly, // the server cannot be reached: start on this computer's files, read only
    };
    StartupError(QString file, QString cause, QString advice = {}, Remedy remedy = Remedy::None, QString offer = {})
        : file(std::move(file)), cause(std::move(cause)), advice(std::move(advice)), remedy(remedy),
          offer(std::move(offer))
    {
    }

    QString file;
    QString cause;
    QString advice;
    Remedy remedy = Remedy::None;
    QString offer;
    QString copy;         // the copy RestoreNewest puts back
    bool touched = false; // SQLite rolled an unfinished write of the file back before the refusal
    QString message() const;
};

// Owns the two connections (main and work), the lock that keeps a second
// Pelora away from the same data folder and the record of the session
// (data/session.h). Opening never empties an existing file; it brings a file
// of an earlier version up to date (after a copy of it is taken). Both files
// are created with their tables at the first start on a folder; at a later
// start (the work file, a session record or a backup copy is there) a missing
// main file is refused rather than replaced by an empty one, while a missing
// work file, which holds only editing copies and hint texts, is created again.
class DataStore
{
public:
    DataStore();
    ~DataStore();
    DataStore(const DataStore &) = delete;
    DataStore &operator=(const DataStore &) = delete;

    // A refused open keeps the data folder locked until the next open() or
    // close(), so that a remedy runs with no other Pelora on the folder. A long
    // read of the main file (its check, its copy) runs aside while this thread
    // keeps handling events, told to progress when one is given.
    std::optional<StartupError> open(const DataPaths &paths, OpenProgress *progress = nullptr);
    // The main data on a server rather than in the folder's main file, from
    // the next open() on; the work file stays in the folder.
    void setServer(const std::optional<server::Config> &config) { m_server = config; }
    const std::optional<server::Config> &serverConfig() const { return m_server; }
    // Started on this computer's files, read only, because the server could not be reached.
    bool readOnly() const { return m_readOnly; }
    // Copies what this computer's main file holds to the server of config
    // (an empty database), checks that it arrived whole, and from then on
    // works on the server. Why it could not, or nothing; the files stay as
    // they are either way.
    std::optional<QString> moveToServer(const server::Config &config);
    // Closes the main data and opens that of place (nothing: this computer's
    // files); when it cannot be opened, the data in use is opened again.
    // Pelora's tables are made on an empty database when makeTables says so.
    // Why it could not, or nothing.
    std::optional<QString> switchPlace(const std::optional<server::Config> &place, bool makeTables = false);
    // Where the main data is, for the operator: the main file or the server.
    QString mainPlace() const;
    void close();
    // Takes the way forward a refusal offered; why it could not be taken, or
    // nothing. A copy put back is checked first, told to progress.
    std::optional<QString> applyRemedy(const StartupError &error, OpenProgress *progress = nullptr);
    // What the operator is to be told once the window is up (a put-back that a
    // killed Pelora left half-done and this start finished), or empty.
    QString notice() const { return m_notice; }
    // Puts a backup copy in place of the main file while the window runs. The
    // copy is checked whole first, aside with progress, while everything stays
    // as it is; only then is the main connection closed, the files renamed and
    // the connection opened again, on the copy or (when a rename failed and was
    // undone) on the file as it was.
    restore::Result restoreCopy(const QString &copy, OpenProgress *progress = nullptr);

    const DataPaths &paths() const { return m_paths; }
    QString mainName() const { return m_mainName; }
    QString workName() const { return m_workName; }
    QSqlDatabase main() const;
    QSqlDatabase work() const;

private:
    enum class File { Main, Work };
    std::optional<StartupError> lockFolder(const QString &folder);
    std::optional<StartupError> openBoth();
    std::optional<StartupError> openOnServer();
    std::optional<StartupError> openReadOnly();
    restore::Result restoreOnServer(const QString &copy, OpenProgress *progress);
    std::optional<StartupError> openFile(File file, bool mayCreate, bool trusted);
    std::optional<StartupError> bringUpToDate(const QSqlDatabase &db, File file);
    std::optional<StartupError> otherFile(const QSqlDatabase &main) const;
    StartupError damaged(File file, const QString &cause) const;
    void closeConnection(const QString &name);
    void recordSession(bool closed);

    DataPaths m_paths;
    QString m_mainName;
    QString m_workName;
    FolderLock m_lock;
    OpenProgress *m_progress = nullptr;  // during open() only
    std::optional<FileStamp> m_opened;   // the main file as it was opened; set while a session runs
    bool m_journalRolledBack = false;    // during open(): the main file's journal is its own and is rolled back
    bool m_acceptOtherFile = false;      // the operator chose to use a main file Pelora did not leave
    QString m_hintsFrom;                 // a copy whose hint texts go to the work file once it is open
    QString m_notice;
    std::optional<server::Config> m_server;
    bool m_readOnly = false;
};
