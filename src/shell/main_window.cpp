#include "shell/main_window.h"

#include "bridge/bridge.h"
#include "controls/caption_fit.h"
#include "controls/frames.h"
#include "controls/version.h"
#include "monitor/published_items.h"
#include "monitor/terminal_view.h"
#include "net/door_server.h"
#include "net/network_door.h"
#include "net/rigctl_server.h"
#include "net/xmlrpc_server.h"
#include "platform/messenger.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "rig/rig_connection.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

namespace {
// Where a control's own focus policy is kept while it lies outside the window's current size.
constexpr char kOwnFocusPolicy[] = "ovx2OwnFocusPolicy";

Qt::CheckState checkState(BoxValue value)
{
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

void showText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void showName(QComboBox *box, const QString &text)
{
    if (box->currentText() != text)
        box->setEditText(text);
}

int permissionIndex(Permission p)
{
    return p == Permission::Full ? 1 : 0;
}

Permission permissionAt(int index)
{
    return index == 1 ? Permission::Full : Permission::FreqMode;
}
} // namespace

MainWindow::MainWindow(Bridge &bridge, Messenger &messenger, QWidget *parent)
    : QMainWindow(parent), m_bridge(bridge), m_messenger(messenger)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    m_controls.window = this;
    buildLayout();
    buildMenus();
    buildTerminals(m_area);
    fitFont();
    // The real ports' lists offer the machine's serial ports; listing them reads thousands of
    // files under /sys and /dev: once for all three.
    QStringList machinePorts;
    for (int p = 0, count = m_bridge.rigPort().PortCount(); p < count; ++p)
        machinePorts << m_bridge.rigPort().PortName(p);
    for (QComboBox *list : {m_controls.rig->portName, m_controls.outputs[0]->portName,
                            m_controls.outputs[1]->portName})
        list->addItems(machinePorts);
    showSettings();
    bindControls();
    bindState();
}

MainWindow::~MainWindow() = default;

template <typename Edit> void MainWindow::change(Edit edit)
{
    if (m_showing)
        return;
    StationSettings next = m_bridge.settings();
    edit(next);
    m_bridge.changeSettings(next);
}

void MainWindow::showSettings()
{
    const StationSettings &s = m_bridge.settings();
    m_showing = true;
    const Controls &c = m_controls;
    c.rig->rigType->setCurrentIndex(rigTypeIndex(s.rigType));
    showName(c.rig->portName, s.rigPort);
    c.rig->baudRate->setCurrentIndex(s.baudIndex);
    c.rig->autoConnect->setCheckState(checkState(s.rigAutoConnect));
    showText(c.polling->interval, QString::number(s.pollInterval));
    c.polling->stepper->setValue(s.pollInterval);
    c.onTop->setCheckState(checkState(s.onTop));
    c.startMinimized->setCheckState(checkState(s.startMinimized));
    c.sdrAutoLaunch->setCheckState(checkState(s.sdr.autoLaunch));
    for (int n = 1; n <= 5; ++n) {
        const AppPortSettings &port = s.port(n);
        AppPortFrame *frame = c.appFrame(n);
        showName(frame->portName, port.name);
        frame->autoConnect->setCheckState(checkState(port.autoConnect));
        frame->autoInfo1->setCheckState(checkState(port.autoInfo1));
        frame->autoInfo2->setCheckState(checkState(port.autoInfo2));
        frame->autoLaunch->setCheckState(checkState(port.autoLaunch));
        showText(frame->programName, port.label);
        frame->permission->setCurrentIndex(permissionIndex(port.permission));
        showText(c.programLines[std::size_t(n - 1)], port.program);
    }
    showText(c.programLines[5], s.sdr.program);
    showName(c.sdr->portName, s.sdr.name);
    c.sdr->autoConnect->setCheckState(checkState(s.sdr.autoConnect));
    for (int i = 1; i <= 2; ++i) {
        showName(c.outputFrame(i)->portName, s.output(i).name);
        c.outputFrame(i)->autoConnect->setCheckState(checkState(s.output(i).autoConnect));
    }
    for (Door door : {Door::Rigctl, Door::XmlRpc}) {
        NetworkFrame *frame = c.doorFrame(door);
        const DoorSettings &d = s.door(door);
        showText(frame->address, d.address);
        showText(frame->portNumber, d.port);
        frame->autoConnect->setChecked(d.listen);
        if (frame->permission)
            frame->permission->setCurrentIndex(permissionIndex(d.permission));
    }
    m_showSetup->setChecked(s.setupShown);
    m_hideSetup->setChecked(!s.setupShown);
    m_showing = false;
}

void MainWindow::bindControls()
{
    const Controls &c = m_controls;
    // The settings follow what the user does; what the settings then hold is shown again, so a
    // box coupled to the one clicked follows it.
    connect(&m_bridge, &Bridge::settingsChanged, this, &MainWindow::showSettings);

    connect(c.rig->rigType, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&](StationSettings &s) { s.rigType = rigTypeFromIndex(index); });
    });
    connect(c.rig->portName, &QComboBox::editTextChanged, this,
            [this](const QString &text) { change([&](StationSettings &s) { s.rigPort = text; }); });
    connect(c.rig->baudRate, &QComboBox::currentIndexChanged, this,
            [this](int index) { change([&](StationSettings &s) { s.baudIndex = index; }); });
    connect(c.rig->autoConnect, &QCheckBox::stateChanged, this, [this] {
        change(
            [&](StationSettings &s) { s.rigAutoConnect = boxValue(m_controls.rig->autoConnect); });
    });
    connect(c.rig->connectButton, &QPushButton::clicked, &m_bridge, &Bridge::toggleRig);

    // The interval is what the window shows, typed or set with the bar.
    connect(c.polling->stepper, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_showing)
            m_bridge.setPollInterval(value);
    });
    connect(c.polling->interval, &QLineEdit::textChanged, this, [this](const QString &text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!m_showing && ok && value >= kMinPollInterval && value <= kMaxPollInterval)
            m_bridge.setPollInterval(value);
    });

    connect(c.onTop, &QCheckBox::stateChanged, this, [this] {
        setAlwaysOnTop(boxValue(m_controls.onTop) == 1);
        change([&](StationSettings &s) { s.onTop = boxValue(m_controls.onTop); });
    });
    connect(c.startMinimized, &QCheckBox::stateChanged, this, [this] {
        change([&](StationSettings &s) { s.startMinimized = boxValue(m_controls.startMinimized); });
    });
    connect(c.sdrAutoLaunch, &QCheckBox::stateChanged, this, [this] {
        change([&](StationSettings &s) { s.sdr.autoLaunch = boxValue(m_controls.sdrAutoLaunch); });
    });
    for (int n = 1; n <= 6; ++n) {
        connect(c.programLines[std::size_t(n - 1)], &QLineEdit::textChanged, this,
                [this, n](const QString &text) {
                    change([&](StationSettings &s) {
                        (n == 6 ? s.sdr.program : s.port(n).program) = text;
                    });
                });
    }

    for (int n = 1; n <= 5; ++n) {
        AppPortFrame *frame = c.appFrame(n);
        connect(frame->portName, &QComboBox::editTextChanged, this, [this, n](const QString &text) {
            change([&](StationSettings &s) { s.port(n).name = text; });
        });
        const auto bindBox = [this, n](QCheckBox *box, PortBox which) {
            connect(box, &QCheckBox::stateChanged, this, [this, n, box, which] {
                change([&](StationSettings &s) { setPortBox(s, n, which, boxValue(box)); });
            });
        };
        bindBox(frame->autoConnect, PortBox::AutoConnect);
        bindBox(frame->autoLaunch, PortBox::AutoLaunch);
        bindBox(frame->autoInfo1, PortBox::AI1);
        bindBox(frame->autoInfo2, PortBox::AI2);
        connect(frame->programName, &QLineEdit::textChanged, this, [this, n](const QString &text) {
            change([&](StationSettings &s) { s.port(n).label = text; });
        });
        connect(frame->permission, &QComboBox::currentIndexChanged, this, [this, n](int index) {
            if (!m_showing)
                m_bridge.setPermission(n, permissionAt(index));
        });
        connect(frame->connectButton, &QPushButton::clicked, this,
                [this, n] { m_bridge.togglePort(n); });
    }

    connect(c.sdr->portName, &QComboBox::editTextChanged, this, [this](const QString &text) {
        change([&](StationSettings &s) { s.sdr.name = text; });
    });
    connect(c.sdr->autoConnect, &QCheckBox::stateChanged, this, [this] {
        change(
            [&](StationSettings &s) { s.sdr.autoConnect = boxValue(m_controls.sdr->autoConnect); });
    });
    connect(c.sdr->connectButton, &QPushButton::clicked, this, [this] { m_bridge.togglePort(7); });

    for (int i = 1; i <= 2; ++i) {
        OutputPortFrame *frame = c.outputFrame(i);
        connect(frame->portName, &QComboBox::editTextChanged, this, [this, i](const QString &text) {
            change([&](StationSettings &s) { s.output(i).name = text; });
        });
        connect(frame->autoConnect, &QCheckBox::stateChanged, this, [this, i, frame] {
            change([&](StationSettings &s) {
                s.output(i).autoConnect = boxValue(frame->autoConnect);
            });
        });
        connect(frame->connectButton, &QPushButton::clicked, this,
                [this, i] { m_bridge.toggleOutput(i); });
    }

    for (Door door : {Door::Rigctl, Door::XmlRpc}) {
        NetworkFrame *frame = c.doorFrame(door);
        connect(frame->address, &QLineEdit::editingFinished, this, [this, door, frame] {
            change([&](StationSettings &s) { s.door(door).address = frame->address->text(); });
        });
        connect(frame->portNumber, &QLineEdit::editingFinished, this, [this, door, frame] {
            change([&](StationSettings &s) { s.door(door).port = frame->portNumber->text(); });
        });
        connect(frame->autoConnect, &QCheckBox::stateChanged, this, [this, door, frame] {
            change(
                [&](StationSettings &s) { s.door(door).listen = frame->autoConnect->isChecked(); });
        });
        if (frame->permission)
            connect(frame->permission, &QComboBox::currentIndexChanged, this,
                    [this, door](int index) {
                        change([&](StationSettings &s) {
                            s.door(door).permission = permissionAt(index);
                        });
                    });
        connect(frame->connectButton, &QPushButton::clicked, this, [this, door, frame] {
            // What is typed and not yet left counts.
            change([&](StationSettings &s) {
                s.door(door).address = frame->address->text();
                s.door(door).port = frame->portNumber->text();
            });
            m_bridge.toggleDoor(door);
        });
    }

    connect(c.transmitButton, &QPushButton::clicked, this,
            [this] { m_bridge.setTransmitting(true); });
    connect(c.receiveButton, &QPushButton::clicked, this,
            [this] { m_bridge.setTransmitting(false); });
}

void MainWindow::bindState()
{
    const Controls &c = m_controls;
    connect(&m_bridge.rigConnection(), &RigConnection::stateChanged, this,
            &MainWindow::showRigState);
    connect(
        &m_bridge.rigConnection(), &RigConnection::progress, this,
        [this](const QString &suffix) { setWindowTitle(QString::fromLatin1(kAppTitle) + suffix); });
    connect(&m_bridge, &Bridge::portChanged, this, &MainWindow::showPort);
    connect(&m_bridge, &Bridge::outputChanged, this, &MainWindow::showOutput);
    for (Door door : {Door::Rigctl, Door::XmlRpc}) {
        DoorServer &server = door == Door::Rigctl
                                 ? static_cast<DoorServer &>(m_bridge.rigctlServer())
                                 : static_cast<DoorServer &>(m_bridge.xmlRpcServer());
        connect(&server, &DoorServer::listeningChanged, this, [this, door] { showDoor(door); });
        NetworkFrame *frame = c.doorFrame(door);
        connect(&server, &DoorServer::clientCountChanged, this, [frame](int count) {
            frame->clients->setText(QStringLiteral("Clients: %1").arg(count));
        });
    }
    connect(&m_bridge.items(), &PublishedItems::text8Changed, c.vfoA, &QLineEdit::setText);
    connect(&m_bridge.items(), &PublishedItems::transmitIndicatorChanged, c.transmitIndicator,
            &QLineEdit::setText);
    showRigState();
}

void MainWindow::showRigState()
{
    const bool closed = m_bridge.rigConnection().state() == RigConnection::State::Closed;
    m_controls.rig->portName->setEnabled(closed);
    m_controls.rig->connectButton->setText(closed ? QStringLiteral("Connect")
                                                  : QStringLiteral("Disconnect"));
}

void MainWindow::showPort(int n)
{
    VirtualPort &port = m_bridge.appPort(n);
    QPushButton *button =
        n == 7 ? m_controls.sdr->connectButton : m_controls.appFrame(n)->connectButton;
    QComboBox *name = n == 7 ? m_controls.sdr->portName : m_controls.appFrame(n)->portName;
    const bool created = port.IsCreated();
    button->setText(created ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    name->setEnabled(!created);
    showPortPath(*name, created ? port.DevicePath() : QString());
}

void MainWindow::showOutput(int i)
{
    const bool open = m_bridge.outputPort(i).IsOpened();
    m_controls.outputFrame(i)->portName->setEnabled(!open);
    m_controls.outputFrame(i)->connectButton->setText(open ? QStringLiteral("Disconnect")
                                                           : QStringLiteral("Connect"));
}

void MainWindow::showDoor(Door door)
{
    NetworkFrame *frame = m_controls.doorFrame(door);
    const bool listening = m_bridge.door(door).isListening();
    frame->connectButton->setText(listening ? QStringLiteral("Disconnect")
                                            : QStringLiteral("Connect"));
    frame->address->setEnabled(!listening);
    frame->portNumber->setEnabled(!listening);
}

QAction *MainWindow::menuItem(const QString &name) const
{
    return findChild<QAction *>(name);
}

void MainWindow::showAsSaved()
{
    const StationSettings &s = m_bridge.settings();
    move(s.windowPosition);
    showSetup(s.setupShown);
    setAlwaysOnTop(s.onTop == 1);
    switch (s.startMinimized) {
    case 1:
        showMinimized();
        break;
    case 2:
        showMaximized();
        break;
    default:
        show();
        break;
    }
}

void MainWindow::showSetup(bool shown)
{
    if (shown)
        setOuterSize(13500, 10560);
    else
        setOuterSize(8800, 6200);
    m_showSetup->setChecked(shown);
    m_hideSetup->setChecked(!shown);
}

void MainWindow::setAlwaysOnTop(bool onTop)
{
    // Only the z-order class changes; the window keeps its place and size. A change of flags
    // hides the window and makes it anew, so its place is given back as it was read: the outer
    // position (the one config.ini keeps). Given as a client rectangle with setGeometry, a window
    // not yet shown would open a title bar's height higher than its frame was saved.
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const QPoint outer = pos();
    const QSize size = this->size();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    resize(size);
    move(outer);
    if (visible)
        show();
}

void MainWindow::exit()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_bridge.shutDown()) {
        event->ignore();
        return;
    }
    // The window's place is kept with the settings: a window's pos() counts its frame in.
    change([this](StationSettings &s) { s.windowPosition = pos(); });
    event->accept();
    emit closed();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area && event->type() == QEvent::Resize)
        keepTabInView();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keepTabInView()
{
    // The window shows the part of the layout its size allows; what lies beyond the edge must not
    // take the focus, or Tab would walk the user into controls nobody can see.
    const QRect view = m_area->rect();
    for (QWidget *widget : m_area->findChildren<QWidget *>()) {
        if (widget->window() != this)
            continue; // the lists' pop-ups
        QVariant own = widget->property(kOwnFocusPolicy);
        if (!own.isValid()) {
            if (!(widget->focusPolicy() & Qt::TabFocus))
                continue;
            own = int(widget->focusPolicy());
            widget->setProperty(kOwnFocusPolicy, own);
        }
        const QRect place(widget->mapTo(m_area, QPoint(0, 0)), widget->size());
        widget->setFocusPolicy(view.contains(place) ? Qt::FocusPolicy(own.toInt()) : Qt::NoFocus);
    }
}

void MainWindow::fitFont()
{
    const QFont font = fitCaptions(*m_area, QApplication::font());
    // The ports' paths in small type, a pixel below the captions.
    QFont small = font;
    small.setPixelSize(qMax(kSmallestCaptionPixels - 1, font.pixelSize() - 1));
    for (PortPathLabel *label : m_area->findChildren<PortPathLabel *>())
        label->setFont(small);
}

void MainWindow::setOuterSize(int widthTwips, int heightTwips)
{
    // Outer sizes: the frame the window manager adds is part of them.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(qMax(1, tw(widthTwips) - frame.width()), qMax(1, tw(heightTwips) - frame.height()));
}

void MainWindow::buildMenus()
{
    auto item = [this](QMenu *menu, const QString &name, const QString &text) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        return action;
    };
    // Each caption has its mnemonic (Alt+F opens "File"); F10 opens the first menu, as on other
    // Linux desktops.
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(item(file, QStringLiteral("mnuExit"), QStringLiteral("E&xit")), &QAction::triggered,
            this, &MainWindow::exit);
    QMenu *setup = menuBar()->addMenu(QStringLiteral("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    m_showSetup = item(setup, QStringLiteral("mnuShow"), QStringLiteral("&Show"));
    m_hideSetup = item(setup, QStringLiteral("mnuHide"), QStringLiteral("&Hide"));
    m_showSetup->setCheckable(true);
    m_hideSetup->setCheckable(true);
    connect(m_showSetup, &QAction::triggered, this, [this] {
        showSetup(true);
        change([](StationSettings &s) { s.setupShown = true; });
    });
    connect(m_hideSetup, &QAction::triggered, this, [this] {
        showSetup(false);
        change([](StationSettings &s) { s.setupShown = false; });
    });
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(item(help, QStringLiteral("mnuIndex"), QStringLiteral("&Manual")), &QAction::triggered,
            this, [this] {
                m_messenger.show({QString(), QString(18, QLatin1Char(' ')) +
                                                 QStringLiteral("Orvex \r\n") +
                                                 QStringLiteral("Manual online at ") +
                                                 QString::fromLatin1(kManualAddress)});
            });
    connect(item(help, QStringLiteral("mnuAbout"), QStringLiteral("&About")), &QAction::triggered,
            this, [this] {
                m_messenger.show(
                    {QString(), QString(23, QLatin1Char(' ')) + QString::fromLatin1(kAppTitle) +
                                    QStringLiteral("\r\n") + QString::fromLatin1(kLegalNotice)});
            });
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this, file] { menuBar()->setActiveAction(file->menuAction()); });
}

void MainWindow::buildPathFrame(QWidget *area)
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
        showStartWhenIdle(box);
        connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
        m_controls.programLines[std::size_t(n)] = box;
    }
}

void MainWindow::buildLayout()
{
    // The controls stand at the layout's places; the window shows what its size allows.
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    area->installEventFilter(this);
    setCentralWidget(area);
    m_area = area;

    m_controls.rig = new RigPortFrame(area);
    for (int i = 0; i < kRigTypeCount; ++i) // each family's caption, in the list's order
        m_controls.rig->rigType->addItem(rigTypeName(rigTypeFromIndex(i)));
    m_controls.rig->setGeometry(tw(120), tw(120), tw(1575), tw(2415));

    m_controls.polling = new PollingControls(area);
    m_controls.polling->setGeometry(tw(1800), tw(120), tw(1575), tw(315));

    auto option = [&](const QString &name, const QString &text, int top) {
        auto *box = new QCheckBox(text, area);
        box->setObjectName(name);
        box->setGeometry(tw(1800), tw(top), tw(1935), tw(255));
        return box;
    };
    m_controls.onTop = option(QStringLiteral("chkOnTop"), QStringLiteral("AlwaysOn Top"), 480);
    m_controls.startMinimized =
        option(QStringLiteral("chkOVXmin"), QStringLiteral("Start Minimized"), 765);
    m_controls.sdrAutoLaunch =
        option(QStringLiteral("chkLaunchPSDR"), QStringLiteral("AutoLaunch SDR"), 1050);

    m_controls.vfoA = new QLineEdit(QStringLiteral("Text8"), area);
    m_controls.vfoA->setObjectName(QStringLiteral("Text8"));
    m_controls.vfoA->setReadOnly(true);
    m_controls.vfoA->setGeometry(tw(1920), tw(2520), tw(1695), tw(285));

    m_controls.sdr = new SdrPortFrame(area);
    m_controls.sdr->setGeometry(tw(3960), tw(120), tw(1335), tw(2415));
    for (int i = 0; i < 2; ++i) {
        auto *frame = new OutputPortFrame(i + 1, area);
        frame->setGeometry(tw(5400 + 1560 * i), tw(120), tw(1455), tw(2415));
        m_controls.outputs[std::size_t(i)] = frame;
    }
    constexpr std::array<int, 5> frameLeft{120, 1800, 3480, 5160, 6840};
    for (int i = 0; i < 5; ++i) {
        auto *frame = new AppPortFrame(i + 1, area);
        frame->setGeometry(tw(frameLeft[std::size_t(i)]), tw(2760), tw(1575), tw(2535));
        for (int n = 1; n <= 20; ++n)
            frame->portName->addItem(QStringLiteral("COM%1").arg(n));
        frame->portName->setEditText(QStringLiteral("COM%1").arg(11 + i));
        m_controls.appPorts[std::size_t(i)] = frame;
    }
    m_controls.sdr->portName->addItem(QStringLiteral("COM99"));

    buildPathFrame(area);
    // The network doors, below the path frame: like it, shown with the setup area.
    m_controls.network = new NetworkFrame(kRigctlDoorText, area);
    m_controls.network->setGeometry(tw(8760), tw(3480), tw(4215), tw(1800));
    m_controls.xmlrpc = new NetworkFrame(kXmlRpcDoorText, area);
    m_controls.xmlrpc->setGeometry(tw(8760), tw(5340), tw(4215), tw(1800));
    buildTestPanel(area);
    resize(tw(8800), tw(6200));
}

void MainWindow::buildTerminals(QWidget *area)
{
    auto add = [&](TerminalModel &model, const QString &name, const QString &caption, int left,
                   int top, int width) {
        auto *label = new QLabel(caption, area);
        label->setObjectName(QStringLiteral("lbl") + name);
        label->setGeometry(tw(left), tw(top - 240), tw(width), tw(240));
        auto *view = new TerminalView(model, area);
        view->setObjectName(name);
        view->setGeometry(tw(left), tw(top), tw(width), tw(840));
    };
    add(m_bridge.terminal(0), QStringLiteral("ListTerminal"), QStringLiteral("Rig Port Terminal"),
        1800, 1680, 2055);
    constexpr std::array<int, 5> terminalLeft{120, 2640, 5160, 7680, 10200};
    for (int n = 1; n <= 5; ++n)
        add(m_bridge.terminal(n), QStringLiteral("ListTerminal%1").arg(n),
            QStringLiteral("VPort %1 Terminal").arg(n), terminalLeft[std::size_t(n - 1)], 7500,
            2415);
    add(m_bridge.terminal(7), QStringLiteral("ListTerminal7"), QStringLiteral("SDRTerminal"), 120,
        8700, 2415);
    add(m_bridge.outputTerminal(1), QStringLiteral("ListTerminalOut1"),
        QStringLiteral("Output Terminal #1"), 2640, 8700, 2415);
    add(m_bridge.outputTerminal(2), QStringLiteral("ListTerminalOut2"),
        QStringLiteral("Output Terminal #2"), 5160, 8700, 2415);
    add(m_bridge.doorTerminal(Door::Rigctl), QStringLiteral("ListTerminalNet"),
        QStringLiteral("Network Terminal"), 7680, 8700, 2415);
    add(m_bridge.doorTerminal(Door::XmlRpc), QStringLiteral("ListTerminalXml"),
        QStringLiteral("XML-RPC Terminal"), 10200, 8700, 2415);
}

void MainWindow::buildTestPanel(QWidget *area)
{
    // The transmit indicator field and its two test buttons, never shown: the buttons would fake
    // the rig's transmit state, which steers polling and reaches every program that follows
    // OVX_TX over D-Bus (a sequencer, an amplifier). The field is still where the indicator lives.
    auto *panel = new QWidget(area);
    panel->setObjectName(QStringLiteral("TestPanel"));
    panel->setGeometry(tw(16560), tw(120), tw(1500), tw(1200));
    panel->hide();
    auto *title = new QLabel(QStringLiteral("DDE TEST"), panel);
    title->setGeometry(0, 0, tw(1500), tw(255));
    m_controls.transmitIndicator = new QLineEdit(panel);
    m_controls.transmitIndicator->setObjectName(QStringLiteral("OVX_TX"));
    m_controls.transmitIndicator->setReadOnly(true);
    m_controls.transmitIndicator->setGeometry(0, tw(360), tw(1000), tw(285));
    m_controls.transmitButton = new QPushButton(QStringLiteral("TX"), panel);
    m_controls.transmitButton->setObjectName(QStringLiteral("cmdTX"));
    m_controls.transmitButton->setGeometry(0, tw(720), tw(600), tw(345));
    m_controls.receiveButton = new QPushButton(QStringLiteral("RX"), panel);
    m_controls.receiveButton->setObjectName(QStringLiteral("cmdRX"));
    m_controls.receiveButton->setGeometry(tw(720), tw(720), tw(600), tw(345));
}
