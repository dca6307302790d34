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

// A folder where nothing new can be written while the object lives (a
// read-only bind mount over it), as after its rights were taken away: files
// already open stay writable. Needs root: made() says whether it worked.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &folder)
        : m_folder(folder)
    {
        m_made = !portable::Windows
            && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), folder, folder}) == 0;
        if (m_made && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"),
                                                                   folder})
                != 0) {
            QProcess::execute(QStringLiteral("umount"), {folder});
            m_made = false;
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_made)
            QProcess::execute(QStringLiteral("umount"), {m_folder});
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool made() const { return m_made; }
    static const char *missing() { return SmallDisk::missing(); }

private:
    QString m_folder;
    bool m_made = false;
};
