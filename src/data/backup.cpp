#include "data/backup.h"

#include "data/aside.h"
#include "data/copyextras.h"
#include "data/datapaths.h"
#include "data/filestamp.h"
#include "data/schema.h"
#include "data/sql.h"
#include "data/wholefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <future>

using namespace Qt::StringLiterals;

namespace backup {

namespace {

// Written beside the copies: which copy was taken last and what the main file
// looked like then, so that start-up can tell without reading the file whether
// a new copy is due.
const QString StateFileName = u"last-copy.txt"_s;
const QString PartSuffix = u".part"_s;

const QRegularExpression &copyName()
{
    static const QRegularExpression pattern(u"^Pelora-(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb$"_s);
    return pattern;
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
};

std::optional<State> readState(const QString &folder)
{
    QFile file(QDir(folder).filePath(StateFileName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    const std::optional<FileStamp> copyStamp = FileStamp::fromText(lines.value(1));
    if (!copyName().match(lines.value(0)).hasMatch() || !copyStamp)
        return std::nullopt;
    return State{lines.value(0), *copyStamp, FileStamp::fromText(lines.value(2))};
}

bool writeState(const QString &folder, const State &state)
{
    // Replaced whole: a start-up killed while writing it keeps the previous state.
    const QString text = u"%1\n%2\n%3\n"_s.arg(state.copy, state.copyStamp.toText(),
                                                state.main ? state.main->toText() : QString());
    const QString file = QDir(folder).filePath(StateFileName);
    files::removeLeftParts(file);
    return files::writeWhole(file, text.toUtf8()) == files::WriteError::None;
}

struct CopyName
{
    QString stamp; // yyyyMMdd-HHmmss
    int counter = 1;
    bool isNewerThan(const CopyName &other) const
    {
        return stamp != other.stamp ? stamp > other.stamp : counter > other.counter;
    }
};

std::optional<CopyName> parseCopyName(const QString &fileName)
{
    const QRegularExpressionMatch match = copyName().match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    return CopyName{match.captured(1), match.hasCaptured(2) ? match.captured(2).toInt() : 1};
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
    auto fileName = [&name] {
        return name.counter == 1 ? u"Pelora-%1.mdb"_s.arg(name.stamp)
                                 : u"Pelora-%1-%2.mdb"_s.arg(name.stamp).arg(name.counter);
    };
    while (dir.exists(fileName()) || dir.exists(fileName() + PartSuffix))
        ++name.counter;
    return dir.filePath(fileName());
}

// Copies cut short by a killed Pelora: never finished, so never a copy.
void removeLeftovers(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({u"Pelora-*.mdb.part*"_s}, QDir::Files)) {
        const QString copy = name.left(name.indexOf(PartSuffix));
        if (copyName().match(copy).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

// A consistent snapshot of the connection's file, written by SQLite itself
// under one read transaction, then pushed to the disk.
bool copyDatabase(const QSqlDatabase &main, const QString &file)
{
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

// Whether a finished copy is whole: SQLite reads it as a database of exactly
// its own size with every table of the main file.
bool verifyCopy(const QString &file)
{
    static int counter = 0;
    const QString name = u"pelora-verify-%1"_s.arg(++counter);
    bool whole = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        if (db.open()) {
            const qint64 pages = sql::scalar(db, u"PRAGMA page_count"_s).toLongLong();
            const qint64 pageSize = sql::scalar(db, u"PRAGMA page_size"_s).toLongLong();
            bool readable = false;
            const QString missing = findMissingTable(db, mainSchema(), &readable);
            whole = pages > 0 && pages * pageSize == QFileInfo(file).size() && readable && missing.isEmpty();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return whole;
}

// A file without a single row has nothing to lose; a copy of it would only
// push a copy with data out of the folder.
bool holdsData(const QSqlDatabase &main)
{
    for (const TableDef &table : mainSchema().tables)
        if (sql::scalar(main, u"SELECT EXISTS (SELECT 1 FROM %1)"_s.arg(table.name)).toBool())
            return true;
    return false;
}

void prune(const QString &folder)
{
    const QStringList all = copies(folder);
    for (qsizetype i = KeptCopies; i < all.size(); ++i)
        QFile::remove(all.at(i));
}

} // namespace

QString folderFor(const QString &mainPath)
{
    return QFileInfo(mainPath).absoluteDir().filePath(u"backup"_s) + u'/';
}

QStringList copies(const QString &folder)
{
    QList<std::pair<CopyName, QString>> found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({u"Pelora-*.mdb"_s}, QDir::Files))
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

bool anyCopyTaken(const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    return QFileInfo::exists(QDir(folder).filePath(StateFileName)) || !copies(folder).isEmpty();
}

bool quickCheck(const QSqlDatabase &db)
{
    bool ran = false;
    const QList<sql::Row> rows = sql::rows(db, u"PRAGMA quick_check"_s, {}, &ran);
    return ran && rows.size() == 1 && rows.first().value(0).toString() == u"ok"_s;
}

bool integrityCheck(const QSqlDatabase &db)
{
    // Matching every index entry to its row revisits the same pages over and
    // over: a larger page cache for the check alone saves about a quarter of
    // its time on a large file, and is given back after it.
    const QVariant cacheSize = sql::scalar(db, u"PRAGMA cache_size"_s);
    sql::exec(db, u"PRAGMA cache_size=-32768"_s);
    bool ran = false;
    const QList<sql::Row> rows = sql::rows(db, u"PRAGMA integrity_check"_s, {}, &ran);
    sql::exec(db, u"PRAGMA cache_size=%1"_s.arg(cacheSize.toLongLong()));
    return ran && rows.size() == 1 && rows.first().value(0).toString() == u"ok"_s;
}

namespace {

QString quoted(const QString &identifier)
{
    return u'"' + QString(identifier).replace(u'"', u"\"\""_s) + u'"';
}

// The entries of an index against the rows of its table. Each side is one
// sequential read (the index alone, the table alone); integrity_check instead
// looks every row up in every index, which on a large file takes nearly four
// times as long as both reads together.
bool indexMatchesTable(const QSqlDatabase &db, const QString &table, const QString &index)
{
    const QString count = u"SELECT count(*), sum(rowid) FROM %1 "_s.arg(quoted(table));
    bool indexRead = false, tableRead = false;
    const QList<sql::Row> entries = sql::rows(db, count + u"INDEXED BY "_s + quoted(index), {}, &indexRead);
    const QList<sql::Row> rows = sql::rows(db, count + u"NOT INDEXED"_s, {}, &tableRead);
    return indexRead && tableRead && !entries.isEmpty() && !rows.isEmpty()
        && entries.first().value(0).toLongLong() == rows.first().value(0).toLongLong()
        && entries.first().value(1).toLongLong() == rows.first().value(1).toLongLong();
}

// quick_check on a read-only connection of its own to file, on a thread of its own.
std::future<bool> quickCheckAside(const QString &file)
{
    return std::async(std::launch::async, [file] {
        static std::atomic<int> counter = 0;
        const QString name = u"pelora-quick-check-%1"_s.arg(++counter);
        bool sound = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(file);
            db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"_s);
            sound = db.open() && quickCheck(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return sound;
    });
}

} // namespace

bool checkWhole(const QSqlDatabase &db, OpenSteps *steps)
{
    bool listed = false;
    // Partial indexes hold only some rows of their table by design.
    const QList<sql::Row> indexes =
        sql::rows(db, u"SELECT m.name, i.name FROM sqlite_master AS m, pragma_index_list(m.name) AS i "
                      u"WHERE m.type = 'table' AND i.partial = 0"_s,
                  {}, &listed);
    if (!listed)
        return false;
    OpenSteps unseen;
    OpenSteps &counted = steps ? *steps : unseen;
    counted.begin(OpenSteps::Phase::Checking, int(indexes.size()) + 1);
    // The two halves read the file each on a processor of its own.
    std::future<bool> whole = quickCheckAside(db.databaseName());
    bool sound = true;
    for (const sql::Row &index : indexes) {
        if (!indexMatchesTable(db, index.value(0).toString(), index.value(1).toString())) {
            sound = false;
            break;
        }
        ++counted.done;
    }
    sound = whole.get() && sound;
    if (sound)
        ++counted.done;
    return sound;
}

QString takeCopy(const QSqlDatabase &main, const QString &mainPath, const QString &reason)
{
    const QString folder = folderFor(mainPath);
    // Nothing when the file was removed while Pelora ran: the copy is taken
    // from the connection all the same, and the next start names it.
    const std::optional<FileStamp> before = stampOf(mainPath);
    if (!main.isOpen() || !QDir().mkpath(folder)) {
        qWarning().noquote() << "No backup of the main file could be made in" << folder;
        return QString();
    }
    removeLeftovers(folder);
    const QString target = freeName(folder);
    const QString part = target + PartSuffix;
    const QString workPath = QFileInfo(mainPath).dir().filePath(QStringView(WorkDbFileName).toString());
    if (!copyDatabase(main, part) || !copyextras::addTo(part, workPath, reason) || !files::syncFile(part)
        || !verifyCopy(part) || !QFile::rename(part, target)) {
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
    if (!writeState(folder, State{QFileInfo(target).fileName(), *copyStamp, before}))
        qWarning().noquote() << "The backup state could not be written in" << folder;
    return target;
}

QString restoreAdvice(const QString &mainPath)
{
    const QStringList all = copies(folderFor(mainPath));
    if (all.isEmpty())
        return u"backup フォルダーに控えがありません。"_s;
    return u"最新の控え: %1"_s.arg(QDir::toNativeSeparators(all.first()));
}

void recordAsLastCopy(const QString &mainPath, const QString &copy)
{
    const std::optional<FileStamp> copyStamp = stampOf(copy);
    if (copyStamp)
        writeState(folderFor(mainPath), State{QFileInfo(copy).fileName(), *copyStamp, stampOf(mainPath)});
}

bool wholeDatabase(const QString &file)
{
    return verifyCopy(file)
        && copyextras::withFile(file, true, [](const QSqlDatabase &db) { return checkWhole(db, nullptr); });
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
    if (!(trusted ? quickCheck(main) : checkWhole(main, &counted))) {
        const QString cause = u"ファイルの中身が壊れています（整合性の検査で誤りが見つかりました）。"_s;
        if (copies(folderFor(mainPath)).isEmpty())
            return cause;
        return cause + u"backup フォルダーに以前の控えがあります。"_s;
    }
    if (changed && holdsData(main)) {
        counted.begin(OpenSteps::Phase::Copying, 1);
        takeCopy(main, mainPath, copyextras::AfterStartupCheck);
        ++counted.done;
    }
    return std::nullopt;
}

void atShutdown(const QSqlDatabase &main, const QString &mainPath)
{
    if (changedSinceLastCopy(mainPath) && holdsData(main) && quickCheck(main))
        takeCopy(main, mainPath, copyextras::AtClose);
}

bool beforeDeletingAll(const QSqlDatabase &main, const QString &mainPath)
{
    if (!holdsData(main))
        return true;
    // The state names a copy only while that copy is still the very file written.
    if (!changedSinceLastCopy(mainPath))
        return true;
    if (!quickCheck(main)) {
        qWarning().noquote() << "The main file failed its check; nothing is deleted:" << mainPath;
        return false;
    }
    return !takeCopy(main, mainPath, copyextras::BeforeDeletingAll).isEmpty();
}

} // namespace backup
