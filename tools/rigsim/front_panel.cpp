#include "front_panel.h"

#include "cat_handlers.h"
#include "rig_sim_server.h"

#include <QStringList>

#include <string_view>

namespace {

using Result = FrontPanel::Result;

QString toString(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString radioName(const RigModel &rig)
{
    return toString(rig.radio().name);
}

Result failure(const QString &message)
{
    return {false, message};
}

QString megahertz(qint64 hz)
{
    return QStringLiteral("%1 MHz").arg(double(hz) / 1e6, 0, 'f', 6);
}

// Hz ("14074000") or MHz with a decimal point ("14.074").
std::optional<qint64> frequency(QByteArrayView text)
{
    bool ok = false;
    if (text.contains('.')) {
        const double mhz = text.toByteArray().toDouble(&ok);
        if (!ok || mhz <= 0 || mhz > 1e5)
            return std::nullopt;
        return qint64(mhz * 1e6 + 0.5);
    }
    const qint64 hz = text.toByteArray().toLongLong(&ok);
    return ok && hz > 0 ? std::optional<qint64>(hz) : std::nullopt;
}

Result tune(RigSimServer &server, QByteArrayView arg, int vfo)
{
    const std::optional<qint64> hz = frequency(arg);
    const RigModel &rig = server.model();
    if (!hz || !rig.tunes(*hz))
        return failure(
            QStringLiteral("%1 needs a frequency the %2 tunes (up to %3), in Hz "
                           "(14074000) or MHz (14.074)")
                .arg(vfo == 0 ? "vfo" : "vfob", radioName(rig), megahertz(rig.radio().maxHz)));
    if (vfo == 0)
        server.turnVfoA(*hz);
    else
        server.turnVfoB(*hz);
    return {true, QStringLiteral("VFO %1 %2").arg(vfo == 0 ? 'A' : 'B').arg(megahertz(*hz))};
}

Result selectMode(RigSimServer &server, QByteArrayView arg)
{
    const RigModel &rig = server.model();
    QStringList names;
    for (const ModeName &m : rig.radio().modes) {
        if (!rig.knowsMode(m.code))
            continue;
        if (arg == QByteArrayView(m.name.data(), qsizetype(m.name.size()))) {
            server.selectMode(m.code);
            return {true, QStringLiteral("mode %1").arg(toString(m.name))};
        }
        names << toString(m.name);
    }
    return failure(QStringLiteral("mode needs one of the %1's modes: %2")
                       .arg(radioName(rig), names.join(QLatin1Char(' '))));
}

Result key(RigSimServer &server, bool on)
{
    server.setTransmit(on);
    return {true, on ? QStringLiteral("transmitting") : QStringLiteral("receiving")};
}

Result selectBand(RigSimServer &server, QByteArrayView arg)
{
    QByteArray text = arg.toByteArray();
    if (text.endsWith("cm"))
        text.chop(2);
    else if (text.endsWith('m'))
        text.chop(1);
    bool ok = false;
    const int meters = text.toInt(&ok);
    QStringList names;
    for (const BandPlanRow &band : bandPlan()) {
        if (!cat::covers(server.model().radio(), band))
            continue;
        if (ok && band.meters == meters) {
            server.panel([&band](RigModel &rig) { return rig.selectBand(band); });
            return {
                true,
                QStringLiteral("%1 m: VFO A %2").arg(meters).arg(megahertz(server.model().vfoA()))};
        }
        names << QString::number(band.meters);
    }
    return failure(QStringLiteral("band needs one of the %1's bands in metres: %2")
                       .arg(radioName(server.model()), names.join(QLatin1Char(' '))));
}

Result split(RigSimServer &server, QByteArrayView arg)
{
    if (arg != "on" && arg != "off")
        return failure(QStringLiteral("split needs on or off"));
    const bool on = arg == "on";
    server.panel([on](RigModel &rig) { return rig.setSplit(on); });
    return {true, on ? QStringLiteral("split on: transmit on the other VFO")
                     : QStringLiteral("split off")};
}

Result width(RigSimServer &server, QByteArrayView arg)
{
    bool ok = false;
    const int hz = arg.toByteArray().toInt(&ok);
    if (!ok || hz < 50 || hz > 9999)
        return failure(QStringLiteral("width needs a filter width from 50 to 9999 Hz"));
    server.setFilterWidth(hz);
    return {true, QStringLiteral("width %1 Hz").arg(hz)};
}

Result power(RigSimServer &server, bool on)
{
    server.setPower(on);
    return {
        true,
        on ? QStringLiteral("%1 on: AI0, as after power-up").arg(radioName(server.model()))
           : QStringLiteral("%1 off: it answers nothing until on").arg(radioName(server.model()))};
}

Result wait(QByteArrayView arg)
{
    bool ok = false;
    const int ms = arg.toByteArray().toInt(&ok);
    if (!ok || ms < 0 || ms > FrontPanel::kMaxWaitMs)
        return failure(
            QStringLiteral("wait needs milliseconds, 0 to %1").arg(FrontPanel::kMaxWaitMs));
    Result result;
    result.waitMs = ms;
    return result;
}

Result status(RigSimServer &server)
{
    const RigModel &rig = server.model();
    if (!rig.isPoweredOn())
        return {true, QStringLiteral("%1: off").arg(radioName(rig))};
    if (rig.radio().civ) {
        QString mode = QStringLiteral("mode %1").arg(quint8(rig.mode()), 2, 16, QLatin1Char('0'));
        for (const ModeName &m : rig.radio().modes) {
            if (m.code == rig.mode())
                mode = toString(m.name);
        }
        return {true, QStringLiteral("%1: VFO A %2, VFO B %3, %4 %5 Hz, %6, split %7, "
                                     "transceive %8, echo %9")
                          .arg(radioName(rig), megahertz(rig.vfoA()), megahertz(rig.vfoB()), mode)
                          .arg(rig.filterWidth())
                          .arg(rig.isTransmitting() ? "transmitting" : "receiving")
                          .arg(rig.isSplit() ? "on" : "off", rig.transceive() ? "on" : "off",
                               rig.echo() ? "on" : "off")};
    }
    return {true, QStringLiteral("%1: VFO A %2, VFO B %3, MD%4, %5, split %6, AI%7")
                      .arg(radioName(rig), megahertz(rig.vfoA()), megahertz(rig.vfoB()))
                      .arg(QLatin1Char(rig.mode()))
                      .arg(rig.isTransmitting() ? "transmitting" : "receiving")
                      .arg(rig.isSplit() ? "on" : "off")
                      .arg(rig.aiLevel())};
}

// The panel's commands. "Works off" commands run while the radio is switched off.
struct PanelCommand {
    std::string_view name;
    std::string_view argument;
    std::string_view help;
    bool worksOff;
    Result (*run)(RigSimServer &, QByteArrayView argument);
};

constexpr PanelCommand kCommands[] = {
    {"vfo", "HZ", "tune VFO A (Hz, or MHz with a point: 14.074)", false,
     [](RigSimServer &s, QByteArrayView a) { return tune(s, a, 0); }},
    {"vfob", "HZ", "tune VFO B", false,
     [](RigSimServer &s, QByteArrayView a) { return tune(s, a, 1); }},
    {"mode", "NAME", "select a mode: lsb usb cw cwr fm am data rtty ... (the radio's own)", false,
     selectMode},
    {"tx", "", "key the transmitter (PTT)", false,
     [](RigSimServer &s, QByteArrayView) { return key(s, true); }},
    {"rx", "", "release the PTT", false,
     [](RigSimServer &s, QByteArrayView) { return key(s, false); }},
    {"band", "METRES", "change band: 160 80 60 40 30 20 17 15 12 10 6 2 70", false, selectBand},
    {"split", "on|off", "transmit on VFO B, or on the receive VFO again", false, split},
    {"width", "HZ", "set the receive filter width", false, width},
    {"off", "", "switch the radio off: it stops answering", true,
     [](RigSimServer &s, QByteArrayView) { return power(s, false); }},
    {"on", "", "switch it on again (AI0, as after power-up)", true,
     [](RigSimServer &s, QByteArrayView) { return power(s, true); }},
    {"wait", "MS", "hold the following lines (in a script or piped input)", true,
     [](RigSimServer &, QByteArrayView a) { return wait(a); }},
    {"status", "", "show the radio's VFOs, mode, transmit state and AI level", true,
     [](RigSimServer &s, QByteArrayView) { return status(s); }},
    {"help", "", "list these commands", true,
     [](RigSimServer &, QByteArrayView) {
         return Result{true, FrontPanel::help()};
     }},
    {"quit", "", "stop the simulator", true,
     [](RigSimServer &, QByteArrayView) {
         return Result{true, {}, 0, true};
     }},
};

} // namespace

FrontPanel::Result FrontPanel::run(QByteArrayView line)
{
    if (line.size() > kMaxLineLength)
        return failure(
            QStringLiteral("line longer than %1 characters ignored").arg(kMaxLineLength));
    const QByteArray text = line.toByteArray().simplified().toLower();
    if (text.isEmpty() || text.startsWith('#'))
        return {};
    const qsizetype space = text.indexOf(' ');
    const QByteArrayView name = QByteArrayView(text).first(space < 0 ? text.size() : space);
    const QByteArrayView argument =
        space < 0 ? QByteArrayView() : QByteArrayView(text).sliced(space + 1);
    for (const PanelCommand &c : kCommands) {
        if (name != QByteArrayView(c.name.data(), qsizetype(c.name.size())))
            continue;
        if (c.argument.empty() != argument.isEmpty())
            return failure(
                c.argument.empty()
                    ? QStringLiteral("%1 takes no argument").arg(toString(c.name))
                    : QStringLiteral("%1 needs %2 (%3)")
                          .arg(toString(c.name), toString(c.argument), toString(c.help)));
        if (!c.worksOff && !m_server.model().isPoweredOn())
            return failure(
                QStringLiteral("the %1 is off; type on").arg(radioName(m_server.model())));
        return c.run(m_server, argument);
    }
    return failure(QStringLiteral("unknown command '%1'; type help")
                       .arg(QString::fromLatin1(name.toByteArray())));
}

QString FrontPanel::help()
{
    QStringList lines;
    for (const PanelCommand &c : kCommands) {
        const QString usage =
            toString(c.name) + (c.argument.empty() ? QString() : ' ' + toString(c.argument));
        lines << QStringLiteral("  %1%2").arg(usage, -16).arg(toString(c.help));
    }
    return lines.join(QLatin1Char('\n'));
}
