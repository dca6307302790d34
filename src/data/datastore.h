#pragma once

#include "data/aside.h"
#include "data/datapaths.h"
#include "data/filestamp.h"
#include "data/folderlock.h"

#include <QSqlDatabase>
#include <QString>
#include <future>
#include <optional>

// Why start-up could not open the data: which file, what is wrong with it and,
// where there is something to do about it, what; in words for the operator.
// Some refusals offer a way forward the operator may take in the same dialog;
// offer then says what it would use (the copy, the counts of the file).
struct StartupError
{
    enum class Remedy {
        None,
        Repair,        // set where a file is found unusable; open() turns it into one of the next two
        RestoreNewest, // put the newest copy in place of the main file
        RebuildWork,   // move the work file aside and make a new one
        UseThisFile,   // a main file other than the one Pelora left: use it after all
        TakeOverLock,  // the lock file of another computer: move it aside
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
    QString message() const;
};

// Owns the two connections (main and work), the lock that keeps a second
// Pelora away from the same data folder and the record of the session
// (data/session.h). Opening never recreates, alters or empties an existing
// file. Both files are created with their tables at the first start on a
// folder; at a later start (the work file, a session record or a backup copy
// is there) a missing main file is refused rather than replaced by an empty
// one, while a missing work file, which holds only editing copies and hint
// texts, is created again.
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
    void close();
    // Takes the way forward a refusal offered; why it could not be taken, or nothing.
    std::optional<QString> applyRemedy(const StartupError &error);
    // Puts a backup copy in place of the main file while the window runs: the
    // main connection is closed, the files moved, and the connection reopened
    // on the copy (on the old file again when the copy could not be put in
    // place). Returns why it could not be done, or nothing.
    std::optional<QString> restoreCopy(const QString &copy);

    const DataPaths &paths() const { return m_paths; }
    QString mainName() const { return m_mainName; }
    QString workName() const { return m_workName; }
    QSqlDatabase main() const;
    QSqlDatabase work() const;

private:
    std::optional<StartupError> lockFolder(const QString &folder);
    std::optional<StartupError> openBoth();
    std::optional<StartupError> replacedFile(const QString &mainPath) const;
    void closeConnection(const QString &name);
    void recordOpenSession();
    std::optional<StartupError> openFile(const QString &connectionName, const QString &path,
                                         bool mainFile, bool trusted);

    DataPaths m_paths;
    QString m_mainName;
    QString m_workName;
    FolderLock m_lock;
    OpenProgress *m_progress = nullptr; // during open() only
    std::optional<FileStamp> m_opened; // the main file as it was opened; set while a session runs
    std::future<bool> m_recordWritten;
    bool m_acceptOtherFile = false; // the operator chose to use a main file Pelora did not leave
    QString m_hintsFrom;            // a copy whose hint texts go to the work file once it is open
};
