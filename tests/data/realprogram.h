#pragma once

// The real pelora program, run as its own process from a folder of its own:
// its data folder is "data" beside the program file, so each test gets a
// private copy (a hard link where the file system allows) of the executable,
// under the executable's own name (Pelora.exe on Windows).
// PELORA_NO_DIALOGS makes it write a start-up refusal to stderr instead of
// showing a dialog that nobody would answer. Its user folders (data and
// settings) are folders of the test's own too (on Linux; under Wine the
// test prefix's own user).

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "portable.h"

#ifndef PELORA_PROGRAM
#error "PELORA_PROGRAM must name the built pelora executable"
#endif

struct ProgramResult
{
    bool finished = false;
    int exitCode = -1;
    QString errors; // stderr

    // The "原因: …" line of the start-up message, or empty.
    QString cause() const
    {
        for (const QString &line : errors.split(u'\n'))
            if (line.startsWith(QStringLiteral("原因: ")))
                return line.mid(4);
        return QString();
    }
};

class ProgramFolder
{
public:
    ProgramFolder()
    {
        const QString built = QStringLiteral(PELORA_PROGRAM);
        m_program = QDir(m_dir.path()).filePath(QFileInfo(built).fileName());
        portable::linkOrCopy(built, m_program);
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    }

    bool isValid() const { return QFileInfo(m_program).isExecutable(); }
    QString folder() const { return m_dir.path(); }
    QString program() const { return m_program; }
    QString dataPath() const { return QDir(m_dir.path()).filePath(QStringLiteral("data")); }
    QString mainFile() const { return QDir(dataPath()).filePath(QStringLiteral("Pelora.mdb")); }
    QString workFile() const { return QDir(dataPath()).filePath(QStringLiteral("PeloraWork.mdb")); }
    QString lockFile() const { return QDir(dataPath()).filePath(QStringLiteral("Pelora.lock")); }

    // A process of the program, not yet started; runAs prefixes a command
    // (for instance one that drops root's rights).
    std::unique_ptr<QProcess> process(const QStringList &runAs = {}) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PELORA_NO_DIALOGS"), QStringLiteral("1"));
        env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        // The user's data and settings folders of the test's own: the data and
        // the remembered data folder of whoever runs the tests stay out of it.
        env.insert(QStringLiteral("XDG_DATA_HOME"), QDir(m_dir.path()).filePath(QStringLiteral("user-data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(m_dir.path()).filePath(QStringLiteral("user-config")));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_dir.path());
        if (runAs.isEmpty()) {
            process->setProgram(m_program);
        } else {
            process->setProgram(runAs.first());
            process->setArguments(runAs.mid(1) + QStringList{m_program});
        }
        return process;
    }

    // Runs the program to its end (it ends by itself only when start-up refuses).
    ProgramResult run(const QStringList &runAs = {}, int timeoutMs = 30000) const
    {
        std::unique_ptr<QProcess> p = process(runAs);
        p->start();
        ProgramResult result;
        result.finished = p->waitForFinished(timeoutMs);
        if (!result.finished) {
            p->kill();
            p->waitForFinished();
        }
        result.exitCode = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        result.errors = QString::fromUtf8(p->readAllStandardError());
        return result;
    }

    // The process id the lock file names, or 0.
    qint64 lockOwner() const
    {
        QFile file(lockFile());
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        return file.readLine().trimmed().toLongLong();
    }

    // Waits until process holds the data folder's lock (or has ended), past
    // its start-up check when state is "running".
    bool waitForLock(QProcess &process, int timeoutMs = 20000, const QByteArray &state = "running") const
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (process.state() == QProcess::NotRunning)
                return false;
            QFile file(lockFile());
            if (lockOwner() == process.processId() && file.open(QIODevice::ReadOnly)
                && file.readAll().contains("\nstate=" + state + '\n'))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
};

inline QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("(none)");
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}
