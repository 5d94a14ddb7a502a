#pragma once

#include "settings/station_settings.h"

#include <array>
#include <cstddef>

class AppPortFrame;
class NetworkFrame;
class OutputPortFrame;
class PollingControls;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;
class RigPortFrame;
class SdrPortFrame;

// The window's controls, as the window shows the settings and the bridge's state in them.
struct Controls {
    QWidget *window = nullptr; // its title shows the progress of a rig connection
    RigPortFrame *rig = nullptr;
    PollingControls *polling = nullptr;
    std::array<AppPortFrame *, 5> appPorts{}; // application ports 1 to 5
    SdrPortFrame *sdr = nullptr;
    std::array<OutputPortFrame *, 2> outputs{};
    NetworkFrame *network = nullptr; // the rigctld door
    NetworkFrame *xmlrpc = nullptr;  // the XML-RPC door
    QCheckBox *onTop = nullptr;
    QCheckBox *startMinimized = nullptr;
    QCheckBox *sdrAutoLaunch = nullptr;
    std::array<QLineEdit *, 6> programLines{}; // the programs of ports 1 to 5 and the SDR program
    QLineEdit *vfoA = nullptr;                 // the rig's last FA reply
    QLineEdit *transmitIndicator = nullptr;    // the transmit indicator
    QPushButton *transmitButton = nullptr;     // test panel: "On"
    QPushButton *receiveButton = nullptr;      // test panel: "Off"

    AppPortFrame *appFrame(int n) const { return appPorts[std::size_t(n - 1)]; }
    OutputPortFrame *outputFrame(int i) const { return outputs[std::size_t(i - 1)]; }
    NetworkFrame *doorFrame(Door door) const { return door == Door::Rigctl ? network : xmlrpc; }
};
