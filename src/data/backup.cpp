#include "data/backup.h"

#include "data/server.h"

#include "data/background.h"
#include "data/copyextras.h"
#include "data/filecheck.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace backup {

QString restoreAdvice(const QString &mainPath)
{
    const QStringList all = copies(folderFor(mainPath));
    if (all.isEmpty())
        return u"backup フォルダーに控えがありません。"_s;
    return u"最新の控え: %1"_s.arg(QDir::toNativeSeparators(all.first()));
}

std::optional<QString> atStartup(const QSqlDatabase &main, const QString &mainPath, bool trusted,
                                 OpenSteps *steps)
{
    const bool changed = changedSinceLastCopy(mainPath);
    if (trusted && !changed)
        return std::nullopt;
    // A file Pelora did not close itself is checked in full, indexes against
    // their tables included; one it closed is only copied, after the quicker check.
    OpenSteps unseen;
    OpenSteps &counted = steps ? *steps : unseen;
    if (trusted)
        counted.begin(OpenSteps::Phase::Checking, 1);
    if (!(trusted ? filecheck::quickCheck(main) : filecheck::checkWhole(main, &counted))) {
        const QString cause = u"ファイルの中身が壊れています（整合性の検査で誤りが見つかりました）。"_s;
        if (copies(folderFor(mainPath)).isEmpty())
            return cause;
        return cause + u"backup フォルダーに以前の控えがあります。"_s;
    }
    if (changed && filecheck::holdsData(main)) {
        counted.begin(OpenSteps::Phase::Copying, 1);
        takeCopy(main, mainPath, copyextras::AfterStartupCheck);
        ++counted.done;
    }
    return std::nullopt;
}

void atShutdown(const QSqlDatabase &main, const QString &mainPath)
{
    // A server's tables are copied when any computer wrote them since the last copy.
    if (server::isServer(main)) {
        if (serverChangedSinceLastCopy(main, mainPath) && filecheck::holdsData(main))
            takeCopy(main, mainPath, copyextras::AtClose);
        return;
    }
    if (changedSinceLastCopy(mainPath) && filecheck::holdsData(main) && filecheck::quickCheck(main))
        takeCopy(main, mainPath, copyextras::AtClose);
}

bool ensureCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason)
{
    if (!filecheck::holdsData(main))
        return true;
    // What a server holds may have changed on another computer at any moment.
    if (server::isServer(main))
        return !serverChangedSinceLastCopy(main, mainPath) || !takeCopy(main, mainPath, reason).isEmpty();
    // The state names a copy only while that copy is still the very file written.
    if (!changedSinceLastCopy(mainPath))
        return true;
    if (!filecheck::quickCheck(main)) {
        qWarning().noquote() << "The main file failed its check; nothing is changed:" << mainPath;
        return false;
    }
    return !takeCopy(main, mainPath, reason).isEmpty();
}

} // namespace backup
