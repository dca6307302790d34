#include "data/filestamp.h"

#include "data/files.h"

#include <QFile>
#include <QStringList>

using namespace Qt::StringLiterals;

QString FileStamp::toText() const
{
    return u"%1 %2 %3 %4 %5"_s.arg(device).arg(inode).arg(size).arg(modified).arg(counter);
}

std::optional<FileStamp> FileStamp::fromText(const QString &text)
{
    const QStringList fields = text.trimmed().split(u' ');
    if (fields.size() != 5)
        return std::nullopt;
    qint64 values[5] = {};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        values[i] = fields.at(i).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    return FileStamp{values[0], values[1], values[2], values[3], values[4]};
}

std::optional<FileStamp> stampOf(const QString &path)
{
    files::Identity identity;
    if (!files::identityOf(path, &identity))
        return std::nullopt;
    FileStamp stamp{identity.device, identity.inode, identity.size, identity.modified};
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray header = file.read(28);
        if (header.size() == 28 && header.startsWith(QByteArrayView("SQLite format 3\0", 16))) {
            const auto *b = reinterpret_cast<const uchar *>(header.constData()) + 24;
            stamp.counter = qint64(quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]));
        }
    }
    return stamp;
}
