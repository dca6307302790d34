#include "data/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

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

    const QChar separator = windows ? u'\\' : u'/';
    const QString beside = windows ? applicationDir + u"\\data\\"_s
                                   : withSeparator(applicationDir, separator) + u"data/"_s;
    if (userDataDir.isEmpty() || probes.isFolder(beside))
        return inFolder(beside);
    const bool installed = isInstalledProgramFolder(applicationDir, windows);
    if (!installed && probes.canWriteIn(applicationDir))
        return inFolder(beside);

    QString user = userDataDir;
    if (windows)
        user.replace(u'/', u'\\');
    return inFolder(withSeparator(user, separator) + u"data"_s + separator);
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

DataPaths dataPathsForThisProgram()
{
    const QString userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const DataPathProbes probes{
        [](const QString &path) { return QFileInfo(path).isFile(); },
        [](const QString &path) { return QFileInfo(path).isDir(); },
        [](const QString &path) { return canWriteIn(path); },
    };
#ifdef Q_OS_WIN
    return chooseDataPaths(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()), true,
                           userDataDir, probes);
#else
    return chooseDataPaths(QCoreApplication::applicationDirPath(), false, userDataDir, probes);
#endif
}
