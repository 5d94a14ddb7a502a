#pragma once

#include <QString>

class Messenger;
class QComboBox;
class QPushButton;
class SerialPort;
class TerminalModel;
class VirtualPort;

// The toggle button shared by the application ports and the SDR port: creates the port under the
// name box's text, or removes it; refused while the rig port is closed.
struct PortToggle {
    VirtualPort &port;
    QPushButton &button;
    QComboBox &nameBox;
    TerminalModel &terminal;
    QString refusal;
    bool resetAfterRefusedRemoval;

    void click(SerialPort &rigPort, Messenger &messenger);
};
