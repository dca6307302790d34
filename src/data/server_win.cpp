// Where libpq reads the user's passwords on Windows.
#include "data/server.h"

#include <QDir>

namespace server {

QString passwordFilePath()
{
    const QString set = qEnvironmentVariable("PGPASSFILE");
    if (!set.isEmpty())
        return set;
    return QDir(qEnvironmentVariable("APPDATA")).filePath(QStringLiteral("postgresql/pgpass.conf"));
}

} // namespace server
