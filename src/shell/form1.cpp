#include "shell/form1.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"
#include "monitor/terminal_view.h"
#include "outports/output_ports.h"
#include "ports/port_folder.h"
#include "ports/pty_port.h"
#include "ports/qt_serial_port.h"
#include "rig/rig_connection.h"
#include "rig/rig_poller.h"
#include "rig/rig_reply_handler.h"
#include "shell/frames.h"
#include "shell/messenger.h"
#include "shell/version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

Form1::Form1(Messenger &messenger, QWidget *parent)
    : QMainWindow(parent), m_messenger(messenger), m_folder(std::make_unique<PortFolder>()),
      m_rigPort(new QtSerialPort(this)), m_sdrPort(new PtyPort(*m_folder, this)),
      m_timer1(new QTimer(this)), m_items(new PublishedItems(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    for (auto &port : m_outPorts)
        port = new QtSerialPort(this);
    for (auto &port : m_appPorts_)
        port = new PtyPort(*m_folder, this);

    buildLayout();

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
}

Form1::~Form1() = default;

int Form1::rigType() const {
    return m_rigFrame->cbRigType->currentIndex();
}

void Form1::SaveConfig() {
    // config.ini is not written yet.
}

TerminalModel &Form1::terminal(int n) {
    if (n == 0)
        return *m_rigTerminal;
    if (n == 7)
        return *m_sdrTerminal;
    return *m_appTerminals[std::size_t(n - 1)];
}

TerminalModel *Form1::addTerminal(QWidget *area, const QString &name, const QString &caption,
                                  int left, int top, int width) {
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

void Form1::buildLayout() {
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    QFont small = font();
    small.setPointSizeF(8);
    area->setFont(small);
    setCentralWidget(area);

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

    buildTestPanel(area);
    area->setMinimumSize(tw(16560) + 200, tw(9200));
    resize(tw(8800), tw(6200));
}

void Form1::buildTestPanel(QWidget *area) {
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
