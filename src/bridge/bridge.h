#pragma once

#include "controls/controls.h"
#include "rig/rig_type.h"
#include "rig/virtual_rig.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class AppPorts;
class Clock;
class DbusPublisher;
class NetworkDoor;
class RigctlServer;
class XmlRpcServer;
class Messenger;
class OutputPorts;
class PortFolder;
class PublishedItems;
class RigConnection;
class RigLink;
class RigPoller;
class RigReplyHandler;
class SdrPort;
class SerialPort;
class TerminalModel;
class VirtualPort;
struct RoutingRow;

// The bridge itself, with no widgets of its own: it owns every port, the virtual rig, the
// timers, the published items and one object per subsystem, and it is where a rig reply's
// routing is carried out, since only this layer knows every subsystem. The window builds it from
// its controls and keeps the layout, the menus and the window's own state.
class Bridge : public QObject {
    Q_OBJECT
public:
    Bridge(const Controls &controls, Messenger &messenger, Clock &clock, QObject *parent = nullptr);
    ~Bridge() override;

    // The rig type the list shows now.
    RigType rigType() const;

    // A rig reply: stored in the virtual rig, given to whoever asked for it, and routed.
    void ProcessRigReply(const QByteArray &reply);
    // CAT text poked through D-Bus: to the rig through its queue like any program's.
    void pokeToRig(const QString &text);

    // Who writes config.ini when the rig's settings change (the window's settings store).
    void setSaveConfig(std::function<void()> save) { m_saveConfig = std::move(save); }

    const Controls &controls() const { return m_controls; }
    Messenger &messenger() { return m_messenger; }
    Clock &clock() { return m_clock; }

    PortFolder &portFolder() { return *m_folder; }
    SerialPort &rigPort() { return *m_rigPort; }
    SerialPort &outputPort(int i) { return *m_outputPorts[std::size_t(i - 1)]; }
    VirtualPort &appPort(int n) { return *m_appPorts[std::size_t(n - 1)]; }
    VirtualPort &sdrPort() { return *m_sdrPort; }
    VirtualRigState &rig() { return m_rig; }
    // Terminals: 0 the rig, 1 to 5 the application ports, 7 the SDR port.
    TerminalModel &terminal(int n);
    TerminalModel &outputTerminal(int i) { return *m_outputTerminals[std::size_t(i - 1)]; }
    TerminalModel &networkTerminal() { return *m_networkTerminal; }
    TerminalModel &xmlRpcTerminal() { return *m_xmlRpcTerminal; }
    QTimer &timer1() { return m_timer1; }
    PublishedItems &items() { return *m_items; }
    DbusPublisher &dbus() { return *m_dbus; }

    RigLink &link() { return *m_link; }
    RigConnection &rigConnection() { return *m_rigConnection; }
    RigReplyHandler &rigReplies() { return *m_rigReplies; }
    RigPoller &poller() { return *m_poller; }
    AppPorts &appPorts() { return *m_appPortsHandler; }
    SdrPort &sdr() { return *m_sdr; }
    OutputPorts &outputs() { return *m_outputs; }
    RigctlServer &server() { return *m_server; }
    NetworkDoor &network() { return *m_network; }
    XmlRpcServer &xmlRpcServer() { return *m_xmlRpcServer; }
    NetworkDoor &xmlRpc() { return *m_xmlRpc; }

private:
    void performRouting(const RoutingRow &row, const QByteArray &reply, RigType rigType,
                        const QList<struct Source> &askers);
    void deliver(const QByteArray &reply, const QList<struct Source> &askers);
    int baud() const;
    void saveConfig();

    Controls m_controls;
    Messenger &m_messenger;
    Clock &m_clock;
    std::function<void()> m_saveConfig;

    // Declared in the order of building; destroyed the other way round, so the published ports
    // are gone before their folder, and the subsystems before the ports they drive.
    std::unique_ptr<PortFolder> m_folder;
    std::unique_ptr<SerialPort> m_rigPort;
    std::array<std::unique_ptr<SerialPort>, 2> m_outputPorts;
    std::array<std::unique_ptr<VirtualPort>, 5> m_appPorts;
    std::unique_ptr<VirtualPort> m_sdrPort;
    VirtualRigState m_rig;
    std::unique_ptr<TerminalModel> m_rigTerminal;
    std::array<std::unique_ptr<TerminalModel>, 5> m_appTerminals;
    std::unique_ptr<TerminalModel> m_sdrTerminal;
    std::array<std::unique_ptr<TerminalModel>, 2> m_outputTerminals;
    std::unique_ptr<TerminalModel> m_networkTerminal;
    std::unique_ptr<TerminalModel> m_xmlRpcTerminal;
    QTimer m_timer1;
    QTimer m_timer3;
    QTimer m_timer4;
    QTimer m_timer7;
    std::unique_ptr<PublishedItems> m_items;
    std::unique_ptr<DbusPublisher> m_dbus;
    std::unique_ptr<RigLink> m_link;
    std::unique_ptr<RigConnection> m_rigConnection;
    std::unique_ptr<RigReplyHandler> m_rigReplies;
    std::unique_ptr<RigPoller> m_poller;
    std::unique_ptr<AppPorts> m_appPortsHandler;
    std::unique_ptr<SdrPort> m_sdr;
    std::unique_ptr<OutputPorts> m_outputs;
    std::unique_ptr<RigctlServer> m_server;
    std::unique_ptr<NetworkDoor> m_network;
    std::unique_ptr<XmlRpcServer> m_xmlRpcServer;
    std::unique_ptr<NetworkDoor> m_xmlRpc;
};
