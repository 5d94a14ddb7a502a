#pragma once

#include <QMap>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

struct Controls;
class NetworkFrame;

// The settings this program adds to the 51 lines of config.ini, which stays readable by every
// program that writes it: ovx2.ini beside it, one group per feature ([AppPort2] to [AppPort5]:
// what the port may change; [Network] and [XmlRpc]: each door's address, port and whether it
// listens, and what the XML-RPC door's programs may change). A
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
    enum class Door { Rigctl, XmlRpc };
    // The non-loopback address the user has agreed a door may listen on; empty for none.
    QString confirmedAddress(Door door) const { return m_confirmed[std::size_t(door)]; }
    void setConfirmedAddress(Door door, const QString &address);

    // A value as QSettings reads it back from an INI file (quoted and escaped where needed).
    static QByteArray iniValue(const QString &text);

private:
    void load();
    // Whether the file now holds the window's settings.
    bool save();
    int permission(int port) const;
    NetworkFrame &doorFrame(std::size_t door) const;

    const Controls &m_controls;
    QString m_path;
    NotSaved m_notSaved;
    std::array<QString, 2> m_confirmed;
    // What the file says each port 2 to 5 may change, as list indexes.
    std::array<int, 4> m_savedPermissions{};
    // Settings of the file this program does not know ("Group/Key", value as written): kept.
    QMap<QString, QByteArray> m_others;
    bool m_loading = false;
};
