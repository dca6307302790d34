#include "data/datapaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QUuid>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString ChosenFolderKey = u"data/folder"_s;

QString withSeparator(QString folder, QChar separator)
{
    if (!folder.endsWith(separator))
        folder += separator;
    return folder;
}

DataPaths inFolder(const QString &dataPath)
{
    return {dataPath, dataPath + QString::fromUtf16(MainDbFileName), dataPath + QString::fromUtf16(WorkDbFileName)};
}

QString besideProgram(const QString &applicationDir, bool windows)
{
    return windows ? applicationDir + u"\\data\\"_s : withSeparator(applicationDir, u'/') + u"data/"_s;
}

QString inUserFolder(const QString &userDataDir, bool windows)
{
    QString user = userDataDir;
    if (windows)
        user.replace(u'/', u'\\');
    const QChar separator = windows ? u'\\' : u'/';
    return withSeparator(user, separator) + u"data"_s + separator;
}

} // namespace

// An installed program's folder (a bin folder, Program Files): writable only
// with more rights (root, an administrator), it never gets a data folder of
// its own, so that a run with those rights does not leave the data where a
// normal run cannot write it.
static bool isInstalledProgramFolder(const QString &applicationDir, bool windows)
{
    if (!windows)
        return QFileInfo(QDir::cleanPath(applicationDir)).fileName() == u"bin"_s;
    static const QRegularExpression programFiles(u"^program files( \\(x86\\))?$"_s,
                                                 QRegularExpression::CaseInsensitiveOption);
    const QStringList parts = QString(applicationDir).replace(u'\\', u'/').split(u'/');
    return std::any_of(parts.cbegin(), parts.cend(),
                       [](const QString &part) { return programFiles.match(part).hasMatch(); });
}

DataPaths chooseDataPaths(const QString &applicationDir, bool windows, const QString &userDataDir,
                          const DataPathProbes &probes)
{
    if (windows && probes.isFile(u"c:\\vmkdevelop.txt"_s))
        return inFolder(u"c:\\develop4\\Pelora\\data\\"_s);

    const QString beside = besideProgram(applicationDir, windows);
    if (userDataDir.isEmpty() || probes.isFolder(beside))
        return inFolder(beside);
    // A per-user setup installs into a folder the user can write: its marker
    // says that the folder is the program's, not the data's.
    const bool installed = isInstalledProgramFolder(applicationDir, windows)
        || (windows && probes.isFile(withSeparator(applicationDir, u'\\') + QString::fromUtf16(InstalledMarkerFileName)));
    if (!installed && probes.canWriteIn(applicationDir))
        return inFolder(beside);
    return inFolder(inUserFolder(userDataDir, windows));
}

DataPaths dataPathsIn(const QString &folder, bool windows)
{
    return inFolder(windows ? withSeparator(QString(folder).replace(u'/', u'\\'), u'\\') : withSeparator(folder, u'/'));
}

bool holdsData(const DataPaths &paths, const DataPathProbes &probes)
{
    return probes.isFile(paths.MainDbPath) || probes.isFile(paths.WorkDbPath);
}

DataLocation locateData(const ProgramPlace &place, const QString &chosenFolder, const DataPathProbes &probes)
{
    if (!chosenFolder.isEmpty()) {
        const DataPaths chosen = dataPathsIn(chosenFolder, place.windows);
        if (holdsData(chosen, probes))
            return {DataLocation::Kind::Use, chosen, {}};
        return {DataLocation::Kind::ChosenMissing, chosen, locateData(place, {}, probes).paths};
    }
    const DataPaths rule = chooseDataPaths(place.applicationDir, place.windows, place.userDataDir, probes);
    const QString beside = besideProgram(place.applicationDir, place.windows);
    const QString user = inUserFolder(place.userDataDir, place.windows);
    // The developer's folder and a program without a user folder have no other candidate.
    if (place.userDataDir.isEmpty() || (rule.DataPath != beside && rule.DataPath != user))
        return {DataLocation::Kind::Use, rule, {}};
    const DataPaths other = inFolder(rule.DataPath == beside ? user : beside);
    if (holdsData(rule, probes))
        return holdsData(other, probes) ? DataLocation{DataLocation::Kind::AskWhich, rule, other}
                                        : DataLocation{DataLocation::Kind::Use, rule, {}};
    return {DataLocation::Kind::Use, holdsData(other, probes) ? other : rule, {}};
}

QString chosenDataFolder(const QSettings &settings)
{
    return settings.value(ChosenFolderKey).toString();
}

bool rememberDataFolder(QSettings &settings, const QString &folder)
{
    settings.setValue(ChosenFolderKey, folder);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool forgetDataFolder(QSettings &settings)
{
    settings.remove(ChosenFolderKey);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool canWriteIn(const QString &folder)
{
    const QString probe = QDir(folder).filePath(
        u".pelora-probe-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces));
    QFile file(probe);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = file.write("probe", 5) == 5 && file.flush();
    file.close();
    return file.remove() && written;
}

DataPathProbes fileSystemProbes()
{
    return {
        [](const QString &path) { return QFileInfo(path).isFile(); },
        [](const QString &path) { return QFileInfo(path).isDir(); },
        [](const QString &path) { return canWriteIn(path); },
    };
}
