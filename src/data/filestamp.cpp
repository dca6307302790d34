#include "data/filestamp.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include <windows.h>
#endif

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
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    stamp.device = qint64(st.st_dev);
    stamp.inode = qint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
    // The volume's serial number and the file's index, read through a handle
    // that shares everything (SQLite holds the file open and may delete its
    // journal meanwhile). The creation time would not do: a file replaced
    // under the same name inherits it, and Wine moves it with every write.
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                      FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool read = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!read || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    stamp.device = qint64(info.dwVolumeSerialNumber);
    stamp.inode = qint64(quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow);
    stamp.size = qint64(quint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
    stamp.modified = qint64(quint64(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime);
#endif
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
