#include "shell/form1.h"

#include "bridge/bridge.h"
#include "controls/caption_fit.h"
#include "controls/frames.h"
#include "controls/messenger.h"
#include "controls/version.h"
#include "monitor/terminal_view.h"
#include "net/network_door.h"
#include "platform/clock.h"
#include "shell/config_store.h"
#include "shell/extra_settings.h"
#include "shell/option_coupling.h"
#include "shell/shutdown.h"

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
#include <QShortcut>

namespace {
// Where a control's own focus policy is kept while it lies outside the window's current size.
constexpr char kOwnFocusPolicy[] = "ovx2OwnFocusPolicy";
} // namespace

Form1::Form1(Messenger &messenger, const QString &configPath)
    : Form1(messenger, configPath, systemClock())
{
}

Form1::Form1(Messenger &messenger, const QString &configPath, Clock &clock, QWidget *parent)
    : QMainWindow(parent), m_messenger(messenger)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    m_controls.window = this;
    buildLayout();
    buildMenus();
    m_bridge = std::make_unique<Bridge>(m_controls, messenger, clock);
    buildTerminals(m_area);
    fitFont();
    m_config = std::make_unique<ConfigStore>(m_controls, *this, messenger, m_bridge->terminal(0),
                                             configPath.isEmpty() ? ConfigStore::defaultPath()
                                                                  : configPath);
    m_bridge->setSaveConfig([this] { m_config->SaveConfig(); });
    m_extras = std::make_unique<ExtraSettings>(
        m_controls, m_config->filePath(), [this](const QString &why, const QString &more) {
            m_config->sayNotSaved(m_extras->filePath(), why, more);
        });
    m_bridge->network().keepConfirmationIn(
        [this] { return m_extras->confirmedAddress(ExtraSettings::Door::Rigctl); },
        [this](const QString &address) {
            m_extras->setConfirmedAddress(ExtraSettings::Door::Rigctl, address);
        });
    m_bridge->xmlRpc().keepConfirmationIn(
        [this] { return m_extras->confirmedAddress(ExtraSettings::Door::XmlRpc); },
        [this](const QString &address) {
            m_extras->setConfirmedAddress(ExtraSettings::Door::XmlRpc, address);
        });

    for (AppPortFrame *frame : m_controls.appPorts)
        coupleBoxes(*frame);
    connect(m_controls.chkOnTop, &QCheckBox::stateChanged, this,
            [this] { SetAlwaysOnTop(boxValue(m_controls.chkOnTop) == 1); });
    for (std::size_t n = 0; n < m_controls.pathBoxes.size(); ++n)
        connect(m_controls.pathBoxes[n], &QLineEdit::textChanged, this,
                [this, n](const QString &text) { m_launchPaths[n] = text; });
}

Form1::~Form1()
{
    m_extras.reset();
    // The bridge goes first: its ports unpublish their links while the window's controls, which
    // it reads, still exist.
    m_config.reset();
    m_bridge.reset();
}

QPoint Form1::outerPosition() const
{
    return pos(); // a window's pos() and move() count its frame in
}

void Form1::moveOuterTo(QPoint position)
{
    move(position);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area && event->type() == QEvent::Resize)
        keepTabInView();
    return QMainWindow::eventFilter(watched, event);
}

void Form1::keepTabInView()
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

void Form1::fitFont()
{
    const QFont font = fitCaptions(*m_area, QApplication::font());
    // The ports' paths in small type, a pixel below the captions.
    QFont small = font;
    small.setPixelSize(qMax(kSmallestCaptionPixels - 1, font.pixelSize() - 1));
    for (PortPathLabel *label : m_area->findChildren<PortPathLabel *>())
        label->setFont(small);
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
        setOuterSize(13500, 10560);
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

void Form1::setStartState(int state)
{
    m_startState = state;
    setWindowState(state == 1   ? Qt::WindowMinimized
                   : state == 2 ? Qt::WindowMaximized
                                : Qt::WindowNoState);
}

void Form1::mnuExit_Click()
{
    m_config->SaveConfig();
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (runShutdown(*m_bridge, [this] { m_config->SaveConfig(); }))
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
    // Each caption has its mnemonic (Alt+F opens "File"); F10 opens the first menu, as on other
    // Linux desktops.
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(item(file, QStringLiteral("mnuExit"), QStringLiteral("E&xit")), &QAction::triggered,
            this, &Form1::mnuExit_Click);
    QMenu *setup = menuBar()->addMenu(QStringLiteral("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    m_mnuShow = item(setup, QStringLiteral("mnuShow"), QStringLiteral("&Show"));
    m_mnuHide = item(setup, QStringLiteral("mnuHide"), QStringLiteral("&Hide"));
    m_mnuShow->setCheckable(true);
    m_mnuHide->setCheckable(true);
    connect(m_mnuShow, &QAction::triggered, this, [this] {
        showSetup(true);
        m_config->SaveConfig();
    });
    connect(m_mnuHide, &QAction::triggered, this, [this] {
        showSetup(false);
        m_config->SaveConfig();
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
        showStartWhenIdle(box);
        connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
        m_controls.pathBoxes[std::size_t(n)] = box;
    }
}

void Form1::buildLayout()
{
    // The controls stand at the layout's places; the window shows what its size allows.
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    area->installEventFilter(this);
    setCentralWidget(area);
    m_area = area;

    m_controls.rig = new RigPortFrame(area);
    m_controls.rig->setGeometry(tw(120), tw(120), tw(1575), tw(2415));

    m_controls.polling = new PollingControls(area);
    m_controls.polling->setGeometry(tw(1800), tw(120), tw(1575), tw(315));

    auto option = [&](const QString &name, const QString &text, int top) {
        auto *box = new QCheckBox(text, area);
        box->setObjectName(name);
        box->setGeometry(tw(1800), tw(top), tw(1935), tw(255));
        return box;
    };
    m_controls.chkOnTop = option(QStringLiteral("chkOnTop"), QStringLiteral("AlwaysOn Top"), 480);
    m_controls.chkOVXmin =
        option(QStringLiteral("chkOVXmin"), QStringLiteral("Start Minimized"), 765);
    m_controls.chkLaunchPSDR =
        option(QStringLiteral("chkLaunchPSDR"), QStringLiteral("AutoLaunch SDR"), 1050);

    m_controls.text8 = new QLineEdit(QStringLiteral("Text8"), area);
    m_controls.text8->setObjectName(QStringLiteral("Text8"));
    m_controls.text8->setReadOnly(true);
    m_controls.text8->setGeometry(tw(1920), tw(2520), tw(1695), tw(285));

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
            frame->ComboVPort->addItem(QStringLiteral("COM%1").arg(n));
        frame->ComboVPort->setEditText(QStringLiteral("COM%1").arg(11 + i));
        m_controls.appPorts[std::size_t(i)] = frame;
    }
    m_controls.sdr->ComboVPort7->addItem(QStringLiteral("COM99"));

    buildPathFrame(area);
    // The network doors, below the path frame: like it, shown with the setup area.
    m_controls.network = new NetworkFrame(kRigctlDoorText, area);
    m_controls.network->setGeometry(tw(8760), tw(3480), tw(4215), tw(1800));
    m_controls.xmlrpc = new NetworkFrame(kXmlRpcDoorText, area);
    m_controls.xmlrpc->setGeometry(tw(8760), tw(5340), tw(4215), tw(1800));
    buildTestPanel(area);
    resize(tw(8800), tw(6200));
}

void Form1::buildTerminals(QWidget *area)
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
    add(m_bridge->terminal(0), QStringLiteral("ListTerminal"), QStringLiteral("Rig Port Terminal"),
        1800, 1680, 2055);
    constexpr std::array<int, 5> terminalLeft{120, 2640, 5160, 7680, 10200};
    for (int n = 1; n <= 5; ++n)
        add(m_bridge->terminal(n), QStringLiteral("ListTerminal%1").arg(n),
            QStringLiteral("VPort %1 Terminal").arg(n), terminalLeft[std::size_t(n - 1)], 7500,
            2415);
    add(m_bridge->terminal(7), QStringLiteral("ListTerminal7"), QStringLiteral("SDRTerminal"), 120,
        8700, 2415);
    add(m_bridge->outputTerminal(1), QStringLiteral("ListTerminalOut1"),
        QStringLiteral("Output Terminal #1"), 2640, 8700, 2415);
    add(m_bridge->outputTerminal(2), QStringLiteral("ListTerminalOut2"),
        QStringLiteral("Output Terminal #2"), 5160, 8700, 2415);
    add(m_bridge->networkTerminal(), QStringLiteral("ListTerminalNet"),
        QStringLiteral("Network Terminal"), 7680, 8700, 2415);
    add(m_bridge->xmlRpcTerminal(), QStringLiteral("ListTerminalXml"),
        QStringLiteral("XML-RPC Terminal"), 10200, 8700, 2415);
}

void Form1::buildTestPanel(QWidget *area)
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
    m_controls.ovxTx = new QLineEdit(panel);
    m_controls.ovxTx->setObjectName(QStringLiteral("OVX_TX"));
    m_controls.ovxTx->setReadOnly(true);
    m_controls.ovxTx->setGeometry(0, tw(360), tw(1000), tw(285));
    m_controls.cmdTX = new QPushButton(QStringLiteral("TX"), panel);
    m_controls.cmdTX->setObjectName(QStringLiteral("cmdTX"));
    m_controls.cmdTX->setGeometry(0, tw(720), tw(600), tw(345));
    m_controls.cmdRX = new QPushButton(QStringLiteral("RX"), panel);
    m_controls.cmdRX->setObjectName(QStringLiteral("cmdRX"));
    m_controls.cmdRX->setGeometry(tw(720), tw(720), tw(600), tw(345));
}
