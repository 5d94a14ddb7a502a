#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second bridge off the settings file this one uses: both would drive the same rig port
// and overwrite each other's config.ini. A lock file beside config.ini names the bridge that
// holds it; bridges with settings in different folders (two radios) run side by side.
class SettingsLock {
public:
    explicit SettingsLock(const QString &configPath);

    enum class Outcome {
        Held,          // this bridge holds the settings; message() says if a stale lock went
        HeldElsewhere, // another running bridge does: message() says which
        Unguarded,     // no lock file can be made there (a read-only folder, a full disk)
    };
    Outcome lock();
    // For HeldElsewhere, the refusal for the user; for Unguarded, why the settings are not
    // guarded; for Held, the stale lock file removed to take them, if there was one.
    QString message() const { return m_message; }

private:
    static QString lockPathFor(const QString &configPath);
    // What a stale lock file said, in words.
    static QString leftBy(bool named, qint64 pid, const QString &host);

    QString m_configPath;
    QLockFile m_file;
    QString m_message;
};
