#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include "portable.h"

// A folder on a small file system of its own (tmpfs), for the faults of a
// full or a read-only disk. Mounting needs root: mounted() says whether it
// worked, and a test without it is skipped.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder, const QString &size = QStringLiteral("4m"))
        : m_folder(folder)
    {
        m_mounted = !portable::Windows
            && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                                QStringLiteral("-o"), QStringLiteral("size=") + size,
                                                                QStringLiteral("tmpfs"), folder})
            == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    // Why a test goes without it.
    static const char *missing()
    {
        return portable::Windows ? "Windows has no tmpfs to give a folder a small file system of its own"
                                 : "a file system of its own needs root (mount)";
    }

    // Takes every byte left with a file of its own: the next byte written finds no room.
    bool fill() const
    {
        QFile filler(m_folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        return filler.error() != QFileDevice::NoError;
    }

    // Mounted again read-only, as a write-protected medium.
    bool makeReadOnly() const
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_folder})
            == 0;
    }

private:
    QString m_folder;
    bool m_mounted = false;
};
