#pragma once

#include "rig/rig_connection.h"
#include "rig/rig_link.h"
#include "rig/virtual_rig.h"
#include "settings/station_settings.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

class AppPorts;
class Clock;
class DbusPublisher;
class Messenger;
class NetworkDoor;
class OutputPorts;
class PortFolder;
class PublishedItems;
class RigLink;
class RigPoller;
class RigReplyHandler;
class RigctlServer;
class SdrPort;
class SerialPort;
class TerminalModel;
class VirtualPort;
class XmlRpcServer;
struct RoutingRow;
struct Source;

// The bridge: it owns every port, the virtual rig, the poll timer, the published items and one
// object per subsystem, and it is where a rig reply's routing is carried out, since only this
// layer knows every subsystem. It is built from the station's settings and a clock, and needs no
// window: a view (the window, or the headless runner's standard output) shows what it signals
// and turns what the user does into its calls.
class Bridge : public QObject {
    Q_OBJECT
public:
    Bridge(const StationSettings &settings, Messenger &messenger, Clock &clock,
           const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~Bridge() override;

    // The settings in force. Every handler reads them at each decision.
    const StationSettings &settings() const { return m_settings; }
    // Puts new settings in force (what changed takes effect at once) and tells settingsChanged.
    void changeSettings(const StationSettings &settings);
    void setPollInterval(int ms);
    void setPermission(int n, Permission permission);

    // What start-up does: the rig connected when it connects automatically, then (once the
    // virtual rig is loaded) the network doors, the ports and their programs as their settings
    // say. `started` when done.
    void start();
    // What closing does: the ports' links removed (asked first when a program still holds one)
    // and the rig's control lines released. False when the user chose to stay.
    bool shutDown();

    void connectRig();
    void disconnectRig();
    void toggleRig();
    // n = 1 to 5, or 7 for the SDR port.
    void togglePort(int n);
    void toggleOutput(int i);
    void toggleDoor(Door door);
    // The test panel's transmit buttons, and what the rig's replies say.
    void setTransmitting(bool on);

    // A rig reply: stored in the virtual rig, given to whoever asked for it, and routed.
    void processRigReply(const QByteArray &reply);
    // CAT text poked through D-Bus: to the rig through its queue like any program's.
    void pokeToRig(const QString &text);

    Messenger &messenger() { return m_messenger; }
    Clock &clock() { return m_clock; }
    PortFolder &portFolder() { return *m_folder; }
    SerialPort &rigPort() { return *m_rigPort; }
    SerialPort &outputPort(int i) { return *m_outputPorts[std::size_t(i - 1)]; }
    // n = 1 to 5, or 7 for the SDR port.
    VirtualPort &appPort(int n);
    VirtualPort &sdrPort() { return *m_sdrPort; }
    VirtualRigState &rig() { return m_rig; }
    // Terminals: 0 the rig, 1 to 5 the application ports, 7 the SDR port.
    TerminalModel &terminal(int n);
    TerminalModel &outputTerminal(int i) { return *m_outputTerminals[std::size_t(i - 1)]; }
    TerminalModel &doorTerminal(Door door) { return *m_doorTerminals[std::size_t(door)]; }
    QTimer &pollTimer() { return m_pollTimer; }
    PublishedItems &items() { return *m_items; }
    DbusPublisher &dbus() { return *m_dbus; }

    RigLink &link() { return *m_link; }
    RigConnection &rigConnection() { return *m_rigConnection; }
    RigReplyHandler &rigReplies() { return *m_rigReplies; }
    RigPoller &poller() { return *m_poller; }
    AppPorts &appPorts() { return *m_appPortsHandler; }
    SdrPort &sdr() { return *m_sdr; }
    OutputPorts &outputs() { return *m_outputs; }
    RigctlServer &rigctlServer() { return *m_rigctlServer; }
    XmlRpcServer &xmlRpcServer() { return *m_xmlRpcServer; }
    NetworkDoor &door(Door door) { return *m_doors[std::size_t(door)]; }

signals:
    void settingsChanged();
    // Port n (1 to 5, 7 the SDR port) was published or removed.
    void portChanged(int n);
    void outputChanged(int i);
    void started();

private:
    void performRouting(const RigLink::Routed &routed);
    void deliver(const QByteArray &reply, const QList<Source> &askers);
    void startPorts();
    void startPort(int n);

    StationSettings m_settings;
    Messenger &m_messenger;
    Clock &m_clock;

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
    std::array<std::unique_ptr<TerminalModel>, kDoorCount> m_doorTerminals;
    QTimer m_pollTimer;
    QTimer m_startTimer; // start-up's pause for the first program
    std::unique_ptr<PublishedItems> m_items;
    std::unique_ptr<DbusPublisher> m_dbus;
    std::unique_ptr<RigLink> m_link;
    std::unique_ptr<RigReplyHandler> m_rigReplies;
    std::unique_ptr<RigConnection> m_rigConnection;
    std::unique_ptr<RigPoller> m_poller;
    std::unique_ptr<AppPorts> m_appPortsHandler;
    std::unique_ptr<SdrPort> m_sdr;
    std::unique_ptr<OutputPorts> m_outputs;
    std::unique_ptr<RigctlServer> m_rigctlServer;
    std::unique_ptr<XmlRpcServer> m_xmlRpcServer;
    std::array<std::unique_ptr<NetworkDoor>, kDoorCount> m_doors;
};
