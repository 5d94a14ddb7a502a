#include "rig/rig_connection.h"

#include "monitor/terminal_model.h"
#include "platform/clock.h"
#include "platform/messenger.h"
#include "ports/serial_port.h"
#include "rig/cat_dialect.h"
#include "rig/civ_framing.h"
#include "rig/rig_link.h"
#include "rig/rig_reply_handler.h"
#include "rig/rig_tables.h"
#include "settings/station_settings.h"

namespace {
// Waits of the connection sequence, in ms.
constexpr int kProbeWait = 200;
constexpr int kSetUpWait = 50;
constexpr int kQueryWait = 30;
constexpr int kLoadWindow = 1000;
} // namespace

RigConnection::RigConnection(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer); // the designed waits, never shorter
    connect(&m_stepTimer, &QTimer::timeout, this, &RigConnection::step);
    m_loadWindow.setSingleShot(true);
    m_loadWindow.setTimerType(Qt::PreciseTimer);
    connect(&m_loadWindow, &QTimer::timeout, this, &RigConnection::ready);
    connect(&d.replies, &RigReplyHandler::replyReceived, this, [this](const QByteArray &reply) {
        if (answers(reply, probe()))
            m_probeAnswered = true;
    });
    connect(&m_retry, &QTimer::timeout, this, &RigConnection::retry);
    connect(&d.rigPort, &SerialPort::Vanished, this, [this] {
        // A USB adapter pulled, or the radio switched off with it: the same device is tried
        // again every few seconds, and the connection made again as at start-up when it answers.
        m_lostPort = d.settings.rigPort;
        AppendToTerminal(d.terminal, "Rig port " + m_lostPort.toLocal8Bit() + " has gone away: " +
                                         d.rigPort.ErrorString().toLocal8Bit() +
                                         "; trying it again every " +
                                         QByteArray::number(kRetryMs / 1000) + " s");
        m_stepTimer.stop();
        m_loadWindow.stop();
        d.link.hold(false);
        d.link.reset(); // nothing waiting will be answered: its askers are told now
        setState(State::Closed);
        emit progress({});
        d.clock.start(m_retry, kRetryMs);
        emit rigClosed();
    });
}

QByteArray RigConnection::probe() const
{
    const std::string_view probe = catDialect(d.settings.rigType).probe;
    return QByteArray(probe.data(), qsizetype(probe.size()));
}

void RigConnection::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void RigConnection::retry()
{
    if (d.rigPort.IsOpened() || d.settings.rigPort != m_lostPort) {
        m_retry.stop(); // connected meanwhile, or the user chose another port
        return;
    }
    if (m_state == State::Closed)
        start(true);
}

void RigConnection::connectRig()
{
    m_retry.stop(); // the user decides now
    if (m_state == State::Closed)
        start(false);
}

void RigConnection::disconnectRig()
{
    m_retry.stop();
    m_stepTimer.stop();
    m_loadWindow.stop();
    d.link.hold(false);
    if (d.rigPort.IsOpened() && !d.rigPort.Close())
        return;
    const bool wasConnecting = m_state == State::Connecting || m_state == State::Loaded;
    setState(State::Closed);
    if (wasConnecting) {
        emit progress({});
        d.clock.setInterval(d.pollTimer, d.settings.pollInterval);
        d.pollTimer.start();
    }
    emit rigClosed();
}

void RigConnection::applyBaudMode()
{
    if (const std::string_view mode = baudModeAt(d.settings.baudIndex); !mode.empty())
        d.rigPort.SetMode(QString::fromLatin1(mode.data(), qsizetype(mode.size())));
}

void RigConnection::start(bool retry)
{
    m_retrying = retry;
    d.pollTimer.stop();
    applyBaudMode();
    const QString port = d.settings.rigPort;
    if (!d.rigPort.Open(port)) {
        if (!retry && !d.rigPort.ErrorString().isEmpty())
            AppendToTerminal(d.terminal,
                             port.toLocal8Bit() + ": " + d.rigPort.ErrorString().toLocal8Bit());
        d.pollTimer.start();
        if (retry)
            d.clock.start(m_retry, kRetryMs);
        emit finished(false);
        return;
    }
    const RigType type = d.settings.rigType;
    d.rigPort.SetLineB(catDialect(type).raiseRts);
    d.rigPort.SetLineA(false);
    setState(State::Connecting);
    emit progress(QStringLiteral("  Initializing"));
    AppendToTerminal(d.terminal, "Loading Virtual Rig");
    d.rigPort.ClearPort();
    d.link.reset(); // nothing written before will be answered now
    d.link.hold(true);
    m_probeAnswered = false;
    // The probe, checked once its two waits are over; then what a connected rig gets.
    m_steps = {{probe(), kProbeWait, true}, {probe(), kProbeWait, true}, {{}, 0, false}};
    for (const QByteArray &command : setUpFor(type))
        m_steps.append({command, kSetUpWait, false});
    for (const QByteArray &query : loadQueriesFor(type))
        m_steps.append({query, kQueryWait, true});
    step();
}

void RigConnection::step()
{
    if (m_steps.isEmpty()) {
        loaded();
        return;
    }
    const Step next = m_steps.takeFirst();
    if (next.text.isEmpty()) {
        if (!m_probeAnswered) {
            probeFailed();
            return;
        }
        step();
        return;
    }
    d.link.writeNow(next.text, next.track);
    d.clock.start(m_stepTimer, next.waitMs);
}

void RigConnection::probeFailed()
{
    m_steps.clear();
    d.rigPort.Close();
    d.link.hold(false);
    d.link.reset();
    setState(State::Closed);
    emit progress({});
    if (m_retrying) {
        // The rig terminal said once that the bridge keeps trying.
        d.clock.start(m_retry, kRetryMs);
        d.pollTimer.start();
        emit finished(false);
        return;
    }
    const std::optional<quint8> civ = d.settings.civRadio();
    AppendToTerminal(d.terminal, "No answer to " + probe() + " from the rig on " +
                                     d.settings.rigPort.toLocal8Bit() +
                                     (civ ? " at CI-V address " + civ::hexByte(*civ) : "") +
                                     ": check the rig type, port and speed");
    emit finished(false);
    d.messenger.show({QString(),
                      QStringLiteral("Can't connect to rig\r\nPlease check rig com port settings."),
                      Message::Buttons::Ok, Message::Icon::None});
    // Polling stays stopped.
}

void RigConnection::loaded()
{
    setState(State::Loaded);
    emit progress(QStringLiteral("  Done"));
    AppendToTerminal(d.terminal,
                     "Virtual " + rigTypeName(d.settings.rigType).toLatin1() + " Loaded");
    // The replies to the load queries (and what programs asked meanwhile) have a second before
    // polling starts.
    d.link.hold(false);
    d.clock.start(m_loadWindow, kLoadWindow);
}

void RigConnection::ready()
{
    setState(State::Open);
    emit progress({});
    d.clock.setInterval(d.pollTimer, d.settings.pollInterval);
    d.pollTimer.start();
    if (m_retrying)
        AppendToTerminal(d.terminal, "Rig port " + m_lostPort.toLocal8Bit() + " is back");
    emit finished(true);
}
