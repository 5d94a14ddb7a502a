#pragma once

#include "rig/cat_line.h"
#include "rig/rig_type.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <array>

class Messenger;
class QTimer;
class RigAccess;
class SerialPort;
class TerminalModel;
class VirtualPort;
struct Source;
struct StationSettings;

// Application ports 1 to 5: their creation and removal, the commands of their station programs,
// and the auto-information pushed to them.
class AppPorts : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 5;
    struct Port {
        VirtualPort &port;
        TerminalModel &terminal;
    };
    struct Deps {
        const StationSettings &settings; // each port's name, permission and AI boxes
        std::array<Port, kCount> ports;
        SerialPort &rigPort; // open or not, and the control lines the programs drive
        RigAccess &rig;
        QTimer &pollTimer;
        Messenger &messenger;
    };
    explicit AppPorts(Deps deps, QObject *parent = nullptr);

    // n = 1 to 5 throughout.
    // Publishes the port under its name, or removes it; refused while the rig port is closed.
    void togglePort(int n);
    void dataReceived(int n);
    // The port's program has hung up.
    void programLeft(int n);
    void send(int n, const QByteArray &text);
    // Both skip the ports that asked for the reply themselves: they get it as their answer.
    // status: the stored IF reply.
    void broadcastAutoInfo1(const QByteArray &status, const QList<Source> &askers);
    void broadcastAutoInfo2(const QByteArray &reply, const QList<Source> &askers);
    // A CI-V radio's report of a new frequency or mode, to the ports with either AI box set.
    void broadcastReport(const QByteArray &report);
    // A rig reply that nobody asked for and no routing rule claims.
    void deliverToPort1(const QByteArray &reply);

    const QByteArray &pending(int n) const { return m_rx[std::size_t(n - 1)].pending(); }
    void clearBuffer(int n) { m_rx[std::size_t(n - 1)].clear(); }

signals:
    // Port n was published or removed.
    void portChanged(int n);

private:
    Port &port(int n) { return d.ports[std::size_t(n - 1)]; }
    void handleBatch(int n, const CatFramer::Result &batch);
    // Nothing passed: a CI-V program is told NG, as the radio would tell it.
    void turnDown(int n);
    void handle(int n, const QByteArray &command);
    void keepPolling();
    void refuse(int n, const QByteArray &command);
    QByteArray aiReply(int n) const;
    void deliverIf(int n, bool wanted, const QByteArray &text);
    // The read at the end of a command that a program left unfinished when another opened the
    // port at once ("FA0001RVM;"), or the command as it is.
    QByteArray unglued(int n, const QByteArray &command);

    Deps d;
    std::array<bool, kCount> m_justOpened{}; // no text seen since a program opened the port
    std::array<CatLine, kCount> m_rx{CatLine(CivLine::End::Radio), CatLine(CivLine::End::Radio),
                                     CatLine(CivLine::End::Radio), CatLine(CivLine::End::Radio),
                                     CatLine(CivLine::End::Radio)};
    std::array<QSet<QByteArray>, kCount> m_refused; // kinds of command a port was told of
};
