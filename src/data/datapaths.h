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

// What the data folder rule asks of the file system, replaceable in tests.
struct DataPathProbes
{
    std::function<bool(const QString &)> isFile;
    std::function<bool(const QString &)> isFolder;
    std::function<bool(const QString &)> canWriteIn; // a folder where a new file can be made
};

// The data folder is "data" beside the program, so that a copied program
// folder carries its data, whenever that folder already exists or the
// program's folder takes new files. Otherwise (a program under Program Files,
// or in the bin folder of an installation, which is never a data home) it is
// "data" in the user's application-data folder, userDataDir. With no user
// folder (none given, as in tests) the data is beside the program, unprobed.
// On Windows a developer's machine is recognised by a marker file at a fixed
// path; it points the program at a fixed development data folder.
// The application folder is used as the platform reports it: a Windows drive
// root keeps its trailing backslash, so the result then has two in a row.
DataPaths chooseDataPaths(const QString &applicationDir, bool windows, const QString &userDataDir,
                          const DataPathProbes &probes);

// True when a file can be made and removed again in folder: tried for real,
// since permission bits do not tell a read-only mount or an access list.
bool canWriteIn(const QString &folder);

// The same rule for the running program.
DataPaths dataPathsForThisProgram();
