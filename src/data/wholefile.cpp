#include "data/wholefile.h"

#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace files {

WriteError writeWhole(const QString &fileName, const QByteArray &content)
{
    const QFileInfo target(fileName);
    if (target.isDir())
        return WriteError::IsFolder;
    const QString part = target.absoluteFilePath()
        + u".part-%1"_s.arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    NewFile file;
    WriteError error = file.create(part);
    if (error != WriteError::None)
        return error;
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
