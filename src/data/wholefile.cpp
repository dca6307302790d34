#include "data/wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace files {

namespace {
// The new file beside the target: its name, this mark and eight hex digits.
const QString PartMark = u".part-"_s;
} // namespace

WriteError writeWhole(const QString &fileName, const QByteArray &content)
{
    const QFileInfo target(fileName);
    if (target.isDir())
        return WriteError::IsFolder;
    const QString part = target.absoluteFilePath() + PartMark
        + u"%1"_s.arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    NewFile file;
    WriteError error = file.create(part);
    if (error != WriteError::None)
        return error;
    // A file written again keeps the permissions it was given (a payroll file
    // readable by its owner alone stays so), before anything is in it.
    file.takePermissionsOf(fileName);
    error = file.write(content);
    if (error == WriteError::None)
        error = file.sync();
    if (error == WriteError::None && file.size() != content.size())
        error = WriteError::Incomplete;
    const WriteError closed = file.close();
    if (error == WriteError::None)
        error = closed;
    if (error == WriteError::None)
        error = replace(part, fileName);
    if (error != WriteError::None)
        remove(part);
    return error;
}

void removeLeftParts(const QString &fileName)
{
    const QFileInfo target(fileName);
    const QDir folder = target.absoluteDir();
    for (const QString &name : folder.entryList({target.fileName() + PartMark + u"????????"_s}, QDir::Files))
        QFile::remove(folder.filePath(name));
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
