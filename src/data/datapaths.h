#pragma once

#include <QString>
#include <functional>

// Where the two database files live. DataPath always ends in the platform's
// folder separator so that a file name can be appended directly.
struct DataPaths
{
    QString DataPath;
    QString MainDbPath;
    QString WorkDbPath;
};

inline constexpr char16_t MainDbFileName[] = u"Pelora.mdb";
inline constexpr char16_t WorkDbFileName[] = u"PeloraWork.mdb";

// On Windows a developer's machine is recognised by a marker file at a fixed
// path; it points the program at a fixed development data folder. Elsewhere
// (and on every office machine) the data sits in "data" beside the program.
// The application folder is used as the platform reports it: a Windows drive
// root keeps its trailing backslash, so the result then has two in a row.
DataPaths chooseDataPaths(const QString &applicationDir, bool windows,
                          const std::function<bool(const QString &)> &isFile);

// The same rule for the running program.
DataPaths dataPathsForThisProgram();
