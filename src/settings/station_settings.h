#pragma once

#include "rig/rig_access.h"
#include "rig/rig_type.h"

#include <QByteArray>
#include <QMap>
#include <QPoint>
#include <QString>

#include <array>
#include <optional>

// A check box as config.ini keeps it: 0 clear, 1 set, 2 the grey state (which counts as set).
using BoxValue = int;

// One application port's settings.
struct AppPortSettings {
    QString name;                                 // the COM name it is published under ("COM11")
    QString label = QStringLiteral("Enter Name"); // the program's name, shown under the port
    Permission permission = Permission::FreqMode;
    BoxValue autoInfo1 = 0; // the "AI1" box
    BoxValue autoInfo2 = 0; // the "AI2" box
    BoxValue autoConnect = 0;
    BoxValue autoLaunch = 0;
    QString program; // the command line started with the port

    // The auto-information level the port's program gets: 2, 1 or 0.
    int autoInfoLevel() const { return autoInfo2 == 1 ? 2 : autoInfo1 == 1 ? 1 : 0; }

    friend bool operator==(const AppPortSettings &, const AppPortSettings &) = default;
};

// The panadapter program's port.
struct SdrPortSettings {
    QString name = QStringLiteral("COM99");
    BoxValue autoConnect = 0;
    BoxValue autoLaunch = 0; // "AutoLaunch SDR"
    QString program;

    friend bool operator==(const SdrPortSettings &, const SdrPortSettings &) = default;
};

// An output port that repeats the transmit frequency.
struct OutputPortSettings {
    QString name = QStringLiteral("COM1");
    BoxValue autoConnect = 0;

    friend bool operator==(const OutputPortSettings &, const OutputPortSettings &) = default;
};

// A network door: the rigctld door and flrig's XML-RPC door.
struct DoorSettings {
    QString address = QStringLiteral("127.0.0.1");
    QString port; // as typed; checked when the door listens
    bool listen = true;
    Permission permission = Permission::Full;
    QString confirmedAddress; // a non-loopback address the user agreed to listen on

    friend bool operator==(const DoorSettings &, const DoorSettings &) = default;
};

enum class Door { Rigctl, XmlRpc };
inline constexpr int kDoorCount = 2;

// Everything the two settings files hold, typed: config.ini's 51 lines and ovx2.ini. The bridge
// and the window read it; only the bridge changes it (StationBridge::changeSettings).
struct StationSettings {
    // The window, as config.ini keeps it.
    QPoint windowPosition;       // outer top left corner, pixels
    bool setupShown = false;     // the setup area (Setup > Show)
    BoxValue onTop = 0;          // "AlwaysOn Top"
    BoxValue startMinimized = 0; // "Start Minimized": 0 normal, 1 minimised, 2 maximised

    // The rig.
    RigType rigType = RigType::K3;
    QString rigPort = QStringLiteral("COM1");
    int baudIndex = 3; // 4800, 9600, 19200, 38400, 57600, 115200; -1 none
    BoxValue rigAutoConnect = 0;
    int pollInterval = 250;   // ms
    quint8 civAddress = 0x94; // an Icom radio's CI-V address (ovx2.ini), the IC-7300's by default

    std::array<AppPortSettings, 5> ports;
    SdrPortSettings sdr;
    std::array<OutputPortSettings, 2> outputs;
    std::array<DoorSettings, kDoorCount> doors;

    // ovx2.ini settings of a later version ("Group/Key", the value as written): kept.
    QMap<QString, QByteArray> otherExtras;

    StationSettings();

    AppPortSettings &port(int n) { return ports[std::size_t(n - 1)]; }
    const AppPortSettings &port(int n) const { return ports[std::size_t(n - 1)]; }
    OutputPortSettings &output(int i) { return outputs[std::size_t(i - 1)]; }
    const OutputPortSettings &output(int i) const { return outputs[std::size_t(i - 1)]; }
    DoorSettings &door(Door d) { return doors[std::size_t(d)]; }
    const DoorSettings &door(Door d) const { return doors[std::size_t(d)]; }

    // The radio's CI-V address when the rig type speaks CI-V.
    std::optional<quint8> civRadio() const;

    friend bool operator==(const StationSettings &, const StationSettings &) = default;
};

// The polling interval's range, in ms.
inline constexpr int kMinPollInterval = 100;
inline constexpr int kMaxPollInterval = 5000;
inline constexpr int kBaudCount = 6;

// An application port's boxes that hold each other in check.
enum class PortBox { AutoConnect, AutoLaunch, AI1, AI2 };

// Sets a box of port n and the boxes its rules couple to it: the two AI boxes exclude each other,
// a program launched at start needs its port, a port not connected at start cannot launch its
// program. A box set to the value it has changes nothing.
void setPortBox(StationSettings &settings, int n, PortBox box, BoxValue value);

// config.ini: its 51 lines read into settings over `base` (the values a line that is missing or
// cannot be converted leaves), and written from settings.
struct ConfigRead {
    StationSettings settings;
    // Lines were missing that the file gets at once, written from everything read.
    bool rewrite = false;
};
ConfigRead readConfigIni(const QByteArray &contents, const StationSettings &base = {});
QByteArray writeConfigIni(const StationSettings &settings);

// ovx2.ini: what ports 2 to 5 may change, the network doors, and the keys of later versions.
// Missing or unreadable keys leave `base` as it is.
StationSettings readExtraIni(const QString &path, const StationSettings &base);
QByteArray writeExtraIni(const StationSettings &settings);
// A value as QSettings reads it back from an INI file (quoted and escaped where needed).
QByteArray iniValue(const QString &text);
