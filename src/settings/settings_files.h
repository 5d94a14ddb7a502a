#pragma once

#include "settings/station_settings.h"

#include <QHash>
#include <QString>

#include <functional>

class Messenger;

// The two settings files in one folder: config.ini, which stays readable by every program that
// writes it, and ovx2.ini beside it with the settings this program adds. Each is written whole or
// not at all; a failure is told in the rig terminal and on standard error each time, and once in
// a message for each distinct reason.
class SettingsFiles {
public:
    // tell: a line for the user outside any message (the rig terminal and standard error).
    SettingsFiles(QString configPath, Messenger &messenger,
                  std::function<void(const QString &)> tell);

    // config.ini beside the executable when it runs from a build or a folder of its own, where
    // the file is (even read-only) or can be written; for an installed executable, the user's
    // own configuration folder.
    static QString defaultPath();
    // The rule of defaultPath(): an executable in the install bin folder never keeps its
    // settings beside itself, even where root could write there.
    static bool keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                  bool besideExists, bool exeDirWritable);
    // Why the file at `path` cannot be saved ("the file is read-only"), or empty.
    static QString whyNotWritable(const QString &path);
    // Writes `contents` as the file at `path`, whole or not at all: the old file stays as it was
    // unless the new one is on the disk. Why it was not written, or empty.
    static QString saveWhole(const QString &path, const QByteArray &contents);

    QString configPath() const { return m_configPath; }
    QString extraPath() const { return m_extraPath; }

    // Reads both files. A missing config.ini is written from the settings as they start; one
    // lacking lines that the reader fills with their defaults is written once, from everything
    // read; any other file stays as it is. Whether config.ini existed is `existed`.
    StationSettings load(bool *existed = nullptr);
    // Writes what differs from what the files hold (both, with `force`). False when a file that
    // needed writing was not written.
    bool save(const StationSettings &settings, bool force = false);

private:
    bool saveConfig(const StationSettings &settings, bool force);
    bool saveExtra(const StationSettings &settings);
    void sayNotSaved(const QString &path, const QString &why, const QString &more = {});

    QString m_configPath;
    QString m_extraPath;
    Messenger &m_messenger;
    std::function<void(const QString &)> m_tell;
    QByteArray m_config; // what each file holds, as last read or written
    QByteArray m_extra;
    StationSettings m_savedExtra; // the settings ovx2.ini holds
    QString m_cannotWrite; // why the config.ini read at start cannot be saved; empty when it can
    bool m_cannotWriteShown = false;
    QHash<QString, QString> m_lastReported; // by file: the last message shown
};
