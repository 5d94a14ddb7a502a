#include "settings/settings_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

SettingsLock::SettingsLock(const QString &configPath)
    : m_configPath(configPath), m_file(lockPathFor(configPath))
{
    // Held for as long as the bridge runs, however long that is: a lock is never stale by its
    // age, only by nobody holding it.
    m_file.setStaleLockTime(0);
}

QString SettingsLock::lockPathFor(const QString &configPath)
{
    return configPath + QStringLiteral(".lock");
}

QString SettingsLock::leftBy(bool named, qint64 pid, const QString &host)
{
    if (!named)
        return QStringLiteral("it was empty or unreadable");
    if (host == QSysInfo::machineHostName())
        return QStringLiteral("it named process %1 of this computer").arg(pid);
    return QStringLiteral("it was written on the computer \"%1\"").arg(host);
}

SettingsLock::Outcome SettingsLock::lock()
{
    QDir().mkpath(QFileInfo(m_configPath).absolutePath());
    // What a lock file found here says, before anything removes it.
    qint64 pid = 0;
    QString host;
    QString app;
    const bool found = QFileInfo::exists(m_file.fileName());
    const bool named = found && m_file.getLockInfo(&pid, &host, &app);
    const QString stale = QStringLiteral("Removed the stale lock file %1 (%2): no running bridge "
                                         "held it.")
                              .arg(m_file.fileName(), leftBy(named, pid, host));
    // A running bridge keeps its lock file locked (flock and fcntl) until it ends. Qt removes by
    // itself a lock that names a process of this computer that has gone; an empty file (a power
    // cut between its making and its writing) or one written on another host name is removed
    // here, but only where nobody holds it, so a running bridge keeps its lock whatever it says.
    if (m_file.tryLock(0) || (m_file.error() == QLockFile::LockFailedError &&
                              m_file.removeStaleLockFile() && m_file.tryLock(0))) {
        if (found)
            m_message = stale;
        return Outcome::Held;
    }
    if (m_file.error() == QLockFile::LockFailedError) {
        // Who holds it: the running program's own path tells which copy it is; a bridge on
        // another computer (a shared folder) is named by that computer.
        QString holder = QStringLiteral("a process not yet named in the file");
        if (m_file.getLockInfo(&pid, &host, &app) && host != QSysInfo::machineHostName()) {
            holder = QStringLiteral("process %1 on the computer \"%2\"").arg(pid).arg(host);
        } else if (pid > 0) {
            const QString program =
                QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
            holder = QStringLiteral("process %1").arg(pid) +
                     (program.isEmpty() ? QString() : QStringLiteral(", ") + program);
        }
        m_message = QStringLiteral("OVX2 is already running with the settings in %1 (%2).\n"
                                   "Two bridges on one settings file would fight over the rig port "
                                   "and the file. Use the one running; for a second radio, start a "
                                   "copy of OVX2 from a folder of its own.")
                        .arg(m_configPath, holder);
        return Outcome::HeldElsewhere;
    }
    m_message = QStringLiteral("The settings in %1 are not guarded against a second bridge: the "
                               "lock file %2 cannot be made.")
                    .arg(m_configPath, m_file.fileName());
    return Outcome::Unguarded;
}
