#pragma once

#include "rig/virtual_rig.h"

#include <QMainWindow>

#include <array>
#include <memory>

class AppPortFrame;
class ConfigStore;
class QAction;
class AppPorts;
class Messenger;
class OutputPortFrame;
class OutputPorts;
class PollingControls;
class PortFolder;
class PublishedItems;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class RigConnection;
class RigPoller;
class RigPortFrame;
class RigReplyHandler;
class SdrPort;
class SdrPortFrame;
class SerialPort;
class TerminalModel;
class VirtualPort;

// The main window: builds the frames and the port components, and wires one object per
// subsystem to them. The handlers live in those objects, not here.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // configPath: where config.ini lives (empty: beside the executable).
    explicit Form1(Messenger &messenger, const QString &configPath = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // Subsystems, for start-up, shutdown and tests.
    RigConnection &rigConnection() { return *m_rigConnection; }
    RigReplyHandler &rigReplies() { return *m_rigReplies; }
    RigPoller &poller() { return *m_poller; }
    AppPorts &appPorts() { return *m_appPorts; }
    SdrPort &sdr() { return *m_sdr; }
    OutputPorts &outputs() { return *m_outputs; }
    PublishedItems &items() { return *m_items; }

    VirtualRigState &rig() { return m_rig; }
    SerialPort &rigPort() { return *m_rigPort; }
    VirtualPort &appPort(int n) { return *m_appPorts_[std::size_t(n - 1)]; }
    VirtualPort &sdrPort() { return *m_sdrPort; }
    SerialPort &outputPort(int i) { return *m_outPorts[std::size_t(i - 1)]; }
    PortFolder &portFolder() { return *m_folder; }
    QTimer &timer1() { return *m_timer1; }

    // Terminals: 0 the rig, 1 to 5 the application ports, 7 the SDR port; output ports apart.
    TerminalModel &terminal(int n);
    TerminalModel &outputTerminal(int i) { return *m_outTerminals[std::size_t(i - 1)]; }

    RigPortFrame &rigFrame() { return *m_rigFrame; }
    AppPortFrame &appFrame(int n) { return *m_appFrames[std::size_t(n - 1)]; }
    SdrPortFrame &sdrFrame() { return *m_sdrFrame; }
    OutputPortFrame &outputFrame(int i) { return *m_outFrames[std::size_t(i - 1)]; }
    PollingControls &polling() { return *m_polling; }

    RigType rigType() const;
    Messenger &messenger() { return m_messenger; }

    // Settings.
    void SaveConfig();
    ConfigStore &config() { return *m_config; }
    std::array<QString, 8> &launchPaths() { return m_launchPaths; } // LaunchPaths
    QLineEdit *pathBox(int n) { return m_pathBoxes[std::size_t(n)]; }
    QCheckBox *chkOnTop() { return m_chkOnTop; }
    QCheckBox *chkOVXmin() { return m_chkOVXmin; }
    QCheckBox *chkLaunchPSDR() { return m_chkLaunchPSDR; }

    // The window: the setup area shown (13500 x 9200 twips) or hidden (8800 x 6200).
    void showSetup(bool shown);
    bool setupShown() const;
    void SetAlwaysOnTop(bool onTop);
    // The window state start-up shows the window in: 0 normal, 1 minimised, 2 maximised.
    void setStartState(int state);
    int startState() const { return m_startState; }
    QAction *menuItem(const QString &name) const;

    // The close request runs the shutdown, which may cancel it.
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void buildTestPanel(QWidget *area);
    void buildPathFrame(QWidget *area);
    void buildMenus();
    void setOuterSize(int widthTwips, int heightTwips);
    TerminalModel *addTerminal(QWidget *area, const QString &name, const QString &caption, int left,
                               int top, int width);

    Messenger &m_messenger;
    VirtualRigState m_rig;
    std::unique_ptr<PortFolder> m_folder;

    SerialPort *m_rigPort;
    std::array<SerialPort *, 2> m_outPorts{};
    std::array<VirtualPort *, 5> m_appPorts_{};
    VirtualPort *m_sdrPort;
    QTimer *m_timer1;

    RigPortFrame *m_rigFrame = nullptr;
    PollingControls *m_polling = nullptr;
    std::array<AppPortFrame *, 5> m_appFrames{};
    SdrPortFrame *m_sdrFrame = nullptr;
    std::array<OutputPortFrame *, 2> m_outFrames{};
    QCheckBox *m_chkOnTop = nullptr;
    QCheckBox *m_chkOVXmin = nullptr;
    QCheckBox *m_chkLaunchPSDR = nullptr;
    QLineEdit *m_text8 = nullptr;
    QLineEdit *m_ovxTx = nullptr;
    std::array<QLineEdit *, 6> m_pathBoxes{};
    std::array<QString, 8> m_launchPaths;
    QAction *m_mnuShow = nullptr;
    QAction *m_mnuHide = nullptr;
    int m_startState = 0;
    ConfigStore *m_config = nullptr;
    QString m_lastSaveError;

    TerminalModel *m_rigTerminal = nullptr;
    std::array<TerminalModel *, 5> m_appTerminals{};
    TerminalModel *m_sdrTerminal = nullptr;
    std::array<TerminalModel *, 2> m_outTerminals{};

    PublishedItems *m_items;
    RigConnection *m_rigConnection = nullptr;
    RigReplyHandler *m_rigReplies = nullptr;
    RigPoller *m_poller = nullptr;
    AppPorts *m_appPorts = nullptr;
    SdrPort *m_sdr = nullptr;
    OutputPorts *m_outputs = nullptr;
};
