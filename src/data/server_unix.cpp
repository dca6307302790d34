// Where libpq reads the user's passwords on Unix.
#include "data/server.h"

#include <QDir>

namespace server {

QString passwordFilePath()
{
    const QString set = qEnvironmentVariable("PGPASSFILE");
    return set.isEmpty() ? QDir::home().filePath(QStringLiteral(".pgpass")) : set;
}

} // namespace server
