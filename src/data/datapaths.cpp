#include "data/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

DataPaths chooseDataPaths(const QString &applicationDir, bool windows,
                          const std::function<bool(const QString &)> &isFile)
{
    DataPaths paths;
    if (windows) {
        if (isFile(QStringLiteral("c:\\vmkdevelop.txt")))
            paths.DataPath = QStringLiteral("c:\\develop4\\Pelora\\data\\");
        else
            paths.DataPath = applicationDir + QStringLiteral("\\data\\");
    } else {
        QString dir = applicationDir;
        if (!dir.endsWith(u'/'))
            dir += u'/';
        paths.DataPath = dir + QStringLiteral("data/");
    }
    paths.MainDbPath = paths.DataPath + QString::fromUtf16(MainDbFileName);
    paths.WorkDbPath = paths.DataPath + QString::fromUtf16(WorkDbFileName);
    return paths;
}

DataPaths dataPathsForThisProgram()
{
#ifdef Q_OS_WIN
    const bool windows = true;
    const QString appDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
#else
    const bool windows = false;
    const QString appDir = QCoreApplication::applicationDirPath();
#endif
    return chooseDataPaths(appDir, windows,
                           [](const QString &path) { return QFileInfo(path).isFile(); });
}
