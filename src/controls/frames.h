#pragma once

#include <QGroupBox>
#include <QLabel>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QScrollBar;

// The frames of the main window. Each owns its controls, named as the bridge's handlers know
// them; the controls are the state the handlers read afresh at every decision.

// Twips are 1/1440 inch; the window is laid out at 15 twips per logical pixel.
constexpr int tw(int twips)
{
    return twips / 15;
}

// Where a station program finds a virtual port, in small type below its name box: the path is
// broken after its '/'s over the lines the label has room for; a path too long for them keeps its
// start and its COM name, and the tooltip holds it whole.
class PortPathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PortPathLabel(QWidget *parent);
    void setPath(const QString &path);

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();
    QString m_path;
};

// The lines of a path for a box `width` pixels wide with room for `maxLines` lines.
QString pathInLines(const QString &path, const QFontMetrics &metrics, int width, int maxLines);

// A created port's path (empty: removed) in its frame: below the name box and in its tooltip.
void showPortPath(QComboBox &nameBox, const QString &path);

class RigPortFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit RigPortFrame(QWidget *parent);
    QComboBox *rigType;
    QComboBox *portName;
    QComboBox *baudRate;
    QPushButton *connectButton;
    QCheckBox *autoConnect;
};

class PollingControls : public QWidget {
    Q_OBJECT
public:
    explicit PollingControls(QWidget *parent);
    QLineEdit *interval;
    QScrollBar *stepper;
};

// "Virtual Com Port #n", n = 1 to 5.
class AppPortFrame : public QGroupBox {
    Q_OBJECT
public:
    AppPortFrame(int n, QWidget *parent);
    const int number;
    QPushButton *connectButton;
    QComboBox *portName;
    QCheckBox *autoConnect;
    QCheckBox *autoInfo1; // the port's "AI1" box (autoInfo1, chkAI3, ... on the window)
    QCheckBox *autoInfo2; // the port's "AI2" box (autoInfo2, chkAI4, ...)
    QCheckBox *autoLaunch;
    QLineEdit *programName;
    PortPathLabel *pathLabel;
    // What the port's program may change at the rig: "Freq/Mode" (0) or "Full" (1).
    QComboBox *permission;
};

class SdrPortFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit SdrPortFrame(QWidget *parent);
    QPushButton *connectButton;
    QComboBox *portName;
    QCheckBox *autoConnect;
    PortPathLabel *pathLabel;
};

// What sets one network door's frame apart from the other's.
struct DoorFrameText {
    const char *title; // "Network", "XML-RPC"
    const char *names; // what its controls' object names carry: "Net", "Xml"
    const char *port;  // the default port
    const char *rig;   // the rig station programs choose to reach it
    bool permission;   // whether the frame offers "Freq/Mode" and "Full"
};
// The rigctld-compatible server, reached as "Hamlib NET rigctl".
inline constexpr DoorFrameText kRigctlDoorText{"Network", "Net", "4532", "Hamlib NET rigctl",
                                               false};
// flrig's XML-RPC interface, reached as "FLRig".
inline constexpr DoorFrameText kXmlRpcDoorText{"XML-RPC", "Xml", "12345", "FLRig", true};

// A network door: where it listens, whether it does, and who is connected.
class NetworkFrame : public QGroupBox {
    Q_OBJECT
public:
    NetworkFrame(const DoorFrameText &text, QWidget *parent);
    QLineEdit *address; // the address listened on, 127.0.0.1 unless the user types another
    QLineEdit *portNumber;
    QPushButton *connectButton;      // "Connect" / "Disconnect", like the ports' buttons
    QCheckBox *autoConnect;          // "Auto Connect": listen at every start
    QLabel *clients;                 // "Clients: n"
    QComboBox *permission = nullptr; // "Freq/Mode" / "Full", where the door offers them
};

// "Output Com Port n", n = 1 or 2.
class OutputPortFrame : public QGroupBox {
    Q_OBJECT
public:
    OutputPortFrame(int n, QWidget *parent);
    QComboBox *portName;        // ComboPort2 / ComboPort3
    QComboBox *baudRate;        // Combo2 / Combo6: shown, never read
    QPushButton *connectButton; // btnOpen2 / btnOpen3
    QCheckBox *autoConnect;     // chkConnectOut1 / chkConnectOut2
};

// A line edit that is not being typed in shows the start of its text, as a long device path or
// command line reads from its start (Qt shows the end, where the cursor goes).
void showStartWhenIdle(QLineEdit *edit);

// A checked box counts as 1 only when fully checked; the grey state is 2.
int boxValue(const QCheckBox *box);
