#include "data/copies.h"

#include "data/copyextras.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/sql.h"
#include "data/datapaths.h"
#include "data/filecheck.h"
#include "data/files.h"
#include "data/filestamp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace backup {

namespace {

// Written beside the copies: which copy was taken last and what the main file
// looked like then, so that start-up can tell without reading the file whether
// a new copy is due.
const QString StateFileName = u"last-copy.txt"_s;
const QString PartSuffix = u".part"_s;

bool allDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString fileNameOf(const CopyName &name)
{
    return name.counter == 1 ? u"Pelora-%1.mdb"_s.arg(name.stamp)
                             : u"Pelora-%1-%2.mdb"_s.arg(name.stamp).arg(name.counter);
}

// What the folder looked like after the last copy: the copy's name and
// stamp (a copy emptied, replaced or changed since no longer counts) and the
// main file's stamp then (none when it was copied from a connection whose file
// had been removed).
struct State
{
    QString copy;
    FileStamp copyStamp;
    std::optional<FileStamp> main;
    QString server; // copied from a server: which, and its count of writes then (serverMark)
};

// A server's tables as they stand: the server and database, and the count of
// writes the server keeps (every computer's writes count). Empty when unknown.
QString serverMark(const QSqlDatabase &main)
{
    const QVariant writes = sql::scalar(main, u"SELECT 番号 FROM 世代"_s);
    if (!writes.isValid())
        return QString();
    return u"%1:%2/%3 %4"_s.arg(main.hostName()).arg(main.port()).arg(main.databaseName()).arg(writes.toLongLong());
}

std::optional<State> readState(const QString &folder)
{
    QFile file(QDir(folder).filePath(StateFileName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    const std::optional<FileStamp> copyStamp = FileStamp::fromText(lines.value(1));
    if (!parseCopyName(lines.value(0)) || !copyStamp)
        return std::nullopt;
    return State{lines.value(0), *copyStamp, FileStamp::fromText(lines.value(2)), lines.value(3)};
}

bool writeState(const QString &folder, const State &state)
{
    // Replaced whole: a start-up killed while writing it keeps the previous state.
    const QString text = u"%1\n%2\n%3\n%4\n"_s.arg(state.copy, state.copyStamp.toText(),
                                                    state.main ? state.main->toText() : QString(), state.server);
    const QString file = QDir(folder).filePath(StateFileName);
    files::removeLeftParts(file);
    return files::writeWhole(file, text.toUtf8()) == files::WriteError::None;
}

// A name for a copy taken now that sorts after every copy there is: the
// second's name, or that name with the next counter. Counting on from the
// newest copy rather than taking the first free name matters: a name freed by
// pruning within the same second would make the new copy the oldest, and the
// next pruning would drop it. A clock set back counts on from the newest copy.
QString freeName(const QString &folder)
{
    CopyName name{QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s)};
    const QStringList existing = copies(folder);
    if (!existing.isEmpty()) {
        const std::optional<CopyName> newest = parseCopyName(QFileInfo(existing.first()).fileName());
        if (newest && newest->stamp >= name.stamp)
            name = CopyName{newest->stamp, newest->counter + 1};
    }
    const QDir dir(folder);
    while (dir.exists(fileNameOf(name)) || dir.exists(fileNameOf(name) + PartSuffix))
        ++name.counter;
    return dir.filePath(fileNameOf(name));
}

// Copies cut short by a killed Pelora: never finished, so never a copy.
void removeLeftovers(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : files::namesStartingWith(folder, u"Pelora-"_s))
        if (name.contains(PartSuffix) && parseCopyName(QStringView(name).left(name.indexOf(PartSuffix))))
            QFile::remove(dir.filePath(name));
}

// A consistent snapshot of the connection's file, written by SQLite itself
// under one read transaction; of a server, a new main file holding the
// tables of one moment of it.
bool copyDatabase(const QSqlDatabase &main, const QString &file)
{
    if (server::isServer(main))
        return sql::withFile(file, sql::Access::Create, [&main](const QSqlDatabase &copy) {
            if (!createSchema(copy, mainSchema()))
                return false;
            sql::Transaction transaction(copy);
            return transaction.active() && server::copyTables(main, copy) && transaction.commit();
        });
    QSqlQuery query(main);
    query.prepare(u"VACUUM INTO ?"_s);
    query.addBindValue(file);
    if (!query.exec()) {
        qWarning().noquote() << "Backup of the main file failed:" << file << query.lastError().text();
        return false;
    }
    query.finish();
    return true;
}

void prune(const QString &folder)
{
    const QStringList all = copies(folder);
    for (qsizetype i = KeptCopies; i < all.size(); ++i)
        QFile::remove(all.at(i));
}

} // namespace

QDateTime CopyName::taken() const
{
    return QDateTime::fromString(stamp, u"yyyyMMdd-HHmmss"_s);
}

bool CopyName::isNewerThan(const CopyName &other) const
{
    return stamp != other.stamp ? stamp > other.stamp : counter > other.counter;
}

std::optional<CopyName> parseCopyName(QStringView fileName)
{
    // Pelora-yyyyMMdd-HHmmss.mdb or Pelora-yyyyMMdd-HHmmss-N.mdb
    constexpr qsizetype StampAt = 7, StampLength = 15;
    if (!fileName.startsWith(u"Pelora-") || !fileName.endsWith(u".mdb")
        || fileName.size() < StampAt + StampLength + 4)
        return std::nullopt;
    const QStringView stamp = fileName.mid(StampAt, StampLength);
    if (!allDigits(stamp.left(8)) || stamp.at(8) != u'-' || !allDigits(stamp.mid(9)))
        return std::nullopt;
    const QStringView rest = fileName.mid(StampAt + StampLength).chopped(4);
    CopyName name{stamp.toString()};
    if (!rest.isEmpty()) {
        if (!rest.startsWith(u'-') || !allDigits(rest.mid(1)) || rest.size() > 10)
            return std::nullopt;
        name.counter = rest.mid(1).toInt();
    }
    return name;
}

QString folderFor(const QString &mainPath)
{
    return QFileInfo(mainPath).absoluteDir().filePath(u"backup"_s) + u'/';
}

QStringList copies(const QString &folder)
{
    QList<std::pair<CopyName, QString>> found;
    const QDir dir(folder);
    for (const QString &name : files::namesStartingWith(folder, u"Pelora-"_s))
        if (const std::optional<CopyName> parsed = parseCopyName(name))
            found.append({*parsed, dir.filePath(name)});
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first.isNewerThan(b.first); });
    QStringList paths;
    for (const auto &copy : found)
        paths.append(copy.second);
    return paths;
}

bool changedSinceLastCopy(const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    const std::optional<State> state = readState(folder);
    if (!state || !state->main || stampOf(QDir(folder).filePath(state->copy)) != state->copyStamp)
        return true;
    return stampOf(mainPath) != state->main;
}

bool serverChangedSinceLastCopy(const QSqlDatabase &main, const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    const std::optional<State> state = readState(folder);
    if (!state || state->server.isEmpty() || stampOf(QDir(folder).filePath(state->copy)) != state->copyStamp)
        return true;
    return serverMark(main) != state->server;
}

bool anyCopyTaken(const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    return QFileInfo::exists(QDir(folder).filePath(StateFileName)) || !copies(folder).isEmpty();
}

QString takeCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason)
{
    const QString folder = folderFor(mainPath);
    // Nothing when the file was removed while Pelora ran: the copy is taken
    // from the connection all the same, and the next start names it.
    const std::optional<FileStamp> before = stampOf(mainPath);
    // (Read before the copy: a write in between takes the next copy too, never skips one.)
    const QString server = server::isServer(main) ? serverMark(main) : QString();
    if (!main.isOpen() || !QDir().mkpath(folder)) {
        qWarning().noquote() << "No backup of the main file could be made in" << folder;
        return QString();
    }
    removeLeftovers(folder);
    const QString target = freeName(folder);
    const QString part = target + PartSuffix;
    const QString workPath = QFileInfo(mainPath).dir().filePath(QStringView(WorkDbFileName).toString());
    if (!copyDatabase(main, part) || !copyextras::addTo(part, workPath, reason) || !files::syncFile(part)
        || !filecheck::readsAsMainFile(part) || !QFile::rename(part, target)) {
        qWarning().noquote() << "No backup of the main file could be made in" << folder;
        QFile::remove(part);
        return QString();
    }
    const std::optional<FileStamp> copyStamp = stampOf(target);
    if (!copyStamp)
        return QString();
    // Pruned before the state is written: a Pelora killed in between takes
    // the copy again at its next start and prunes then, never keeps eleven.
    prune(folder);
    // Without the state the copy still counts as a copy; the next start only
    // takes another one.
    if (!writeState(folder, State{QFileInfo(target).fileName(), *copyStamp, before, server}))
        qWarning().noquote() << "The backup state could not be written in" << folder;
    return target;
}

void recordAsLastCopy(const QString &mainPath, const QString &copy)
{
    const std::optional<FileStamp> copyStamp = stampOf(copy);
    if (copyStamp)
        writeState(folderFor(mainPath), State{QFileInfo(copy).fileName(), *copyStamp, stampOf(mainPath), {}});
}

} // namespace backup
