// The refusals DataStore gives that are about more than one file (the lock,
// a damaged or replaced main file), the ways forward it offers, and a copy
// put back while the window runs.
#include "data/datastore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/filecheck.h"
#include "data/files.h"
#include "data/restore.h"
#include "data/schema.h"
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

std::optional<StartupError> DataStore::lockFolder(const QString &folder)
{
    switch (m_lock.lock(folder)) {
    case FolderLock::Result::Locked:
        return std::nullopt;
    case FolderLock::Result::HeldByAnother: {
        const std::optional<FolderLock::Owner> owner = FolderLock::owner(folder);
        if (owner && owner->state == FolderLock::State::Checking)
            return StartupError{folder, u"Pelora がこのデータフォルダのデータを検査しています（起動の途中です）。"_s,
                                u"検査が終わると Pelora の画面が開きます。そのままお待ちください。"_s};
        return StartupError{folder, u"Pelora は既にこのデータフォルダで起動しています。"_s, {}};
    }
    case FolderLock::Result::OtherComputer: {
        const std::optional<FolderLock::Owner> owner = FolderLock::owner(folder);
        const QString user = owner && !owner->user.isEmpty() ? u"（利用者 %1）"_s.arg(owner->user) : QString();
        const QString since = owner && owner->taken.isValid()
            ? owner->taken.toString(u"yyyy/MM/dd HH:mm"_s) + u" から"_s : QString();
        return StartupError{FolderLock::lockFilePath(folder),
                            u"別のコンピューター「%1」%2が %3このデータフォルダで Pelora を使っています。"_s.arg(
                                owner ? owner->host : QString(), user, since),
                            {}, StartupError::Remedy::TakeOverLock};
    }
    case FolderLock::Result::LockIsFolder:
        return StartupError{FolderLock::lockFilePath(folder),
                            u"「Pelora.lock」という名前のフォルダーがあります。この名前は、Pelora が起動中であることを"
                            u"記録するファイルに使います。"_s,
                            u"このフォルダーの名前を変えるか、別の場所へ移してから、起動してください。"_s};
    case FolderLock::Result::LockUnreadable:
        return StartupError{FolderLock::lockFilePath(folder),
                            u"Pelora.lock を読み取れません（アクセス権がありません）。どのコンピューターの Pelora が"
                            u"このデータフォルダを使っているか分かりません。"_s,
                            u"このデータフォルダで Pelora を使っているコンピューターがないことを確かめてから、"
                            u"Pelora.lock の名前を変えて、起動してください。"_s};
    case FolderLock::Result::CannotWrite:
        break;
    }
    return StartupError{folder, u"データフォルダに書き込めません。"_s, {}};
}

StartupError DataStore::damaged(File file, const QString &cause) const
{
    if (file == File::Work)
        return StartupError{m_paths.WorkDbPath, cause, {}, StartupError::Remedy::RebuildWork};
    StartupError error{m_paths.MainDbPath, cause};
    error.touched = m_journalRolledBack;
    // The newest copy that passes the check is offered; newer ones that fail it are counted.
    const QStringList copies = backup::copies(backup::folderFor(m_paths.MainDbPath));
    int failed = 0;
    runAside(
        [&](OpenSteps &steps) {
            for (const QString &copy : copies) {
                if (filecheck::wholeDatabase(copy, &steps)) {
                    error.copy = copy;
                    return;
                }
                ++failed;
            }
        },
        m_progress);
    if (error.copy.isEmpty()) {
        error.advice = copies.isEmpty()
            ? u"backup フォルダーに控えがありません。"_s
            : u"backup フォルダーの控え %1 件は、どれも検査で誤りが見つかりました。"_s.arg(copies.size());
        return error;
    }
    const QString which = failed == 0 ? u"最新の控え"_s : u"誤りのない最新の控え"_s;
    error.remedy = StartupError::Remedy::RestoreNewest;
    error.advice = which + u": "_s + QDir::toNativeSeparators(error.copy);
    if (failed > 0)
        error.advice.prepend(u"より新しい控え %1 件は、検査で誤りが見つかりました。\n"_s.arg(failed));
    error.offer = which + u"（%1）"_s.arg(restore::describe(error.copy).summary());
    return error;
}

// A main file that is not the data Pelora last used: a copy put in its
// place, or an older state of the data (fewer writes than the session record
// counts). The same or a newer state is simply used, wherever the folder now
// lies: copied to another computer, or kept in a synced folder.
std::optional<StartupError> DataStore::otherFile(const QSqlDatabase &main) const
{
    const QString &path = m_paths.MainDbPath;
    // A file that cannot be read that far is left to the check of its contents.
    const std::optional<qint64> generation = generationOf(main);
    if (!generation)
        return std::nullopt;
    const bool copy = copyextras::isCopy(main);
    if (!copy && !session::olderThanRecorded(session::read(m_paths.DataPath), stampOf(path), *generation))
        return std::nullopt;
    StartupError error{path,
                       copy ? u"バックアップの控えが、データファイルとして置かれています。"_s
                            : u"前回 Pelora が使っていたときより古い内容のファイルです（入れ替えられたか、"
                              u"置き換えられたファイルです）。"_s,
                       {}, StartupError::Remedy::UseThisFile};
    error.touched = m_journalRolledBack;
    QStringList lines{u"このファイル: "_s + countsText(restore::counts(path))};
    const QList<restore::CopyInfo> copies = restore::copies(path);
    if (!copies.isEmpty() && backup::parseCopyName(QFileInfo(copies.first().path).fileName()))
        lines.append(u"最新の控え: "_s + copies.first().summary());
    for (const restore::CopyInfo &each : copies) {
        if (each.reason == copyextras::AtClose) {
            lines.append(u"前回閉じたときの控え: %1（%2）"_s.arg(QFileInfo(each.path).fileName(),
                                                                 each.taken.toString(u"yyyy/MM/dd HH:mm:ss"_s)));
            break;
        }
    }
    error.offer = lines.join(u'\n');
    return error;
}


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
    case StartupError::Remedy::MakeTables: {
        const QString name = m_mainName + u"-making"_s;
        std::optional<QString> failed = server::connect(name, *m_server);
        if (!failed && !server::makeTables(QSqlDatabase::database(name, false)))
            failed = u"データベースに表を作れません（権限がないか、書き込めません）。"_s;
        closeConnection(name);
        if (failed)
            return failed;
        break;
    }
    case StartupError::Remedy::LocalReadOnly:
        m_readOnly = true;
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
    if (m_server)
        return restoreOnServer(copy, progress);
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
