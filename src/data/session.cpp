#include "data/session.h"

#include "data/folderlock.h"
#include "data/files.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace session {

namespace {

const QString FileName = u"Pelora.session"_s;

// The main file's change counter as it stood when the journal's transaction
// began, read from the image of page 1 the journal keeps (SQLite raises the
// counter once per transaction, so the file itself then holds that value or
// the next). Nothing when the journal holds no page 1 or cannot be read.
std::optional<quint32> counterInJournal(QFile &journal)
{
    auto be32 = [](const QByteArray &bytes, qsizetype at) {
        const auto *b = reinterpret_cast<const uchar *>(bytes.constData()) + at;
        return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
    };
    static const QByteArray magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    const qint64 size = journal.size();
    qint64 at = 0;
    while (at + 28 <= size) {
        if (!journal.seek(at))
            return std::nullopt;
        const QByteArray header = journal.read(28);
        if (!header.startsWith(magic))
            return std::nullopt;
        const quint32 sector = be32(header, 20), pageSize = be32(header, 24);
        if (sector < 512 || sector > 65536 || pageSize < 512 || pageSize > 65536)
            return std::nullopt;
        const qint64 record = pageSize + 8;
        quint32 records = be32(header, 8);
        at += sector;
        if (records == 0 || records == 0xffffffff)
            records = quint32((size - at) / record);
        for (quint32 i = 0; i < records && at + record <= size; ++i, at += record) {
            if (!journal.seek(at))
                return std::nullopt;
            const QByteArray page = journal.read(4 + 28);
            if (page.size() == 32 && be32(page, 0) == 1)
                return be32(page, 4 + 24);
        }
        at = (at + sector - 1) / sector * sector;
    }
    return std::nullopt;
}

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
    bool counted = false;
    const qint64 generation = lines.value(2).toLongLong(&counted);
    if (counted)
        record.generation = generation;
    return record;
}

bool write(const QString &dataPath, const Record &record)
{
    const QString text = (record.closed ? u"closed\n"_s : u"open\n"_s)
        + (record.main ? record.main->toText() : QString()) + u'\n'
        + (record.generation ? QString::number(*record.generation) : QString()) + u'\n';
    // Synced before it replaces the old record: after a power cut the record
    // must still say whether the session closed.
    const QString file = QDir(dataPath).filePath(FileName);
    files::removeLeftParts(file);
    return files::writeWhole(file, text.toUtf8()) == files::WriteError::None;
}

bool trusts(const std::optional<Record> &record, const std::optional<FileStamp> &main)
{
    return record && record->closed && record->main && main && *record->main == *main;
}

bool olderThanRecorded(const std::optional<Record> &record, const std::optional<FileStamp> &main,
                       qint64 generation)
{
    if (record && record->generation)
        return generation < *record->generation;
    return !sameFileAsRecorded(record, main);
}

bool sameFileAsRecorded(const std::optional<Record> &record, const std::optional<FileStamp> &main)
{
    // A file without a database header is refused as such; asking whether
    // to use it would only come first.
    if (!record || !record->main || !main || main->counter < 0)
        return true;
    return record->main->sameFile(*main) && main->counter >= record->main->counter;
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
    if (!crashed || !record->main || !main || !sameFileAsRecorded(record, main))
        return Journal::Foreign;
    // The same file may have been copied over in place since (a copy put back
    // by hand): its counter is then not the one the session's journal knows.
    const std::optional<quint32> before = counterInJournal(journal);
    const qint64 now = main->counter;
    return before && now != qint64(*before) && now != qint64(*before) + 1 ? Journal::Foreign : Journal::Own;
}

} // namespace session
