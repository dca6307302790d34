#pragma once

#include "data/datapaths.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

// Why start-up could not open the data: which file, and what is wrong with it,
// both in words for the operator.
struct StartupError
{
    QString file;
    QString cause;
    QString message() const;
};

// Owns the two connections (main and work) and the lock that keeps a second
// Pelora away from the same data folder. Opening never recreates, alters or
// empties an existing file: a missing file is created with its tables, an
// existing one is only checked.
class DataStore
{
public:
    DataStore();
    ~DataStore();
    DataStore(const DataStore &) = delete;
    DataStore &operator=(const DataStore &) = delete;

    std::optional<StartupError> open(const DataPaths &paths);
    void close();

    const DataPaths &paths() const { return m_paths; }
    QString mainName() const { return m_mainName; }
    QString workName() const { return m_workName; }
    QSqlDatabase main() const;
    QSqlDatabase work() const;

private:
    std::optional<StartupError> openFile(const QString &connectionName, const QString &path,
                                         bool mainFile);

    DataPaths m_paths;
    QString m_mainName;
    QString m_workName;
    std::unique_ptr<QLockFile> m_lock;
};
