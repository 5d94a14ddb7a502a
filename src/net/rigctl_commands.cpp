#include "net/cat_family.h"
#include "net/rigctl_protocol.h"

#include <cmath>
#include <cstdlib>

// The commands the server answers: one row each, with the reads its answer needs and the few
// lines that turn the rig's replies (or the client's arguments) into values and settings.

namespace rigctl {

namespace {

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

Outcome fail(int code)
{
    Outcome o;
    o.code = code;
    return o;
}

Outcome values(QList<QByteArray> v)
{
    Outcome o;
    o.values = std::move(v);
    return o;
}

Outcome settings(QList<QByteArray> s)
{
    Outcome o;
    o.settings = std::move(s);
    return o;
}

// A VFO argument: 'A', 'B', the client's own for currVFO, 0 for anything else.
char vfoOf(const QByteArray &name, const ClientState &state)
{
    if (name == "VFOA" || name == "Main" || name == "MainA")
        return 'A';
    if (name == "VFOB" || name == "Sub" || name == "MainB")
        return 'B';
    if (name == "currVFO" || name == "VFO" || name == "RX")
        return state.vfo;
    return 0;
}

QByteArray vfoName(char vfo)
{
    return vfo == 'B' ? "VFOB" : "VFOA";
}

std::optional<qint64> number(const QByteArray &text)
{
    // Frequencies come as "7040000" or "7040000.000000".
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > 1e12)
        return std::nullopt;
    return qint64(std::llround(v));
}

const ModeRow *modeOf(const Context &c, const Replies &r)
{
    const QList<QByteArray> reads = cat::modeReads(c.family);
    return cat::modeOf(c.family, r.value(reads.value(0)), r.value(reads.value(1)));
}

// The mode's reads, then, once the mode is known, those of its passband on this radio.
QList<QByteArray> modeReads(const Context &c, const Replies &r)
{
    QList<QByteArray> reads = cat::modeReads(c.family);
    for (const QByteArray &read : std::as_const(reads)) {
        if (!r.contains(read))
            return reads;
    }
    const ModeRow *mode = modeOf(c, r);
    if (const WidthRule *rule = mode ? cat::widthRule(c.model, mode->name) : nullptr)
        reads += cat::widthReads(*rule);
    return reads;
}

// Mode and passband from the replies to modeReads(); the passband is 0 where the radio reports
// none.
std::optional<std::pair<QByteArray, int>> modeFrom(const Context &c, const Replies &r)
{
    const ModeRow *mode = modeOf(c, r);
    if (!mode)
        return std::nullopt;
    int width = 0;
    if (const WidthRule *rule = cat::widthRule(c.model, mode->name)) {
        const QList<QByteArray> reads = cat::widthReads(*rule);
        const auto w = cat::widthOf(*rule, r.value(reads.value(0)), r.value(reads.value(1)));
        if (!w)
            return std::nullopt;
        width = *w;
    }
    return std::pair{bytes(mode->name), width};
}

// Split is read from the transmit VFO (FT, with the receive VFO's FR where the family has it),
// or on radios that have it from the split switch itself (ST).
QList<QByteArray> splitReads(const Context &c)
{
    if (!c.model.splitRead.empty())
        return {bytes(c.model.splitRead)};
    QList<QByteArray> reads{"FT;"};
    if (!c.family.rxVfoQuery.empty())
        reads.append(bytes(c.family.rxVfoQuery));
    return reads;
}

// Split state and transmit VFO; split is on when the rig transmits on another VFO than it
// receives on.
std::optional<std::pair<bool, char>> splitFrom(const Context &c, const Replies &r)
{
    if (!c.model.splitRead.empty()) {
        const auto on = cat::vfoDigit(r.value(bytes(c.model.splitRead)), bytes(c.model.splitRead));
        return on ? std::optional(std::pair{*on == 1, *on == 1 ? 'B' : 'A'}) : std::nullopt;
    }
    const auto tx = cat::vfoDigit(r.value("FT;"), "FT;");
    if (!tx)
        return std::nullopt;
    int rx = 0;
    if (!c.family.rxVfoQuery.empty()) {
        const QByteArray rxQuery = bytes(c.family.rxVfoQuery);
        const auto fr = cat::vfoDigit(r.value(rxQuery), rxQuery);
        if (!fr)
            return std::nullopt;
        rx = *fr;
    }
    return std::pair{*tx != rx, *tx == 1 ? 'B' : 'A'};
}

// --- frequency ---
QList<QByteArray> getFreqReads(const Context &c, const Replies &)
{
    return {cat::frequencyQuery(c.family, c.state.vfo)};
}
Outcome getFreq(Context &c, const Replies &r)
{
    const auto hz = cat::frequency(c.family, r.value(cat::frequencyQuery(c.family, c.state.vfo)));
    return hz ? values({QByteArray::number(*hz)}) : fail(Protocol);
}
Outcome setFreqOn(Context &c, char vfo)
{
    const auto hz = number(c.args.value(0));
    const QByteArray setting = hz ? cat::frequencySetting(c.family, vfo, *hz) : QByteArray();
    if (setting.isEmpty())
        return fail(InvalidArgument);
    return settings({setting});
}
Outcome setFreq(Context &c, const Replies &)
{
    return setFreqOn(c, c.state.vfo);
}
// The split frequency is the transmit VFO's with split on. With it off rigctld answers VFO A's
// (an Icom's the other VFO's), or 0 for a radio whose driver says so.
std::optional<char> splitFreqVfo(const Context &c, const Replies &r)
{
    const auto split = splitFrom(c, r);
    if (!split || (!split->first && c.model.splitFreqZeroWhenOff))
        return std::nullopt;
    return split->first ? split->second : c.model.splitOffVfo;
}
QList<QByteArray> getSplitFreqReads(const Context &c, const Replies &r)
{
    QList<QByteArray> reads = splitReads(c);
    if (const auto vfo = splitFreqVfo(c, r))
        reads.append(cat::frequencyQuery(c.family, *vfo));
    return reads;
}
Outcome getSplitFreq(Context &c, const Replies &r)
{
    if (!splitFrom(c, r))
        return fail(Protocol);
    const auto vfo = splitFreqVfo(c, r);
    if (!vfo)
        return values({"0"});
    const auto hz = cat::frequency(c.family, r.value(cat::frequencyQuery(c.family, *vfo)));
    return hz ? values({QByteArray::number(*hz)}) : fail(Protocol);
}
Outcome setSplitFreq(Context &c, const Replies &)
{
    return setFreqOn(c, 'B');
}

// --- mode ---
QList<QByteArray> getModeReads(const Context &c, const Replies &r)
{
    return modeReads(c, r);
}
Outcome getMode(Context &c, const Replies &r)
{
    const auto mode = modeFrom(c, r);
    if (!mode)
        return fail(Protocol);
    return values({mode->first, QByteArray::number(mode->second)});
}
Outcome setMode(Context &c, const Replies &)
{
    const QByteArray name = c.args.value(0);
    const ModeRow *mode =
        cat::modeByName(c.family, std::string_view(name.constData(), name.size()));
    if (!mode)
        return fail(InvalidArgument);
    // Passband: -1 (or none) leaves the width alone, 0 sets the mode's normal width, and any
    // other the nearest the radio takes, as Hamlib's drivers do (a negative one as positive).
    bool ok = true;
    const int passband = c.args.size() > 1 ? c.args.at(1).toInt(&ok) : -1;
    if (!ok)
        return fail(InvalidArgument);
    if (c.state.modeLocked)
        return {};
    QList<QByteArray> s = cat::modeSettings(c.family, *mode);
    if (passband != -1) {
        if (const WidthRule *rule = cat::widthRule(c.model, mode->name))
            s += cat::widthSettings(*rule, std::abs(passband));
    }
    return settings(s);
}

// --- VFO ---
Outcome getVfo(Context &c, const Replies &)
{
    return values({vfoName(c.state.vfo)});
}
Outcome setVfo(Context &c, const Replies &)
{
    const char vfo = vfoOf(c.args.value(0), c.state);
    if (vfo == 0)
        return fail(InvalidArgument);
    c.state.vfo = vfo;
    return {};
}

// --- PTT ---
QList<QByteArray> getPttReads(const Context &c, const Replies &)
{
    return {cat::pttQuery(c.family)};
}
Outcome getPtt(Context &c, const Replies &r)
{
    const QList<QByteArray> reads = getPttReads(c, r);
    const auto tx = cat::transmitting(c.family, r.value(reads.first()));
    return tx ? values({*tx ? "1" : "0"}) : fail(Protocol);
}
Outcome setPtt(Context &c, const Replies &)
{
    // 1 keys, 2 and 3 key from the microphone or the data input: all are CAT keying here.
    const QByteArray &arg = c.args.value(0);
    if (arg == "0")
        return settings({bytes(c.family.pttOff)});
    if (arg == "1" || arg == "2" || arg == "3")
        return settings({bytes(c.family.pttOn)});
    return fail(InvalidArgument);
}

// --- split ---
QList<QByteArray> getSplitReads(const Context &c, const Replies &)
{
    return splitReads(c);
}
Outcome getSplit(Context &c, const Replies &r)
{
    const auto split = splitFrom(c, r);
    if (!split)
        return fail(Protocol);
    return values({split->first ? "1" : "0", vfoName(split->second)});
}
Outcome setSplit(Context &c, const Replies &)
{
    const QByteArray &on = c.args.value(0);
    if (on != "0" && on != "1")
        return fail(InvalidArgument);
    char tx = c.state.vfo; // split off: transmit where the client receives
    if (on == "1") {
        tx = c.args.size() > 1 ? vfoOf(c.args.at(1), c.state) : 'B';
        if (c.args.value(1) == "TX")
            tx = 'B';
        if (tx == 0)
            return fail(InvalidArgument);
    }
    if (!c.model.splitRead.empty()) // the split switch: on transmits on the other VFO
        return settings({bytes(c.model.splitSet[on == "1" ? 1 : 0])});
    const std::size_t vfo = tx == 'B' ? 1 : 0;
    return settings(
        {bytes(c.model.splitSet[vfo].empty() ? c.family.txVfoSet[vfo] : c.model.splitSet[vfo])});
}

// --- RIT and XIT: one offset, shown in the IF status line (none where the family has none) ---
QList<QByteArray> ifReads(const Context &c, const Replies &)
{
    if (c.family.statusQuery.empty())
        return {};
    return {bytes(c.family.statusQuery)};
}
Outcome getOffset(Context &c, const Replies &r)
{
    if (c.family.statusQuery.empty())
        return fail(NotAvailable);
    const auto o = cat::offset(c.family, r.value(bytes(c.family.statusQuery)));
    return o ? values({QByteArray::number(o->hz)}) : fail(Protocol);
}
Outcome setOffset(Context &c, const Replies &)
{
    bool ok = false;
    const int hz = c.args.value(0).toInt(&ok);
    if (!ok || std::abs(hz) > c.family.maxRit)
        return fail(InvalidArgument);
    const QList<QByteArray> s = cat::offsetSettings(c.family, hz);
    return s.isEmpty() ? fail(NotAvailable) : settings(s);
}

// --- levels: the S-meter and, where the bridge holds it, the CW pitch ---
QList<QByteArray> getLevelReads(const Context &c, const Replies &)
{
    const QByteArray &level = c.args.value(0);
    if (level == "STRENGTH" || level == "RAWSTR")
        return {bytes(c.family.meterQuery)};
    if (level == "CWPITCH" && !c.family.pitchQuery.empty())
        return {bytes(c.family.pitchQuery)};
    return {};
}
QByteArray levelList(const FamilyCaps &f, bool settable)
{
    QByteArray list = settable ? "" : "STRENGTH RAWSTR ";
    if (!f.pitchQuery.empty())
        list += "CWPITCH ";
    return list;
}
Outcome getLevel(Context &c, const Replies &r)
{
    const QByteArray &level = c.args.value(0);
    if (level == "?")
        return values({levelList(c.family, false)});
    const QList<QByteArray> reads = getLevelReads(c, r);
    if (reads.isEmpty())
        return fail(NotAvailable);
    const QByteArray &reply = r.value(reads.first());
    if (level == "CWPITCH") {
        const auto hz = cat::pitchHz(c.family, reply);
        return hz ? values({QByteArray::number(*hz)}) : fail(Protocol);
    }
    const auto raw = cat::meterRaw(c.family, reply);
    if (!raw)
        return fail(Protocol);
    return values({QByteArray::number(level == "RAWSTR" ? *raw : cat::strengthDb(c.family, *raw))});
}
Outcome setLevel(Context &c, const Replies &)
{
    if (c.args.value(0) == "?")
        return values({levelList(c.family, true)});
    if (c.args.value(0) != "CWPITCH" || c.family.pitchQuery.empty())
        return fail(NotAvailable);
    const auto hz = number(c.args.value(1));
    const QByteArray s = hz ? cat::pitchSetting(c.family, int(*hz)) : QByteArray();
    return s.isEmpty() ? fail(InvalidArgument) : settings({s});
}

// --- functions: RIT and XIT on or off ---
Outcome getFunc(Context &c, const Replies &r)
{
    const QByteArray &func = c.args.value(0);
    if (func == "?")
        return values({c.family.statusQuery.empty() ? "" : "RIT XIT "});
    if ((func != "RIT" && func != "XIT") || c.family.statusQuery.empty())
        return fail(NotAvailable);
    const auto o = cat::offset(c.family, r.value(bytes(c.family.statusQuery)));
    if (!o)
        return fail(Protocol);
    return values({(func == "RIT" ? o->rit : o->xit) ? "1" : "0"});
}
QList<QByteArray> getFuncReads(const Context &c, const Replies &)
{
    const QByteArray &func = c.args.value(0);
    if ((func != "RIT" && func != "XIT") || c.family.statusQuery.empty())
        return {};
    return {bytes(c.family.statusQuery)};
}
Outcome setFunc(Context &c, const Replies &)
{
    const QByteArray &func = c.args.value(0);
    if (func == "?")
        return values({c.family.statusQuery.empty() ? "" : "RIT XIT "});
    const QByteArray &on = c.args.value(1);
    if ((func != "RIT" && func != "XIT") || c.family.statusQuery.empty())
        return fail(NotAvailable);
    if (on != "0" && on != "1")
        return fail(InvalidArgument);
    return settings({(func == "RIT" ? "RT" : "XT") + on + ';'});
}

// --- power ---
QList<QByteArray> getPowerReads(const Context &c, const Replies &)
{
    return {bytes(c.family.powerQuery)};
}
Outcome getPower(Context &c, const Replies &r)
{
    const auto on = cat::powerOn(c.family, r.value(bytes(c.family.powerQuery)));
    return on ? values({*on ? "1" : "0"}) : fail(Protocol);
}
Outcome setPower(Context &c, const Replies &)
{
    // Switching on needs nothing from a rig that answers. Switching off (0) or to standby (2)
    // would take the rig from every other program as well: not served over the network.
    return c.args.value(0) == "1" ? Outcome{} : fail(NotAvailable);
}

// --- several values at once ---
QList<QByteArray> getVfoInfoReads(const Context &c, const Replies &r)
{
    const char vfo = vfoOf(c.args.value(0), c.state);
    if (vfo == 0)
        return {};
    return QList<QByteArray>{cat::frequencyQuery(c.family, vfo)} + modeReads(c, r) + splitReads(c);
}
Outcome getVfoInfo(Context &c, const Replies &r)
{
    const char vfo = vfoOf(c.args.value(0), c.state);
    if (vfo == 0)
        return fail(InvalidArgument);
    const auto hz = cat::frequency(c.family, r.value(cat::frequencyQuery(c.family, vfo)));
    const auto mode = modeFrom(c, r);
    const auto split = splitFrom(c, r);
    if (!hz || !mode || !split)
        return fail(Protocol);
    return values({QByteArray::number(*hz), mode->first, QByteArray::number(mode->second),
                   split->first ? "1" : "0", "0"});
}

// --- the connection itself ---
Outcome chkVfo(Context &c, const Replies &)
{
    c.state.chkVfoSeen = true;
    return values({"0"}); // VFO arguments are not taken: clients send none
}
Outcome setVfoOpt(Context &c, const Replies &)
{
    return c.args.value(0) == "0" ? Outcome{} : fail(NotAvailable);
}
// Hamlib 4.5's clients ask for the lock before every M and leave the mode alone unless the
// answer is 0.
Outcome getLockMode(Context &c, const Replies &)
{
    return values({c.state.modeLocked ? "1" : "0"});
}
Outcome setLockMode(Context &c, const Replies &)
{
    const QByteArray &on = c.args.value(0);
    if (on != "0" && on != "1")
        return fail(InvalidArgument);
    c.state.modeLocked = on == "1";
    return {};
}
Outcome dumpStateOf(Context &c, const Replies &)
{
    Outcome o;
    o.block = dumpState(c.family, c.model, c.state.chkVfoSeen, c.timeoutMs);
    return o;
}
Outcome dumpCapsOf(Context &c, const Replies &)
{
    Outcome o;
    o.block = dumpCaps(c.family, c.model);
    return o;
}

// Hamlib's own numbers for the long-name-only commands do not reach the wire: 0 here.
constexpr std::array<Command, 29> kCommands{{
    {'F', "set_freq", 1, 1, nullptr, setFreq, 0, {"Frequency"}},
    {'f', "get_freq", 0, 0, getFreqReads, getFreq, ArgOut, {"Frequency"}},
    {'M', "set_mode", 1, 2, nullptr, setMode, 0, {"Mode", "Passband"}},
    {'m', "get_mode", 0, 0, getModeReads, getMode, ArgOut, {"Mode", "Passband"}},
    {'I', "set_split_freq", 1, 1, nullptr, setSplitFreq, 0, {"TX Frequency"}},
    {'i', "get_split_freq", 0, 0, getSplitFreqReads, getSplitFreq, ArgOut, {"TX Frequency"}},
    {'S', "set_split_vfo", 1, 2, nullptr, setSplit, 0, {"Split", "TX VFO"}},
    {'s', "get_split_vfo", 0, 0, getSplitReads, getSplit, ArgOut, {"Split", "TX VFO"}},
    {'L', "set_level", 1, 2, nullptr, setLevel, 0, {"Level", "Level Value"}},
    {'l', "get_level", 1, 1, getLevelReads, getLevel, ArgOut | Unlabelled, {"Level Value"}},
    {'U', "set_func", 1, 2, nullptr, setFunc, 0, {"Func", "Func Status"}},
    {'u',
     "get_func",
     1,
     1,
     getFuncReads,
     getFunc,
     ArgOut | Unlabelled | NewlineAfter,
     {"Func Status"}},
    {'V', "set_vfo", 1, 1, nullptr, setVfo, 0, {"VFO"}},
    {'v', "get_vfo", 0, 0, nullptr, getVfo, ArgOut, {"VFO"}},
    {'T', "set_ptt", 1, 1, nullptr, setPtt, 0, {"PTT"}},
    {'t', "get_ptt", 0, 0, getPttReads, getPtt, ArgOut, {"PTT"}},
    {'J', "set_rit", 1, 1, nullptr, setOffset, 0, {"RIT"}},
    {'j', "get_rit", 0, 0, ifReads, getOffset, ArgOut, {"RIT"}},
    {'Z', "set_xit", 1, 1, nullptr, setOffset, 0, {"XIT"}},
    {'z', "get_xit", 0, 0, ifReads, getOffset, ArgOut, {"XIT"}},
    {0, "set_powerstat", 1, 1, nullptr, setPower, 0, {"Power Status"}},
    {0, "get_powerstat", 0, 0, getPowerReads, getPower, ArgOut | NewlineAfter, {"Power Status"}},
    {0,
     "get_vfo_info",
     1,
     1,
     getVfoInfoReads,
     getVfoInfo,
     ArgOut,
     {"Freq", "Mode", "Width", "Split", "SatMode"}},
    {'1', "dump_caps", 0, 0, nullptr, dumpCapsOf, 0, {}},
    {0, "dump_state", 0, 0, nullptr, dumpStateOf, ArgOut, {}},
    {0,
     "chk_vfo",
     0,
     0,
     nullptr,
     chkVfo,
     ArgOut | NewlineAfter | NoHeader | NeedsNoRig,
     {"ChkVFO"}},
    {0, "set_vfo_opt", 1, 1, nullptr, setVfoOpt, NeedsNoRig, {"Status"}},
    {0, "set_lock_mode", 1, 1, nullptr, setLockMode, NeedsNoRig, {"Locked"}},
    {0, "get_lock_mode", 0, 0, nullptr, getLockMode, NewlineAfter | NeedsNoRig, {"Locked"}},
}};

} // namespace

const Command *findShort(char name)
{
    for (const Command &c : kCommands) {
        if (c.shortName != 0 && c.shortName == name)
            return &c;
    }
    return nullptr;
}

const Command *findLong(QByteArrayView name)
{
    for (const Command &c : kCommands) {
        if (name == QByteArrayView(c.longName.data(), qsizetype(c.longName.size())))
            return &c;
    }
    return nullptr;
}

} // namespace rigctl
