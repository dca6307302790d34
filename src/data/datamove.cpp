#include "data/datamove.h"

#include "data/filecheck.h"
#include "data/files.h"
#include "data/filestamp.h"
#include "data/folderlock.h"
#include "data/restore.h"
#include "data/schema.h"
#include "data/session.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace datamove {

namespace {

QString folderOf(const DataPaths &paths)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(paths.DataPath));
}

// A consistent copy of the connection's file, written by SQLite under one read transaction.
bool copyDatabase(const QSqlDatabase &db, const QString &file)
{
    QSqlQuery query(db);
    query.prepare(u"VACUUM INTO ?"_s);
    query.addBindValue(file);
    if (query.exec())
        return true;
    qWarning().noquote() << "The data could not be copied to" << file << query.lastError().text();
    return false;
}

// A data file already in the chosen folder moves aside under a dated name.
bool moveAside(const QString &file)
{
    const QFileInfo info(file);
    const QString baseName =
        info.completeBaseName() + u"-old-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    return files::moveAside(file, files::freeName(info.absolutePath(), baseName, u".mdb"_s))
        == files::WriteError::None;
}

} // namespace

Target judge(const DataPaths &current, const DataPaths &target)
{
    const QString there = folderOf(target);
    if (!QFileInfo(there).isDir() || !canWriteIn(there))
        return Target::Unusable;
    const QDir here(folderOf(current));
    if (here == QDir(there))
        return Target::Current;
    const QString relative = here.relativeFilePath(there);
    if (!relative.startsWith(u".."_s) && !QDir::isAbsolutePath(relative))
        return Target::Inside;
    return holdsData(target, fileSystemProbes()) ? Target::HoldsData : Target::Free;
}

QString describe(const DataPaths &paths)
{
    const QString folder = QDir::toNativeSeparators(folderOf(paths));
    const QFileInfo main(paths.MainDbPath);
    if (!main.isFile())
        return folder + (QFileInfo::exists(paths.WorkDbPath) ? u"（Pelora.mdb がありません）"_s : u"（データはありません）"_s);
    const QString changed = main.lastModified().toString(u"yyyy/MM/dd HH:mm"_s);
    const auto [sheets, employees] = restore::counts(paths.MainDbPath);
    if (sheets < 0)
        return folder + u"（読み取れません、最終更新 %1）"_s.arg(changed);
    return folder + u"（シート %1 件、従業員 %2 人、最終更新 %3）"_s.arg(sheets).arg(employees).arg(changed);
}

std::optional<QString> copyTo(const QSqlDatabase &main, const QSqlDatabase &work, const DataPaths &target)
{
    FolderLock lock;
    if (lock.lock(folderOf(target)) != FolderLock::Result::Locked)
        return u"選んだフォルダーは別の Pelora が使用中です"_s;
    const QString mainPart = target.MainDbPath + u".copy"_s;
    const QString workPart = target.WorkDbPath + u".copy"_s;
    const auto removeParts = [&] {
        for (const QString &part : {mainPart, workPart})
            for (const QString &file : {part, part + u"-journal"_s})
                QFile::remove(file);
    };
    removeParts();
    if (!copyDatabase(main, mainPart) || !copyDatabase(work, workPart) || !files::syncFile(mainPart)
        || !files::syncFile(workPart)) {
        removeParts();
        return u"コピーを書き込めません。ディスクの空きが足りないか、書き込みが拒まれました"_s;
    }
    if (!filecheck::wholeDatabase(mainPart)) {
        removeParts();
        return u"書き込んだコピーを読み返すと壊れています"_s;
    }
    if (!moveAside(target.MainDbPath) || !moveAside(target.WorkDbPath)) {
        removeParts();
        return u"選んだフォルダーにあったデータファイルの名前を変えられません"_s;
    }
    if (!QFile::rename(mainPart, target.MainDbPath) || !QFile::rename(workPart, target.WorkDbPath)) {
        QFile::remove(target.MainDbPath);
        removeParts();
        return u"選んだフォルダーのファイルの名前を変えられません"_s;
    }
    // The main file is the checked copy: trusted at the next open, as a copy put back is.
    std::optional<qint64> generation;
    sql::withFile(target.MainDbPath, sql::Access::ReadOnly, [&generation](const QSqlDatabase &db) {
        generation = generationOf(db);
        return true;
    });
    session::write(target.DataPath, {true, stampOf(target.MainDbPath), generation});
    return std::nullopt;
}

} // namespace datamove
