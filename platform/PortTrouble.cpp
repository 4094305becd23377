#include "platform/PortTrouble.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The device a by-id name (or any other link) stands for.
QString realDevice(const QString& device) {
    const QString real = QFileInfo(device).canonicalFilePath();
    return real.isEmpty() ? device : real;
}

QString named(const QString& device) {
    const QString real = realDevice(device);
    return real == device ? device : device + QStringLiteral(" (") + real + QLatin1Char(')');
}

bool accountListedIn(const QString& group) {
    const passwd* account = ::getpwuid(::geteuid());
    const ::group* entry = ::getgrnam(group.toLocal8Bit().constData());
    if (!account || !entry)
        return false;
    for (char** member = entry->gr_mem; member && *member; ++member)
        if (QString::fromLocal8Bit(*member) == QString::fromLocal8Bit(account->pw_name))
            return true;
    return false;
}
} // namespace

QString PortTrouble::explain(const QString& device, const OpenFailure& failure,
                             const std::function<QList<SerialDevice>()>& present) const {
    switch (failure.kind) {
    case OpenFailure::None:
        return QString();
    case OpenFailure::NoAccess:
        return noAccess(device);
    case OpenFailure::InUse:
        return inUse(device);
    case OpenFailure::Missing:
        return missing(device, present ? present() : QList<SerialDevice>());
    case OpenFailure::Other:
        break;
    }
    return failure.systemText.isEmpty()
               ? QString()
               : QStringLiteral("%1 cannot be opened: %2.").arg(named(device), failure.systemText);
}

bool PortTrouble::accessDenied(const QString& device) {
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString PortTrouble::owningGroup(const QString& device) {
    struct stat st;
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return QString();
    const ::group* entry = ::getgrgid(st.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(st.st_gid);
}

bool PortTrouble::groupMayReadAndWrite(const QString& device) {
    struct stat st;
    return ::stat(QFile::encodeName(device).constData(), &st) == 0 && (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
}

QString PortTrouble::noAccess(const QString& device) const {
    QString text = QStringLiteral("Permission denied: this account may not open %1.").arg(named(device));
    const QString group = owningGroup(device);
    if (group.isEmpty())
        return text + QStringLiteral(" Ask the administrator for read and write access to it.");
    if (!groupMayReadAndWrite(device))
        return text + onlyTheOwner(device, group);
    text += QStringLiteral(" The device belongs to the group \"%1\".").arg(group);
    if (accountListedIn(group))
        return text + QStringLiteral(" The account is already in that group, but that counts only from the next "
                                     "login: log out and in again.");
    return text + QStringLiteral(" Add the account to it with\n    sudo usermod -aG %1 $USER\nthen log out and in "
                                 "again.")
                      .arg(group);
}

// Joining the device's group would not help when the group itself may not use it: the device needs other
// permissions, which a udev rule gives it at every plug-in.
QString PortTrouble::onlyTheOwner(const QString& device, const QString& group) {
    struct stat st {};
    QString owner;
    if (::stat(QFile::encodeName(device).constData(), &st) == 0 && (st.st_mode & S_IRUSR) && (st.st_mode & S_IWUSR)) {
        const passwd* entry = ::getpwuid(st.st_uid);
        owner = entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(st.st_uid);
    }
    const QString who = owner.isEmpty() ? QStringLiteral(" No account but the administrator may read and write it")
                                        : QStringLiteral(" Only the account \"%1\" may read and write it").arg(owner);
    return who +
           QStringLiteral(" (its group \"%1\" may not, so joining that group does not help). A udev rule gives it to "
                          "the group dialout whenever it appears, e.g. /etc/udev/rules.d/70-orvexmon.rules with\n"
                          "    KERNEL==\"%2\", GROUP=\"dialout\", MODE=\"0660\"\n"
                          "then sudo udevadm control --reload; sudo udevadm trigger; and join dialout with\n"
                          "    sudo usermod -aG dialout $USER\n"
                          "then log out and in again.")
               .arg(group, QFileInfo(realDevice(device)).fileName());
}

QString PortTrouble::process(qint64 pid) const {
    QFile comm(QStringLiteral("%1/%2/comm").arg(m_places.proc).arg(pid));
    const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("process %1").arg(pid)
                          : QStringLiteral("process %1 (%2)").arg(pid).arg(name);
}

QStringList PortTrouble::holders(const QString& device) const {
    const QString real = realDevice(device);
    QStringList found;
    const QDir proc(m_places.proc);
    const QStringList pids = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : pids) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == QCoreApplication::applicationPid())
            continue;
        const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
        const QStringList links = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : links) {
            const QString target = QFile::symLinkTarget(fds.filePath(fd));
            if (!target.isEmpty() && realDevice(target) == real) {
                found << process(pid);
                break;
            }
        }
    }
    return found;
}

PortTrouble::Lock PortTrouble::lock(const QString& device) const {
    QStringList names{QStringLiteral("LCK..") + QFileInfo(realDevice(device)).fileName()};
    QString own = device;
    if (own.startsWith(QLatin1String("/dev/")))
        own = own.mid(5);
    names << QStringLiteral("LCK..") + own.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString& dir : m_places.lockDirs) {
        for (const QString& name : names) {
            QFile file(QDir(dir).filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            // Both the text form (the pid, maybe padded) and the first line of a Qt lock file.
            const QByteArray first = file.readLine().trimmed();
            return Lock{file.fileName(), first.toLongLong()};
        }
    }
    return Lock();
}

QString PortTrouble::inUse(const QString& device) const {
    QString text = QStringLiteral("%1 is in use by another program.").arg(named(device));
    const QStringList holding = holders(device);
    if (!holding.isEmpty())
        text += QStringLiteral(" It is held by %1.").arg(holding.join(QStringLiteral(", ")));
    const Lock found = lock(device);
    const bool staleLock =
        found.pid > 0 && !QFileInfo::exists(QStringLiteral("%1/%2").arg(m_places.proc).arg(found.pid));
    if (staleLock)
        return text + QStringLiteral(" Its lock file %1 names process %2, which no longer runs: delete the lock file "
                                     "(sudo rm %1) and try again.")
                          .arg(found.file)
                          .arg(found.pid);
    if (found.pid > 0)
        text += QStringLiteral(" Its lock file %1 names %2.").arg(found.file, process(found.pid));
    else if (!found.file.isEmpty())
        text += QStringLiteral(" Its lock file is %1.").arg(found.file);
    if (holding.isEmpty() && found.file.isEmpty())
        text += QStringLiteral(" The program could not be found; it may run under another account.");
    return text + QStringLiteral(" Close that program, then try again.");
}

QString PortTrouble::missing(const QString& device, const QList<SerialDevice>& present) {
    QString text =
        QStringLiteral("%1 does not exist: is the adapter plugged in and the device name right?").arg(device);
    if (present.isEmpty())
        return text + QStringLiteral("\nNo serial device is present.");
    text += QStringLiteral("\nSerial devices present:");
    for (const SerialDevice& d : present)
        text += QStringLiteral("\n    ") + d.display();
    return text;
}
