// The ways forward DataStore offers after a refusal, and a copy put back
// while the window runs.
#include "data/datastore.h"

#include "data/copyextras.h"
#include "data/files.h"
#include "data/restore.h"

#include <QDir>

using namespace Qt::StringLiterals;

std::optional<QString> DataStore::applyRemedy(const StartupError &error, OpenProgress *progress)
{
    switch (error.remedy) {
    case StartupError::Remedy::None:
        break;
    case StartupError::Remedy::RestoreNewest: {
        std::optional<QString> failure;
        runAside([&](OpenSteps &steps) { failure = restore::prepare(error.copy, m_paths, &steps); }, progress);
        if (failure)
            return failure;
        const restore::Result result = restore::swapIn(error.copy, m_paths);
        if (!result.done)
            return result.failure;
        m_hintsFrom = error.copy;
        break;
    }
    case StartupError::Remedy::RebuildWork: {
        const QString aside = files::freeName(
            m_paths.DataPath, u"PeloraWork-old-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s),
            u".mdb"_s);
        if (const files::WriteError moved = files::moveAside(m_paths.WorkDbPath, aside);
            moved != files::WriteError::None)
            return u"作業ファイルの名前を変えられません（%1）。"_s.arg(files::reason(moved));
        m_hintsFrom = restore::newestWithHints(m_paths.MainDbPath);
        break;
    }
    case StartupError::Remedy::UseThisFile:
        m_acceptOtherFile = true;
        break;
    case StartupError::Remedy::TakeOverLock:
        if (const files::WriteError moved = FolderLock::moveAside(QDir::cleanPath(m_paths.DataPath));
            moved != files::WriteError::None)
            return u"Pelora.lock の名前を変えられません（%1）。"_s.arg(files::reason(moved));
        break;
    }
    return std::nullopt;
}

restore::Result DataStore::restoreCopy(const QString &copy, OpenProgress *progress)
{
    // Everything that can fail without the main file moving is done first,
    // while the connection stays as it is.
    std::optional<QString> failure;
    runAside([&](OpenSteps &steps) { failure = restore::prepare(copy, m_paths, &steps); }, progress);
    if (failure)
        return {false, {}, *failure};
    closeConnection(m_mainName);
    restore::Result result = restore::swapIn(copy, m_paths);
    // The file now in place (the copy, or the old one when a rename failed and
    // was undone) is opened as it stands; a missing file is never made anew.
    m_progress = progress;
    const std::optional<StartupError> reopened = openFile(File::Main, false, true);
    m_progress = nullptr;
    m_opened = stampOf(m_paths.MainDbPath);
    recordSession(false);
    if (reopened) {
        result.failure = (result.done ? u"控えは戻しましたが、そのファイルを開けません（%1）。"_s
                                      : u"データファイルを開き直せません（%1）。"_s)
                             .arg(reopened->cause)
            + u"Pelora を閉じて、起動し直してください。"_s;
        return result;
    }
    if (result.done && !copyextras::hintsToWork(work(), copy))
        qWarning().noquote() << "The hint texts could not be brought back from" << copy;
    return result;
}
