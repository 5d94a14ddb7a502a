#pragma once

#include <QMap>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

struct Controls;

// The settings this program adds to the 51 lines of config.ini, which stays readable by every
// program that writes it: ovx2.ini beside it, one group per feature ([AppPort2] to [AppPort5]:
// what the port may change; [Network]: the server's address, port and whether it listens). A
// missing or unreadable file means the defaults. Every change is written at once, the file
// whole or not at all, in the INI form QSettings reads.
class ExtraSettings : public QObject {
    Q_OBJECT
public:
    // Told why, and what it means for the ports, when the file could not be saved.
    using NotSaved = std::function<void(const QString &why, const QString &more)>;

    ExtraSettings(const Controls &controls, const QString &configPath, NotSaved notSaved,
                  QObject *parent = nullptr);

    QString filePath() const { return m_path; }
    // The non-loopback address the user has agreed to listen on; empty for none.
    QString confirmedAddress() const { return m_confirmed; }
    void setConfirmedAddress(const QString &address);

    // A value as QSettings reads it back from an INI file (quoted and escaped where needed).
    static QByteArray iniValue(const QString &text);

private:
    void load();
    // Whether the file now holds the window's settings.
    bool save();
    int permission(int port) const;

    const Controls &m_controls;
    QString m_path;
    NotSaved m_notSaved;
    QString m_confirmed;
    // What the file says each port 2 to 5 may change, as list indexes.
    std::array<int, 4> m_savedPermissions{};
    // Settings of the file this program does not know ("Group/Key", value as written): kept.
    QMap<QString, QByteArray> m_others;
    bool m_loading = false;
};
