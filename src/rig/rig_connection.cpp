#include "rig/rig_connection.h"

#include "controls/frames.h"
#include "controls/messenger.h"
#include "controls/version.h"
#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"
#include "rig/virtual_rig.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

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

RigConnection::RigConnection(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    connect(d.frame.btnOpen, &QPushButton::clicked, this, &RigConnection::btnOpen_Click);
    connect(d.frame.cbBaudRate, &QComboBox::currentIndexChanged, this,
            &RigConnection::cbBaudRate_Change);
    connect(d.frame.cbRigType, &QComboBox::currentIndexChanged, this,
            &RigConnection::cbRigType_Click);
    connect(&d.rigPort, &SerialPort::Vanished, this, [this] {
        AppendToTerminal(d.terminal,
                         "Rig port " + d.frame.ComboPort->currentText().toLocal8Bit() +
                             " has gone away: " + d.rigPort.ErrorString().toLocal8Bit());
        d.frame.ComboPort->setEnabled(true);
        d.frame.btnOpen->setText(QStringLiteral("Connect"));
        emit rigClosed();
    });
}

RigType RigConnection::rigType() const
{
    return rigTypeFromIndex(d.frame.cbRigType->currentIndex());
}

void RigConnection::btnOpen_Click()
{
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
    d.timer1.stop();
    applyBaudMode();
    if (d.rigPort.Open(d.frame.ComboPort->currentText())) {
        const bool k3 = d.frame.cbRigType->currentText() == QLatin1String("K3");
        d.rigPort.SetLineB(!k3);
        d.rigPort.SetLineA(false);
        d.frame.ComboPort->setEnabled(false);
        d.frame.btnOpen->setText(QStringLiteral("Disconnect"));
        d.window.setWindowTitle(title("  Initializing"));
        AppendToTerminal(d.terminal, "Loading Virtual Rig");
        d.rigPort.ClearPort();
        d.link.reset(); // nothing written before will be answered now
        writeAndWait("FA;", kProbeWait, false);
        writeAndWait("FA;", kProbeWait, false);
        const QByteArray probe = d.rigPort.ReadText();
        d.rig.set(Entry::FA, probe);
        if (!probe.startsWith("FA")) {
            d.frame.ComboPort->setEnabled(true);
            d.frame.btnOpen->setText(QStringLiteral("Connect"));
            d.rigPort.Close();
            d.messenger.show({QString(),
                              QStringLiteral("Can't connect to rig\r\nPlease check rig com port "
                                             "settings."),
                              Message::Buttons::Ok, Message::Icon::None});
            return; // the title stays "Initializing" and polling stays stopped
        }
        for (const QByteArray &command : setUpFor(rigType()))
            writeAndWait(command, kSetUpWait, false);
        for (const QByteArray &query : loadQueriesFor(rigType()))
            writeAndWait(query, kQueryWait, true);
        d.window.setWindowTitle(title("  Done"));
        AppendToTerminal(d.terminal, "Virtual K3 Loaded");

        // Let the replies to the load queries be handled (and the user click) for a second.
        d.clock.runEvents(kLoadWindow);
    } else if (!d.rigPort.ErrorString().isEmpty()) {
        AppendToTerminal(d.terminal, d.frame.ComboPort->currentText().toLocal8Bit() + ": " +
                                         d.rigPort.ErrorString().toLocal8Bit());
    }
    d.window.setWindowTitle(QString::fromLatin1(kAppTitle));
    d.timer1.start();
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
