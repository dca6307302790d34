#include "data/session.h"

#include "data/folderlock.h"
#include "data/wholefile.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace session {

namespace {

const QString FileName = u"Pelora.session"_s;

} // namespace

std::optional<Record> read(const QString &dataPath)
{
    QFile file(QDir(dataPath).filePath(FileName));
    if (!file.exists())
        return std::nullopt;
    Record record;
    if (!file.open(QIODevice::ReadOnly))
        return record;
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    record.closed = lines.value(0) == u"closed"_s;
    record.main = FileStamp::fromText(lines.value(1));
    return record;
}

bool write(const QString &dataPath, const Record &record)
{
    const QString text = (record.closed ? u"closed\n"_s : u"open\n"_s)
        + (record.main ? record.main->toText() : QString()) + u'\n';
    // Synced before it replaces the old record: after a power cut the record
    // must still say whether the session closed.
    return files::writeWhole(QDir(dataPath).filePath(FileName), text.toUtf8()) == files::WriteError::None;
}

bool trusts(const std::optional<Record> &record, const std::optional<FileStamp> &main)
{
    return record && record->closed && record->main && main && *record->main == *main;
}

Journal judgeJournal(const QString &mainPath, const std::optional<Record> &record,
                     const std::optional<FileStamp> &main)
{
    QFile journal(mainPath + u"-journal"_s);
    if (!journal.open(QIODevice::ReadOnly))
        return Journal::None;
    char first = 0;
    if (!journal.getChar(&first) || first == 0)
        return Journal::None; // SQLite ignores an empty journal or one whose header was cleared
    // SQLite's locks, from byte 2^30 on (where both its Unix and its Windows
    // file layers place them).
    if (main && lockedByAnother(mainPath, 0x40000000, 512))
        return Journal::InUse;
    const bool crashed = record && !record->closed;
    return crashed && record->main && main && record->main->sameFile(*main) ? Journal::Own : Journal::Foreign;
}

} // namespace session
