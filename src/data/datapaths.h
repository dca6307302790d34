#pragma once

#include <QString>
#include <functional>

class QSettings;

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
// Put beside Pelora.exe by the Windows setup: the program was installed, and
// keeps its data in the user's folder, out of reach of an upgrade or an uninstall.
inline constexpr char16_t InstalledMarkerFileName[] = u"Pelora.installed";

// What the data folder rule asks of the file system, replaceable in tests.
struct DataPathProbes
{
    std::function<bool(const QString &)> isFile;
    std::function<bool(const QString &)> isFolder;
    std::function<bool(const QString &)> canWriteIn; // a folder where a new file can be made
};

// The probes on the real file system.
DataPathProbes fileSystemProbes();

// The running program as the data folder rule sees it (the platform layer
// tells it for this program).
struct ProgramPlace
{
    QString applicationDir; // as the platform reports it, with its own separators
    bool windows = false;
    QString userDataDir; // the user's application-data folder; empty: none
};

// The data folder is "data" beside the program, so that a copied program
// folder carries its data, whenever that folder already exists or the
// program's folder takes new files. Otherwise (a program under Program Files,
// in the bin folder of an installation, which is never a data home, or one the
// Windows setup installed, whose folder it marks) it is "data" in the user's
// application-data folder, userDataDir. With no user folder (none given, as
// in tests) the data is beside the program, unprobed.
// On Windows a developer's machine is recognised by a marker file at a fixed
// path; it points the program at a fixed development data folder.
// The application folder is used as the platform reports it: a Windows drive
// root keeps its trailing backslash, so the result then has two in a row.
DataPaths chooseDataPaths(const QString &applicationDir, bool windows, const QString &userDataDir,
                          const DataPathProbes &probes);

// The paths of the data in folder, with the system's separator.
DataPaths dataPathsIn(const QString &folder, bool windows);

// Whether the folder holds data: its main file, or the work file a main file
// that went missing left behind (such a folder was in use; start-up refuses it
// rather than it being passed over for another).
bool holdsData(const DataPaths &paths, const DataPathProbes &probes);

// Where the data is for this start. The data folder never moves by itself:
// the folder the operator chose (remembered in the user's settings) is used
// while it holds data, and is never replaced by another when it does not;
// without a choice, the rule's folder (chooseDataPaths) is used unless only
// the other candidate (the user's folder or the one beside the program) holds
// data, and when both do the operator is asked.
struct DataLocation
{
    enum class Kind {
        Use,           // paths
        AskWhich,      // paths (the rule's folder) and other both hold data
        ChosenMissing, // paths, the chosen folder, holds no data; other is where the data would be without it
    };
    Kind kind = Kind::Use;
    DataPaths paths;
    DataPaths other;
};
DataLocation locateData(const ProgramPlace &place, const QString &chosenFolder, const DataPathProbes &probes);

// The folder the operator chose for the data, remembered per user; empty when
// none is. remember() and forget() say whether the settings were written.
QString chosenDataFolder(const QSettings &settings);
bool rememberDataFolder(QSettings &settings, const QString &folder);
bool forgetDataFolder(QSettings &settings);

// True when a file can be made and removed again in folder: tried for real,
// since permission bits do not tell a read-only mount or an access list.
bool canWriteIn(const QString &folder);
