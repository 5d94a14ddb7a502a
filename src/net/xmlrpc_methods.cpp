#include "net/xmlrpc_methods.h"

#include "net/cat_family.h"
#include "rig/cat_dialect.h"
#include "rig/cat_framing.h"
#include "rig/civ_framing.h"

#include <algorithm>
#include <cmath>

namespace xmlrpc {

namespace {

// The interface of this flrig release is the one served: clients choose their calls by it.
constexpr std::string_view kFlrigVersion = "1.4.7";

// Longest CAT text rig.cat_string takes, in commands.
constexpr int kMaxCatCommands = 32;

// The mode names flrig shows for each radio, in its order, by the MD code (an Icom's mode byte,
// with its data switch) that selects them.
struct FlrigMode {
    RigType type;
    char code;
    std::string_view name;
    char data = 0; // the mode row's dataSubMode where flrig names the data mode apart
};
constexpr std::array<FlrigMode, 48> kFlrigModes{{
    {RigType::K3, '1', "LSB"},
    {RigType::K3, '2', "USB"},
    {RigType::K3, '3', "CW"},
    {RigType::K3, '4', "FM"},
    {RigType::K3, '5', "AM"},
    {RigType::K3, '6', "DATA"},
    {RigType::K3, '7', "CW-R"},
    {RigType::K3, '9', "DATA-R"},
    {RigType::K2, '1', "LSB"},
    {RigType::K2, '2', "USB"},
    {RigType::K2, '3', "CW"},
    {RigType::K2, '6', "RTTY"},
    {RigType::K2, '7', "CW-R"},
    {RigType::K2, '9', "RTTY-R"},
    {RigType::Kenwood, '1', "LSB"},
    {RigType::Kenwood, '2', "USB"},
    {RigType::Kenwood, '3', "CW"},
    {RigType::Kenwood, '4', "FM"},
    {RigType::Kenwood, '5', "AM"},
    {RigType::Kenwood, '6', "FSK"},
    {RigType::Kenwood, '7', "CW-R"},
    {RigType::Kenwood, '9', "FSK-R"},
    {RigType::Yaesu, '1', "LSB"},
    {RigType::Yaesu, '2', "USB"},
    {RigType::Yaesu, '3', "CW-U"},
    {RigType::Yaesu, '4', "FM"},
    {RigType::Yaesu, '5', "AM"},
    {RigType::Yaesu, '6', "RTTY-L"},
    {RigType::Yaesu, '7', "CW-L"},
    {RigType::Yaesu, '8', "DATA-L"},
    {RigType::Yaesu, '9', "RTTY-U"},
    {RigType::Yaesu, 'A', "DATA-FM"},
    {RigType::Yaesu, 'B', "FM-N"},
    {RigType::Yaesu, 'C', "DATA-U"},
    {RigType::Yaesu, 'D', "AM-N"},
    {RigType::Yaesu, 'E', "C4FM"},
    {RigType::Icom, 0x00, "LSB"},
    {RigType::Icom, 0x01, "USB"},
    {RigType::Icom, 0x02, "AM"},
    {RigType::Icom, 0x05, "FM"},
    {RigType::Icom, 0x03, "CW"},
    {RigType::Icom, 0x07, "CW-R"},
    {RigType::Icom, 0x04, "RTTY"},
    {RigType::Icom, 0x08, "RTTY-R"},
    {RigType::Icom, 0x00, "LSB-D", '1'},
    {RigType::Icom, 0x01, "USB-D", '1'},
    {RigType::Icom, 0x02, "AM-D", '1'},
    {RigType::Icom, 0x05, "FM-D", '1'},
}};

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

QString text(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

Step read(const QByteArray &query)
{
    return {Step::Kind::Read, query};
}

Outcome answer(XmlRpcValue result)
{
    return {std::move(result), {}, {}};
}

Outcome answer(const QString &result)
{
    return answer(XmlRpcValue::string(result));
}

Outcome fault(const QString &why)
{
    return {{}, why, {}};
}

// Settings, answered with result (flrig's setters answer an empty string) once the rig took them.
Outcome change(QList<QByteArray> settings, XmlRpcValue result = {})
{
    return {std::move(result), {}, std::move(settings)};
}

Outcome badReply(const QByteArray &query, const QByteArray &reply)
{
    return fault(QStringLiteral("the rig's reply to %1 was %2")
                     .arg(QString::fromLatin1(query), reply.isEmpty()
                                                          ? QStringLiteral("nothing")
                                                          : QString::fromLatin1(reply)));
}

// The radio's name, as its reply to ID tells it from the others of its family.
QString rigName(const Context &c)
{
    return text(c.model->name);
}

// --- the program and the radio ---

Outcome getVersion(Context &, const Replies &)
{
    return answer(text(kFlrigVersion));
}

// The radio's name as flrig names it, empty while no rig is there, as flrig answers offline.
Outcome getXcvr(Context &c, const Replies &)
{
    return answer(c.family && c.rigConnected ? rigName(c) : QString());
}

// --- frequency ---

std::optional<qint64> frequencyOf(const Context &c, const Replies &r, char vfo)
{
    return cat::frequency(*c.family, replyTo(r, cat::frequencyQuery(*c.family, vfo)));
}

Outcome frequencyAnswer(const Context &c, const Replies &r, char vfo)
{
    const QByteArray query = cat::frequencyQuery(*c.family, vfo);
    const auto hz = frequencyOf(c, r, vfo);
    return hz ? answer(QString::number(*hz)) : badReply(query, replyTo(r, query));
}

QList<Step> readVfo(const Context &c, const Replies &)
{
    return {read(cat::frequencyQuery(*c.family, c.state.vfo))};
}
QList<Step> readVfoA(const Context &c, const Replies &)
{
    return {read(cat::frequencyQuery(*c.family, 'A'))};
}
QList<Step> readVfoB(const Context &c, const Replies &)
{
    return {read(cat::frequencyQuery(*c.family, 'B'))};
}
Outcome getVfo(Context &c, const Replies &r)
{
    return frequencyAnswer(c, r, c.state.vfo);
}
Outcome getVfoA(Context &c, const Replies &r)
{
    return frequencyAnswer(c, r, 'A');
}
Outcome getVfoB(Context &c, const Replies &r)
{
    return frequencyAnswer(c, r, 'B');
}

// Frequencies come as doubles (an i4 is taken too), rounded to whole Hz, within the digits the
// family writes.
Outcome setFrequencyOn(const Context &c, char vfo, XmlRpcValue result)
{
    const XmlRpcValue &p = c.params.front();
    const double value = p.type == XmlRpcValue::Type::Int ? double(p.number) : p.real;
    const qint64 hz = value > 0 && value < 1e12 ? std::llround(value) : 0;
    const QByteArray setting = cat::frequencySetting(*c.family, vfo, hz);
    if (setting.isEmpty())
        return fault(QStringLiteral("%1 Hz is no frequency for the %2").arg(shown(p), rigName(c)));
    return change({setting}, std::move(result));
}
Outcome setVfo(Context &c, const Replies &)
{
    return setFrequencyOn(c, c.state.vfo, {});
}
Outcome setVfoA(Context &c, const Replies &)
{
    return setFrequencyOn(c, 'A', {});
}
Outcome setVfoB(Context &c, const Replies &)
{
    return setFrequencyOn(c, 'B', {});
}
// rig.set_frequency answers 1 where rig.set_vfo answers nothing.
Outcome setFrequency(Context &c, const Replies &)
{
    return setFrequencyOn(c, c.state.vfo, XmlRpcValue::integer(1));
}

// --- the client's VFO ---

Outcome getAB(Context &c, const Replies &)
{
    return answer(QString(QLatin1Char(c.state.vfo)));
}
Outcome setAB(Context &c, const Replies &)
{
    const QString &vfo = c.params.front().text;
    if (vfo != QLatin1String("A") && vfo != QLatin1String("B"))
        return fault(QStringLiteral("takes \"A\" or \"B\", not \"%1\"").arg(vfo.left(20)));
    c.state.vfo = char(vfo.at(0).unicode());
    return answer(QString());
}

// --- mode ---

bool names(const FlrigMode &m, const ModeRow &row)
{
    return m.code == row.code && (m.data == 0 || m.data == row.dataSubMode);
}

// flrig's name of a mode row; of an Icom's, the data mode's where the data switch is on.
const FlrigMode *flrigMode(RigType type, const ModeRow &row)
{
    const FlrigMode *found = nullptr;
    for (const FlrigMode &m : kFlrigModes) {
        if (m.type == type && names(m, row) && (!found || m.data != 0))
            found = &m;
    }
    return found;
}

QList<Step> readMode(const Context &c, const Replies &)
{
    return {read(bytes(c.family->modeQuery))};
}

const ModeRow *modeRowOf(const Context &c, const Replies &r)
{
    return cat::modeOf(*c.family, replyTo(r, bytes(c.family->modeQuery)), {});
}

// The rig's mode. The families' mode read does not tell VFO B's apart, so rig.get_modeA and
// rig.get_modeB answer it too, and rig.set_modeA and rig.set_modeB set it, as the rigctld door
// has one mode.
Outcome getMode(Context &c, const Replies &r)
{
    const ModeRow *row = modeRowOf(c, r);
    const FlrigMode *mode = row ? flrigMode(c.family->type, *row) : nullptr;
    if (!mode)
        return badReply(bytes(c.family->modeQuery), replyTo(r, bytes(c.family->modeQuery)));
    return answer(text(mode->name));
}

Outcome setMode(Context &c, const Replies &)
{
    const QString &name = c.params.front().text;
    const ModeRow *row = nullptr;
    for (const FlrigMode &m : kFlrigModes) {
        if (m.type == c.family->type && text(m.name) == name) {
            // The code's first row: a mode before its data mode.
            const auto it = std::find_if(c.family->modes.begin(), c.family->modes.end(),
                                         [&](const ModeRow &r) { return names(m, r); });
            row = it == c.family->modes.end() ? nullptr : &*it;
        }
    }
    if (!row)
        return fault(QStringLiteral("the %1 has no mode \"%2\"; rig.get_modes lists its modes")
                         .arg(rigName(c), name.left(20)));
    // MD alone: on a K3, DATA is whichever data sub-mode the radio has, as flrig leaves it.
    return change({cat::modeSettings(*c.family, *row).first()}, XmlRpcValue::integer(1));
}

Outcome getModes(Context &c, const Replies &)
{
    std::vector<XmlRpcValue> names;
    for (const FlrigMode &m : kFlrigModes) {
        if (m.type == c.family->type)
            names.push_back(XmlRpcValue::string(text(m.name)));
    }
    return answer(XmlRpcValue::array(std::move(names)));
}

// --- passband: as the radio sets and reads it in the mode it is in ---

bool hasReplies(const Replies &r, const QList<Step> &steps)
{
    return std::all_of(steps.begin(), steps.end(),
                       [&](const Step &s) { return !replyTo(r, s.text).isEmpty(); });
}

// The mode's reads (with the K3's data sub-mode, which may change the passband's rule).
QList<Step> readModeAndSubMode(const Context &c, const Replies &)
{
    QList<Step> steps;
    for (const QByteArray &query : cat::modeReads(*c.family))
        steps.append(read(query));
    return steps;
}

const ModeRow *fullModeOf(const Context &c, const Replies &r)
{
    const QList<QByteArray> reads = cat::modeReads(*c.family);
    return cat::modeOf(*c.family, replyTo(r, reads.value(0)), replyTo(r, reads.value(1)));
}

const WidthRule *ruleOf(const Context &c, const Replies &r)
{
    const ModeRow *row = fullModeOf(c, r);
    return row ? cat::widthRule(*c.model, row->name) : nullptr;
}

// The mode's reads; once the mode is known, those of its passband.
QList<Step> readPassband(const Context &c, const Replies &r)
{
    QList<Step> steps = readModeAndSubMode(c, r);
    if (const WidthRule *rule = hasReplies(r, steps) ? ruleOf(c, r) : nullptr) {
        for (const QByteArray &query : cat::widthReads(*rule))
            steps.append(read(query));
    }
    return steps;
}

std::optional<int> passbandOf(const WidthRule &rule, const Replies &r)
{
    const QList<QByteArray> reads = cat::widthReads(rule);
    return cat::widthOf(rule, replyTo(r, reads.value(0)), replyTo(r, reads.value(1)));
}

Outcome noMode(const Context &c, const Replies &r)
{
    return badReply(bytes(c.family->modeQuery), replyTo(r, bytes(c.family->modeQuery)));
}

// flrig answers a passband as its two edges, or as its width and "": the width here, and "NONE"
// in a mode whose passband the radio does not tell, as flrig answers for a radio it has no table
// for.
Outcome getBw(Context &c, const Replies &r)
{
    if (!fullModeOf(c, r))
        return noMode(c, r);
    const WidthRule *rule = ruleOf(c, r);
    const auto width = rule ? passbandOf(*rule, r) : std::nullopt;
    if (rule && !width)
        return fault(QStringLiteral("the rig's passband replies make no sense"));
    return answer(XmlRpcValue::array(
        {XmlRpcValue::string(width ? QString::number(*width) : QStringLiteral("NONE")), {}}));
}

// The passbands rig.set_bw picks from: the radio's own list for the mode, or, for a radio that
// takes any width (the K3), the family's usual ones. None where the passband is not set.
QList<int> choicesOf(const Context &c, const Replies &r, const WidthRule *rule)
{
    QList<int> widths;
    if (!rule || rule->form == WidthForm::Fixed)
        return widths;
    for (const QByteArray &w : bytes(rule->widths).split(' ')) {
        if (w.toInt() > 0)
            widths.append(w.toInt());
    }
    if (widths.isEmpty()) { // a radio that takes any width: the family's usual ones
        const ModeRow *row = fullModeOf(c, r);
        for (const FilterRow &f : c.family->filters) {
            if (row && bytes(f.modes).split(' ').contains(bytes(row->name)))
                widths.append(f.width);
        }
    }
    return widths;
}

// One table, headed "Bandwidth", of the passbands rig.set_bw picks from.
Outcome getBws(Context &c, const Replies &r)
{
    if (!fullModeOf(c, r))
        return noMode(c, r);
    std::vector<XmlRpcValue> table{XmlRpcValue::string(QStringLiteral("Bandwidth"))};
    for (int width : choicesOf(c, r, ruleOf(c, r)))
        table.push_back(XmlRpcValue::string(QString::number(width)));
    if (table.size() == 1)
        table.push_back(XmlRpcValue::string(QStringLiteral("NONE")));
    return answer(XmlRpcValue::array({XmlRpcValue::array(std::move(table))}));
}

Outcome passbandChange(const Context &c, const WidthRule *rule, int hz)
{
    if (!rule || rule->form == WidthForm::Fixed)
        return fault(QStringLiteral("the %1 does not set its passband in this mode over CAT")
                         .arg(rigName(c)));
    return change(cat::widthSettings(*rule, hz));
}

// flrig's rig.set_bw takes the place of a passband in rig.get_bws's table, from 0.
Outcome setBw(Context &c, const Replies &r)
{
    if (!fullModeOf(c, r))
        return noMode(c, r);
    const WidthRule *rule = ruleOf(c, r);
    const QList<int> widths = choicesOf(c, r, rule);
    const qint64 index = c.params.front().number;
    if (!widths.isEmpty() && (index < 0 || index >= widths.size()))
        return fault(QStringLiteral("%1 is no place in rig.get_bws's table (0 to %2)")
                         .arg(index)
                         .arg(widths.size() - 1));
    return passbandChange(c, rule, widths.value(index));
}

// A passband in Hz, the nearest the radio takes: flrig's rig.set_bandwidth, and the
// rig.set_bwA and rig.set_bwB that Hamlib's FLRig backend calls after setting a mode.
Outcome setBandwidth(Context &c, const Replies &r)
{
    if (!fullModeOf(c, r))
        return noMode(c, r);
    const qint64 hz = c.params.front().number;
    if (hz <= 0 || hz > 99999)
        return fault(QStringLiteral("%1 Hz is no passband").arg(hz));
    return passbandChange(c, ruleOf(c, r), int(hz));
}

// --- PTT ---

QList<Step> readPtt(const Context &c, const Replies &)
{
    return {read(cat::pttQuery(*c.family))};
}

Outcome getPtt(Context &c, const Replies &r)
{
    const QByteArray query = cat::pttQuery(*c.family);
    const auto tx = cat::transmitting(*c.family, replyTo(r, query));
    return tx ? answer(XmlRpcValue::integer(*tx)) : badReply(query, replyTo(r, query));
}

// 1 keys; Hamlib passes its 2 and 3 (keyed from the microphone or the data input) as they are.
Outcome setPtt(Context &c, const Replies &)
{
    const qint64 ptt = c.params.front().number;
    if (ptt < 0 || ptt > 3)
        return fault(QStringLiteral("takes 1 (transmit) or 0 (receive), not %1").arg(ptt));
    return change({bytes(ptt ? c.family->pttOn : c.family->pttOff)});
}

// --- split: the rig transmits on another VFO than it receives on, or, on radios that have one,
// the split switch (ST) is on ---

QList<Step> readRxVfo(const Context &c, const Replies &)
{
    if (!c.model->splitRead.empty() || c.family->rxVfoQuery.empty())
        return {};
    return {read(bytes(c.family->rxVfoQuery))};
}

std::optional<int> rxVfoOf(const Context &c, const Replies &r)
{
    // A Yaesu without FR receives on VFO A.
    const QByteArray query = bytes(c.family->rxVfoQuery);
    return query.isEmpty() ? 0 : cat::vfoDigit(replyTo(r, query), query);
}

QList<Step> readSplit(const Context &c, const Replies &r)
{
    if (!c.model->splitRead.empty())
        return {read(bytes(c.model->splitRead))};
    return QList<Step>{read("FT;")} + readRxVfo(c, r);
}

Outcome getSplit(Context &c, const Replies &r)
{
    const QByteArray query = c.model->splitRead.empty() ? "FT;" : bytes(c.model->splitRead);
    const auto first = cat::vfoDigit(replyTo(r, query), query);
    const auto rx = c.model->splitRead.empty() ? rxVfoOf(c, r) : 0;
    if (!first || !rx)
        return fault(QStringLiteral("the rig's split replies make no sense"));
    return answer(XmlRpcValue::integer(*first != *rx));
}

Outcome setSplit(Context &c, const Replies &r)
{
    const qint64 on = c.params.front().number;
    if (on != 0 && on != 1)
        return fault(QStringLiteral("takes 1 (split) or 0, not %1").arg(on));
    if (!c.model->splitRead.empty())
        return change({bytes(c.model->splitSet[std::size_t(on)])});
    const auto rx = rxVfoOf(c, r);
    if (!rx)
        return badReply(bytes(c.family->rxVfoQuery), replyTo(r, bytes(c.family->rxVfoQuery)));
    const std::size_t tx = on ? 1 - *rx : *rx;
    const std::string_view own = c.model->splitSet[tx];
    return change({bytes(own.empty() ? c.family->txVfoSet[tx] : own)});
}

// --- meters and power ---

QList<Step> readMeter(const Context &c, const Replies &)
{
    return {read(bytes(c.family->meterQuery))};
}

// flrig's S-meter runs from 0 (S0) through 50 (S9) to 100 (S9+60 dB), straight in dB on each
// side of S9; the family's calibration gives the dB.
Outcome getSmeter(Context &c, const Replies &r)
{
    const QByteArray query = bytes(c.family->meterQuery);
    const auto raw = cat::meterRaw(*c.family, replyTo(r, query));
    if (!raw)
        return badReply(query, replyTo(r, query));
    const int db = cat::strengthDb(*c.family, *raw);
    const double scale = db <= 0 ? (db + 54) * 50.0 / 54.0 : 50.0 + db * 5.0 / 6.0;
    return answer(QString::number(std::clamp(int(std::lround(scale)), 0, 100)));
}

// None of the families reports its output power in a read the bridge makes: "0", as flrig answers
// for a radio without a power meter.
Outcome getPwrmeter(Context &, const Replies &)
{
    return answer(QStringLiteral("0"));
}

// The text families read and set the power level in watts (PC and three digits); an Icom as a
// fraction of its full power.
QList<Step> readPower(const Context &c, const Replies &)
{
    return {read(bytes(c.family->powerLevelQuery))};
}

Outcome getPower(Context &c, const Replies &r)
{
    const QByteArray query = bytes(c.family->powerLevelQuery);
    const auto watts = cat::powerWatts(*c.family, *c.model, replyTo(r, query));
    return watts ? answer(XmlRpcValue::integer(*watts)) : badReply(query, replyTo(r, query));
}

Outcome setPower(Context &c, const Replies &)
{
    const qint64 watts = c.params.front().number;
    const QByteArray setting =
        watts >= 0 && watts <= 9999 ? cat::powerSetting(*c.family, *c.model, int(watts)) : "";
    if (setting.isEmpty())
        return fault(
            QStringLiteral("%1 W is no power level for the %2").arg(watts).arg(rigName(c)));
    return change({setting});
}

// --- everything at once: name, transmit, frequency, mode, passband, in flrig's lines ---

QList<Step> readInfo(const Context &c, const Replies &r)
{
    // The passband's reads come last, once the mode is known: the steps keep their order.
    const QList<Step> passband = readPassband(c, r);
    return readVfo(c, r) + readPtt(c, r) + passband;
}

Outcome getInfo(Context &c, const Replies &r)
{
    const auto hz = frequencyOf(c, r, c.state.vfo);
    const ModeRow *row = modeRowOf(c, r);
    const FlrigMode *mode = row ? flrigMode(c.family->type, *row) : nullptr;
    const auto tx = cat::transmitting(*c.family, replyTo(r, cat::pttQuery(*c.family)));
    const WidthRule *rule = ruleOf(c, r);
    const auto width = rule ? passbandOf(*rule, r) : std::nullopt;
    if (!hz || !mode || !tx || (rule && !width))
        return fault(QStringLiteral("the rig's replies make no sense"));
    return answer(QStringLiteral("R:%1\nT:%2\nF%3:%4\nM:%5\nL:%6\nU:\n")
                      .arg(rigName(c), QLatin1String(*tx ? "X" : "R"),
                           QString(QLatin1Char(c.state.vfo)), QString::number(*hz),
                           text(mode->name), width ? QString::number(*width) : QString()));
}

// --- CAT text for the rig ---

// Each command ends with ';' and is printable ASCII (a CI-V frame's bytes in hex: "03;"). Reads
// are answered (from the virtual rig where it holds them), settings go to the rig in order. The
// family's settings that would change what every program sees (the auto-information level, the
// Elecraft reply formats, an Icom's transceive menu) are not passed; their bare reads are.
std::optional<QList<Step>> catSteps(const Context &c, QString &why)
{
    const QString &text = c.params.front().text;
    const bool printable = std::all_of(text.begin(), text.end(), [](QChar ch) {
        return ch.unicode() >= 0x20 && ch.unicode() < 0x7f;
    });
    if (text.isEmpty() || !text.endsWith(QLatin1Char(';')) || !printable) {
        why = QStringLiteral("takes CAT commands, each ending with ';', in printable ASCII");
        return std::nullopt;
    }
    const QList<QByteArray> commands = CatFramer::split(text.toLatin1());
    if (commands.size() > kMaxCatCommands) {
        why = QStringLiteral("takes at most %1 commands at once").arg(kMaxCatCommands);
        return std::nullopt;
    }
    QList<Step> steps;
    for (QByteArray command : commands) {
        // CI-V in hex as the bridge writes it: upper case, so that the checks below see it.
        if (c.family->civ && !civ::bodyOf(command).isEmpty())
            command = civ::text(civ::bodyOf(command));
        const auto &meta = c.family->metaCommands;
        const bool shared = std::any_of(meta.begin(), meta.end(), [&](std::string_view s) {
            return command.startsWith(bytes(s));
        });
        if (c.family->civ && civ::bodyOf(command).isEmpty()) {
            why = QStringLiteral("%1 is no CI-V command: its bytes in hex, then ';' (\"03;\")")
                      .arg(QString::fromLatin1(command.left(20)));
            return std::nullopt;
        }
        if (isRead(catDialect(c.family->type), command, c.idReply)) {
            steps.append(read(command));
        } else if (shared) {
            why = QStringLiteral("%1 would change what every program sees: not passed")
                      .arg(QString::fromLatin1(command));
            return std::nullopt;
        } else if (command.size() < 2) {
            why = QStringLiteral("\";\" alone is no command");
            return std::nullopt;
        } else {
            steps.append({Step::Kind::Set, command});
        }
    }
    return steps;
}

QList<Step> catStringSteps(const Context &c, const Replies &)
{
    QString why;
    return catSteps(c, why).value_or(QList<Step>{});
}

// The replies to its reads, one after another; settings answer nothing.
Outcome catString(Context &c, const Replies &r)
{
    QString why;
    if (!catSteps(c, why))
        return fault(why);
    QByteArray replies;
    for (const auto &[query, reply] : r)
        replies += reply;
    return answer(QString::fromLatin1(replies));
}

// --- the server itself ---

Outcome listMethods(Context &, const Replies &)
{
    std::vector<XmlRpcValue> names;
    for (const Method &m : methods())
        names.push_back(XmlRpcValue::string(text(m.name)));
    return answer(XmlRpcValue::array(std::move(names)));
}

Outcome methodHelp(Context &c, const Replies &)
{
    const Method *m = findMethod(c.params.front().text);
    return m ? answer(text(m->help)) : fault(QStringLiteral("Unknown method name"));
}

constexpr unsigned kRead = NeedsFamily | NeedsRig;
constexpr unsigned kSet = NeedsFamily | NeedsRig | Changes;
constexpr unsigned kFullSet = kSet | NeedsFull;

// In name order, as system.listMethods lists them.
constexpr std::array<Method, 39> kMethods{{
    {"main.get_version", "s:n", "returns the version of flrig's interface served", Param::None, 0,
     nullptr, getVersion},
    {"main.set_frequency", "d:d", "sets the client's VFO, in Hz", Param::Double, kSet, nullptr,
     setVfo},
    {"rig.cat_string", "s:s", "sends CAT commands to the rig and returns its replies",
     Param::String, kFullSet | RigText, catStringSteps, catString},
    {"rig.get_AB", "s:n", "returns the client's VFO, A or B", Param::None, 0, nullptr, getAB},
    {"rig.get_bw", "A:n", "returns the passband", Param::None, kRead, readPassband, getBw},
    {"rig.get_bwA", "A:n", "returns the passband", Param::None, kRead, readPassband, getBw},
    {"rig.get_bwB", "A:n", "returns the passband", Param::None, kRead, readPassband, getBw},
    {"rig.get_bws", "A:n", "returns the passbands of the mode", Param::None, kRead,
     readModeAndSubMode, getBws},
    {"rig.get_info", "s:n", "returns name, transmit, frequency, mode and passband", Param::None,
     kRead, readInfo, getInfo},
    {"rig.get_mode", "s:n", "returns the mode", Param::None, kRead, readMode, getMode},
    {"rig.get_modeA", "s:n", "returns the mode", Param::None, kRead, readMode, getMode},
    {"rig.get_modeB", "s:n", "returns the mode", Param::None, kRead, readMode, getMode},
    {"rig.get_modes", "A:n", "returns the modes of the radio", Param::None, NeedsFamily, nullptr,
     getModes},
    {"rig.get_power", "i:n", "returns the power level, in watts", Param::None, kRead, readPower,
     getPower},
    {"rig.get_ptt", "i:n", "returns 1 while transmitting", Param::None, kRead, readPtt, getPtt},
    {"rig.get_pwrmeter", "s:n", "returns the output power meter", Param::None, kRead, nullptr,
     getPwrmeter},
    {"rig.get_smeter", "s:n", "returns the S-meter, 0 to 100 (S9 is 50)", Param::None, kRead,
     readMeter, getSmeter},
    {"rig.get_split", "i:n", "returns 1 in split", Param::None, kRead, readSplit, getSplit},
    {"rig.get_vfo", "s:n", "returns the client's VFO, in Hz", Param::None, kRead, readVfo, getVfo},
    {"rig.get_vfoA", "s:n", "returns VFO A, in Hz", Param::None, kRead, readVfoA, getVfoA},
    {"rig.get_vfoB", "s:n", "returns VFO B, in Hz", Param::None, kRead, readVfoB, getVfoB},
    {"rig.get_xcvr", "s:n", "returns the name of the radio", Param::None, 0, nullptr, getXcvr},
    {"rig.set_AB", "n:s", "sets the client's VFO, A or B", Param::String, Changes, nullptr, setAB},
    {"rig.set_bandwidth", "i:i", "sets the passband, in Hz", Param::Int, kFullSet,
     readModeAndSubMode, setBandwidth},
    {"rig.set_bw", "i:i", "sets the passband, by its place in rig.get_bws", Param::Int, kFullSet,
     readModeAndSubMode, setBw},
    {"rig.set_bwA", "i:i", "sets the passband, in Hz", Param::Int, kFullSet, readModeAndSubMode,
     setBandwidth},
    {"rig.set_bwB", "i:i", "sets the passband, in Hz", Param::Int, kFullSet, readModeAndSubMode,
     setBandwidth},
    {"rig.set_frequency", "d:d", "sets the client's VFO, in Hz", Param::Double, kSet, nullptr,
     setFrequency},
    {"rig.set_mode", "i:s", "sets the mode, by its name in rig.get_modes", Param::String, kSet,
     nullptr, setMode},
    {"rig.set_modeA", "i:s", "sets the mode, by its name in rig.get_modes", Param::String, kSet,
     nullptr, setMode},
    {"rig.set_modeB", "i:s", "sets the mode, by its name in rig.get_modes", Param::String, kSet,
     nullptr, setMode},
    {"rig.set_power", "n:i", "sets the power level, in watts", Param::Int, kFullSet, nullptr,
     setPower},
    {"rig.set_ptt", "n:i", "transmits (1) or receives (0)", Param::Int, kFullSet, nullptr, setPtt},
    {"rig.set_split", "n:i", "sets split on (1) or off (0)", Param::Int, kFullSet, readRxVfo,
     setSplit},
    {"rig.set_vfo", "d:d", "sets the client's VFO, in Hz", Param::Double, kSet, nullptr, setVfo},
    {"rig.set_vfoA", "d:d", "sets VFO A, in Hz", Param::Double, kSet, nullptr, setVfoA},
    {"rig.set_vfoB", "d:d", "sets VFO B, in Hz", Param::Double, kSet, nullptr, setVfoB},
    {"system.listMethods", "A:n", "lists the methods", Param::None, 0, nullptr, listMethods},
    {"system.methodHelp", "s:s", "returns a method's help", Param::String, 0, nullptr, methodHelp},
}};

QString typeName(Param p)
{
    switch (p) {
    case Param::Int:
        return QStringLiteral("an i4");
    case Param::Double:
        return QStringLiteral("a double");
    case Param::String:
        return QStringLiteral("a string");
    case Param::None:
        break;
    }
    return QStringLiteral("nothing");
}

QString typeName(const XmlRpcValue &v)
{
    static constexpr std::array<std::string_view, 9> kNames{"a string", "an i4",    "a boolean",
                                                            "a double", "an array", "a struct",
                                                            "base64",   "a date",   "nil"};
    return text(kNames[std::size_t(v.type)]);
}

bool fits(Param p, const XmlRpcValue &v)
{
    switch (p) {
    case Param::Int:
        return v.type == XmlRpcValue::Type::Int;
    case Param::Double:
        return v.type == XmlRpcValue::Type::Double || v.type == XmlRpcValue::Type::Int;
    case Param::String:
        return v.type == XmlRpcValue::Type::String;
    case Param::None:
        break;
    }
    return true;
}

} // namespace

QByteArray replyTo(const Replies &replies, const QByteArray &query)
{
    for (const auto &[q, reply] : replies) {
        if (q == query)
            return reply;
    }
    return {};
}

std::span<const Method> methods()
{
    return kMethods;
}

const Method *findMethod(QStringView name)
{
    const auto it = std::find_if(kMethods.begin(), kMethods.end(),
                                 [name](const Method &m) { return text(m.name) == name; });
    return it == kMethods.end() ? nullptr : &*it;
}

QString refusal(const XmlRpcCall &call, Permission permission, const FamilyCaps *family,
                bool rigConnected)
{
    const Method *m = findMethod(call.method);
    if (!m)
        return QStringLiteral("unknown method name");
    if (m->param != Param::None && call.params.empty())
        return QStringLiteral("takes one parameter, %1").arg(typeName(m->param));
    if (m->param != Param::None && !fits(m->param, call.params.front()))
        return QStringLiteral("takes %1, not %2")
            .arg(typeName(m->param), typeName(call.params.front()));
    if ((m->flags & NeedsFull) && permission != Permission::Full)
        return QStringLiteral("refused: the XML-RPC door has \"Freq/Mode\" permission, and "
                              "this needs \"Full\"");
    if ((m->flags & NeedsFamily) && !family)
        return QStringLiteral("no rig type is chosen in the bridge");
    if ((m->flags & NeedsRig) && !rigConnected)
        return QStringLiteral("no rig is connected to the bridge");
    return {};
}

} // namespace xmlrpc
