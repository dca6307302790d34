#pragma once

#include "data/datapaths.h"

#include <QString>
#include <QStringList>

// A data folder of generated employees and registered sheets, made once and
// kept under a cache folder so that later runs start at once.
struct Dataset
{
    int employees = 0;
    int sheets = 0;
    qint64 lines = 0;
    QString folder;
    DataPaths paths;
    // A registered sheet of 60 lines, the one the sheet operations work on.
    QString probeName;
    QString probeTitle;
};

namespace bench {

DataPaths pathsOfFolder(const QString &folder);

// The generated data of employees employees and sheets sheets (20 to 60 lines
// each) under cacheRoot, generating it first when it is not there yet. An
// empty folder in the result means generation failed; error says why.
Dataset ensureDataset(const QString &cacheRoot, int employees, int sheets, QString *error);

} // namespace bench
