#include "portable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <filesystem>
#include <system_error>

namespace portable {

bool linkOrCopy(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::create_hard_link(QFileInfo(from).filesystemFilePath(), QFileInfo(to).filesystemFilePath(),
                                      error);
    return !error || QFile::copy(from, to);
}

qint64 endedProcessId()
{
    // The test program itself, asked only for its list of test functions.
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-functions")});
    process.waitForStarted();
    const qint64 id = process.processId();
    process.waitForFinished();
    return id;
}

} // namespace portable
