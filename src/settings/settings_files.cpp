#include "settings/settings_files.h"

#include "platform/messenger.h"
#include "settings/config_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

SettingsFiles::SettingsFiles(QString configPath, Messenger &messenger,
                             std::function<void(const QString &)> tell)
    : m_configPath(std::move(configPath)),
      m_extraPath(QFileInfo(m_configPath).absolutePath() + QStringLiteral("/ovx2.ini")),
      m_messenger(messenger), m_tell(std::move(tell))
{
}

QString SettingsFiles::defaultPath()
{
    const QString exeDir = QCoreApplication::applicationDirPath(); // symlinks resolved
    const QString beside = exeDir + QStringLiteral("/config.ini");
    // Compared as the real folder, so /bin on a merged-/usr system is /usr/bin.
    const QString installBinDir = QStringLiteral(OVX2_INSTALL_BINDIR);
    const QString realBinDir = QFileInfo(installBinDir).canonicalFilePath();
    if (keepsConfigBeside(exeDir, realBinDir.isEmpty() ? installBinDir : realBinDir,
                          QFileInfo::exists(beside), QFileInfo(exeDir).isWritable()))
        return beside;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ovx2/config.ini");
}

bool SettingsFiles::keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                      bool besideExists, bool exeDirWritable)
{
    return (besideExists || exeDirWritable) &&
           QDir::cleanPath(exeDir) != QDir::cleanPath(installBinDir);
}

QString SettingsFiles::whyNotWritable(const QString &path)
{
    // The file is written anew beside itself and renamed over the old one: both the file and its
    // folder must take writes.
    const QFileInfo file(path);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("its folder is read-only");
    return {};
}

QString SettingsFiles::saveWhole(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // commit() of Qt 6.4 reports success when its own last flush fails (a full disk), and
    // renames an empty file over the old one. So nothing is committed that is not on the disk
    // whole: written, flushed and synced, each checked; otherwise the old file stays as it was.
    const bool whole =
        file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.flush();
    if (whole && ::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno)); // the copy goes with `file`
    if (!whole || !file.commit())
        return file.errorString();
    return {};
}

void SettingsFiles::sayNotSaved(const QString &path, const QString &why, const QString &more)
{
    const QString after = more.isEmpty() ? QString() : QLatin1Char(' ') + more;
    m_tell(QStringLiteral("Settings not saved to %1: %2; the file keeps what was saved before.%3")
               .arg(path, why, after));
    const QString text = QStringLiteral("Settings could not be saved to %1: %2. The file keeps "
                                        "the settings saved before.%3")
                             .arg(path, why, after);
    QString &last = m_lastReported[path];
    if (text == last)
        return;
    last = text;
    m_messenger.warning(text);
}

StationSettings SettingsFiles::load(bool *existed)
{
    // ovx2.ini first: config.ini's lines are read over what it says.
    StationSettings settings = readExtraIni(m_extraPath, StationSettings());
    m_savedExtra = settings;
    m_extra = writeExtraIni(settings);
    QFile file(m_configPath);
    const bool found = file.open(QIODevice::ReadOnly);
    if (existed)
        *existed = found;
    if (!found) {
        // A first start leaves a complete file; at start-up a file that cannot be written does
        // not stop anything.
        const QByteArray contents = writeConfigIni(settings);
        if (const QString why = saveWhole(m_configPath, contents); why.isEmpty())
            m_config = contents;
        else
            m_tell(QStringLiteral("Settings not saved to %1: %2").arg(m_configPath, why));
        return settings;
    }
    const ConfigRead read = readConfigIni(file.read(kMaxConfigBytes), settings);
    file.close();
    m_config = writeConfigIni(read.settings);
    // A file that can be read but not written is still the settings: they are used, and not
    // saved anywhere else, where the next start would not look.
    m_cannotWrite = whyNotWritable(m_configPath);
    if (!m_cannotWrite.isEmpty())
        m_tell(QStringLiteral("Settings read from %1, which cannot be written (%2): changes are "
                              "not saved.")
                   .arg(m_configPath, m_cannotWrite));
    else if (read.rewrite)
        saveConfig(read.settings, true); // an older, shorter file gets the lines it lacks
    return read.settings;
}

bool SettingsFiles::save(const StationSettings &settings, bool force)
{
    const bool config = saveConfig(settings, force);
    return saveExtra(settings) && config;
}

bool SettingsFiles::saveConfig(const StationSettings &settings, bool force)
{
    const QByteArray contents = writeConfigIni(settings);
    if (!force && contents == m_config)
        return true;
    if (!m_cannotWrite.isEmpty()) {
        // Said at start-up; said once more in a message when a change of the user's is not kept.
        if (!m_cannotWriteShown) {
            m_cannotWriteShown = true;
            m_messenger.warning(QStringLiteral("Settings cannot be saved to %1: %2. Changes made "
                                               "now are not kept after OVX2 closes.")
                                    .arg(m_configPath, m_cannotWrite));
        }
        return false;
    }
    if (const QString why = saveWhole(m_configPath, contents); !why.isEmpty()) {
        sayNotSaved(m_configPath, why);
        return false;
    }
    m_config = contents;
    return true;
}

bool SettingsFiles::saveExtra(const StationSettings &settings)
{
    const QByteArray contents = writeExtraIni(settings);
    if (contents == m_extra)
        return true;
    const QString why = saveWhole(m_extraPath, contents);
    if (why.isEmpty()) {
        m_extra = contents;
        m_savedExtra = settings;
        return true;
    }
    // What a port may change matters most: a port narrowed to frequency and mode would get the
    // whole rig back at the next start.
    QStringList lost;
    const auto name = [](Permission p) {
        return p == Permission::Full ? QStringLiteral("Full") : QStringLiteral("Freq/Mode");
    };
    for (int n = 2; n <= 5; ++n) {
        const Permission saved = m_savedExtra.port(n).permission;
        if (settings.port(n).permission != saved)
            lost << QStringLiteral("Port %1 is \"%2\" until OVX2 closes; at the next start it is "
                                   "\"%3\" again.")
                        .arg(n)
                        .arg(name(settings.port(n).permission), name(saved));
    }
    sayNotSaved(m_extraPath, why, lost.join(QLatin1Char(' ')));
    return false;
}
