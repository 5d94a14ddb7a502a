#pragma once

#include <QString>

class Messenger;
class SerialPort;
class TerminalModel;
class VirtualPort;

// What the application ports and the SDR port share: a port published under a name, or removed.
struct Publishing {
    VirtualPort &port;
    TerminalModel &terminal;
    QString name;    // the COM name it is published under
    QString refusal; // told while the rig port is closed
    bool resetAfterRefusedRemoval;
};

// Publishes the port under its name, or removes it when it is published; refused while the rig
// port is closed, and a removal refused while a program holds the port.
void togglePublished(const Publishing &p, SerialPort &rigPort, Messenger &messenger);
