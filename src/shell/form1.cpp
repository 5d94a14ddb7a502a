#include "shell/form1.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "monitor/dbus_publisher.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "monitor/terminal_view.h"
#include "outports/output_ports.h"
#include "ports/port_folder.h"
#include "ports/pty_port.h"
#include "ports/qt_serial_port.h"
#include "ports/virtual_port.h"
#include "rig/rig_connection.h"
#include "rig/rig_poller.h"
#include "rig/rig_reply_handler.h"
#include "shell/config_store.h"
#include "shell/frames.h"
#include "shell/messenger.h"
#include "shell/option_coupling.h"
#include "shell/shutdown.h"
#include "shell/version.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

Form1::Form1(Messenger &messenger, const QString &configPath, QWidget *parent)
    : QMainWindow(parent), m_messenger(messenger), m_folder(std::make_unique<PortFolder>()),
      m_rigPort(new QtSerialPort(this)), m_sdrPort(new PtyPort(*m_folder, this)),
      m_timer1(new QTimer(this)), m_items(new PublishedItems(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    for (auto &port : m_outPorts)
        port = new QtSerialPort(this);
    for (auto &port : m_appPorts_)
        port = new PtyPort(*m_folder, this);

    buildLayout();
    buildMenus();
    m_config = new ConfigStore(
        *this, configPath.isEmpty() ? ConfigStore::defaultPath() : configPath, this);
    for (AppPortFrame *frame : m_appFrames)
        coupleBoxes(*frame);
    connect(m_chkOnTop, &QCheckBox::stateChanged, this,
            [this] { SetAlwaysOnTop(boxValue(m_chkOnTop) == 1); });

    auto rigType = [this] { return this->rigType(); };
    m_outputs = new OutputPorts({{{{*m_outFrames[0], *m_outPorts[0], *m_outTerminals[0]},
                                   {*m_outFrames[1], *m_outPorts[1], *m_outTerminals[1]}}},
                                 *m_rigPort,
                                 m_rig,
                                 m_messenger},
                                this);
    m_rigConnection = new RigConnection({*this, *m_rigFrame, *m_rigPort, m_rig, *m_rigTerminal,
                                         *m_timer1, m_messenger, [this] { SaveConfig(); }},
                                        this);
    m_rigConnection->setOutputPorts(m_outputs);

    auto appPort = [this](int i) {
        return AppPorts::Port{*m_appFrames[std::size_t(i)], *m_appPorts_[std::size_t(i)],
                              *m_appTerminals[std::size_t(i)]};
    };
    m_appPorts = new AppPorts({{appPort(0), appPort(1), appPort(2), appPort(3), appPort(4)},
                               *m_rigPort,
                               m_rig,
                               *m_timer1,
                               m_messenger,
                               rigType},
                              this);
    m_sdr = new SdrPort({*m_sdrFrame, *m_sdrPort, *m_sdrTerminal, *m_rigPort, m_rig, *m_timer1,
                         m_messenger, rigType},
                        this);
    m_rigReplies = new RigReplyHandler(
        {*m_rigPort, m_rig, *m_rigTerminal, rigType, *m_appPorts, *m_sdr, *m_outputs, *m_items},
        this);
    m_poller = new RigPoller({*m_polling, *m_timer1, *m_rigPort, *m_sdrPort, rigType,
                              [this] { return m_items->transmitIndicator(); }},
                             this);

    connect(m_items, &PublishedItems::text8Changed, m_text8, &QLineEdit::setText);
    connect(m_items, &PublishedItems::transmitIndicatorChanged, m_ovxTx, &QLineEdit::setText);
    connect(m_items, &PublishedItems::trxLinkChanged, this,
            [this](const QString &text) { m_rigPort->WriteText(text.toLatin1()); });
    new DbusPublisher(*m_items, *m_rigTerminal, QDBusConnection::sessionBus(), this);
}

Form1::~Form1()
{
    // The virtual ports unpublish their links through the port folder: they go first.
    delete m_sdrPort;
    for (VirtualPort *port : m_appPorts_)
        delete port;
}

RigType Form1::rigType() const
{
    return rigTypeFromIndex(m_rigFrame->cbRigType->currentIndex());
}

void Form1::SaveConfig()
{
    if (m_config->SaveConfig() || m_config->isLoading())
        return; // at start-up a file that cannot be written does not stop anything
    const QString error = m_config->errorString();
    AppendToTerminal(*m_rigTerminal, "Settings not saved: " + error.toLocal8Bit());
    if (error == m_lastSaveError)
        return; // said once already
    m_lastSaveError = error;
    m_messenger.warning(
        QStringLiteral("Settings could not be saved to %1: %2").arg(m_config->filePath(), error));
}

QAction *Form1::menuItem(const QString &name) const
{
    return findChild<QAction *>(name);
}

void Form1::setOuterSize(int widthTwips, int heightTwips)
{
    // Outer sizes: the frame the window manager adds is part of them.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(qMax(1, tw(widthTwips) - frame.width()), qMax(1, tw(heightTwips) - frame.height()));
}

void Form1::showSetup(bool shown)
{
    if (shown)
        setOuterSize(13500, 9200);
    else
        setOuterSize(8800, 6200);
    m_mnuShow->setChecked(shown);
    m_mnuHide->setChecked(!shown);
}

bool Form1::setupShown() const
{
    return m_mnuShow->isChecked();
}

void Form1::SetAlwaysOnTop(bool onTop)
{
    // Only the z-order class changes; the window keeps its place and size.
    const QRect place = geometry();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    setGeometry(place);
    if (visible)
        show();
}

void Form1::setStartState(int state)
{
    m_startState = state;
    setWindowState(state == 1   ? Qt::WindowMinimized
                   : state == 2 ? Qt::WindowMaximized
                                : Qt::WindowNoState);
}

void Form1::mnuExit_Click()
{
    SaveConfig();
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (runShutdown(*this))
        event->accept();
    else
        event->ignore();
}

void Form1::buildMenus()
{
    auto item = [this](QMenu *menu, const QString &name, const QString &text) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        return action;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    connect(item(file, QStringLiteral("mnuExit"), QStringLiteral("Exit")), &QAction::triggered,
            this, &Form1::mnuExit_Click);
    QMenu *setup = menuBar()->addMenu(QStringLiteral("Setup"));
    m_mnuShow = item(setup, QStringLiteral("mnuShow"), QStringLiteral("Show"));
    m_mnuHide = item(setup, QStringLiteral("mnuHide"), QStringLiteral("Hide"));
    m_mnuShow->setCheckable(true);
    m_mnuHide->setCheckable(true);
    connect(m_mnuShow, &QAction::triggered, this, [this] {
        showSetup(true);
        SaveConfig();
    });
    connect(m_mnuHide, &QAction::triggered, this, [this] {
        showSetup(false);
        SaveConfig();
    });
    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    connect(item(help, QStringLiteral("mnuIndex"), QStringLiteral("Manual")), &QAction::triggered,
            this, [this] {
                m_messenger.show({QString(), QString(18, QLatin1Char(' ')) +
                                                 QStringLiteral("Orvex \r\n") +
                                                 QStringLiteral("Manual online at ") +
                                                 QString::fromLatin1(kManualAddress)});
            });
    connect(item(help, QStringLiteral("mnuAbout"), QStringLiteral("About")), &QAction::triggered,
            this, [this] {
                m_messenger.show(
                    {QString(), QString(23, QLatin1Char(' ')) + QString::fromLatin1(kAppTitle) +
                                    QStringLiteral("\r\n") + QString::fromLatin1(kLegalNotice)});
            });
}

void Form1::buildPathFrame(QWidget *area)
{
    auto *frame = new QGroupBox(QStringLiteral("Virtual Port Application Paths"), area);
    frame->setObjectName(QStringLiteral("PathFrame"));
    frame->setGeometry(tw(8760), tw(120), tw(4215), tw(3255));
    auto *example = new QLabel(QStringLiteral("Example:"), frame);
    example->setGeometry(tw(120), tw(300), tw(840), tw(255));
    auto *line = new QLabel(QStringLiteral("/usr/bin/cqrlog"), frame);
    line->setObjectName(QStringLiteral("lblExample"));
    line->setGeometry(tw(840), tw(540), tw(3255), tw(255));
    line->setToolTip(QStringLiteral("The full path of the program, then its arguments if any"));
    const QStringList labels{QStringLiteral("App 1"), QStringLiteral("App 2"),
                             QStringLiteral("App 3"), QStringLiteral("App 4"),
                             QStringLiteral("App 5"), QStringLiteral("SDR")};
    for (int n = 0; n < 6; ++n) {
        const int top = 960 + 360 * n;
        auto *label = new QLabel(labels[n], frame);
        label->setGeometry(tw(120), tw(top), tw(700), tw(285));
        auto *box = new QLineEdit(QStringLiteral("Enter Full Path Per Above Example"), frame);
        box->setObjectName(QStringLiteral("txtVportAppPath%1").arg(n));
        box->setGeometry(tw(840), tw(top), tw(3255), tw(285));
        connect(box, &QLineEdit::textChanged, this,
                [this, n](const QString &text) { m_launchPaths[std::size_t(n)] = text; });
        m_pathBoxes[std::size_t(n)] = box;
    }
}

TerminalModel &Form1::terminal(int n)
{
    if (n == 0)
        return *m_rigTerminal;
    if (n == 7)
        return *m_sdrTerminal;
    return *m_appTerminals[std::size_t(n - 1)];
}

TerminalModel *Form1::addTerminal(QWidget *area, const QString &name, const QString &caption,
                                  int left, int top, int width)
{
    auto *model = new TerminalModel(this);
    model->setObjectName(name);
    auto *label = new QLabel(caption, area);
    label->setObjectName(QStringLiteral("lbl") + name);
    label->setGeometry(tw(left), tw(top - 240), tw(width), tw(240));
    auto *view = new TerminalView(*model, area);
    view->setObjectName(name);
    view->setGeometry(tw(left), tw(top), tw(width), tw(840));
    return model;
}

void Form1::buildLayout()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    QFont small = font();
    small.setPixelSize(10);
    area->setFont(small);

    m_rigFrame = new RigPortFrame(area);
    m_rigFrame->setGeometry(tw(120), tw(120), tw(1575), tw(2415));

    m_polling = new PollingControls(area);
    m_polling->setGeometry(tw(1800), tw(120), tw(1575), tw(315));

    auto option = [&](const QString &name, const QString &text, int top) {
        auto *box = new QCheckBox(text, area);
        box->setObjectName(name);
        box->setGeometry(tw(1800), tw(top), tw(1935), tw(255));
        return box;
    };
    m_chkOnTop = option(QStringLiteral("chkOnTop"), QStringLiteral("AlwaysOn Top"), 480);
    m_chkOVXmin = option(QStringLiteral("chkOVXmin"), QStringLiteral("Start Minimized"), 765);
    m_chkLaunchPSDR =
        option(QStringLiteral("chkLaunchPSDR"), QStringLiteral("AutoLaunch SDR"), 1050);

    m_rigTerminal = addTerminal(area, QStringLiteral("ListTerminal"),
                                QStringLiteral("Rig Port Terminal"), 1800, 1680, 2055);
    m_text8 = new QLineEdit(QStringLiteral("Text8"), area);
    m_text8->setObjectName(QStringLiteral("Text8"));
    m_text8->setReadOnly(true);
    m_text8->setGeometry(tw(1920), tw(2520), tw(1695), tw(285));

    m_sdrFrame = new SdrPortFrame(area);
    m_sdrFrame->setGeometry(tw(3960), tw(120), tw(1335), tw(2415));
    for (int i = 0; i < 2; ++i) {
        m_outFrames[std::size_t(i)] = new OutputPortFrame(i + 1, area);
        m_outFrames[std::size_t(i)]->setGeometry(tw(5400 + 1560 * i), tw(120), tw(1455), tw(2415));
    }
    constexpr std::array<int, 5> frameLeft{120, 1800, 3480, 5160, 6840};
    constexpr std::array<int, 5> terminalLeft{120, 2640, 5160, 7680, 10200};
    for (int i = 0; i < 5; ++i) {
        auto *frame = new AppPortFrame(i + 1, area);
        frame->setGeometry(tw(frameLeft[std::size_t(i)]), tw(2760), tw(1575), tw(2535));
        m_appFrames[std::size_t(i)] = frame;
        m_appTerminals[std::size_t(i)] =
            addTerminal(area, QStringLiteral("ListTerminal%1").arg(i + 1),
                        QStringLiteral("VPort %1 Terminal").arg(i + 1),
                        terminalLeft[std::size_t(i)], 6120, 2415);
        for (int n = 1; n <= 20; ++n)
            frame->ComboVPort->addItem(QStringLiteral("COM%1").arg(n));
        frame->ComboVPort->setEditText(QStringLiteral("COM%1").arg(11 + i));
    }
    m_sdrFrame->ComboVPort7->addItem(QStringLiteral("COM99"));
    m_sdrTerminal = addTerminal(area, QStringLiteral("ListTerminal7"),
                                QStringLiteral("SDRTerminal"), 120, 7320, 2415);
    m_outTerminals[0] = addTerminal(area, QStringLiteral("ListTerminalOut1"),
                                    QStringLiteral("Output Terminal #1"), 2640, 7320, 2415);
    m_outTerminals[1] = addTerminal(area, QStringLiteral("ListTerminalOut2"),
                                    QStringLiteral("Output Terminal #2"), 5160, 7320, 2415);

    buildPathFrame(area);
    buildTestPanel(area);
    // The area is as large as its contents; the window shows the part its size allows, so the
    // test panel at the right stays out of view in both sizes.
    area->setMinimumSize(tw(19000), tw(9200));
    auto *scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidget(area);
    setCentralWidget(scroller);
    resize(tw(8800), tw(6200));
}

void Form1::buildTestPanel(QWidget *area)
{
    // Outside both window sizes: the transmit indicator field and its two test buttons.
    auto *title = new QLabel(QStringLiteral("DDE TEST"), area);
    title->setGeometry(tw(16560), tw(120), tw(1500), tw(255));
    m_ovxTx = new QLineEdit(area);
    m_ovxTx->setObjectName(QStringLiteral("OVX_TX"));
    m_ovxTx->setReadOnly(true);
    m_ovxTx->setGeometry(tw(16560), tw(480), tw(1000), tw(285));
    auto *tx = new QPushButton(QStringLiteral("TX"), area);
    tx->setObjectName(QStringLiteral("cmdTX"));
    tx->setGeometry(tw(16560), tw(840), tw(600), tw(345));
    auto *rx = new QPushButton(QStringLiteral("RX"), area);
    rx->setObjectName(QStringLiteral("cmdRX"));
    rx->setGeometry(tw(17280), tw(840), tw(600), tw(345));
    connect(tx, &QPushButton::clicked, this,
            [this] { m_items->setTransmitIndicator(QStringLiteral("On")); });
    connect(rx, &QPushButton::clicked, this,
            [this] { m_items->setTransmitIndicator(QStringLiteral("Off")); });
}
