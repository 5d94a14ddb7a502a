#pragma once

#include <QObject>
#include <QString>

struct Controls;

// The settings this program adds to the 51 lines of config.ini, which stays readable by every
// program that writes it: ovx2.ini beside it, one group per feature ([AppPort2] to [AppPort5]:
// what the port may change; [Network]: the server's address, port and whether it listens). A
// missing or unreadable file means the defaults. Every change is written at once, atomically.
class ExtraSettings : public QObject {
    Q_OBJECT
public:
    ExtraSettings(const Controls &controls, const QString &configPath, QObject *parent = nullptr);

    QString filePath() const { return m_path; }
    // The non-loopback address the user has agreed to listen on; empty for none.
    QString confirmedAddress() const { return m_confirmed; }
    void setConfirmedAddress(const QString &address);

private:
    void load();
    void save();

    const Controls &m_controls;
    QString m_path;
    QString m_confirmed;
    bool m_loading = false;
};
