#include "data/backup.h"

#include "data/schema.h"
#include "data/sql.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDriver>
#include <filesystem>
#include <sqlite3.h>

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

sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// The file change counter of the database header (bytes 24–27), which SQLite
// raises with every committed write in rollback-journal mode. A modification
// time alone is not enough: file times advance in coarse steps (4 ms on a
// Linux kernel at 250 Hz), so two writes close together may share one. Read through SQLite's
// own descriptor, inside a read transaction: closing a descriptor of our own
// on the file would drop the connection's POSIX locks.
std::optional<quint32> changeCounter(const QSqlDatabase &main)
{
    sqlite3 *db = handleOf(main);
    sqlite3_file *file = nullptr;
    if (!db || !sql::exec(main, u"BEGIN"_s))
        return std::nullopt;
    unsigned char bytes[4] = {};
    const bool read = sql::scalar(main, u"SELECT count(*) FROM sqlite_master"_s).isValid()
        && sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file
        && file->pMethods && file->pMethods->xRead(file, bytes, 4, 24) == SQLITE_OK;
    sql::exec(main, u"COMMIT"_s);
    if (!read)
        return std::nullopt;
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | quint32(bytes[3]);
}

struct Fingerprint
{
    qint64 size = -1;
    qint64 modified = 0; // the file system's own ticks
    qint64 counter = -1;
    bool operator==(const Fingerprint &) const = default;
};

std::optional<Fingerprint> fingerprint(const QSqlDatabase &main, const QString &path)
{
    std::error_code error;
    const std::filesystem::path file = QFileInfo(path).filesystemFilePath();
    const auto size = std::filesystem::file_size(file, error);
    if (error)
        return std::nullopt;
    const auto modified = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    const std::optional<quint32> counter = changeCounter(main);
    if (!counter)
        return std::nullopt;
    return Fingerprint{qint64(size), qint64(modified.time_since_epoch().count()), qint64(*counter)};
}

struct State
{
    QString copy;
    Fingerprint main;
};

std::optional<State> readState(const QString &folder)
{
    QFile file(QDir(folder).filePath(StateFileName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (lines.size() < 4)
        return std::nullopt;
    bool ok[3] = {};
    State state{lines.at(0),
                {lines.at(1).toLongLong(&ok[0]), lines.at(2).toLongLong(&ok[1]), lines.at(3).toLongLong(&ok[2])}};
    if (!ok[0] || !ok[1] || !ok[2] || !copyName().match(state.copy).hasMatch())
        return std::nullopt;
    return state;
}

void writeState(const QString &folder, const State &state)
{
    // Replaced whole: a start-up killed while writing it keeps the previous state.
    QSaveFile file(QDir(folder).filePath(StateFileName));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(u"%1\n%2\n%3\n%4\n"_s.arg(state.copy)
                   .arg(state.main.size)
                   .arg(state.main.modified)
                   .arg(state.main.counter)
                   .toUtf8());
    file.commit();
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

bool copyDatabase(sqlite3 *source, const QString &file)
{
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    bool done = false;
    if (rc == SQLITE_OK) {
        // The temporary name makes a journal pointless: a copy cut short is discarded whole.
        sqlite3_exec(target, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup *copy = sqlite3_backup_init(target, "main", source, "main");
        if (copy) {
            // All pages in one step, under one read lock of the source: one consistent state.
            for (int attempt = 0;; ++attempt) {
                rc = sqlite3_backup_step(copy, -1);
                if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && attempt < 20) {
                    sqlite3_sleep(100);
                    continue;
                }
                break;
            }
            const int finished = sqlite3_backup_finish(copy);
            done = rc == SQLITE_DONE && finished == SQLITE_OK;
            if (rc == SQLITE_DONE)
                rc = finished;
        } else {
            rc = sqlite3_errcode(target);
        }
    }
    if (!done)
        qWarning().noquote() << "Backup of the main file failed:" << file << sqlite3_errstr(rc);
    sqlite3_close(target);
    return done;
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

bool changedSinceLastCopy(const QSqlDatabase &main, const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    const std::optional<State> state = readState(folder);
    if (!state || !QFileInfo::exists(QDir(folder).filePath(state->copy)))
        return true;
    const std::optional<Fingerprint> now = fingerprint(main, mainPath);
    return !now || !(*now == state->main);
}

bool quickCheck(const QSqlDatabase &db)
{
    bool ran = false;
    const QList<sql::Row> rows = sql::rows(db, u"PRAGMA quick_check"_s, {}, &ran);
    return ran && rows.size() == 1 && rows.first().value(0).toString() == u"ok"_s;
}

QString takeCopy(const QSqlDatabase &main, const QString &mainPath)
{
    const QString folder = folderFor(mainPath);
    sqlite3 *source = handleOf(main);
    const std::optional<Fingerprint> before = fingerprint(main, mainPath);
    if (!source || !before || !QDir().mkpath(folder)) {
        qWarning().noquote() << "No backup of the main file could be made in" << folder;
        return QString();
    }
    removeLeftovers(folder);
    const QString target = freeName(folder);
    const QString part = target + PartSuffix;
    if (!copyDatabase(source, part) || !QFile::rename(part, target)) {
        QFile::remove(part);
        return QString();
    }
    // Pruned before the state is written: a Pelora killed in between takes
    // the copy again at its next start and prunes then, never keeps eleven.
    prune(folder);
    writeState(folder, State{QFileInfo(target).fileName(), *before});
    return target;
}

std::optional<QString> atStartup(const QSqlDatabase &main, const QString &mainPath)
{
    if (!changedSinceLastCopy(main, mainPath))
        return std::nullopt;
    if (!quickCheck(main)) {
        const QString cause = u"ファイルの中身が壊れています（整合性の検査で誤りが見つかりました）。"_s;
        if (copies(folderFor(mainPath)).isEmpty())
            return cause;
        return cause + u"backup フォルダーに以前の控えがあります。"_s;
    }
    if (holdsData(main))
        takeCopy(main, mainPath);
    return std::nullopt;
}

void atShutdown(const QSqlDatabase &main, const QString &mainPath)
{
    if (changedSinceLastCopy(main, mainPath) && holdsData(main) && quickCheck(main))
        takeCopy(main, mainPath);
}

bool beforeDeletingAll(const QSqlDatabase &main, const QString &mainPath)
{
    if (!changedSinceLastCopy(main, mainPath) || !holdsData(main))
        return true;
    if (!quickCheck(main)) {
        qWarning().noquote() << "The main file failed its check; nothing is deleted:" << mainPath;
        return false;
    }
    return !takeCopy(main, mainPath).isEmpty();
}

} // namespace backup
