#include "net/cat_family.h"

#include "controls/version.h"

#include <QString>

#include <algorithm>
#include <cstdlib>

namespace {

// Hamlib's mode bits, by the names rigctl uses.
struct ModeBit {
    std::string_view name;
    int bit;
};
constexpr std::array<ModeBit, 15> kModeBits{{
    {"AM", 0},
    {"CW", 1},
    {"USB", 2},
    {"LSB", 3},
    {"RTTY", 4},
    {"FM", 5},
    {"WFM", 6},
    {"CWR", 7},
    {"RTTYR", 8},
    {"PKTLSB", 10},
    {"PKTUSB", 11},
    {"PKTFM", 12},
    {"FMN", 21},
    {"AMN", 29},
    {"C4FM", 33},
}};

// K3: DATA (MD6) and DATA-R (MD9) carry the data sub-mode in DT: 0 DATA A, 1 AFSK A, 2 FSK D,
// 3 PSK D. DATA A and PSK D are read as PKTUSB, AFSK A as PKTLSB, FSK D as RTTY (RTTYR on
// DATA-R), as Hamlib's K3 backend reads them. Each mode is set by the first row of its name, so
// that what is set reads back the same.
constexpr std::array<ModeRow, 14> kK3Modes{{
    {"LSB", '1', 0},
    {"USB", '2', 0},
    {"CW", '3', 0},
    {"FM", '4', 0},
    {"AM", '5', 0},
    {"PKTUSB", '6', '0'},
    {"PKTLSB", '6', '1'},
    {"RTTY", '6', '2'},
    {"PKTUSB", '6', '3'},
    {"CWR", '7', 0},
    {"RTTYR", '9', '2'},
    {"PKTUSB", '9', '0'},
    {"PKTLSB", '9', '1'},
    {"PKTUSB", '9', '3'},
}};

constexpr std::array<ModeRow, 6> kK2Modes{{
    {"LSB", '1', 0},
    {"USB", '2', 0},
    {"CW", '3', 0},
    {"RTTY", '6', 0},
    {"CWR", '7', 0},
    {"RTTYR", '9', 0},
}};

// Kenwood's 6 and 9 are FSK and FSK-R.
constexpr std::array<ModeRow, 8> kKenwoodModes{{
    {"LSB", '1', 0},
    {"USB", '2', 0},
    {"CW", '3', 0},
    {"FM", '4', 0},
    {"AM", '5', 0},
    {"RTTY", '6', 0},
    {"CWR", '7', 0},
    {"RTTYR", '9', 0},
}};

// Yaesu's MD0x codes, a hex digit: 3 is CW-U, 7 CW-L, 8 DATA-LSB, C DATA-USB.
constexpr std::array<ModeRow, 14> kYaesuModes{{
    {"LSB", '1', 0},
    {"USB", '2', 0},
    {"CW", '3', 0},
    {"FM", '4', 0},
    {"AM", '5', 0},
    {"RTTY", '6', 0},
    {"CWR", '7', 0},
    {"PKTLSB", '8', 0},
    {"RTTYR", '9', 0},
    {"PKTFM", 'A', 0},
    {"FMN", 'B', 0},
    {"PKTUSB", 'C', 0},
    {"AMN", 'D', 0},
    {"C4FM", 'E', 0},
}};

// S-meter calibrations as Hamlib's backends have them. The Elecraft table is for readings
// 0-15; above it the last point holds.
constexpr std::array<MeterPoint, 16> kElecraftMeter{{{0, -54},
                                                     {1, -42},
                                                     {2, -36},
                                                     {3, -24},
                                                     {4, -12},
                                                     {5, -6},
                                                     {6, 0},
                                                     {7, 10},
                                                     {8, 15},
                                                     {9, 20},
                                                     {10, 30},
                                                     {11, 35},
                                                     {12, 40},
                                                     {13, 50},
                                                     {14, 55},
                                                     {15, 60}}};
constexpr std::array<MeterPoint, 9> kKenwoodMeter{
    {{0, -54}, {3, -48}, {6, -36}, {9, -24}, {12, -12}, {15, 0}, {20, 20}, {25, 40}, {30, 60}}};
constexpr std::array<MeterPoint, 16> kYaesuMeter{{{0, -54},
                                                  {12, -48},
                                                  {27, -42},
                                                  {40, -36},
                                                  {55, -30},
                                                  {65, -24},
                                                  {80, -18},
                                                  {95, -12},
                                                  {112, -6},
                                                  {130, 0},
                                                  {150, 10},
                                                  {172, 20},
                                                  {190, 30},
                                                  {220, 40},
                                                  {240, 50},
                                                  {255, 60}}};

constexpr qint64 kHz = 1000;
constexpr qint64 MHz = 1000000;
constexpr int W = 1000; // mW

constexpr std::array<FreqRange, 2> kK3Rx{
    {{500 * kHz, 30 * MHz, -1, -1}, {48 * MHz, 54 * MHz, -1, -1}}};
constexpr std::array<FreqRange, 1> kK2Rx{{{500 * kHz, 30 * MHz, -1, -1}}};
constexpr std::array<FreqRange, 1> kKenwoodRx{{{30 * kHz, 60 * MHz, -1, -1}}};
constexpr std::array<FreqRange, 3> kYaesuRx{
    {{30 * kHz, 56 * MHz, -1, -1}, {118 * MHz, 164 * MHz, -1, -1}, {420 * MHz, 470 * MHz, -1, -1}}};
// The amateur bands from 160 m to 6 m.
#define OVX2_HF_BANDS(low, high)                                                                   \
    {1800 * kHz, 2000 * kHz, low, high}, {3500 * kHz, 4000 * kHz, low, high},                      \
        {5330500, 5406500, low, high}, {7000 * kHz, 7300 * kHz, low, high},                        \
        {10100 * kHz, 10150 * kHz, low, high}, {14000 * kHz, 14350 * kHz, low, high},              \
        {18068 * kHz, 18168 * kHz, low, high}, {21000 * kHz, 21450 * kHz, low, high},              \
        {24890 * kHz, 24990 * kHz, low, high},                                                     \
    {                                                                                              \
        28000 * kHz, 29700 * kHz, low, high                                                        \
    }
constexpr std::array<FreqRange, 11> kK3Tx{
    {OVX2_HF_BANDS(10, 100 * W), {50 * MHz, 54 * MHz, 10, 100 * W}}};
constexpr std::array<FreqRange, 10> kK2Tx{{OVX2_HF_BANDS(10, 15 * W)}};
constexpr std::array<FreqRange, 11> kKenwoodTx{
    {OVX2_HF_BANDS(5 * W, 100 * W), {50 * MHz, 54 * MHz, 5 * W, 100 * W}}};
constexpr std::array<FreqRange, 13> kYaesuTx{{OVX2_HF_BANDS(5 * W, 100 * W),
                                              {50 * MHz, 54 * MHz, 5 * W, 100 * W},
                                              {144 * MHz, 148 * MHz, 5 * W, 50 * W},
                                              {430 * MHz, 450 * MHz, 5 * W, 50 * W}}};
#undef OVX2_HF_BANDS

constexpr std::array<FilterRow, 9> kK3Filters{{
    {"USB LSB", 2700},
    {"USB LSB", 1800},
    {"USB LSB", 2800},
    {"CW CWR", 500},
    {"CW CWR", 300},
    {"CW CWR", 1000},
    {"RTTY RTTYR PKTUSB PKTLSB", 500},
    {"RTTY RTTYR PKTUSB PKTLSB", 2700},
    {"AM FM", 6000},
}};
constexpr std::array<FilterRow, 4> kK2Filters{{
    {"USB LSB", 2200},
    {"CW CWR", 500},
    {"CW CWR", 250},
    {"RTTY RTTYR", 500},
}};
constexpr std::array<FilterRow, 6> kKenwoodFilters{{
    {"USB LSB", 2400},
    {"CW CWR", 500},
    {"CW CWR", 200},
    {"RTTY RTTYR", 500},
    {"AM", 6000},
    {"FM", 12000},
}};
constexpr std::array<FilterRow, 7> kYaesuFilters{{
    {"USB LSB PKTUSB PKTLSB", 2400},
    {"USB LSB PKTUSB PKTLSB", 1800},
    {"CW CWR RTTY RTTYR", 500},
    {"CW CWR RTTY RTTYR", 2400},
    {"AM", 6000},
    {"FM PKTFM C4FM", 16000},
    {"FMN AMN", 9000},
}};

// One row per family. Elecraft and Kenwood write frequencies in 11 digits and share the
// 38-character IF line; Yaesu writes 9 digits, keys with TX1/TX0 and has a 28-character IF line.
// A K3 and a K2 report transmit in TQ, a Kenwood only in IF. The FT-991 reads the transmit VFO
// with FT0/FT1 but sets it with FT2/FT3 (FT0/FT1 toggle on some models).
constexpr std::array<CatFamily, 4> kFamilies{{
    {RigType::K3,
     "K3",
     "Elecraft",
     2029,
     kElevenDigitLayout,
     "MD;",
     "MD",
     kK3Modes,
     WidthKind::Bw10Hz,
     PttRead::Tq,
     "TX;",
     "RX;",
     "FR;",
     {"FT0;", "FT1;"},
     18,
     23,
     24,
     RitKind::Absolute,
     4,
     "SM;",
     kElecraftMeter,
     "CW;",
     0,
     10,
     kK3Rx,
     kK3Tx,
     kK3Filters,
     9990,
     "1",
     "10"},
    {RigType::Yaesu,
     "FT-991",
     "Yaesu",
     1035,
     kYaesuLayout,
     "MD0;",
     "MD0",
     kYaesuModes,
     WidthKind::None,
     PttRead::Tx,
     "TX1;",
     "TX0;",
     "",
     {"FT2;", "FT3;"},
     14,
     19,
     20,
     RitKind::Steps,
     4,
     "SM0;",
     kYaesuMeter,
     "KP;",
     300,
     10,
     kYaesuRx,
     kYaesuTx,
     kYaesuFilters,
     9999,
     "10 20",
     "12"},
    {RigType::Kenwood,
     "TS-2000",
     "Kenwood",
     2014,
     kElevenDigitLayout,
     "MD;",
     "MD",
     kKenwoodModes,
     WidthKind::FwHz,
     PttRead::IfFlag,
     "TX;",
     "RX;",
     "FR;",
     {"FT0;", "FT1;"},
     18,
     23,
     24,
     RitKind::Steps,
     5,
     "SM0;",
     kKenwoodMeter,
     "",
     0,
     0,
     kKenwoodRx,
     kKenwoodTx,
     kKenwoodFilters,
     9990,
     "12",
     "12"},
    {RigType::K2,
     "K2",
     "Elecraft",
     2021,
     kElevenDigitLayout,
     "MD;",
     "MD",
     kK2Modes,
     WidthKind::FwHz,
     PttRead::Tq,
     "TX;",
     "RX;",
     "FR;",
     {"FT0;", "FT1;"},
     18,
     23,
     24,
     RitKind::None,
     0,
     "SM;",
     kElecraftMeter,
     "",
     0,
     0,
     kK2Rx,
     kK2Tx,
     kK2Filters,
     9990,
     "",
     ""},
}};

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

bool startsWith(const QByteArray &reply, std::string_view query)
{
    // "MD0;" asks for what an "MD0..." reply holds.
    const std::string_view head = query.substr(0, query.size() - 1);
    return reply.endsWith(';') &&
           reply.startsWith(QByteArrayView(head.data(), qsizetype(head.size())));
}

// The digits of a reply between from and to (exclusive), all of them digits.
std::optional<qint64> digitsAt(const QByteArray &reply, qsizetype from, qsizetype to)
{
    if (from >= to || to > reply.size())
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = from; i < to; ++i) {
        const char c = reply.at(i);
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

const CatFamily *catFamily(RigType type)
{
    for (const CatFamily &f : kFamilies) {
        if (f.type == type)
            return &f;
    }
    return nullptr;
}

quint64 hamlibModeBit(std::string_view name)
{
    for (const ModeBit &m : kModeBits) {
        if (m.name == name)
            return quint64(1) << m.bit;
    }
    return 0;
}

quint64 modeBits(std::string_view names)
{
    quint64 bits = 0;
    while (!names.empty()) {
        const auto space = names.find(' ');
        bits |= hamlibModeBit(names.substr(0, space));
        names = space == std::string_view::npos ? std::string_view() : names.substr(space + 1);
    }
    return bits;
}

quint64 familyModeBits(const CatFamily &family)
{
    quint64 bits = 0;
    for (const ModeRow &m : family.modes)
        bits |= hamlibModeBit(m.name);
    return bits;
}

namespace cat {

QByteArray frequencySetting(const CatFamily &f, char vfo, qint64 hz)
{
    return QByteArray("F") + vfo + QByteArray::number(hz).rightJustified(f.frequency.digits, '0') +
           ';';
}

std::optional<qint64> frequency(const CatFamily &f, const QByteArray &reply)
{
    if (reply.size() != 2 + f.frequency.digits + 1 || !reply.startsWith('F') ||
        !reply.endsWith(';'))
        return std::nullopt;
    return digitsAt(reply, 2, 2 + f.frequency.digits);
}

const ModeRow *modeByName(const CatFamily &f, std::string_view name)
{
    const auto it = std::find_if(f.modes.begin(), f.modes.end(),
                                 [name](const ModeRow &m) { return m.name == name; });
    return it == f.modes.end() ? nullptr : &*it;
}

const ModeRow *modeOf(const CatFamily &f, const QByteArray &mdReply, const QByteArray &dtReply)
{
    const qsizetype at = qsizetype(f.modePrefix.size());
    if (!startsWith(mdReply, f.modeQuery) || mdReply.size() != at + 2)
        return nullptr;
    const char code = mdReply.at(at);
    const char sub = dtReply.size() == 4 && dtReply.startsWith("DT") ? dtReply.at(2) : 0;
    const ModeRow *first = nullptr;
    for (const ModeRow &m : f.modes) {
        if (m.code != code)
            continue;
        if (m.dataSubMode == 0 || m.dataSubMode == sub)
            return &m;
        if (!first)
            first = &m; // the sub-mode is unknown: the code's first row
    }
    return first;
}

QList<QByteArray> modeSettings(const CatFamily &f, const ModeRow &mode)
{
    // A K3 takes the data sub-mode only once it is in a data mode: MD first.
    QList<QByteArray> settings{bytes(f.modePrefix) + mode.code + ';'};
    if (mode.dataSubMode != 0)
        settings.append(QByteArray("DT") + mode.dataSubMode + ';');
    return settings;
}

std::optional<int> width(const CatFamily &f, const QByteArray &reply)
{
    switch (f.width) {
    case WidthKind::Bw10Hz:
        if (reply.size() == 7 && reply.startsWith("BW"))
            if (const auto v = digitsAt(reply, 2, 6))
                return int(*v * 10);
        return std::nullopt;
    case WidthKind::FwHz:
        if (reply.size() >= 7 && reply.startsWith("FW"))
            if (const auto v = digitsAt(reply, 2, 6))
                return int(*v);
        return std::nullopt;
    case WidthKind::None:
        break;
    }
    return std::nullopt;
}

QByteArray widthSetting(const CatFamily &f, int hz)
{
    if (f.width != WidthKind::Bw10Hz || hz <= 0)
        return {};
    const int tens = std::min((hz + 5) / 10, 9999);
    return "BW" + QByteArray::number(tens).rightJustified(4, '0') + ';';
}

std::optional<bool> transmitting(const CatFamily &f, const QByteArray &reply)
{
    switch (f.pttRead) {
    case PttRead::Tq:
        if (reply == "TQ0;" || reply == "TQ1;")
            return reply.at(2) == '1';
        return std::nullopt;
    case PttRead::Tx:
        if (reply.size() == 4 && reply.startsWith("TX") && reply.at(2) >= '0' && reply.at(2) <= '2')
            return reply.at(2) != '0';
        return std::nullopt;
    case PttRead::IfFlag:
        if (reply.size() == f.frequency.ifLength && reply.startsWith("IF"))
            return reply.at(28) == '1';
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> vfoDigit(const QByteArray &reply)
{
    if (reply.size() == 4 && (reply.at(2) == '0' || reply.at(2) == '1') && reply.endsWith(';'))
        return reply.at(2) - '0';
    return std::nullopt;
}

std::optional<Offset> offset(const CatFamily &f, const QByteArray &ifReply)
{
    if (ifReply.size() != f.frequency.ifLength || !ifReply.startsWith("IF"))
        return std::nullopt;
    const char sign = ifReply.at(f.ifOffsetAt);
    const auto hz = digitsAt(ifReply, f.ifOffsetAt + 1, f.ifOffsetAt + 5);
    if (!hz || (sign != '+' && sign != '-'))
        return std::nullopt;
    return Offset{int(sign == '-' ? -*hz : *hz), ifReply.at(f.ifRitAt) == '1',
                  ifReply.at(f.ifXitAt) == '1'};
}

QList<QByteArray> offsetSettings(const CatFamily &f, int hz)
{
    const QByteArray digits = QByteArray::number(std::abs(hz)).rightJustified(f.ritDigits, '0');
    switch (f.rit) {
    case RitKind::Absolute:
        if (hz == 0)
            return {"RC;"};
        return {"RO" + QByteArray(hz < 0 ? "-" : "+") + digits + ';'};
    case RitKind::Steps:
        // One move from zero: a count of single steps would be merged in the rig queue.
        if (hz == 0)
            return {"RC;"};
        return {"RC;", (hz < 0 ? "RD" : "RU") + digits + ';'};
    case RitKind::None:
        break;
    }
    return {};
}

std::optional<int> meterRaw(const CatFamily &f, const QByteArray &reply)
{
    const qsizetype head = qsizetype(f.meterQuery.size()) - 1;
    if (!startsWith(reply, f.meterQuery) || reply.size() < head + 2)
        return std::nullopt;
    const auto v = digitsAt(reply, head, reply.size() - 1);
    return v ? std::optional<int>(int(*v)) : std::nullopt;
}

int strengthDb(const CatFamily &f, int raw)
{
    const auto &cal = f.meter;
    if (raw <= cal.front().raw)
        return cal.front().db;
    for (std::size_t i = 1; i < cal.size(); ++i) {
        if (raw <= cal[i].raw) {
            const MeterPoint &a = cal[i - 1];
            const MeterPoint &b = cal[i];
            return a.db + (raw - a.raw) * (b.db - a.db) / (b.raw - a.raw);
        }
    }
    return cal.back().db;
}

std::optional<int> pitchHz(const CatFamily &f, const QByteArray &reply)
{
    if (f.pitchQuery.empty() || !startsWith(reply, f.pitchQuery) || reply.size() != 5)
        return std::nullopt;
    const auto v = digitsAt(reply, 2, 4);
    return v ? std::optional<int>(f.pitchBase + f.pitchStep * int(*v)) : std::nullopt;
}

QByteArray pitchSetting(const CatFamily &f, int hz)
{
    if (f.pitchQuery.empty() || f.pitchStep == 0)
        return {};
    const int value = (hz - f.pitchBase + f.pitchStep / 2) / f.pitchStep;
    if (value < 0 || value > 99)
        return {};
    return bytes(f.pitchQuery.substr(0, 2)) + QByteArray::number(value).rightJustified(2, '0') +
           ';';
}

} // namespace cat

namespace {

// Hamlib's level and function bits that the server serves.
constexpr quint64 kLevelCwPitch = quint64(1) << 11;
constexpr quint64 kLevelRawStr = quint64(1) << 26;
constexpr quint64 kLevelStrength = quint64(1) << 30;
constexpr quint64 kFuncRit = quint64(1) << 24;
constexpr quint64 kFuncXit = quint64(1) << 31;
constexpr unsigned kVfoAB = 0x3;
constexpr int kPttRig = 1;

QByteArray hex(quint64 v)
{
    return "0x" + QByteArray::number(v, 16);
}

void appendRanges(QByteArray &out, std::span<const FreqRange> ranges, quint64 modes)
{
    for (const FreqRange &r : ranges) {
        out += QByteArray::number(r.start) + ".000000 " + QByteArray::number(r.end) + ".000000 " +
               hex(modes) + ' ' + QByteArray::number(r.lowPowerMw) + ' ' +
               QByteArray::number(r.highPowerMw) + ' ' + hex(kVfoAB) + " 0x1\n";
    }
    out += "0 0 0 0 0 0 0\n";
}

QByteArray spaced(std::string_view list)
{
    // "10 20" is written "10 20 ", as rigctld ends each item with a space.
    return list.empty() ? QByteArray() : bytes(list) + ' ';
}

} // namespace

QByteArray dumpState(const CatFamily &f, bool withSettings, int timeoutMs)
{
    const quint64 modes = familyModeBits(f);
    const quint64 levels =
        kLevelStrength | kLevelRawStr | (f.pitchQuery.empty() ? 0 : kLevelCwPitch);
    const quint64 setLevels = f.pitchQuery.empty() ? 0 : kLevelCwPitch;
    QByteArray out = "1\n" + QByteArray::number(f.hamlibModel) + "\n0\n";
    appendRanges(out, f.rxRanges, modes);
    appendRanges(out, f.txRanges, modes);
    out += hex(modes) + " 1\n0 0\n";
    for (const FilterRow &row : f.filters)
        out += hex(modeBits(row.modes)) + ' ' + QByteArray::number(row.width) + '\n';
    out += "0 0\n";
    const QByteArray maxRit = QByteArray::number(f.maxRit) + '\n';
    out += maxRit + maxRit + "0\n0\n";
    out += spaced(f.preamps) + '\n' + spaced(f.attenuators) + '\n';
    out += hex(kFuncRit | kFuncXit) + '\n' + hex(kFuncRit | kFuncXit) + '\n';
    out += hex(levels) + '\n' + hex(setLevels) + "\n0x0\n0x0\n";
    if (withSettings) {
        out += "vfo_ops=0x0\nptt_type=" + hex(kPttRig) + "\ntargetable_vfo=0x0\n";
        out += "has_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n";
        out += "has_set_conf=0\nhas_get_conf=0\nhas_power2mW=0\nhas_mW2power=0\n";
        out += "timeout=" + QByteArray::number(timeoutMs) + '\n';
        out += "rig_model=" + QByteArray::number(f.hamlibModel) + '\n';
        out += "rigctld_version=" + QByteArray(kAppTitle) + '\n';
        out += "done\n";
    }
    return out;
}

QByteArray dumpCaps(const CatFamily &f)
{
    const quint64 has = familyModeBits(f);
    QByteArray modes;
    for (const ModeBit &m : kModeBits) {
        if (has & (quint64(1) << m.bit))
            modes += bytes(m.name) + ' ';
    }
    QByteArray out = "Caps dump for model: " + QByteArray::number(f.hamlibModel) + '\n';
    out += "Model name:\t" + bytes(f.rigName) + "\nMfg name:\t" + bytes(f.maker) + '\n';
    out += "Backend version:\t" + QByteArray(kAppTitle) + "\nRig type:\tTransceiver\n";
    out += "PTT type:\tRig capable\nPort type:\tNetwork link\n";
    out += "Max RIT: -" + QByteArray::number(f.maxRit) + "Hz/+" + QByteArray::number(f.maxRit) +
           "Hz\n";
    out += "Get functions: RIT XIT \nSet functions: RIT XIT \n";
    out +=
        QByteArray("Get level: STRENGTH RAWSTR ") + (f.pitchQuery.empty() ? "" : "CWPITCH ") + '\n';
    out += QByteArray("Set level: ") + (f.pitchQuery.empty() ? "" : "CWPITCH ") + '\n';
    out += "Mode list: " + modes + "\nVFO list: VFOA VFOB \n";
    out += "Can set Frequency:\tY\nCan get Frequency:\tY\nCan set Mode:\tY\nCan get Mode:\tY\n";
    out += "Can set VFO:\tY\nCan get VFO:\tY\nCan set PTT:\tY\nCan get PTT:\tY\n";
    out += "Can set Split Freq:\tY\nCan get Split Freq:\tY\nCan set Split VFO:\tY\n";
    out += "Can get Split VFO:\tY\nCan set RIT:\t";
    out += f.rit == RitKind::None ? "N" : "Y";
    out += "\nCan get RIT:\tY\nCan set Power Stat:\tY\nCan get Power Stat:\tY\n";
    return out;
}
