#include "rig/rig_connection.h"

#include "controls/frames.h"
#include "controls/messenger.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "rig/cat_framing.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"
#include "rig/virtual_rig.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
// Waits of the connection sequence, in ms.
constexpr int kProbeWait = 200;
constexpr int kSetUpWait = 50;
constexpr int kQueryWait = 30;
constexpr int kLoadWindow = 1000;

QString title(const char *suffix)
{
    return QString::fromLatin1(kAppTitle) + QLatin1String(suffix);
}
} // namespace

RigConnection::RigConnection(Deps deps, QObject *parent)
    : QObject(parent), d(std::move(deps)), m_retry(new QTimer(this))
{
    connect(d.frame.btnOpen, &QPushButton::clicked, this, &RigConnection::btnOpen_Click);
    connect(d.frame.cbBaudRate, &QComboBox::currentIndexChanged, this,
            &RigConnection::cbBaudRate_Change);
    connect(d.frame.cbRigType, &QComboBox::currentIndexChanged, this,
            &RigConnection::cbRigType_Click);
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &RigConnection::retry);
    connect(&d.rigPort, &SerialPort::Vanished, this, [this] {
        // A USB adapter pulled, or the radio switched off with it: the same device is tried
        // again every few seconds, and the connection made again as at start-up when it answers.
        m_lostPort = d.frame.ComboPort->currentText();
        AppendToTerminal(d.terminal, "Rig port " + m_lostPort.toLocal8Bit() + " has gone away: " +
                                         d.rigPort.ErrorString().toLocal8Bit() +
                                         "; trying it again every " +
                                         QByteArray::number(kRetryMs / 1000) + " s");
        d.link.reset(); // nothing waiting will be answered: its askers are told now
        d.frame.ComboPort->setEnabled(true);
        d.frame.btnOpen->setText(QStringLiteral("Connect"));
        m_retry->start();
        emit rigClosed();
    });
}

bool RigConnection::isRetrying() const
{
    return m_retry->isActive();
}

void RigConnection::retry()
{
    if (d.rigPort.IsOpened() || d.frame.ComboPort->currentText() != m_lostPort) {
        m_retry->stop(); // connected meanwhile, or the user chose another port
        return;
    }
    if (connectRig(true)) {
        m_retry->stop();
        AppendToTerminal(d.terminal, "Rig port " + m_lostPort.toLocal8Bit() + " is back");
    }
}

RigType RigConnection::rigType() const
{
    return rigTypeFromIndex(d.frame.cbRigType->currentIndex());
}

void RigConnection::btnOpen_Click()
{
    m_retry->stop(); // the user decides now
    if (!d.rigPort.IsOpened()) {
        ConnectRig();
        return;
    }
    if (!d.rigPort.Close())
        return;
    d.frame.ComboPort->setEnabled(true);
    d.frame.btnOpen->setText(QStringLiteral("Connect"));
    emit rigClosed();
    // Polling is left running; the application ports stay.
}

void RigConnection::applyBaudMode()
{
    if (const std::string_view mode = baudModeAt(d.frame.cbBaudRate->currentIndex()); !mode.empty())
        d.rigPort.SetMode(QString::fromLatin1(mode.data(), qsizetype(mode.size())));
}

void RigConnection::writeAndWait(const QByteArray &text, int msecs, bool track)
{
    const QDeadlineTimer wait(msecs);
    d.link.writeNow(text, track);
    d.rigPort.FlushWrites(msecs);
    d.clock.sleep(int(std::max<qint64>(0, wait.remainingTime())));
}

void RigConnection::ConnectRig()
{
    connectRig(false);
}

bool RigConnection::connectRig(bool retry)
{
    d.timer1.stop();
    applyBaudMode();
    const QString port = d.frame.ComboPort->currentText();
    bool connected = false;
    if (d.rigPort.Open(port)) {
        const RigType type = rigType();
        d.rigPort.SetLineB(type != RigType::K3);
        d.rigPort.SetLineA(false);
        d.frame.ComboPort->setEnabled(false);
        d.frame.btnOpen->setText(QStringLiteral("Disconnect"));
        d.window.setWindowTitle(title("  Initializing"));
        AppendToTerminal(d.terminal, "Loading Virtual Rig");
        d.rigPort.ClearPort();
        d.link.reset(); // nothing written before will be answered now
        writeAndWait("FA;", kProbeWait, true);
        writeAndWait("FA;", kProbeWait, true);
        // The probe's answer is a reply like any other: framed, shown, stored and routed.
        const QByteArray probe = d.rigPort.ReadText();
        if (d.takeRigText)
            d.takeRigText(probe);
        const QList<QByteArray> replies = CatFramer::split(probe);
        connected = std::any_of(replies.cbegin(), replies.cend(), [](const QByteArray &r) {
            return r.startsWith("FA") && r.size() > 3;
        });
        if (!connected) {
            d.frame.ComboPort->setEnabled(true);
            d.frame.btnOpen->setText(QStringLiteral("Connect"));
            d.rigPort.Close();
            d.link.reset();
            d.window.setWindowTitle(QString::fromLatin1(kAppTitle));
            if (retry)
                return false; // the rig terminal said once that the bridge keeps trying
            AppendToTerminal(d.terminal, "No answer to FA; from the rig on " + port.toLocal8Bit() +
                                             ": check the rig type, port and speed");
            d.messenger.show({QString(),
                              QStringLiteral("Can't connect to rig\r\nPlease check rig com port "
                                             "settings."),
                              Message::Buttons::Ok, Message::Icon::None});
            return false; // polling stays stopped
        }
        for (const QByteArray &command : setUpFor(type))
            writeAndWait(command, kSetUpWait, false);
        for (const QByteArray &query : loadQueriesFor(type))
            writeAndWait(query, kQueryWait, true);
        d.window.setWindowTitle(title("  Done"));
        AppendToTerminal(d.terminal, "Virtual " + rigTypeName(type).toLatin1() + " Loaded");

        // Let the replies to the load queries be handled (and the user click) for a second.
        d.clock.runEvents(kLoadWindow);
    } else if (!retry && !d.rigPort.ErrorString().isEmpty()) {
        AppendToTerminal(d.terminal,
                         port.toLocal8Bit() + ": " + d.rigPort.ErrorString().toLocal8Bit());
    }
    d.window.setWindowTitle(QString::fromLatin1(kAppTitle));
    d.timer1.start();
    return connected;
}

void RigConnection::cbBaudRate_Change()
{
    applyBaudMode();
    if (d.saveConfig)
        d.saveConfig();
}

void RigConnection::cbRigType_Click()
{
    if (d.saveConfig)
        d.saveConfig();
}
