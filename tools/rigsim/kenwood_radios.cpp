// The Kenwood radios: TS-2000, TS-590SG and TS-480. Facts from their PC control command
// references and Hamlib's kenwood, ts2000, ts590 and ts480 backends; see tools/rigsim/README.md.

#include "kenwood_radios.h"

#include "cat_handlers.h"
#include "radio_state.h"

#include <algorithm>

using namespace cat;

namespace {

constexpr Access R = Access::Read;
constexpr Access S = Access::Set;
constexpr Access RS = Access::ReadSet;

// 38 characters: frequency, step (blank), RIT/XIT, memory channel, TX, mode, VFO, scan,
// split, tone, tone number, shift.
std::optional<QByteArray> readInfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    QByteArray text = padded(s.vfo[s.rxVfo], 11) + "     " + ritField(s);
    text += QByteArray::number(s.rit) + QByteArray::number(s.xit) + "000";
    text += QByteArray::number(s.transmit) + s.mode[0] + QByteArray::number(s.rxVfo) + '0';
    text += QByteArray::number(s.txVfo != s.rxVfo) + "0000";
    return text;
}

std::optional<QByteArray> readMode(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray(1, s.mode[0]);
}

std::optional<unsigned> setMode(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (p.size() != 1 || !knowsMode(row, p.front()))
        return std::nullopt;
    s.mode[0] = p.front();
    return unsigned(Mode);
}

// TX keys the transmitter; TX0, TX1 and TX2 choose its audio source.
std::optional<unsigned> setTransmit(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (!p.isEmpty() && (!digits(p, 1) || p.front() > '2'))
        return std::nullopt;
    s.transmit = true;
    s.keyedByPanel = false;
    return unsigned(Transmit);
}

std::optional<QByteArray> readVfo(int vfo)
{
    return QByteArray::number(vfo);
}

std::optional<unsigned> setVfo(int &vfo, QByteArrayView p)
{
    const std::optional<int> v = digits(p, 1);
    if (!v || *v > 1)
        return std::nullopt;
    vfo = *v;
    return unsigned(Split);
}

// S5 on a quiet band, scaled to the radio's 0-row.max meter; zero while transmitting.
std::optional<QByteArray> readSMeter(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return padded(s.transmit ? 0 : row.max * 5 / 21, row.width);
}

// KY: the text goes out at once, so the buffer always has room.
std::optional<unsigned> sendCwText(RadioState &, const CatCommand &, QByteArrayView p)
{
    constexpr qsizetype kMaxText = 24;
    if (p.isEmpty() || p.front() != ' ' || p.size() - 1 > kMaxText)
        return std::nullopt;
    return unsigned(NoChange);
}

// SF0 and SF1: VFO A's or B's frequency and the mode in one command, 11 digits and the mode
// code ("SF0000140740002;").
std::optional<QByteArray> readVfoAndMode(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return padded(s.vfo[row.name.back() - '0'], 11) + s.mode[0];
}

std::optional<unsigned> setVfoAndMode(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const CatCommand *modes = s.radio->row("MD");
    const QByteArrayView hz = p.first(std::min<qsizetype>(p.size(), 11));
    if (p.size() != 12 || !modes || !knowsMode(*modes, p.back()) ||
        !std::all_of(hz.begin(), hz.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int vfo = row.name.back() - '0';
    unsigned changes = tuneVfo(s, vfo, std::min(hz.toByteArray().toLongLong(), s.radio->maxHz));
    if (s.mode[0] != p.back()) {
        s.mode[0] = p.back();
        changes |= Mode;
    }
    return changes;
}

const CatHandler kInfo{readInfo, nullptr};
const CatHandler kVfoAndMode{readVfoAndMode, setVfoAndMode};
const CatHandler kMode{readMode, setMode};
const CatHandler kTransmit{nullptr, setTransmit};
const CatHandler kReceiveVfo{
    [](const RadioState &s, const CatCommand &, QByteArrayView) { return readVfo(s.rxVfo); },
    [](RadioState &s, const CatCommand &, QByteArrayView p) { return setVfo(s.rxVfo, p); }};
const CatHandler kTransmitVfo{
    [](const RadioState &s, const CatCommand &, QByteArrayView) { return readVfo(s.txVfo); },
    [](RadioState &s, const CatCommand &, QByteArrayView p) { return setVfo(s.txVfo, p); }};
const CatHandler kSMeter{readSMeter, nullptr};
const CatHandler kCwText{
    [](const RadioState &, const CatCommand &, QByteArrayView) -> std::optional<QByteArray> {
        return QByteArrayLiteral("0");
    },
    sendCwText};

// The commands the three radios share; each radio's own rows come first.
constexpr CatCommand kKenwoodCommon[] = {
    // name, access, handler, width, min, max, then the power-on value, reply or mode codes
    {"AC", RS, &kShapedText, 0, 0, 0, "000"}, // tuner: receive, transmit, tuning
    {"AG0", RS, &kStoredNumber, 3, 0, 255, "100"},
    {"BC", RS, &kStoredNumber, 1, 0, 2, "0"}, // beat cancel
    {"BY", R, &kFixedReply, 0, 0, 0, "00"},
    {"FA", RS, &kFrequencyA, 11},
    {"FB", RS, &kFrequencyB, 11},
    {"FR", RS, &kReceiveVfo, 1},
    {"FT", RS, &kTransmitVfo, 1},
    {"FW", RS, &kWidthInHz, 4, 0, 9999},
    {"IF", R, &kInfo},
    {"KS", RS, &kStoredNumber, 3, 4, 60, "020"},
    {"KY", RS, &kCwText},
    {"MD", RS, &kMode, 1, 0, 0, "12345679"},
    {"MG", RS, &kStoredNumber, 3, 0, 100, "050"},
    {"NR", RS, &kStoredNumber, 1, 0, 2, "0"}, // noise reduction 1 or 2
    {"PC", RS, &kClampedNumber, 3, 5, 100, "100"},
    {"PS", RS, &kPowerSwitch},
    {"RC", S, &kRitClear},
    {"RD", S, &kRitDown, 5},
    {"RL", RS, &kStoredNumber, 2, 0, 10, "00"},          // noise reduction level
    {"RM", RS, &kStoredNumberWithTail, 1, 0, 3, "0000"}, // meter chosen, its reading
    {"RT", RS, &kRitSwitch},
    {"RU", S, &kRitUp, 5},
    {"RX", S, &kReceive},
    {"SH", RS, &kStoredNumber, 2, 0, 11, "06"},
    {"SL", RS, &kStoredNumber, 2, 0, 11, "00"},
    {"SQ0", RS, &kStoredNumber, 3, 0, 255, "000"},
    {"TX", S, &kTransmit},
    {"VX", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"XT", RS, &kXitSwitch},
};

// The TS-2000 answers PA and RA with the sub receiver's setting appended, and has a sub
// receiver S-meter.
constexpr CatCommand kTS2000[] = {
    {"AG1", RS, &kStoredNumber, 3, 0, 255, "100"},
    {"AI", RS, &kAutoInfo, 1, 0, 3},
    {"EX0120000", RS, &kStoredNumber, 1, 0, 9, "4"}, // menu 12: beep volume
    {"GT", RS, &kStoredNumber, 3, 0, 20, "002"},     // AGC time constant
    {"ID", R, &kFixedReply, 0, 0, 0, "019"},
    {"NB", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PA", RS, &kStoredNumberWithTail, 1, 0, 1, "0"},
    {"RA", RS, &kStoredNumberWithTail, 2, 0, 1, "00"},
    {"NT", RS, &kStoredNumber, 1, 0, 1, "0"}, // auto notch
    {"RG", RS, &kStoredNumber, 3, 0, 255, "255"},
    {"SA", R, &kFixedReply, 0, 0, 0, "0000000        "}, // satellite mode off
    {"SM0", R, &kSMeter, 4, 0, 30},
    {"SM1", R, &kSMeter, 4, 0, 15},
};

// The TS-590SG reports its DATA modes with DA; its noise blanker has two settings.
constexpr CatCommand kTS590SG[] = {
    {"AI", RS, &kAutoInfo, 1, 0, 4},
    {"DA", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"ID", R, &kFixedReply, 0, 0, 0, "023"},
    {"NB", RS, &kStoredNumber, 1, 0, 2, "0"},
    {"NT", RS, &kShapedText, 0, 0, 0, "00"}, // notch: off, auto, manual; bandwidth
    {"PA", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"RA", RS, &kStoredNumberWithTail, 2, 0, 1, "00"},
    {"RG", RS, &kStoredNumber, 3, 0, 255, "255"},
    {"SF0", RS, &kVfoAndMode},
    {"SF1", RS, &kVfoAndMode},
    {"SM0", R, &kSMeter, 4, 0, 30},
};

// The TS-480 answers PA with a second digit that is always 0; its RF gain runs 0-100.
constexpr CatCommand kTS480[] = {
    {"AI", RS, &kAutoInfo, 1, 0, 4},
    {"EX0120000", RS, &kStoredNumber, 1, 0, 9, "4"}, // menu 12: beep volume
    {"EX0450000", RS, &kStoredNumber, 1, 0, 1, "0"}, // menu 45: wide data filters
    {"GT", RS, &kStoredNumber, 3, 0, 20, "002"},
    {"ID", R, &kFixedReply, 0, 0, 0, "020"},
    {"IS", RS, &kShapedText, 0, 0, 0, "+0000"}, // IF shift
    {"NB", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PA", RS, &kStoredNumberWithTail, 1, 0, 1, "0"},
    {"RA", RS, &kStoredNumberWithTail, 2, 0, 1, "00"},
    {"RG", RS, &kStoredNumber, 3, 0, 100, "100"},
    {"SM0", R, &kSMeter, 4, 0, 30},
};

// AI1 sends IF for frequency and mode events; higher levels send the reply that fits each
// front-panel event, and IF for transmit and split.
constexpr ReportRule kReports[] = {
    {1, 1, true, FreqA | FreqB | Mode | Split | Rit | Band, {"IF"}},
    {2, 4, false, FreqA, {"FA"}},
    {2, 4, false, FreqB, {"FB"}},
    {2, 4, false, Mode, {"MD"}},
    {2, 4, false, Width, {"FW"}},
    {2, 4, false, Transmit | Split | Rit, {"IF"}},
};

constexpr ModeName kModes[] = {{"lsb", '1'}, {"usb", '2'},  {"cw", '3'},  {"fm", '4'},
                               {"am", '5'},  {"rtty", '6'}, {"cwr", '7'}, {"rttyr", '9'}};

} // namespace

const RadioModel kKenwoodTS2000{
    .key = "ts2000",
    .name = "Kenwood TS-2000",
    .family = RigType::Kenwood,
    .tables = {kTS2000, kKenwoodCommon},
    .error = "?;",
    .maxHz = 1'300'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kKenwoodTS590SG{
    .key = "ts590sg",
    .name = "Kenwood TS-590SG",
    .family = RigType::Kenwood,
    .tables = {kTS590SG, kKenwoodCommon},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kKenwoodTS480{
    .key = "ts480",
    .name = "Kenwood TS-480",
    .family = RigType::Kenwood,
    .tables = {kTS480, kKenwoodCommon},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};
