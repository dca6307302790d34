#include "data/folderlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <windows.h>
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

bool namesAnotherComputer(const std::optional<FolderLock::Owner> &owner)
{
    return owner && !owner->host.isEmpty() && owner->host != QSysInfo::machineHostName();
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

bool FolderLock::isLocked() const
{
    return m_handle || (m_file && m_file->isLocked());
}

void FolderLock::setState(State state)
{
    if (isLocked())
        writeContent(state);
}

// QLockFile's own lines first (process id, program, computer, machine and
// boot ids), which it reads to judge a lock stale; then ours.
QByteArray FolderLock::content(State state) const
{
    QByteArray text = QByteArray::number(QCoreApplication::applicationPid()) + "\npelora\n"
        + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n'
        + QSysInfo::bootUniqueId() + '\n';
    text += (UserKey + userName() + u'\n' + TakenKey + m_taken.toString(Qt::ISODate) + u'\n' + StateKey
             + (state == State::Checking ? u"checking"_s : u"running"_s) + u'\n')
                .toUtf8();
    return text;
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

#ifdef Q_OS_UNIX

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    if (QFileInfo(lockFilePath(folder)).isDir())
        return Result::LockIsFolder;
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return Result::CannotWrite;
    if (::flock(m_folder, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        unlock();
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    m_path = lockFilePath(folder);
    m_file = std::make_unique<QLockFile>(m_path);
    // Only a live Pelora holds the lock: one left by a killed process is stale
    // (its process is gone) and is taken over.
    m_file->setStaleLockTime(0);
    bool otherComputer = false;
    if (!m_file->tryLock(0) && m_file->error() == QLockFile::LockFailedError) {
        // The folder is ours, so no Pelora of this machine is running on it:
        // whatever the lock file says (a reused process id, nothing at all,
        // another program's file put in its place) is left over. A lock of
        // another machine is not taken over silently: that machine may share
        // the folder, or the folder was copied from it while Pelora ran there.
        otherComputer = namesAnotherComputer(owner(folder));
        if (!otherComputer) {
            m_file->removeStaleLockFile();
            m_file->tryLock(0);
        }
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

void FolderLock::writeContent(State state)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    file.resize(0);
    file.write(content(state));
    file.flush();
}

void FolderLock::unlock()
{
    // The lock file goes first, while the folder is still held.
    if (m_file) {
        m_file->unlock();
        m_file.reset();
    }
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
}

bool lockedByAnother(const QString &path, qint64 start, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = start;
    probe.l_len = length;
    return ::fcntl(file.handle(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

#else

namespace {

// The byte locked in Pelora.lock: far past the owner's details, which stay
// readable by anyone.
constexpr DWORD LockOffsetHigh = 1;

bool lockRange(HANDLE handle, quint64 start, quint64 length)
{
    OVERLAPPED at {};
    at.Offset = DWORD(start);
    at.OffsetHigh = DWORD(start >> 32);
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, DWORD(length),
                      DWORD(length >> 32), &at);
}

void unlockRange(HANDLE handle, quint64 start, quint64 length)
{
    OVERLAPPED at {};
    at.Offset = DWORD(start);
    at.OffsetHigh = DWORD(start >> 32);
    UnlockFileEx(handle, 0, DWORD(length), DWORD(length >> 32), &at);
}

HANDLE openShared(const QString &path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), access,
                       share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

FolderLock::Result FolderLock::lock(const QString &folder)
{
    unlock();
    if (QFileInfo(lockFilePath(folder)).isDir())
        return Result::LockIsFolder;
    // Others may read and write the file (a second Pelora opens it to try the
    // lock) but not delete it. A file left by a killed Pelora of this computer
    // holds no lock any more and is simply taken over; a closing Pelora
    // removes its own.
    const QString path = lockFilePath(folder);
    const HANDLE handle = openShared(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Result::HeldByAnother : Result::CannotWrite;
    if (!lockRange(handle, quint64(LockOffsetHigh) << 32, 1)) {
        const bool held = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(handle);
        return held ? Result::HeldByAnother : Result::CannotWrite;
    }
    // Nothing here holds it; a file naming another computer came with a
    // folder copied while Pelora ran there, and is not taken over silently.
    if (namesAnotherComputer(owner(folder))) {
        unlockRange(handle, quint64(LockOffsetHigh) << 32, 1);
        CloseHandle(handle);
        return Result::OtherComputer;
    }
    m_handle = handle;
    m_path = path;
    m_taken = QDateTime::currentDateTime();
    writeContent(State::Checking);
    return Result::Locked;
}

void FolderLock::writeContent(State state)
{
    const HANDLE handle = static_cast<HANDLE>(m_handle);
    const QByteArray text = content(state);
    DWORD written = 0;
    if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(handle))
        WriteFile(handle, text.constData(), DWORD(text.size()), &written, nullptr);
}

void FolderLock::unlock()
{
    if (!m_handle)
        return;
    const HANDLE handle = static_cast<HANDLE>(m_handle);
    m_handle = nullptr;
    SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    unlockRange(handle, quint64(LockOffsetHigh) << 32, 1);
    CloseHandle(handle);
    // Fails, leaving the file to it, when a Pelora starting meanwhile has it open.
    DeleteFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()));
}

bool lockedByAnother(const QString &path, qint64 start, qint64 length)
{
    const HANDLE handle = openShared(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool held = false;
    if (lockRange(handle, quint64(start), quint64(length)))
        unlockRange(handle, quint64(start), quint64(length));
    else
        held = GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(handle);
    return held;
}

#endif
