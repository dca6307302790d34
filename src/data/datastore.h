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
struct StartupError
{
    QString file;
    QString cause;
    QString advice;
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

    // A long read of the main file (its check, its copy) runs aside while this
    // thread keeps handling events, told to progress when one is given.
    std::optional<StartupError> open(const DataPaths &paths, OpenProgress *progress = nullptr);
    void close();

    const DataPaths &paths() const { return m_paths; }
    QString mainName() const { return m_mainName; }
    QString workName() const { return m_workName; }
    QSqlDatabase main() const;
    QSqlDatabase work() const;

private:
    std::optional<StartupError> openBoth();
    std::optional<StartupError> openFile(const QString &connectionName, const QString &path,
                                         bool mainFile, bool trusted);

    DataPaths m_paths;
    QString m_mainName;
    QString m_workName;
    FolderLock m_lock;
    OpenProgress *m_progress = nullptr; // during open() only
    std::optional<FileStamp> m_opened; // the main file as it was opened; set while a session runs
    std::future<bool> m_recordWritten;
};
