#include "data/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace files {

namespace {

// The new file beside the target: its name, this mark and eight hex digits.
const QString PartMark = u".part-"_s;

QString partNameFor(const QString &fileName)
{
    return QFileInfo(fileName).absoluteFilePath() + PartMark
        + u"%1"_s.arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
}

// Writes what write() hands over into a new file at path, checked, synced and
// closed; the file is removed again when anything failed.
template<typename Write>
WriteError writeNew(const QString &path, const QString &permissionsOf, qint64 expectedSize, Write write)
{
    NewFile file;
    WriteError error = file.create(path);
    if (error != WriteError::None)
        return error;
    // A file written again keeps the permissions it was given (a payroll file
    // readable by its owner alone stays so), before anything is in it.
    if (!permissionsOf.isEmpty())
        file.takePermissionsOf(permissionsOf);
    error = write(file);
    if (error == WriteError::None)
        error = file.sync();
    if (error == WriteError::None && file.size() != expectedSize)
        error = WriteError::Incomplete;
    const WriteError closed = file.close();
    if (error == WriteError::None)
        error = closed;
    if (error != WriteError::None)
        remove(path);
    return error;
}

} // namespace

WriteError writeWhole(const QString &fileName, const QByteArray &content)
{
    if (QFileInfo(fileName).isDir())
        return WriteError::IsFolder;
    const QString part = partNameFor(fileName);
    WriteError error = writeNew(part, fileName, content.size(), [&](NewFile &file) { return file.write(content); });
    if (error == WriteError::None)
        error = replace(part, fileName);
    if (error != WriteError::None)
        remove(part);
    return error;
}

WriteError copyWhole(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return WriteError::Other;
    return writeNew(to, QString(), source.size(), [&](NewFile &file) {
        while (!source.atEnd()) {
            const QByteArray block = source.read(1 << 20);
            if (block.isEmpty())
                return WriteError::Other;
            if (const WriteError error = file.write(block); error != WriteError::None)
                return error;
        }
        return WriteError::None;
    });
}

void removeLeftParts(const QString &fileName)
{
    const QFileInfo target(fileName);
    const QDir folder = target.absoluteDir();
    for (const QString &name : folder.entryList({target.fileName() + PartMark + u"????????"_s}, QDir::Files))
        QFile::remove(folder.filePath(name));
}

namespace {
const QStringList Companions{u"-journal"_s, u"-wal"_s, u"-shm"_s};
}

QString freeName(const QString &folder, const QString &baseName, const QString &extension)
{
    const QDir dir(folder);
    auto taken = [](const QString &path) {
        for (const QString &suffix : QStringList{QString()} + Companions)
            if (QFileInfo::exists(path + suffix))
                return true;
        return false;
    };
    QString target = dir.filePath(baseName + extension);
    for (int n = 2; taken(target); ++n)
        target = dir.filePath(u"%1-%2%3"_s.arg(baseName).arg(n).arg(extension));
    return target;
}

WriteError moveAside(const QString &file, const QString &target)
{
    // The file first: a journal left without its file is refused at the next
    // start, a file left without its journal would be read half-written.
    if (QFileInfo::exists(file))
        if (const WriteError error = replace(file, target); error != WriteError::None)
            return error;
    for (const QString &suffix : Companions)
        if (QFileInfo::exists(file + suffix))
            if (const WriteError error = replace(file + suffix, target + suffix); error != WriteError::None)
                return error;
    return WriteError::None;
}

QString reason(WriteError error)
{
    switch (error) {
    case WriteError::None:
        return QString();
    case WriteError::NoFolder:
        return u"保存先のフォルダーがありません"_s;
    case WriteError::IsFolder:
        return u"指定した名前はファイルではなくフォルダーです"_s;
    case WriteError::ReadOnly:
        return u"保存先のフォルダーは読み取り専用です"_s;
    case WriteError::NotAllowed:
        return u"保存先のフォルダーに書き込む権限がありません"_s;
    case WriteError::DiskFull:
        return u"ディスクの空きが足りません"_s;
    case WriteError::InUse:
        return u"同じ名前のファイルを他のプログラムが使用中です"_s;
    case WriteError::Incomplete:
        return u"書き出す内容が途中で切れていました"_s;
    case WriteError::Other:
        break;
    }
    return u"ファイルに書き込めませんでした"_s;
}

} // namespace files
