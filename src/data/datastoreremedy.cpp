// The ways forward DataStore offers after a refusal, and a copy put back
// while the window runs.
#include "data/datastore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/restore.h"
#include "data/session.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString countsText(const std::pair<int, int> &counts)
{
    return counts.first < 0 ? u"読み取れません"_s
                            : u"シート %1 件、従業員 %2 人"_s.arg(counts.first).arg(counts.second);
}

} // namespace

std::optional<StartupError> DataStore::replacedFile(const QString &mainPath) const
{
    StartupError error{mainPath,
                       u"前回 Pelora が使っていたファイルではありません（入れ替えられたか、置き換えられたファイルです）。"_s,
                       {}, StartupError::Remedy::UseThisFile, {}};
    QStringList lines{u"このファイル: "_s + countsText(restore::counts(mainPath))};
    const QList<restore::CopyInfo> copies = restore::copies(mainPath);
    if (!copies.isEmpty())
        lines.append(u"最新の控え: "_s + copies.first().summary());
    for (const restore::CopyInfo &copy : copies) {
        if (copy.reason == copyextras::AtClose) {
            lines.append(u"前回閉じたときの控え: %1（%2）"_s.arg(QFileInfo(copy.path).fileName(),
                                                                 copy.taken.toString(u"yyyy/MM/dd HH:mm:ss"_s)));
            break;
        }
    }
    error.offer = lines.join(u'\n');
    return error;
}

std::optional<QString> DataStore::applyRemedy(const StartupError &error)
{
    switch (error.remedy) {
    case StartupError::Remedy::None:
    case StartupError::Remedy::Repair:
        break;
    case StartupError::Remedy::RestoreNewest: {
        const QString copy = backup::copies(backup::folderFor(m_paths.MainDbPath)).value(0);
        const restore::Result result = restore::putInPlace(copy, m_paths);
        if (!result.done)
            return result.failure;
        m_hintsFrom = copy;
        break;
    }
    case StartupError::Remedy::RebuildWork:
        if (!restore::moveAside(m_paths.WorkDbPath))
            return u"作業ファイルの名前を変えられません。"_s;
        m_hintsFrom = restore::newestWithHints(m_paths.MainDbPath);
        break;
    case StartupError::Remedy::UseThisFile:
        m_acceptOtherFile = true;
        break;
    case StartupError::Remedy::TakeOverLock:
        if (!FolderLock::moveAside(QDir::cleanPath(m_paths.DataPath)))
            return u"Pelora.lock の名前を変えられません（そのコンピューターが使用中です）。"_s;
        break;
    }
    return std::nullopt;
}

void DataStore::recordOpenSession()
{
    if (m_recordWritten.valid())
        m_recordWritten.get();
    m_opened = stampOf(m_paths.MainDbPath);
    if (!session::write(m_paths.DataPath, {false, m_opened}))
        qWarning().noquote() << "The session record could not be written in" << m_paths.DataPath;
}

std::optional<QString> DataStore::restoreCopy(const QString &copy)
{
    closeConnection(m_mainName);
    const restore::Result result = restore::putInPlace(copy, m_paths);
    // The file now in place (the copy, or the old one when nothing was moved)
    // is the one this session left or restored: trusted as it stands.
    const std::optional<StartupError> reopened = openFile(m_mainName, m_paths.MainDbPath, true, true);
    recordOpenSession();
    if (reopened)
        return reopened->cause;
    if (!result.done)
        return result.failure;
    if (!copyextras::hintsToWork(work(), copy))
        qWarning().noquote() << "The hint texts could not be brought back from" << copy;
    return std::nullopt;
}
