// The Yaesu radios with the ';'-terminated CAT: FT-991A, FTDX101D, FT-891 and FT-710. Facts
// from their CAT operation reference manuals and Hamlib's newcat backend; see
// tools/rigsim/README.md.

#include "yaesu_radios.h"

#include "cat_handlers.h"
#include "radio_state.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

using namespace cat;

namespace {

constexpr Access R = Access::Read;
constexpr Access S = Access::Set;
constexpr Access RS = Access::ReadSet;

// Band select codes (BS).
constexpr struct {
    int meters;
    int code;
} kBandCodes[] = {{160, 0}, {80, 1}, {60, 2}, {40, 3}, {30, 4}, {20, 5}, {17, 6},
                  {15, 7},  {12, 8}, {10, 9}, {6, 10}, {2, 15}, {70, 16}};

// 28 characters: memory channel, frequency, clarifier, RX and TX clarifier, mode, VFO/memory,
// CTCSS, two fixed zeros, repeater shift. OI has the same layout for VFO B.
std::optional<QByteArray> readInfo(const RadioState &s, int vfo)
{
    QByteArray text = "001" + padded(s.vfo[vfo], 9) + ritField(s);
    text += QByteArray::number(s.rit) + QByteArray::number(s.xit) + s.mode[vfo];
    return text + "00000";
}

std::optional<QByteArray> readMode(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return QByteArray(1, s.mode[receiverOf(row)]);
}

std::optional<unsigned> setMode(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (p.size() != 1 || !knowsMode(row, p.front()))
        return std::nullopt;
    s.mode[receiverOf(row)] = p.front();
    return unsigned(Mode);
}

// TX answers 1 while CAT keys the transmitter and 2 while the operator does; TX2 cannot be set.
std::optional<QByteArray> readTransmit(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(!s.transmit ? 0 : s.keyedByPanel ? 2 : 1);
}

std::optional<unsigned> setTransmit(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> on = digits(p, 1);
    if (!on || *on > 1)
        return std::nullopt;
    s.transmit = *on == 1;
    s.keyedByPanel = false;
    return unsigned(Transmit);
}

// VS and FR: the VFO the radio receives on.
std::optional<QByteArray> readReceiveVfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.rxVfo);
}

std::optional<unsigned> setReceiveVfo(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> vfo = digits(p, 1);
    if (!vfo || *vfo > 1)
        return std::nullopt;
    const bool split = s.txVfo != s.rxVfo;
    s.rxVfo = *vfo;
    s.txVfo = split ? 1 - *vfo : *vfo;
    return unsigned(Split);
}

// The FTDX101D's FR: two digits, the main and the sub receiver, 0 on and 1 off. One receiver
// at a time here: 01 receives on VFO A, 10 on VFO B; 00 (both) keeps VFO A.
std::optional<QByteArray> readReceivers(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return s.rxVfo == 0 ? QByteArrayLiteral("01") : QByteArrayLiteral("10");
}

std::optional<unsigned> setReceivers(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (p != "00" && p != "01" && p != "10")
        return std::nullopt;
    const bool split = s.txVfo != s.rxVfo;
    s.rxVfo = p == "10" ? 1 : 0;
    s.txVfo = split ? 1 - s.rxVfo : s.rxVfo;
    return unsigned(Split);
}

// The FT-991A's radio information RI6 (transmitting on VFO B) and RI7 (receiving on VFO A).
std::optional<QByteArray> readRadioInfo(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    const bool on = row.name.back() == '6' ? s.txVfo == 1 : s.rxVfo == 0;
    return QByteArray::number(on);
}

// The FT-891 keeps the sideband of SSB, CW, RTTY and DATA as menu settings (EX1107 for SSB):
// 1 the lower, 0 the upper. row.text holds the two mode codes, lower first ("12").
std::optional<QByteArray> readSideband(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return QByteArray::number(s.mode[0] == row.text[0]);
}

std::optional<unsigned> setSideband(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> lower = digits(p, 1);
    if (!lower || *lower > 1)
        return std::nullopt;
    if (!knowsMode(row, s.mode[0]))
        return unsigned(Setting); // kept for when that mode is chosen
    s.mode[0] = row.text[*lower ? 0 : 1];
    return unsigned(Mode);
}

// ST: split off, on (transmit on the other VFO), or on with VFO B 5 kHz up (row.max 2).
std::optional<QByteArray> readSplit(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.txVfo != s.rxVfo);
}

std::optional<unsigned> setSplit(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> mode = digits(p, 1);
    if (!mode || *mode > row.max)
        return std::nullopt;
    s.txVfo = *mode == 0 ? s.rxVfo : 1 - s.rxVfo;
    unsigned changes = Split;
    if (*mode == 2)
        changes |= tuneVfo(s, 1, s.vfo[0] + 5000);
    return changes;
}

// FT: the transmit VFO. The FT-991A sets it with FT2 (A) and FT3 (B) as well.
std::optional<QByteArray> readTransmitVfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.txVfo);
}

std::optional<unsigned> setTransmitVfo(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> vfo = digits(p, 1);
    if (!vfo || *vfo < row.min || *vfo > row.max)
        return std::nullopt;
    s.txVfo = *vfo % 2;
    return unsigned(Split);
}

// The FTDX101D's FT names the VFO transmitting now: FT0 in split until the PTT is pressed.
std::optional<QByteArray> readTransmittingVfo(const RadioState &s, const CatCommand &,
                                              QByteArrayView)
{
    return QByteArray::number(s.transmit ? s.txVfo : 0);
}

// SH0: the width index, two digits, or on the newer radios an on/off digit and two digits. The
// SSB widths by index, 1 to 21; 0 is the mode's default width.
constexpr int kSsbWidths[] = {2400, 200,  400,  600,  850,  1100, 1350, 1500, 1650, 1800, 1950,
                              2100, 2200, 2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3200};

// The index last set, or after a front-panel change the one nearest the width.
std::optional<QByteArray> readWidth(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    if (s.values.contains(row.name))
        return s.value(row);
    const int hz = s.widthHz[receiverOf(row)];
    int best = 1;
    for (int i = 1; i < int(std::size(kSsbWidths)); ++i) {
        if (std::abs(kSsbWidths[i] - hz) < std::abs(kSsbWidths[best] - hz))
            best = i;
    }
    const QByteArray index = padded(best, 2);
    return row.width == 3 ? row.text.front() + index : index;
}

std::optional<unsigned> setWidth(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> code = digits(p, row.width);
    if (!code || (row.width == 3 && *code / 100 > 1) || *code % 100 < row.min ||
        *code % 100 > row.max)
        return std::nullopt;
    s.setValue(row, p.toByteArray());
    s.widthHz[receiverOf(row)] =
        kSsbWidths[std::min<size_t>(*code % 100, std::size(kSsbWidths) - 1)];
    return unsigned(Width);
}

// S5 on the 0-255 meter scale; zero while transmitting.
std::optional<QByteArray> readSMeter(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return padded(s.transmit ? 0 : 255 * 5 / 21, row.width);
}

std::optional<unsigned> selectBand(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> code = digits(p, 2);
    for (const auto &b : kBandCodes) {
        if (!code || b.code != *code)
            continue;
        for (const BandPlanRow &band : bandPlan()) {
            if (band.meters == b.meters && covers(*s.radio, band))
                return tuneVfo(s, 0, s.lastFrequencyOn(band));
        }
    }
    return std::nullopt;
}

// AB copies VFO A to B, BA B to A, SV swaps them.
std::optional<unsigned> copyVfos(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    if (!p.isEmpty())
        return std::nullopt;
    const qint64 a = s.vfo[0];
    const char modeA = s.mode[0];
    if (row.name != "AB") {
        s.vfo[0] = s.vfo[1];
        s.mode[0] = s.mode[1];
    }
    if (row.name != "BA") {
        s.vfo[1] = a;
        s.mode[1] = modeA;
    }
    return unsigned(FreqA | FreqB | Mode);
}

const CatHandler kInfo{
    [](const RadioState &s, const CatCommand &, QByteArrayView) { return readInfo(s, 0); },
    nullptr};
const CatHandler kOppositeInfo{
    [](const RadioState &s, const CatCommand &, QByteArrayView) { return readInfo(s, 1); },
    nullptr};
const CatHandler kMode{readMode, setMode};
const CatHandler kTransmit{readTransmit, setTransmit};
const CatHandler kReceiveVfo{readReceiveVfo, setReceiveVfo};
const CatHandler kSplit{readSplit, setSplit};
const CatHandler kTransmitVfo{readTransmitVfo, setTransmitVfo};
const CatHandler kTransmittingVfo{readTransmittingVfo, setTransmitVfo};
const CatHandler kWidth{readWidth, setWidth};
const CatHandler kSMeter{readSMeter, nullptr};
const CatHandler kBandSelect{nullptr, selectBand};
const CatHandler kCopyVfos{nullptr, copyVfos};
const CatHandler kReceivers{readReceivers, setReceivers};
const CatHandler kRadioInfo{readRadioInfo, nullptr};
const CatHandler kSideband{readSideband, setSideband};

// The commands the four radios share; each radio's own rows come first.
constexpr CatCommand kYaesuCommon[] = {
    // name, access, handler, width, min, max, then the power-on value, reply or mode codes
    {"AB", S, &kCopyVfos},
    {"AC", RS, &kShapedText, 0, 0, 0, "000"}, // tuner: 000 off, 001 on, 002 tune
    {"AG0", RS, &kStoredNumber, 3, 0, 255, "030"},
    {"AI", RS, &kAutoInfo, 1, 0, 1},
    {"BA", S, &kCopyVfos},
    {"BC0", RS, &kStoredNumber, 1, 0, 1, "0"},      // auto notch
    {"BI", RS, &kStoredNumber, 1, 0, 1, "0"},       // break-in
    {"BP00", RS, &kStoredNumber, 3, 0, 1, "000"},   // manual notch on
    {"BP01", RS, &kStoredNumber, 3, 1, 320, "150"}, // and its frequency in 10 Hz
    {"FA", RS, &kFrequencyA, 9},
    {"FB", RS, &kFrequencyB, 9},
    {"GT0", RS, &kStoredNumber, 1, 0, 6, "4"}, // AGC: 4-6 automatic
    {"IF", R, &kInfo},
    {"KP", RS, &kStoredNumber, 2, 0, 75, "30"},
    {"KR", RS, &kStoredNumber, 1, 0, 1, "1"}, // keyer
    {"KS", RS, &kStoredNumber, 3, 4, 60, "020"},
    {"MG", RS, &kStoredNumber, 3, 0, 100, "050"},
    {"NA0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"NB0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"NL0", RS, &kStoredNumber, 3, 0, 15, "005"}, // noise blanker level
    {"NR0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"OI", R, &kOppositeInfo},
    {"PC", RS, &kStoredNumber, 3, 5, 100, "100"},
    {"PL", RS, &kStoredNumber, 3, 0, 100, "050"}, // speech processor level
    {"PR0", RS, &kStoredNumber, 1, 0, 1, "0"},    // and on
    {"PR1", RS, &kStoredNumber, 1, 0, 1, "0"},    // microphone equaliser on
    {"PS", RS, &kPowerSwitch},
    {"RC", S, &kRitClear},
    {"RD", S, &kRitDown, 4},
    {"RG0", RS, &kStoredNumber, 3, 0, 255, "255"},
    {"RL0", RS, &kStoredNumber, 2, 1, 15, "08"}, // noise reduction level
    {"RU", S, &kRitUp, 4},
    {"SM0", R, &kSMeter, 3},
    {"SQ0", RS, &kStoredNumber, 3, 0, 100, "000"},
    {"SV", S, &kCopyVfos},
    {"TX", RS, &kTransmit},
    {"VG", RS, &kStoredNumber, 3, 0, 100, "050"}, // VOX gain
    {"VX", RS, &kStoredNumber, 1, 0, 1, "0"},
};

// The FT-991A: FT without FR, sets the transmit VFO with FT2/FT3, three-digit menus (EX032 is
// CAT TOT, which Hamlib sets to 100 ms when it opens the radio), VHF and UHF.
constexpr CatCommand kFT991A[] = {
    {"BS", S, &kBandSelect, 2},
    {"DT0", RS, &kShapedText, 0, 0, 0, "20250101"},  // date
    {"DT1", RS, &kShapedText, 0, 0, 0, "000000"},    // time
    {"EX031", RS, &kStoredNumber, 1, 0, 3, "0"},     // CAT RATE
    {"EX032", RS, &kStoredNumber, 1, 0, 3, "0"},     // CAT TOT
    {"EX033", RS, &kStoredNumber, 1, 0, 1, "1"},     // CAT RTS
    {"EX039", RS, &kShapedText, 0, 0, 0, "+00"},     // reference frequency adjustment
    {"EX059", RS, &kStoredNumber, 2, 0, 75, "30"},   // CW spot tone
    {"EX117", RS, &kStoredNumber, 3, 0, 100, "050"}, // anti-VOX gain
    {"EX142", RS, &kStoredNumber, 1, 0, 1, "0"},     // VOX on the data port
    {"FT", RS, &kTransmitVfo, 1, 0, 3},
    {"ID", R, &kFixedReply, 0, 0, 0, "0670"},
    {"IS0", RS, &kShapedText, 0, 0, 0, "+0000"}, // IF shift
    {"MD0", RS, &kMode, 1, 0, 0, "123456789ABCDE"},
    {"PA0", RS, &kStoredNumber, 1, 0, 2, "0"},
    {"RA0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"RI6", R, &kRadioInfo},
    {"RI7", R, &kRadioInfo},
    {"RM3", R, &kFixedReply, 0, 0, 0, "000"}, // meters: compression,
    {"RM4", R, &kFixedReply, 0, 0, 0, "000"}, // ALC,
    {"RM5", R, &kFixedReply, 0, 0, 0, "000"}, // power,
    {"RM6", R, &kFixedReply, 0, 0, 0, "000"}, // SWR,
    {"RM7", R, &kFixedReply, 0, 0, 0, "000"}, // drain current,
    {"RM8", R, &kFixedReply, 0, 0, 0, "190"}, // supply voltage (13.8 V)
    {"RT", RS, &kRitSwitch},
    {"SH0", RS, &kWidth, 2, 0, 21, "00"},
    {"VD", RS, &kStoredNumber, 4, 30, 3000, "0500"}, // VOX delay
    {"XT", RS, &kXitSwitch},
};

// The FTDX101D: main and sub receivers (MD1, SH1, RF1), VS and FR select the receiver, ST is
// split and FT names the VFO transmitting now; its width command carries an on/off digit, RF
// selects the roofing filter.
constexpr CatCommand kFTDX101D[] = {
    {"BC1", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"BP10", RS, &kStoredNumber, 3, 0, 1, "000"},
    {"BS", S, &kBandSelect, 2},
    {"DT0", RS, &kShapedText, 0, 0, 0, "20250101"},
    {"DT1", RS, &kShapedText, 0, 0, 0, "000000"},
    {"EX030405", RS, &kStoredNumber, 1, 0, 1, "0"}, // VOX on the data port
    {"FR", RS, &kReceivers},
    {"FT", RS, &kTransmittingVfo, 1, 0, 3}, // set also FT2 (A) and FT3 (B)
    {"ID", R, &kFixedReply, 0, 0, 0, "0681"},
    {"IS0", RS, &kShapedText, 0, 0, 0, "0+0000"},
    {"IS1", RS, &kShapedText, 0, 0, 0, "0+0000"},
    {"MD0", RS, &kMode, 1, 0, 0, "123456789ABCD"},
    {"MD1", RS, &kMode, 1, 0, 0, "123456789ABCD"},
    {"NB1", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"PA0", RS, &kStoredNumber, 1, 0, 2, "0"},
    {"RA0", RS, &kStoredNumber, 1, 0, 3, "0"},
    {"RM3", R, &kFixedReply, 0, 0, 0, "000000"}, // meters, each followed by 000
    {"RM4", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM5", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM6", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM7", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM8", R, &kFixedReply, 0, 0, 0, "155000"}, // supply voltage
    {"RM9", R, &kFixedReply, 0, 0, 0, "040000"}, // temperature
    {"RT", RS, &kRitSwitch},
    {"RF0", RS, &kStoredNumber, 1, 0, 5, "1"},
    {"RF1", RS, &kStoredNumber, 1, 0, 5, "1"},
    {"SH0", RS, &kWidth, 3, 0, 23, "000"},
    {"SH1", RS, &kWidth, 3, 0, 23, "000"},
    {"ST", RS, &kSplit, 1, 0, 1},
    {"VD", RS, &kStoredNumber, 4, 30, 3000, "0500"},
    {"VS", RS, &kReceiveVfo, 1},
    {"XT", RS, &kXitSwitch},
};

// The FT-891: no FT, FR or VS (split is ST, with ST2 for 5 kHz up), one clarifier (no RT or
// XT), RF gain 0-30, four-digit menus: 05-06 CAT RATE, 05-07 CAT TOT, 05-08 CAT RTS.
constexpr CatCommand kFT891[] = {
    {"EX0506", RS, &kStoredNumber, 1, 0, 3, "0"},
    {"EX0507", RS, &kStoredNumber, 1, 0, 3, "0"},
    {"EX0508", RS, &kStoredNumber, 1, 0, 1, "1"},
    {"EX0707", RS, &kSideband, 1, 0, 1, "73"},           // CW on the lower side
    {"EX0812", RS, &kSideband, 1, 0, 1, "8C"},           // DATA
    {"EX1011", RS, &kSideband, 1, 0, 1, "69"},           // RTTY
    {"EX1107", RS, &kSideband, 1, 0, 1, "12"},           // SSB: LSB
    {"EX1616", RS, &kStoredNumber, 1, 0, 1, "0"},        // VOX on the data port
    {"EX1620", RS, &kStoredNumber, 3, 0, 100, "050"},    // its gain,
    {"EX1621", RS, &kStoredNumber, 4, 30, 3000, "0500"}, // delay
    {"EX1622", RS, &kStoredNumber, 3, 0, 100, "050"},    // and anti-VOX gain
    {"ID", R, &kFixedReply, 0, 0, 0, "0650"},
    {"IS0", RS, &kShapedText, 0, 0, 0, "0+0000"}, // IF shift on and offset
    {"MD0", RS, &kMode, 1, 0, 0, "123456789BCD"},
    {"PA0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"RA0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"RM3", R, &kFixedReply, 0, 0, 0, "000"},
    {"RM4", R, &kFixedReply, 0, 0, 0, "000"},
    {"RM5", R, &kFixedReply, 0, 0, 0, "000"},
    {"RM6", R, &kFixedReply, 0, 0, 0, "000"},
    {"RM7", R, &kFixedReply, 0, 0, 0, "000"},
    {"SH0", RS, &kWidth, 3, 0, 21, "000"},
    {"ST", RS, &kSplit, 1, 0, 2},
    {"RG0", RS, &kStoredNumber, 3, 0, 30, "030"},
};

// The FT-710: like the FTDX101D a main and sub band (MD1, SH1, RF1), VS, ST and FT; its width
// command carries a fixed second digit.
constexpr CatCommand kFT710[] = {
    {"BS", S, &kBandSelect, 2},
    {"CF000", RS, &kShapedText, 0, 0, 0, "00000"}, // clarifier: RX and TX on, 000
    {"CF001", RS, &kShapedText, 0, 0, 0, "+0000"}, // and its offset
    {"FT", RS, &kTransmitVfo, 1, 0, 1},
    {"ID", R, &kFixedReply, 0, 0, 0, "0800"},
    {"IS0", RS, &kShapedText, 0, 0, 0, "0+0000"},
    {"MD0", RS, &kMode, 1, 0, 0, "123456789ABCD"},
    {"MD1", RS, &kMode, 1, 0, 0, "123456789ABCD"},
    {"PA0", RS, &kStoredNumber, 1, 0, 2, "0"},
    {"RA0", RS, &kStoredNumber, 1, 0, 1, "0"},
    {"RM3", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM4", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM5", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM6", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM7", R, &kFixedReply, 0, 0, 0, "000000"},
    {"RM8", R, &kFixedReply, 0, 0, 0, "155000"},
    {"RT", RS, &kRitSwitch},
    {"RF0", RS, &kStoredNumber, 1, 0, 5, "1"},
    {"RF1", RS, &kStoredNumber, 1, 0, 5, "1"},
    {"SH0", RS, &kWidth, 3, 0, 23, "000"},
    {"SH1", RS, &kWidth, 3, 0, 23, "000"},
    {"ST", RS, &kSplit, 1, 0, 1},
    {"VS", RS, &kReceiveVfo, 1},
    {"XT", RS, &kXitSwitch},
};

// AI1 sends the answer that fits each front-panel event. The radios never push FA or FB: a
// tuned VFO shows in IF (VFO A) or OI (VFO B).
constexpr ReportRule kReports[] = {
    {1, 1, false, FreqA | Rit, {"IF"}}, // VFO A and the clarifier
    {1, 1, false, FreqB, {"OI"}},       // VFO B
    {1, 1, false, Mode, {"MD0"}},       // the mode
    {1, 1, false, Width, {"SH0"}},      // the width index
    {1, 1, false, Transmit, {"TX"}},    // TX2: keyed at the radio
    {1, 1, false, Split, {"ST", "FT"}}, // whichever the radio has
};

constexpr ModeName kModes[] = {{"lsb", '1'},   {"usb", '2'},  {"cw", '3'},   {"fm", '4'},
                               {"am", '5'},    {"rtty", '6'}, {"cwr", '7'},  {"datar", '8'},
                               {"rttyr", '9'}, {"fmn", 'B'},  {"data", 'C'}, {"amn", 'D'},
                               {"c4fm", 'E'}};

} // namespace

const RadioModel kYaesuFT991A{
    .key = "ft991a",
    .name = "Yaesu FT-991A",
    .family = RigType::Yaesu,
    .tables = {kFT991A, kYaesuCommon},
    .error = "?;",
    .maxHz = 470'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kYaesuFTDX101D{
    .key = "ftdx101d",
    .name = "Yaesu FTDX101D",
    .family = RigType::Yaesu,
    .tables = {kFTDX101D, kYaesuCommon},
    .error = "?;",
    .maxHz = 54'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kYaesuFT891{
    .key = "ft891",
    .name = "Yaesu FT-891",
    .family = RigType::Yaesu,
    .tables = {kFT891, kYaesuCommon},
    .error = "?;",
    .maxHz = 56'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};

const RadioModel kYaesuFT710{
    .key = "ft710",
    .name = "Yaesu FT-710",
    .family = RigType::Yaesu,
    .tables = {kFT710, kYaesuCommon},
    .error = "?;",
    .maxHz = 56'000'000,
    .wakesOnPowerCommand = true,
    .reports = kReports,
    .modes = kModes,
};
