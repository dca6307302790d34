#include "data/restore.h"

#include "data/background.h"
#include "data/copies.h"
#include "data/copyextras.h"
#include "data/filecheck.h"
#include "data/files.h"
#include "data/filestamp.h"
#include "data/schema.h"
#include "data/session.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

using namespace Qt::StringLiterals;

namespace restore {

namespace {

const QString AsidePrefix = u"Pelora-old-"_s;
const QString ReplacedReason = u"復元で置き換えたファイル"_s;

} // namespace

QString preparedFile(const DataPaths &paths)
{
    return paths.MainDbPath + u".restore"_s;
}

namespace {

QString planFile(const DataPaths &paths)
{
    return QDir(paths.DataPath).filePath(u"Pelora.restoring"_s);
}

void removePrepared(const DataPaths &paths)
{
    for (const QString &suffix : {QString(), u"-journal"_s})
        files::remove(preparedFile(paths) + suffix);
}

// When a file was moved aside: from its name, as a copy's.
std::optional<backup::CopyName> asideName(QStringView fileName)
{
    if (!fileName.startsWith(AsidePrefix))
        return std::nullopt;
    return backup::parseCopyName(u"Pelora-"_s.append(fileName.mid(AsidePrefix.size())));
}

// The main file as the copy left it: its session record closed on it, and
// the copy its last copy, so that the next start trusts it as it stands.
void recordPutBack(const QString &copy, const DataPaths &paths)
{
    backup::recordAsLastCopy(paths.MainDbPath, copy);
    std::optional<qint64> generation;
    sql::withFile(paths.MainDbPath, sql::Access::ReadOnly, [&generation](const QSqlDatabase &db) {
        generation = generationOf(db);
        return true;
    });
    session::write(paths.DataPath, {true, stampOf(paths.MainDbPath), generation});
}

// The main file moved aside comes back, with its journal.
void moveBack(const QString &aside, const DataPaths &paths)
{
    files::replace(aside, paths.MainDbPath);
    for (const QString &suffix : {u"-journal"_s, u"-wal"_s, u"-shm"_s})
        if (QFileInfo::exists(aside + suffix))
            files::replace(aside + suffix, paths.MainDbPath + suffix);
}

QString failedRename(files::WriteError error)
{
    return u"データフォルダーのファイルの名前を変えられません（%1）。"_s.arg(files::reason(error));
}

} // namespace

QString CopyInfo::summary() const
{
    QString text = taken.toString(u"yyyy/MM/dd HH:mm:ss"_s);
    if (!reason.isEmpty())
        text += u"（%1）"_s.arg(reason);
    if (sheets < 0)
        return text + u"、読み取れません"_s;
    return text + u"、シート %1 件、従業員 %2 人"_s.arg(sheets).arg(employees);
}

std::pair<int, int> counts(const QString &file)
{
    std::pair<int, int> result{-1, -1};
    sql::withFile(file, sql::Access::ReadOnly, [&result](const QSqlDatabase &db) {
        bool ok = false;
        const QList<sql::Row> rows = sql::rows(
            db, u"SELECT (SELECT count(*) FROM 時給ヘッダ), (SELECT count(*) FROM 従業員)"_s, {}, &ok);
        if (ok && !rows.isEmpty())
            result = {rows.first().value(0).toInt(), rows.first().value(1).toInt()};
        return ok;
    });
    return result;
}

CopyInfo describe(const QString &path)
{
    CopyInfo info;
    info.path = path;
    info.size = QFileInfo(path).size();
    const QString name = QFileInfo(path).fileName();
    if (const std::optional<backup::CopyName> aside = asideName(name)) {
        info.taken = aside->taken();
        info.reason = ReplacedReason;
    } else if (const std::optional<backup::CopyName> copy = backup::parseCopyName(name)) {
        info.taken = copy->taken();
        sql::withFile(path, sql::Access::ReadOnly, [&info](const QSqlDatabase &db) {
            info.reason = copyextras::reason(db);
            return true;
        });
    }
    std::tie(info.sheets, info.employees) = counts(path);
    return info;
}

QList<CopyInfo> copies(const QString &mainPath)
{
    QList<CopyInfo> all;
    for (const QString &path : backup::copies(backup::folderFor(mainPath)))
        all.append(describe(path));
    QList<CopyInfo> replaced;
    const QDir folder = QFileInfo(mainPath).absoluteDir();
    for (const QString &name : files::namesStartingWith(folder.path(), AsidePrefix))
        if (asideName(name))
            replaced.append(describe(folder.filePath(name)));
    std::sort(replaced.begin(), replaced.end(), [](const CopyInfo &a, const CopyInfo &b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return all + replaced;
}

QString newestWithHints(const QString &mainPath)
{
    for (const QString &path : backup::copies(backup::folderFor(mainPath)))
        if (sql::withFile(path, sql::Access::ReadOnly, copyextras::hasHints))
            return path;
    return {};
}

std::optional<QString> prepare(const QString &copy, const DataPaths &paths, OpenSteps *steps)
{
    const QString part = preparedFile(paths);
    removePrepared(paths);
    const files::WriteError copied = files::copyWhole(copy, part);
    if (copied == files::WriteError::Other)
        return u"控えを読み取れないか、控えが壊れています。"_s;
    if (copied != files::WriteError::None)
        return u"控えをデータフォルダーに写せません（%1）。"_s.arg(files::reason(copied));
    // The copy's own file as the main file: extras out, the main file's journal mode.
    const bool made = sql::withFile(part, sql::Access::ReadWrite, [](const QSqlDatabase &db) {
        return copyextras::strip(db) && sql::exec(db, u"PRAGMA journal_mode=DELETE"_s);
    });
    const bool full = !made && QStorageInfo(QFileInfo(part).absolutePath()).bytesAvailable() < QFileInfo(part).size();
    if (!made || !files::syncFile(part) || !filecheck::wholeDatabase(part, steps)) {
        removePrepared(paths);
        return full ? u"控えをデータフォルダーに写せません（%1）。"_s.arg(files::reason(files::WriteError::DiskFull))
                    : u"控えを読み取れないか、控えが壊れています。"_s;
    }
    return std::nullopt;
}

Result swapIn(const QString &copy, const DataPaths &paths)
{
    const QString aside = files::freeName(
        paths.DataPath, AsidePrefix + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s), u".mdb"_s);
    const files::WriteError planned = files::writeWhole(planFile(paths), (copy + u'\n' + aside + u'\n').toUtf8());
    if (planned != files::WriteError::None) {
        removePrepared(paths);
        return {false, {}, u"データフォルダーに書き込めません（%1）。"_s.arg(files::reason(planned))};
    }
    const bool hadMain = QFileInfo::exists(paths.MainDbPath);
    files::WriteError error = files::moveAside(paths.MainDbPath, aside);
    if (error == files::WriteError::None)
        error = files::replace(preparedFile(paths), paths.MainDbPath);
    if (error != files::WriteError::None) {
        if (!QFileInfo::exists(paths.MainDbPath) && QFileInfo::exists(aside))
            moveBack(aside, paths);
        removePrepared(paths);
        files::remove(planFile(paths));
        return {false, {}, failedRename(error)};
    }
    recordPutBack(copy, paths);
    files::remove(planFile(paths));
    return {true, hadMain ? aside : QString(), {}};
}

QString finishInterrupted(const DataPaths &paths)
{
    QFile plan(planFile(paths));
    if (!plan.open(QIODevice::ReadOnly)) {
        removePrepared(paths);
        return {};
    }
    const QStringList lines = QString::fromUtf8(plan.readAll()).split(u'\n');
    plan.close();
    const QString copy = lines.value(0);
    const QString aside = QFileInfo::exists(lines.value(1)) ? lines.value(1) : QString();
    const bool mainThere = QFileInfo::exists(paths.MainDbPath);
    const bool preparedThere = QFileInfo::exists(preparedFile(paths));
    bool finished = false;
    if (preparedThere && !mainThere) {
        // Moved aside, not yet renamed in.
        finished = files::replace(preparedFile(paths), paths.MainDbPath) == files::WriteError::None;
    } else if (!preparedThere && mainThere) {
        finished = true; // renamed in; only the records were left to write
    } else if (!mainThere && !aside.isEmpty()) {
        moveBack(aside, paths);
    }
    if (finished)
        recordPutBack(copy, paths);
    removePrepared(paths);
    files::remove(planFile(paths));
    return finished ? aside : QString();
}

} // namespace restore
