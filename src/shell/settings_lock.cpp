#include "shell/settings_lock.h"

#include <QDir>
#include <QFileInfo>

SettingsLock::SettingsLock(const QString &configPath)
    : m_configPath(configPath), m_file(lockPathFor(configPath))
{
    // Held for as long as the bridge runs, however long that is; a lock left by a bridge that has
    // gone (a crash, a power cut) is found stale by its process being gone.
    m_file.setStaleLockTime(0);
}

QString SettingsLock::lockPathFor(const QString &configPath)
{
    return configPath + QStringLiteral(".lock");
}

SettingsLock::Outcome SettingsLock::lock()
{
    QDir().mkpath(QFileInfo(m_configPath).absolutePath());
    if (m_file.tryLock(0))
        return Outcome::Held;
    if (m_file.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString app;
        m_file.getLockInfo(&pid, &host, &app);
        // The running program's own path tells which copy it is.
        const QString program = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        m_message =
            QStringLiteral("OVX2 is already running with the settings in %1 (process %2%3).\n"
                           "Two bridges on one settings file would fight over the rig port "
                           "and the file. Use the one running; for a second radio, start a "
                           "copy of OVX2 from a folder of its own.")
                .arg(m_configPath)
                .arg(pid)
                .arg(program.isEmpty() ? QString() : QStringLiteral(", ") + program);
        return Outcome::HeldElsewhere;
    }
    m_message = QStringLiteral("The settings in %1 are not guarded against a second bridge: the "
                               "lock file %2 cannot be made.")
                    .arg(m_configPath, m_file.fileName());
    return Outcome::Unguarded;
}
