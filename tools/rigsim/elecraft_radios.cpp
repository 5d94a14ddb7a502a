// The Elecraft radios: the K3, K3S, KX3 and KX2 (one command set, the KX radios answer every
// K3 command) and the K2. Facts from the K3S/K3/KX3/KX2 Programmer's Reference rev. G5 and the
// KIO2 Programmer's Reference; see tools/rigsim/README.md.

#include "elecraft_radios.h"

#include "cat_handlers.h"
#include "radio_state.h"

#include <QByteArrayList>
#include <QList>

#include <algorithm>
#include <cstdlib>

using namespace cat;

namespace {

constexpr Access R = Access::Read;
constexpr Access S = Access::Set;
constexpr Access RS = Access::ReadSet;

// The K3's band numbers (BN).
constexpr struct {
    int meters;
    int number;
} kBandNumbers[] = {{160, 0}, {80, 1}, {60, 2}, {40, 3}, {30, 4}, {20, 5},
                    {17, 6},  {15, 7}, {12, 8}, {10, 9}, {6, 10}};

// UP/DN steps by parameter: 0 is 1 Hz, none or 1 is 10 Hz, ...
constexpr int kVfoSteps[] = {1, 10, 20, 50, 1000, 2000, 3000, 5000, 100, 200};

bool isK2(const RadioState &s)
{
    return s.radio->key == "k2";
}

// K21 and K23 report DATA and DATA-REV as LSB and USB in MD and IF.
char reportedMode(const RadioState &s, int receiver)
{
    const char mode = s.mode[receiver];
    if (s.k2Level == 1 || s.k2Level == 3) {
        if (mode == '6')
            return '1';
        if (mode == '9')
            return '2';
    }
    return mode;
}

// The crystal filter widths the FW row lists ("2800,1800,500"), and the one nearest `hz`.
QList<int> filterWidths(const CatCommand &row)
{
    QList<int> widths;
    for (const QByteArray &w : QByteArray(row.text.data(), qsizetype(row.text.size())).split(','))
        widths.append(w.toInt());
    return widths;
}

int nearestFilter(const CatCommand &row, int hz)
{
    const QList<int> widths = filterWidths(row);
    int best = 0;
    for (int i = 1; i < widths.size(); ++i) {
        if (std::abs(widths.at(i) - hz) < std::abs(widths.at(best) - hz))
            best = i;
    }
    return best; // 0-based
}

std::optional<QByteArray> readInfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    const QByteArray dataSubMode =
        s.k3Level >= 1 && s.radio->row("DT") ? s.value(*s.radio->row("DT")) : "0";
    QByteArray text = padded(s.vfo[s.rxVfo], 11) + "     " + ritField(s);
    text += QByteArray::number(s.rit) + QByteArray::number(s.xit) + " 00";
    text += QByteArray::number(s.transmit) + reportedMode(s, 0) + QByteArray::number(s.rxVfo);
    text += '0' + QByteArray::number(s.txVfo != s.rxVfo);
    text += s.k2Level >= 2 && s.bandChangeReport ? '1' : '0';
    text += isK2(s) ? QByteArray("0") : dataSubMode;
    return text + "1 ";
}

std::optional<QByteArray> readMode(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return QByteArray(1, reportedMode(s, receiverOf(row)));
}

std::optional<unsigned> setMode(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (p.size() != 1 || !knowsMode(row, p.front()))
        return std::nullopt;
    s.mode[receiverOf(row)] = p.front();
    return unsigned(Mode);
}

std::optional<QByteArray> readBandwidth(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return padded(s.widthHz[receiverOf(row)] / 10, 4);
}

std::optional<unsigned> setBandwidth(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> tens = digits(p, 4);
    if (!tens)
        return std::nullopt;
    s.widthHz[receiverOf(row)] = *tens * 10;
    return unsigned(Width);
}

// FW is the K2's command; its format depends on the K2 and K3 levels. K31 overrides K22.
std::optional<QByteArray> readFilterWidth(const RadioState &s, const CatCommand &row,
                                          QByteArrayView)
{
    const int hz = s.widthHz[receiverOf(row)];
    if (!isK2(s) && s.k3Level >= 1)
        return padded(hz / 10, 4);
    if (s.k2Level >= 2) // width in Hz, crystal filter number, audio filter (none)
        return padded(hz, 4) + QByteArray::number(nearestFilter(row, hz) + 1) + '0';
    return padded(hz, 4);
}

std::optional<unsigned> setFilterWidth(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    int &hz = s.widthHz[receiverOf(row)];
    if (!isK2(s) && s.k3Level >= 1) {
        const std::optional<int> tens = digits(p, 4);
        if (!tens)
            return std::nullopt;
        hz = *tens * 10;
        return unsigned(Width);
    }
    const QList<int> widths = filterWidths(row);
    if (s.k2Level >= 2 && p.size() == 5) { // the fifth digit picks a crystal filter
        const std::optional<int> filter = digits(p.sliced(4), 1);
        if (!digits(p.first(4), 4) || !filter || *filter < 1 || *filter > widths.size())
            return std::nullopt;
        hz = widths.at(*filter - 1);
        return unsigned(Width);
    }
    const std::optional<int> width = digits(p, 4);
    if (!width)
        return std::nullopt;
    // The K2 has crystal filters only; the K3's DSP takes any width.
    hz = isK2(s) ? widths.at(nearestFilter(row, *width)) : *width;
    return unsigned(Width);
}

std::optional<QByteArray> readReceiveVfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.rxVfo);
}

// Any FR cancels split. A K3 always receives on VFO A (row.max 0); a K2 may receive on B.
std::optional<unsigned> setReceiveVfo(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> vfo = digits(p, 1);
    if (!vfo || *vfo > 1)
        return std::nullopt;
    s.rxVfo = std::min(*vfo, row.max);
    s.txVfo = s.rxVfo;
    return unsigned(Split);
}

std::optional<QByteArray> readTransmitVfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.txVfo);
}

std::optional<unsigned> setTransmitVfo(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> vfo = digits(p, 1);
    if (!vfo || *vfo > 1)
        return std::nullopt;
    s.txVfo = *vfo;
    return unsigned(Split);
}

std::optional<unsigned> setTransmit(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (!p.isEmpty())
        return std::nullopt;
    s.transmit = true;
    s.keyedByPanel = false;
    return unsigned(Transmit);
}

std::optional<QByteArray> readTransmitState(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.transmit);
}

// S5 on a quiet band; the meter reads zero while transmitting. K31 widens the scale to 0-21.
std::optional<QByteArray> readSMeter(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    constexpr int kS5 = 5; // on the 0-21 scale
    const int shown = !isK2(s) && s.k3Level >= 1 ? kS5 : kS5 * 15 / 21;
    return padded(s.transmit ? 0 : shown, row.width);
}

std::optional<QByteArray> readBarGraph(const RadioState &s, const CatCommand &, QByteArrayView)
{
    if (isK2(s))
        return QByteArrayLiteral("05");
    return QByteArrayLiteral("05") + (s.transmit ? 'T' : 'R');
}

// IS: a space and four digits, both ways.
std::optional<QByteArray> readIfShift(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return ' ' + s.value(row);
}

std::optional<unsigned> setIfShift(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (p.size() != 5 || p.front() != ' ' || !digits(p.sliced(1), 4))
        return std::nullopt;
    s.setValue(row, p.sliced(1).toByteArray());
    return unsigned(Width);
}

std::optional<unsigned> setLevel(int &level, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> v = digits(p, 1);
    if (!v || *v < row.min || *v > row.max)
        return std::nullopt;
    level = *v;
    return unsigned(NoChange);
}

// PC: K22 adds the range digit, 1 while the 100 W amplifier is in use.
std::optional<QByteArray> readPowerLevel(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    const QByteArray watts = s.value(row);
    if (s.k2Level < 2)
        return watts;
    return watts + (row.max > 15 && watts.toInt() > 12 ? '1' : '0');
}

std::optional<unsigned> setPowerLevel(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (s.k2Level >= 2 && p.size() == 4) {
        const std::optional<int> range = digits(p.sliced(3), 1);
        if (!range || *range > 1)
            return std::nullopt;
        p = p.first(3);
    }
    const std::optional<int> watts = digits(p, 3);
    if (!watts)
        return std::nullopt;
    s.setValue(row, padded(std::clamp(*watts, row.min, row.max), 3)); // the radio's nearest
    return unsigned(Setting);
}

// PO (KX3, KX2): output in tenths of a watt while transmitting.
std::optional<QByteArray> readPowerOutput(const RadioState &s, const CatCommand &row,
                                          QByteArrayView)
{
    const CatCommand *pc = s.radio->row("PC");
    const int tenths = s.transmit && pc ? s.value(*pc).toInt() * 10 : 0;
    return padded(std::min(tenths, 999), row.width);
}

// Stored settings to which K22 adds a legacy digit (NB: "0"; GT: AGC on, "1").
std::optional<QByteArray> readWithK22Digit(const RadioState &s, const CatCommand &row,
                                           QByteArrayView, char digit)
{
    return s.k2Level >= 2 ? s.value(row) + digit : s.value(row);
}

std::optional<unsigned> setWithK22Digit(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (s.k2Level >= 2 && p.size() == row.width + 1) {
        if (!digits(p.sliced(row.width), 1))
            return std::nullopt;
        p = p.first(row.width);
    }
    const std::optional<int> v = digits(p, row.width);
    if (!v || *v < row.min || *v > row.max)
        return std::nullopt;
    s.setValue(row, p.toByteArray());
    return unsigned(Setting);
}

// KY: the text is sent at once; the buffer is never full. K22 reports "2", all sent.
std::optional<QByteArray> readCwBuffer(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.k2Level >= 2 ? 2 : 0);
}

std::optional<unsigned> sendCwText(RadioState &, const CatCommand &, QByteArrayView p)
{
    constexpr qsizetype kMaxText = 24;
    if (p.isEmpty() || (p.front() != ' ' && p.front() != 'W') || p.size() - 1 > kMaxText)
        return std::nullopt;
    return unsigned(NoChange);
}

// RVx for a module the radio lacks reports 99.99.
std::optional<QByteArray> readRevision(const RadioState &, const CatCommand &, QByteArrayView p)
{
    if (p.size() != 1 || p.front() < 'A' || p.front() > 'Z')
        return std::nullopt;
    return p.toByteArray() + "99.99";
}

std::optional<QByteArray> readBandNumber(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    const BandPlanRow *band = bandOf(s.vfo[receiverOf(row)]);
    for (const auto &b : kBandNumbers) {
        if (band && b.meters == band->meters)
            return padded(b.number, 2);
    }
    return QByteArrayLiteral("00");
}

std::optional<unsigned> setBandNumber(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> number = digits(p, 2);
    for (const auto &b : kBandNumbers) {
        if (!number || b.number != *number)
            continue;
        for (const BandPlanRow &band : bandPlan()) {
            if (band.meters == b.meters && covers(*s.radio, band))
                return tuneVfo(s, 0, s.lastFrequencyOn(band));
        }
    }
    return std::nullopt;
}

// UP, DN, UPB, DNB: VFO A or B by one step.
std::optional<unsigned> stepVfo(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    int step = 10;
    if (!p.isEmpty()) {
        const std::optional<int> n = digits(p, 1);
        if (!n || *n < row.min || *n > row.max)
            return std::nullopt;
        step = kVfoSteps[*n];
    }
    const int vfo = row.name.ends_with('B') ? 1 : 0;
    const int sign = row.name.starts_with("UP") ? 1 : -1;
    return tuneVfo(s, vfo, std::clamp<qint64>(s.vfo[vfo] + sign * step, 0, s.radio->maxHz));
}

// RO: the RIT/XIT offset, a sign (or a space for +) and four digits.
std::optional<QByteArray> readRitOffset(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return ritField(s);
}

std::optional<unsigned> setRitOffset(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (p.size() != 5 || !QByteArrayView("+- ").contains(p.front()))
        return std::nullopt;
    const std::optional<int> hz = digits(p.sliced(1), 4);
    if (!hz)
        return std::nullopt;
    s.ritOffset = p.front() == '-' ? -*hz : *hz;
    return unsigned(Rit);
}

const CatHandler kInfo{readInfo, nullptr};
const CatHandler kMode{readMode, setMode};
const CatHandler kBandwidth{readBandwidth, setBandwidth};
const CatHandler kFilterWidth{readFilterWidth, setFilterWidth};
const CatHandler kReceiveVfo{readReceiveVfo, setReceiveVfo};
const CatHandler kTransmitVfo{readTransmitVfo, setTransmitVfo};
const CatHandler kTransmit{nullptr, setTransmit};
const CatHandler kTransmitState{readTransmitState, nullptr};
const CatHandler kSMeter{readSMeter, nullptr};
const CatHandler kBarGraph{readBarGraph, nullptr};
const CatHandler kIfShift{readIfShift, setIfShift};
const CatHandler kK2Level{
    [](const RadioState &s, const CatCommand &, QByteArrayView) -> std::optional<QByteArray> {
        return QByteArray::number(s.k2Level);
    },
    [](RadioState &s, const CatCommand &row, QByteArrayView p) {
        return setLevel(s.k2Level, row, p);
    }};
const CatHandler kK3Level{
    [](const RadioState &s, const CatCommand &, QByteArrayView) -> std::optional<QByteArray> {
        return QByteArray::number(s.k3Level);
    },
    [](RadioState &s, const CatCommand &row, QByteArrayView p) {
        return setLevel(s.k3Level, row, p);
    }};
const CatHandler kPowerLevel{readPowerLevel, setPowerLevel};
const CatHandler kPowerOutput{readPowerOutput, nullptr};
const CatHandler kNoiseBlanker{[](const RadioState &s, const CatCommand &row, QByteArrayView p) {
                                   return readWithK22Digit(s, row, p, '0');
                               },
                               setWithK22Digit};
const CatHandler kAgc{[](const RadioState &s, const CatCommand &row, QByteArrayView p) {
                          return readWithK22Digit(s, row, p, '1');
                      },
                      setWithK22Digit};
const CatHandler kCwText{readCwBuffer, sendCwText};
const CatHandler kRevision{readRevision, nullptr};
const CatHandler kBandNumber{readBandNumber, setBandNumber};
const CatHandler kVfoStep{nullptr, stepVfo};
const CatHandler kRitOffset{readRitOffset, setRitOffset};

// The commands the K3, K3S, KX3 and KX2 share; each radio's own rows come first.
constexpr CatCommand kK3Generation[] = {
    // name, access, handler, width, min, max, then the power-on value, reply or mode codes
    {"AG", RS, &kStoredNumber, 3, 0, 255, "150"},
    {"AG$", RS, &kStoredNumber, 3, 0, 255, "150"},
    {"AI", RS, &kAutoInfo, 1, 0, 3},
    {"AN", RS, &kStoredNumber, 1, 1, 2, "1"},
    {"AP", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"AR", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"BG", R, &kBarGraph},
    {"BN", RS, &kBandNumber, 2},
    {"BN$", R, &kBandNumber, 2},
    {"BW", RS, &kBandwidth, 4},
    {"BW$", RS, &kBandwidth, 4},
    {"CP", RS, &kStoredNumber, 3, 0, 40, "010"},
    {"CW", R, &kStoredNumber, 2, 30, 80, "60"},
    {"DN", S, &kVfoStep, 1, 0, 9},
    {"DNB", S, &kVfoStep, 1, 0, 9},
    {"DT", RS, &kStoredNumber, 1, 0, 3, "0"},
    {"DV", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"ES", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"FA", RS, &kFrequencyA, 11},
    {"FB", RS, &kFrequencyB, 11},
    {"FI", R, &kFixedReply, 0, 0, 0, "5000"},
    {"FR", RS, &kReceiveVfo, 1, 0, 0},
    {"FT", RS, &kTransmitVfo, 1},
    {"FW", RS, &kFilterWidth, 4, 0, 0, "2800,1800,500,250,6000"},
    {"FW$", RS, &kFilterWidth, 4, 0, 0, "2800,1800,500,250,6000"},
    {"GT", RS, &kAgc, 3, 2, 4, "004"},
    {"IC", R, &kFixedReply, 0, 0, 0, "\x80\x80\x80\x80\x80"},
    {"ID", R, &kFixedReply, 0, 0, 0, "017"},
    {"IF", R, &kInfo},
    {"IS", RS, &kIfShift, 4, 0, 9999, "0000"},
    {"K2", RS, &kK2Level, 1, 0, 3},
    {"K3", RS, &kK3Level, 1, 0, 1},
    {"KS", RS, &kStoredNumber, 3, 8, 50, "020"},
    {"KY", RS, &kCwText},
    {"LK", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"LK$", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"LN", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"MG", RS, &kStoredNumber, 3, 0, 60, "030"},
    {"ML", RS, &kStoredNumber, 3, 0, 60, "010"},
    {"NB", RS, &kNoiseBlanker, 1, 0, 1, "0"},
    {"NB$", RS, &kNoiseBlanker, 1, 0, 1, "0"},
    {"NL", RS, &kShapedText, 0, 0, 0, "0000"}, // DSP and IF noise blanker levels
    {"PA", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PA$", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PS", RS, &kPowerSwitch},
    {"RC", S, &kRitClear},
    {"RD", S, &kRitDown},
    {"RG", RS, &kStoredNumber, 3, 0, 250, "250"},
    {"RG$", RS, &kStoredNumber, 3, 0, 250, "250"},
    {"RO", RS, &kRitOffset},
    {"RT", RS, &kRitSwitch},
    {"RU", S, &kRitUp},
    {"RV", Access::ReadSelect, &kRevision},
    {"RX", S, &kReceive},
    {"SB", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"SM", R, &kSMeter, 4},
    {"SM$", R, &kSMeter, 4},
    {"SMH", R, &kFixedReply, 0, 0, 0, "022"}, // high-resolution S-meter: S5
    {"SQ", RS, &kStoredNumber, 3, 0, 29, "000"},
    {"SQ$", RS, &kStoredNumber, 3, 0, 29, "000"},
    {"SW", R, &kFixedReply, 0, 0, 0, "010"},
    {"SWH", S, &kStoredNumber, 2, 0, 99, "00"}, // hold a front-panel switch
    {"SWT", S, &kStoredNumber, 2, 0, 99, "00"}, // tap one (49: 1 Hz tuning)
    {"TQ", R, &kTransmitState},
    {"TX", S, &kTransmit},
    {"UP", S, &kVfoStep, 1, 0, 9},
    {"UPB", S, &kVfoStep, 1, 0, 9},
    {"VX", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"XF", R, &kFixedReply, 0, 0, 0, "1"},
    {"XF$", R, &kFixedReply, 0, 0, 0, "1"},
    {"XT", RS, &kXitSwitch},
};

// A K3 with the 100 W amplifier, the automatic tuner and the sub receiver. TM chooses what the
// transmit meter shows (0 power, 1 ALC); the KX radios have PO instead.
constexpr CatCommand kK3[] = {
    {"MD", RS, &kMode, 1, 0, 0, "12345679"},           {"MD$", RS, &kMode, 1, 0, 0, "12345679"},
    {"OM", R, &kFixedReply, 0, 0, 0, " AP-S--------"}, {"PC", RS, &kPowerLevel, 3, 0, 110, "050"},
    {"RA", RS, &kStoredNumber, 2, 0, 1, "00"},         {"RA$", RS, &kStoredNumber, 2, 0, 1, "00"},
    {"RVA", R, &kFixedReply, 0, 0, 0, "02.87"},        {"RVD", R, &kFixedReply, 0, 0, 0, "02.87"},
    {"RVF", R, &kFixedReply, 0, 0, 0, "01.14"},        {"RVM", R, &kFixedReply, 0, 0, 0, "05.67"},
    {"RVR", R, &kFixedReply, 0, 0, 0, "01.54"},        {"TM", RS, &kStoredNumber, 1, 0, 1, "0"},
};

// The K3S: its RF board shows as 'R' in OM; its attenuator is set in dB.
constexpr CatCommand kK3S[] = {
    {"MD", RS, &kMode, 1, 0, 0, "12345679"},           {"MD$", RS, &kMode, 1, 0, 0, "12345679"},
    {"OM", R, &kFixedReply, 0, 0, 0, " AP-S-----R--"}, {"PC", RS, &kPowerLevel, 3, 0, 110, "050"},
    {"RA", RS, &kStoredNumber, 2, 0, 15, "00"},        {"RA$", RS, &kStoredNumber, 2, 0, 10, "00"},
    {"RVA", R, &kFixedReply, 0, 0, 0, "02.87"},        {"RVD", R, &kFixedReply, 0, 0, 0, "02.87"},
    {"RVF", R, &kFixedReply, 0, 0, 0, "01.14"},        {"RVM", R, &kFixedReply, 0, 0, 0, "05.67"},
    {"RVR", R, &kFixedReply, 0, 0, 0, "01.54"},        {"TM", RS, &kStoredNumber, 1, 0, 1, "0"},
};

// A KX3 with its tuner: OM ends in its product number 02; AF gain 0-60; QRP power; PO and AK
// are its own.
constexpr CatCommand kKX3[] = {
    {"AG", RS, &kStoredNumber, 3, 0, 60, "030"}, {"AG$", RS, &kStoredNumber, 3, 0, 60, "030"},
    {"AK", R, &kFixedReply, 0, 0, 0, "000000"},  {"MD", RS, &kMode, 1, 0, 0, "12345679"},
    {"MD$", RS, &kMode, 1, 0, 0, "12345679"},    {"OM", R, &kFixedReply, 0, 0, 0, " A---------02"},
    {"PC", RS, &kPowerLevel, 3, 0, 15, "005"},   {"PO", R, &kPowerOutput, 3},
    {"RA", RS, &kStoredNumber, 2, 0, 1, "00"},   {"RA$", RS, &kStoredNumber, 2, 0, 1, "00"},
    {"RVD", R, &kFixedReply, 0, 0, 0, "01.28"},  {"RVM", R, &kFixedReply, 0, 0, 0, "02.93"},
};

// A KX2 with its tuner: product number 01, AF gain 0-60, no FM.
constexpr CatCommand kKX2[] = {
    {"AG", RS, &kStoredNumber, 3, 0, 60, "030"}, {"AG$", RS, &kStoredNumber, 3, 0, 60, "030"},
    {"AK", R, &kFixedReply, 0, 0, 0, "000000"},  {"MD", RS, &kMode, 1, 0, 0, "1235679"},
    {"MD$", RS, &kMode, 1, 0, 0, "1235679"},     {"OM", R, &kFixedReply, 0, 0, 0, " A---------01"},
    {"PC", RS, &kPowerLevel, 3, 0, 12, "005"},   {"PO", R, &kPowerOutput, 3},
    {"RA", RS, &kStoredNumber, 2, 0, 1, "00"},   {"RA$", RS, &kStoredNumber, 2, 0, 1, "00"},
    {"RVD", R, &kFixedReply, 0, 0, 0, "01.29"},  {"RVM", R, &kFixedReply, 0, 0, 0, "02.92"},
};

// The K2 with the KIO2: no K3 meta-command, no OM, no BW; FW selects its crystal filters.
constexpr CatCommand kK2[] = {
    {"AI", RS, &kAutoInfo, 1, 0, 3},
    {"AN", RS, &kStoredNumber, 1, 1, 2, "1"},
    {"BG", R, &kBarGraph},
    {"DN", S, &kVfoStep, 1, 1, 4},
    {"FA", RS, &kFrequencyA, 11},
    {"FB", RS, &kFrequencyB, 11},
    {"FR", RS, &kReceiveVfo, 1, 0, 1},
    {"FT", RS, &kTransmitVfo, 1},
    {"FW", RS, &kFilterWidth, 4, 0, 0, "2400,1500,700,400"},
    {"GT", RS, &kAgc, 3, 2, 4, "004"},
    {"ID", R, &kFixedReply, 0, 0, 0, "017"},
    {"IF", R, &kInfo},
    {"K2", RS, &kK2Level, 1, 0, 3},
    {"KS", RS, &kStoredNumber, 3, 9, 50, "020"},
    {"KY", RS, &kCwText},
    {"LK", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"MD", RS, &kMode, 1, 0, 0, "123679"},
    {"NB", RS, &kNoiseBlanker, 1, 0, 1, "0"},
    {"PA", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PC", RS, &kPowerLevel, 3, 0, 15, "005"},
    {"PS", RS, &kPowerSwitch},
    {"RA", RS, &kStoredNumber, 2, 0, 1, "00"},
    {"RC", S, &kRitClear},
    {"RD", S, &kRitDown},
    {"RT", RS, &kRitSwitch},
    {"RU", S, &kRitUp},
    {"RX", S, &kReceive},
    {"SM", R, &kSMeter, 4},
    {"TQ", R, &kTransmitState},
    {"TX", S, &kTransmit},
    {"UP", S, &kVfoStep, 1, 1, 4},
    {"XT", RS, &kXitSwitch},
};

// AI1 sends IF for frequency and mode events, from the panel or by command, and once when
// set; AI2 (and AI3) send the reply that fits each front-panel event.
constexpr ReportRule kReports[] = {
    {1, 1, true, FreqA | FreqB | Mode | Split | Rit | Band | AutoInfoOn, {"IF"}},
    {2, 3, false, FreqA, {"FA"}},
    {2, 3, false, FreqB, {"FB"}},
    {2, 3, false, Mode, {"MD"}},
    {2, 3, false, Width, {"FW", "IS"}},
    {2, 3, false, Transmit, {"TQ"}},
    {2, 3, false, Split | Rit, {"IF"}},
};

constexpr ModeName kModes[] = {{"lsb", '1'},   {"usb", '2'},  {"cw", '3'},   {"fm", '4'},
                               {"am", '5'},    {"data", '6'}, {"rtty", '6'}, {"cwr", '7'},
                               {"datar", '9'}, {"rttyr", '9'}};

} // namespace

const RadioModel kElecraftK3{
    .key = "k3",
    .name = "Elecraft K3",
    .family = RigType::K3,
    .tables = {kK3, kK3Generation},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = false,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kElecraftK3S{
    .key = "k3s",
    .name = "Elecraft K3S",
    .family = RigType::K3,
    .tables = {kK3S, kK3Generation},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = false,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kElecraftKX3{
    .key = "kx3",
    .name = "Elecraft KX3",
    .family = RigType::K3,
    .tables = {kKX3, kK3Generation},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = false,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kElecraftKX2{
    .key = "kx2",
    .name = "Elecraft KX2",
    .family = RigType::K3,
    .tables = {kKX2, kK3Generation},
    .error = "?;",
    .maxHz = 30'000'000,
    .wakesOnPowerCommand = false,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kElecraftK2{
    .key = "k2",
    .name = "Elecraft K2",
    .family = RigType::K2,
    .tables = {kK2, CatTable{}},
    .error = "?;",
    .maxHz = 30'000'000,
    .wakesOnPowerCommand = false,
    .reports = kReports,
    .modes = kModes,
};
