// What the lock file says, on both systems.
#include "data/folderlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

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

QString FolderLock::lockFilePath(const QString &folder)
{
    return QDir(folder).filePath(u"Pelora.lock"_s);
}

void FolderLock::setState(State state)
{
    if (isLocked())
        writeContent(state);
}

// The process id, program, computer, machine and boot ids first, as earlier
// versions wrote them; then ours.
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

files::WriteError FolderLock::moveAside(const QString &folder)
{
    const std::optional<Owner> held = owner(folder);
    const QString stamp = (held && held->taken.isValid() ? held->taken : QDateTime::currentDateTime())
                              .toString(u"yyyyMMdd-HHmmss"_s);
    QString host = held ? held->host : QString();
    for (QChar &c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'.' && c != u'-')
            c = u'_';
    const QString baseName = u"Pelora.lock-%1-%2"_s.arg(host.isEmpty() ? u"other"_s : host, stamp);
    return files::moveAside(lockFilePath(folder), files::freeName(folder, baseName, QString()));
}

bool FolderLock::namesAnotherComputer(const std::optional<FolderLock::Owner> &owner)
{
    return owner && !owner->host.isEmpty() && owner->host != QSysInfo::machineHostName();
}
