#include "data/folderlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QLockFile>
#include <QRegularExpression>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString StateKey = u"state="_s;
const QString UserKey = u"user="_s;
const QString TakenKey = u"taken="_s;

QString userName()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(variable); !user.isEmpty())
            return user;
    return {};
}

} // namespace

FolderLock::FolderLock() = default;

FolderLock::~FolderLock()
{
    unlock();
}

QString FolderLock::lockFilePath(const QString &folder)
{
    return QDir(folder).filePath(u"Pelora.lock"_s);
}

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    if (QFileInfo(lockFilePath(folder)).isDir())
        return Result::LockIsFolder;
#ifdef Q_OS_UNIX
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return Result::CannotWrite;
    if (::flock(m_folder, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        unlock();
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
#endif
    m_path = lockFilePath(folder);
    m_file = std::make_unique<QLockFile>(m_path);
    // Only a live Pelora holds the lock: one left by a killed process is stale
    // (its process is gone) and is taken over.
    m_file->setStaleLockTime(0);
    qint64 pid = 0;
    QString host, program;
    bool otherComputer = false;
    if (!m_file->tryLock(0) && m_file->error() == QLockFile::LockFailedError) {
        const bool described = m_file->getLockInfo(&pid, &host, &program);
        otherComputer = described && !host.isEmpty() && host != QSysInfo::machineHostName();
#ifdef Q_OS_UNIX
        // The folder is ours, so no Pelora of this machine is running on it:
        // whatever the lock file says (a reused process id, nothing at all,
        // another program's file put in its place) is left over. A lock of
        // another machine is not taken over silently: that machine may share
        // the folder, or the folder was copied from it while Pelora ran there.
        if (!otherComputer) {
            m_file->removeStaleLockFile();
            m_file->tryLock(0);
        }
#else
        if (!described) {
            // A lock file without its owner's details is left by a start
            // killed between creating and writing it. Judged by its age it is
            // stale once older than a millisecond (hence the short wait), and
            // QLockFile removes a stale lock only when no process holds the
            // file open, so a live Pelora keeps its own.
            m_file->setStaleLockTime(1);
            m_file->tryLock(250);
        }
#endif
    }
    if (m_file->isLocked()) {
        m_taken = QDateTime::currentDateTime();
        writeContent(State::Checking);
        return Result::Locked;
    }
    const bool running = m_file->error() == QLockFile::LockFailedError;
    unlock();
    if (otherComputer)
        return Result::OtherComputer;
    return running ? Result::HeldByAnother : Result::CannotWrite;
}

bool FolderLock::isLocked() const
{
    return m_file && m_file->isLocked();
}

void FolderLock::setState(State state)
{
    if (isLocked())
        writeContent(state);
}

// QLockFile's own lines first (process id, program, computer, machine and
// boot ids), which it reads to judge a lock stale; then ours.
void FolderLock::writeContent(State state)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    QByteArray text = QByteArray::number(QCoreApplication::applicationPid()) + "\npelora\n"
        + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n'
        + QSysInfo::bootUniqueId() + '\n';
    text += (UserKey + userName() + u'\n' + TakenKey + m_taken.toString(Qt::ISODate) + u'\n' + StateKey
             + (state == State::Checking ? u"checking"_s : u"running"_s) + u'\n')
                .toUtf8();
    file.resize(0);
    file.write(text);
    file.flush();
}

std::optional<FolderLock::Owner> FolderLock::owner(const QString &folder)
{
    QFile file(lockFilePath(folder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    Owner owner;
    owner.pid = lines.value(0).toLongLong();
    owner.host = lines.value(2);
    if (owner.pid <= 0)
        return std::nullopt;
    for (const QString &line : lines) {
        if (line.startsWith(UserKey))
            owner.user = line.mid(UserKey.size());
        else if (line.startsWith(TakenKey))
            owner.taken = QDateTime::fromString(line.mid(TakenKey.size()), Qt::ISODate);
        else if (line == StateKey + u"checking"_s)
            owner.state = State::Checking;
    }
    return owner;
}

bool FolderLock::moveAside(const QString &folder)
{
    const std::optional<Owner> held = owner(folder);
    const QString stamp = (held && held->taken.isValid() ? held->taken : QDateTime::currentDateTime())
                              .toString(u"yyyyMMdd-HHmmss"_s);
    QString host = held ? held->host : QString();
    host.replace(QRegularExpression(u"[^A-Za-z0-9_.-]"_s), u"_"_s);
    const QString target = lockFilePath(folder) + u"-%1-%2"_s.arg(host.isEmpty() ? u"other"_s : host, stamp);
    return !QFileInfo::exists(target) && QFile::rename(lockFilePath(folder), target);
}

void FolderLock::unlock()
{
    // The lock file goes first, while the folder is still held.
    if (m_file) {
        m_file->unlock();
        m_file.reset();
    }
#ifdef Q_OS_UNIX
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
#endif
}
