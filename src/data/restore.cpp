#include "data/restore.h"

#include "data/backup.h"
#include "data/copyextras.h"
#include "data/filestamp.h"
#include "data/filesync.h"
#include "data/session.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace restore {

namespace {

// The copy's own file as the main file: extras out, the main file's journal mode.
bool prepare(const QString &file)
{
    return copyextras::withFile(file, false, [](const QSqlDatabase &db) {
        return copyextras::strip(db) && sql::exec(db, u"PRAGMA journal_mode=DELETE"_s);
    });
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
    copyextras::withFile(file, true, [&result](const QSqlDatabase &db) {
        bool ok = false;
        const QList<sql::Row> rows = sql::rows(
            db, u"SELECT (SELECT count(*) FROM 時給ヘッダ), (SELECT count(*) FROM 従業員)"_s, {}, &ok);
        if (ok && !rows.isEmpty())
            result = {rows.first().value(0).toInt(), rows.first().value(1).toInt()};
        return ok;
    });
    return result;
}

CopyInfo describe(const QString &copyPath)
{
    CopyInfo info;
    info.path = copyPath;
    info.size = QFileInfo(copyPath).size();
    const QString stamp = QFileInfo(copyPath).fileName().mid(7, 15); // Pelora-yyyyMMdd-HHmmss
    info.taken = QDateTime::fromString(stamp, u"yyyyMMdd-HHmmss"_s);
    copyextras::withFile(copyPath, true, [&info](const QSqlDatabase &db) {
        info.reason = copyextras::reason(db);
        return true;
    });
    std::tie(info.sheets, info.employees) = counts(copyPath);
    return info;
}

QList<CopyInfo> copies(const QString &mainPath)
{
    QList<CopyInfo> all;
    for (const QString &path : backup::copies(backup::folderFor(mainPath)))
        all.append(describe(path));
    return all;
}

QString newestWithHints(const QString &mainPath)
{
    for (const QString &path : backup::copies(backup::folderFor(mainPath)))
        if (copyextras::withFile(path, true, [](const QSqlDatabase &db) { return copyextras::hasHints(db); }))
            return path;
    return {};
}

std::optional<QString> moveAside(const QString &file)
{
    const QFileInfo info(file);
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString target;
    for (int n = 1; target.isEmpty() || QFileInfo::exists(target) || QFileInfo::exists(target + u"-journal"_s); ++n) {
        const QString name = u"%1-old-%2%3.%4"_s.arg(info.completeBaseName(), stamp,
                                                      n == 1 ? QString() : u"-%1"_s.arg(n), info.suffix());
        target = info.dir().filePath(name);
    }
    // The file first: a journal left without its file is refused at the next
    // start, a file left without its journal would be read half-written.
    const bool had = info.exists();
    if (had && !QFile::rename(file, target))
        return std::nullopt;
    for (const QString &suffix : {u"-journal"_s, u"-wal"_s, u"-shm"_s})
        if (QFileInfo::exists(file + suffix) && !QFile::rename(file + suffix, target + suffix))
            return std::nullopt;
    return had ? target : QString();
}

Result putInPlace(const QString &copy, const DataPaths &paths)
{
    const QString &mainPath = paths.MainDbPath;
    const QString part = mainPath + u".restore"_s;
    for (const QString &leftover : {part, part + u"-journal"_s})
        QFile::remove(leftover);
    if (!QFile::copy(copy, part) || !prepare(part) || !files::syncFile(part) || !backup::wholeDatabase(part)) {
        QFile::remove(part);
        return {false, {}, u"控えを読み取れないか、控えが壊れています。"_s};
    }
    const std::optional<QString> aside = moveAside(mainPath);
    if (!aside || !QFile::rename(part, mainPath)) {
        QFile::remove(part);
        return {false, {}, u"データフォルダーのファイルの名前を変えられません。"_s};
    }
    // The file is the copy as checked: trusted at the next start, and
    // already copied.
    backup::recordAsLastCopy(mainPath, copy);
    session::write(paths.DataPath, {true, stampOf(mainPath)});
    return {true, *aside, {}};
}

} // namespace restore
