#pragma once

#include <QSet>
#include <QString>

// The private folder where the virtual ports are published as links:
// $XDG_RUNTIME_DIR/ovx2, or /tmp/ovx2-<uid> where that variable is unset. Another local user must
// never reach the rig, so a folder that is a symlink, not a directory, owned by someone else or
// open to others is refused.
class PortFolder {
public:
    PortFolder();
    ~PortFolder();
    PortFolder(const PortFolder &) = delete;
    PortFolder &operator=(const PortFolder &) = delete;

    static QString defaultPath();

    QString path() const { return m_path; }
    // Creates the folder (mode 0700) if needed and checks it. False with error() when refused.
    bool prepare();
    QString error() const { return m_error; }

    // Publishes `target` as <folder>/<name>. A link left by a bridge that has gone is replaced;
    // any other file of that name is left alone and the call fails.
    bool publish(const QString &name, const QString &target);
    void unpublish(const QString &name, const QString &target);
    QString linkPath(const QString &name) const;

private:
    bool ownFolder();
    bool isStaleLink(const QByteArray &link) const;

    QString m_path;
    QString m_error;
    QSet<QString> m_published; // names this bridge's own ports hold now
    int m_lock = -1; // held while this bridge runs: every other link into /dev/pts is stale then
    bool m_ownsLock = false;
};
