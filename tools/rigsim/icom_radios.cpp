// The Icom radios: IC-7300, IC-705, IC-9700 and IC-7610, over CI-V. Facts from their CI-V
// reference guides and Hamlib's icom backend (icom.c, frame.c, ic7300.c, ic7610.c); see
// tools/rigsim/README.md.

#include "icom_radios.h"

#include "cat_handlers.h"
#include "radio_state.h"
#include "rig/civ_framing.h"

#include <algorithm>
#include <cstdlib>

using namespace std::string_view_literals;

namespace {

constexpr CivAccess R = CivAccess::Read;
constexpr CivAccess S = CivAccess::Set;
constexpr CivAccess RS = CivAccess::ReadSet;
constexpr CivAccess Q = CivAccess::Quiet;

QByteArray byte(int value)
{
    return QByteArray(1, char(value));
}

// The filter widths of FIL1-FIL3 at power-on, by the kind of mode. FM, WFM and the digital
// voice modes have fixed filters: their widths cannot be set.
enum class Kind { Ssb, Cw, Rtty, Am, Fixed };

Kind kindOf(char mode)
{
    switch (quint8(mode)) {
    case 0x00: // LSB
    case 0x01: // USB
        return Kind::Ssb;
    case 0x03: // CW
    case 0x07: // CW-R
    case 0x12: // PSK
    case 0x13: // PSK-R
        return Kind::Cw;
    case 0x04: // RTTY
    case 0x08: // RTTY-R
        return Kind::Rtty;
    case 0x02:
        return Kind::Am;
    default:
        return Kind::Fixed;
    }
}

int filterWidth(char mode, int filter)
{
    constexpr int kWidths[][3] = {{3000, 2400, 1800},
                                  {1200, 500, 250},
                                  {2400, 500, 250},
                                  {9000, 6000, 3000},
                                  {15000, 10000, 7000}};
    return kWidths[int(kindOf(mode))][std::clamp(filter, 1, 3) - 1];
}

// 1A 03: SSB, CW and RTTY widths as an index 0-40 (50-500 Hz in 50 Hz steps, then 600-3600 Hz
// in 100 Hz steps); AM 0-49 (200 Hz to 10 kHz in 200 Hz steps).
int widthIndex(Kind kind, int hz)
{
    if (kind == Kind::Am)
        return std::clamp((hz + 100) / 200 - 1, 0, 49);
    return hz <= 500 ? std::clamp((hz + 25) / 50 - 1, 0, 9)
                     : std::clamp((hz + 50) / 100 + 4, 10, 40);
}

int widthOfIndex(Kind kind, int index)
{
    if (kind == Kind::Am)
        return (index + 1) * 200;
    return index < 10 ? (index + 1) * 50 : (index - 4) * 100;
}

bool knows(const RadioState &s, char mode)
{
    return std::any_of(s.radio->modes.begin(), s.radio->modes.end(),
                       [mode](const ModeName &m) { return m.code == mode; });
}

// Data modes (USB-D and the like) exist for SSB, AM and FM.
bool takesData(char mode)
{
    return kindOf(mode) == Kind::Ssb || kindOf(mode) == Kind::Am || quint8(mode) == 0x05;
}

// The VFO a row addresses: 25 00 and 26 00 the selected one, 25 01 and 26 01 the other.
int vfoOf(const RadioState &s, const CivCommand &row)
{
    return row.code.back() == '\0' ? s.rxVfo : 1 - s.rxVfo;
}

unsigned select(RadioState &s, int vfo)
{
    const bool split = s.txVfo != s.rxVfo;
    s.rxVfo = vfo;
    s.txVfo = split ? 1 - vfo : vfo;
    return Split;
}

std::optional<unsigned> tune(RadioState &s, int vfo, QByteArrayView data)
{
    const std::optional<qint64> hz = data.size() == 5 ? civ::frequency(data) : std::nullopt;
    if (!hz || !s.radio->civ->tunes(*hz))
        return std::nullopt;
    return cat::tuneVfo(s, vfo, *hz);
}

// 03 and 05 (and 00, quietly): the selected VFO's frequency.
const CivHandler kFrequency{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return civ::frequencyBytes(s.vfo[s.rxVfo]);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) { return tune(s, s.rxVfo, data); }};

// 25 00 and 25 01: the selected or the other VFO's frequency, without switching VFOs.
const CivHandler kVfoFrequency{
    [](const RadioState &s, const CivCommand &row) -> std::optional<QByteArray> {
        return civ::frequencyBytes(s.vfo[vfoOf(s, row)]);
    },
    [](RadioState &s, const CivCommand &row, QByteArrayView data) {
        return tune(s, vfoOf(s, row), data);
    }};

// 04 and 06 (and 01, quietly): the selected VFO's mode and filter; a filter left out stays.
const CivHandler kMode{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.mode[s.rxVfo]) + byte(s.filter[s.rxVfo]);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.isEmpty() || data.size() > 2 || !knows(s, data[0]))
            return std::nullopt;
        const int filter = data.size() == 2 ? data[1] : s.filter[s.rxVfo];
        if (filter < 1 || filter > 3)
            return std::nullopt;
        return icom::selectMode(s, s.rxVfo, data[0], filter);
    }};

// 26 00 and 26 01: mode, data mode and filter of the selected or the other VFO. Data and filter
// may be left out: data mode goes off and the filter stays.
const CivHandler kVfoMode{
    [](const RadioState &s, const CivCommand &row) -> std::optional<QByteArray> {
        const int vfo = vfoOf(s, row);
        return byte(s.mode[vfo]) + byte(s.dataMode[vfo]) + byte(s.filter[vfo]);
    },
    [](RadioState &s, const CivCommand &row, QByteArrayView data) -> std::optional<unsigned> {
        const int vfo = vfoOf(s, row);
        if (data.isEmpty() || data.size() > 3 || !knows(s, data[0]))
            return std::nullopt;
        const bool dataMode = data.size() >= 2 && data[1] == 1;
        const int filter = data.size() == 3 ? data[2] : s.filter[vfo];
        if ((data.size() >= 2 && quint8(data[1]) > 1) || (dataMode && !takesData(data[0])) ||
            filter < 1 || filter > 3)
            return std::nullopt;
        unsigned changes = icom::selectMode(s, vfo, data[0], filter);
        if (s.dataMode[vfo] != dataMode) {
            s.dataMode[vfo] = dataMode;
            changes |= Mode;
        }
        return changes;
    }};

// 07: VFO mode (the simulator is always in it), VFO A or B, A=B, A<>B, and main or sub on the
// radios that have a sub receiver.
const CivHandler kVfo{
    nullptr, [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.isEmpty())
            return unsigned(NoChange);
        if (data.size() != 1)
            return std::nullopt;
        const int other = 1 - s.rxVfo;
        switch (quint8(data[0])) {
        case 0xD0:
        case 0xD1:
            if (!s.radio->civ->mainAndSub)
                return std::nullopt;
            return select(s, data[0] & 1);
        case 0x00:
        case 0x01:
            return select(s, data[0]);
        case 0xA0: // the other VFO takes the selected one's frequency and mode
            s.vfo[other] = s.vfo[s.rxVfo];
            s.mode[other] = s.mode[s.rxVfo];
            s.filter[other] = s.filter[s.rxVfo];
            s.dataMode[other] = s.dataMode[s.rxVfo];
            s.widthHz[other] = s.widthHz[s.rxVfo];
            return unsigned(other == 0 ? FreqA : FreqB);
        case 0xB0:
            std::swap(s.vfo[0], s.vfo[1]);
            std::swap(s.mode[0], s.mode[1]);
            std::swap(s.filter[0], s.filter[1]);
            std::swap(s.dataMode[0], s.dataMode[1]);
            std::swap(s.widthHz[0], s.widthHz[1]);
            return unsigned(FreqA | FreqB | Mode);
        default:
            return std::nullopt;
        }
    }};

// 07 D2: which receiver is selected, 00 main, 01 sub.
const CivHandler kReceiver{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.rxVfo);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.size() != 1 || quint8(data[0]) > 1)
            return std::nullopt;
        return select(s, data[0]);
    }};

// 0F: split off (00) or on (01): transmit on the other VFO. The duplex settings (10-12) are not
// simulated.
const CivHandler kSplit{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.txVfo != s.rxVfo);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.size() != 1 || quint8(data[0]) > 1)
            return std::nullopt;
        s.txVfo = data[0] == 1 ? 1 - s.rxVfo : s.rxVfo;
        return unsigned(Split);
    }};

// 1C 00: receive (00) or transmit (01).
const CivHandler kTransmit{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.transmit);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.size() != 1 || quint8(data[0]) > 1)
            return std::nullopt;
        s.transmit = data[0] == 1;
        s.keyedByPanel = false;
        return unsigned(Transmit);
    }};

// 15 02: the S-meter, 0000 (S0) to 0241 (S9+60); row.value while receiving, 0 transmitting.
const CivHandler kSMeter{
    [](const RadioState &s, const CivCommand &row) -> std::optional<QByteArray> {
        return civ::bcd(s.transmit ? 0 : row.value, row.bytes);
    },
    nullptr};

// A stored BCD number of row.bytes bytes within [row.min, row.max] (14 0A, the RF power).
const CivHandler kStoredNumber{
    [](const RadioState &s, const CivCommand &row) -> std::optional<QByteArray> {
        const auto it = s.values.find(row.code);
        return it != s.values.end() ? it->second : civ::bcd(row.value, row.bytes);
    },
    [](RadioState &s, const CivCommand &row, QByteArrayView data) -> std::optional<unsigned> {
        const std::optional<int> n = data.size() == row.bytes ? civ::number(data) : std::nullopt;
        if (!n || *n < row.min || *n > row.max)
            return std::nullopt;
        s.values[row.code] = data.toByteArray();
        return unsigned(Setting);
    }};

// 19 00: the transceiver ID, its default CI-V address.
const CivHandler kTransceiverId{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.radio->civ->address);
    },
    nullptr};

// 1A 03: the selected VFO's filter width as an index. A fixed filter (FM) reads as its number
// (00-02) and cannot be set.
const CivHandler kFilterWidth{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        const Kind kind = kindOf(s.mode[s.rxVfo]);
        const int index =
            kind == Kind::Fixed ? s.filter[s.rxVfo] - 1 : widthIndex(kind, s.widthHz[s.rxVfo]);
        return civ::bcd(index, 1);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        const Kind kind = kindOf(s.mode[s.rxVfo]);
        const std::optional<int> index = data.size() == 1 ? civ::number(data) : std::nullopt;
        if (!index || kind == Kind::Fixed || *index > (kind == Kind::Am ? 49 : 40))
            return std::nullopt;
        s.widthHz[s.rxVfo] = widthOfIndex(kind, *index);
        return unsigned(Width);
    }};

// 1A 06: data mode off (00 00) or on with its filter (01 01-03), of the selected VFO.
const CivHandler kDataMode{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        const int vfo = s.rxVfo;
        return s.dataMode[vfo] ? byte(1) + byte(s.filter[vfo]) : byte(0) + byte(0);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        const int vfo = s.rxVfo;
        if (data.isEmpty() || data.size() > 2 || quint8(data[0]) > 1)
            return std::nullopt;
        const bool on = data[0] == 1;
        const int filter = data.size() == 2 ? data[1] : 0;
        if (on && (!takesData(s.mode[vfo]) || (data.size() == 2 && (filter < 1 || filter > 3))))
            return std::nullopt;
        if (!on && filter != 0)
            return std::nullopt;
        s.dataMode[vfo] = on;
        return on && filter ? icom::selectMode(s, vfo, s.mode[vfo], filter) | Mode : unsigned(Mode);
    }};

// 1A 05 nnnn for "CI-V Transceive": 00 off, 01 on.
const CivHandler kTransceiveMenu{
    [](const RadioState &s, const CivCommand &) -> std::optional<QByteArray> {
        return byte(s.transceive);
    },
    [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.size() != 1 || quint8(data[0]) > 1)
            return std::nullopt;
        s.transceive = data[0] == 1;
        return unsigned(Setting);
    }};

// 18 00 switches the radio to standby; 18 01 (on) wakes it, answered only while it is on.
const CivHandler kPower{
    nullptr, [](RadioState &s, const CivCommand &, QByteArrayView data) -> std::optional<unsigned> {
        if (data.size() != 1 || quint8(data[0]) > 1)
            return std::nullopt;
        s.poweredOn = data[0] == 1;
        return unsigned(NoChange);
    }};

// The commands the four radios share; each radio's own rows come first.
constexpr CivCommand kIcomCommon[] = {
    // code, access, handler, then for stored numbers: bytes, min, max, power-on value
    {"\x00"sv, Q, &kFrequency},
    {"\x01"sv, Q, &kMode},
    {"\x03"sv, R, &kFrequency},
    {"\x04"sv, R, &kMode},
    {"\x05"sv, S, &kFrequency},
    {"\x06"sv, S, &kMode},
    {"\x07"sv, S, &kVfo},
    {"\x0f"sv, RS, &kSplit},
    {"\x14\x0a"sv, RS, &kStoredNumber, 2, 0, 255, 255}, // RF power, 0000-0255
    {"\x15\x02"sv, R, &kSMeter, 2, 0, 255, 60},         // S5
    {"\x18"sv, S, &kPower},
    {"\x19\x00"sv, R, &kTransceiverId},
    {"\x1a\x03"sv, RS, &kFilterWidth},
    {"\x1a\x06"sv, RS, &kDataMode},
    {"\x1c\x00"sv, RS, &kTransmit},
    {"\x25\x00"sv, RS, &kVfoFrequency},
    {"\x25\x01"sv, RS, &kVfoFrequency},
    {"\x26\x00"sv, RS, &kVfoMode},
    {"\x26\x01"sv, RS, &kVfoMode},
};

constexpr CivCommand kIC7300[] = {
    {"\x1a\x05\x00\x71"sv, RS, &kTransceiveMenu},
};

constexpr CivCommand kIC705[] = {
    {"\x1a\x05\x01\x31"sv, RS, &kTransceiveMenu},
};

// The IC-9700 reports satellite mode (16 5A), which Hamlib reads when it opens the radio; the
// simulator has none, so only "off" is taken.
constexpr CivCommand kIC9700[] = {
    {"\x07\xd2"sv, RS, &kReceiver},
    {"\x16\x5a"sv, RS, &kStoredNumber, 1, 0, 0, 0},
    {"\x1a\x05\x01\x27"sv, RS, &kTransceiveMenu},
};

constexpr CivCommand kIC7610[] = {
    {"\x07\xd2"sv, RS, &kReceiver},
    {"\x1a\x05\x01\x12"sv, RS, &kTransceiveMenu},
};

constexpr ModeName kHfModes[] = {{"lsb", '\x00'}, {"usb", '\x01'},  {"am", '\x02'},
                                 {"cw", '\x03'},  {"rtty", '\x04'}, {"fm", '\x05'},
                                 {"cwr", '\x07'}, {"rttyr", '\x08'}};
constexpr ModeName kIC705Modes[] = {
    {"lsb", '\x00'}, {"usb", '\x01'}, {"am", '\x02'},  {"cw", '\x03'},    {"rtty", '\x04'},
    {"fm", '\x05'},  {"wfm", '\x06'}, {"cwr", '\x07'}, {"rttyr", '\x08'}, {"dv", '\x17'}};
constexpr ModeName kIC9700Modes[] = {
    {"lsb", '\x00'}, {"usb", '\x01'}, {"am", '\x02'},    {"cw", '\x03'}, {"rtty", '\x04'},
    {"fm", '\x05'},  {"cwr", '\x07'}, {"rttyr", '\x08'}, {"dv", '\x17'}, {"dd", '\x22'}};
constexpr ModeName kIC7610Modes[] = {
    {"lsb", '\x00'}, {"usb", '\x01'}, {"am", '\x02'},    {"cw", '\x03'},  {"rtty", '\x04'},
    {"fm", '\x05'},  {"cwr", '\x07'}, {"rttyr", '\x08'}, {"psk", '\x12'}, {"pskr", '\x13'}};

constexpr FrequencyRange kIC7300Ranges[] = {{30'000, 74'800'000}};
constexpr FrequencyRange kIC705Ranges[] = {{30'000, 199'999'999}, {400'000'000, 470'000'000}};
constexpr FrequencyRange kIC9700Ranges[] = {
    {144'000'000, 148'000'000}, {430'000'000, 450'000'000}, {1'240'000'000, 1'300'000'000}};
constexpr FrequencyRange kIC7610Ranges[] = {{30'000, 60'000'000}};

constexpr std::array<qint64, 2> kHfStart = {14'074'000, 14'080'000};

const CivRadio kIC7300Civ{
    .address = 0x94,
    .tables = {kIC7300, kIcomCommon},
    .ranges = kIC7300Ranges,
    .startHz = kHfStart,
};

const CivRadio kIC705Civ{
    .address = 0xA4,
    .tables = {kIC705, kIcomCommon},
    .ranges = kIC705Ranges,
    .startHz = kHfStart,
};

// Main on 2 m, sub on 70 cm: an IC-9700 keeps its two receivers on different bands.
const CivRadio kIC9700Civ{
    .address = 0xA2,
    .tables = {kIC9700, kIcomCommon},
    .ranges = kIC9700Ranges,
    .startHz = {144'174'000, 432'174'000},
    .mainAndSub = true,
};

const CivRadio kIC7610Civ{
    .address = 0x98,
    .tables = {kIC7610, kIcomCommon},
    .ranges = kIC7610Ranges,
    .startHz = kHfStart,
    .mainAndSub = true,
};

} // namespace

unsigned icom::selectMode(RadioState &state, int vfo, char mode, int filter)
{
    const unsigned changes =
        state.mode[vfo] != mode || state.filter[vfo] != filter ? unsigned(Mode) : 0u;
    state.mode[vfo] = mode;
    state.filter[vfo] = filter;
    state.widthHz[vfo] = filterWidth(mode, filter);
    if (!takesData(mode))
        state.dataMode[vfo] = false;
    return changes | Width;
}

const CivCommand *CivRadio::find(QByteArrayView body) const
{
    const CivCommand *best = nullptr;
    for (const CivTable &table : tables) {
        for (const CivCommand &c : table) {
            const auto code = QByteArrayView(c.code.data(), qsizetype(c.code.size()));
            if (body.startsWith(code) && (!best || c.code.size() > best->code.size()))
                best = &c;
        }
    }
    return best;
}

bool CivRadio::tunes(qint64 hz) const
{
    return std::any_of(ranges.begin(), ranges.end(),
                       [hz](const FrequencyRange &r) { return hz >= r.lowHz && hz <= r.highHz; });
}

const RadioModel kIcomIC7300{
    .key = "ic7300",
    .name = "Icom IC-7300",
    .family = RigType::Icom,
    .tables = {},
    .error = {},
    .maxHz = 74'800'000,
    .wakesOnPowerCommand = true,
    .reports = {},
    .modes = kHfModes,
    .civ = &kIC7300Civ,
};

const RadioModel kIcomIC705{
    .key = "ic705",
    .name = "Icom IC-705",
    .family = RigType::Icom,
    .tables = {},
    .error = {},
    .maxHz = 470'000'000,
    .wakesOnPowerCommand = true,
    .reports = {},
    .modes = kIC705Modes,
    .civ = &kIC705Civ,
};

const RadioModel kIcomIC9700{
    .key = "ic9700",
    .name = "Icom IC-9700",
    .family = RigType::Icom,
    .tables = {},
    .error = {},
    .maxHz = 1'300'000'000,
    .wakesOnPowerCommand = true,
    .reports = {},
    .modes = kIC9700Modes,
    .civ = &kIC9700Civ,
};

const RadioModel kIcomIC7610{
    .key = "ic7610",
    .name = "Icom IC-7610",
    .family = RigType::Icom,
    .tables = {},
    .error = {},
    .maxHz = 60'000'000,
    .wakesOnPowerCommand = true,
    .reports = {},
    .modes = kIC7610Modes,
    .civ = &kIC7610Civ,
};
