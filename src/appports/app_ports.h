#pragma once

#include "rig/cat_framing.h"

#include "rig/rig_type.h"

#include <QObject>

#include <array>
#include <functional>

class AppPortFrame;
class Messenger;
class QTimer;
class SerialPort;
class TerminalModel;
class VirtualPort;
class VirtualRigState;

// Application ports 1 to 5: their creation and removal, the commands of their station programs,
// and the auto-information pushed to them.
class AppPorts : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 5;
    struct Port {
        AppPortFrame &frame;
        VirtualPort &port;
        TerminalModel &terminal;
    };
    struct Deps {
        std::array<Port, kCount> ports;
        SerialPort &rigPort;
        VirtualRigState &rig;
        QTimer &timer1;
        Messenger &messenger;
        std::function<RigType()> rigType;
    };
    explicit AppPorts(Deps deps, QObject *parent = nullptr);

    // n = 1 to 5 throughout.
    void btnCreatePort_Click(int n);
    void DataReceived(int n);
    void SendToAppPort(int n, const QByteArray &text);
    void BroadcastAutoInfo1();
    void BroadcastAutoInfo2(const QByteArray &reply);
    // A rig reply that no routing rule claims.
    void DeliverToPort1(const QByteArray &reply);

    const QByteArray &pending(int n) const { return m_rx[std::size_t(n - 1)].pending(); }
    void ClearBuffer(int n) { m_rx[std::size_t(n - 1)].clear(); }

private:
    Port &port(int n) { return d.ports[std::size_t(n - 1)]; }
    void forwardToRig(const QByteArray &command);
    void deliverIf(int n, bool boxSet, const QByteArray &text);

    Deps d;
    std::array<CatFramer, kCount> m_rx;
};
