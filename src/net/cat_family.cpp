#include "net/cat_family.h"

#include "controls/version.h"
#include "net/radio_models.h"

#include <QString>

#include <algorithm>
#include <cmath>
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
    {.type = RigType::K3,
     .rigName = "K3",
     .maker = "Elecraft",
     .hamlibModel = 2029,
     .frequency = kElevenDigitLayout,
     .modeQuery = "MD;",
     .modePrefix = "MD",
     .modes = kK3Modes,
     .width = WidthKind::Bw10Hz,
     .pttRead = PttRead::Tq,
     .pttOn = "TX;",
     .pttOff = "RX;",
     .rxVfoQuery = "FR;",
     .txVfoSet = {"FT0;", "FT1;"},
     .ifOffsetAt = 18,
     .ifRitAt = 23,
     .ifXitAt = 24,
     .rit = RitKind::Absolute,
     .ritDigits = 4,
     .meterQuery = "SM;",
     .meter = kElecraftMeter,
     .pitchQuery = "CW;",
     .pitchBase = 0,
     .pitchStep = 10,
     .filters = kK3Filters,
     .maxRit = 9990,
     .preamps = "1",
     .attenuators = "10",
     .models = kK3Models},
    {.type = RigType::Yaesu,
     .rigName = "FT-991",
     .maker = "Yaesu",
     .hamlibModel = 1035,
     .frequency = kYaesuLayout,
     .modeQuery = "MD0;",
     .modePrefix = "MD0",
     .modes = kYaesuModes,
     .width = WidthKind::None,
     .pttRead = PttRead::Tx,
     .pttOn = "TX1;",
     .pttOff = "TX0;",
     .rxVfoQuery = "",
     .txVfoSet = {"FT2;", "FT3;"},
     .ifOffsetAt = 14,
     .ifRitAt = 19,
     .ifXitAt = 20,
     .rit = RitKind::Steps,
     .ritDigits = 4,
     .meterQuery = "SM0;",
     .meter = kYaesuMeter,
     .pitchQuery = "KP;",
     .pitchBase = 300,
     .pitchStep = 10,
     .filters = kYaesuFilters,
     .maxRit = 9999,
     .preamps = "10 20",
     .attenuators = "12",
     .models = kYaesuModels},
    {.type = RigType::Kenwood,
     .rigName = "TS-2000",
     .maker = "Kenwood",
     .hamlibModel = 2014,
     .frequency = kElevenDigitLayout,
     .modeQuery = "MD;",
     .modePrefix = "MD",
     .modes = kKenwoodModes,
     .width = WidthKind::FwHz,
     .pttRead = PttRead::IfFlag,
     .pttOn = "TX;",
     .pttOff = "RX;",
     .rxVfoQuery = "FR;",
     .txVfoSet = {"FT0;", "FT1;"},
     .ifOffsetAt = 18,
     .ifRitAt = 23,
     .ifXitAt = 24,
     .rit = RitKind::Steps,
     .ritDigits = 5,
     .meterQuery = "SM0;",
     .meter = kKenwoodMeter,
     .pitchQuery = "",
     .pitchBase = 0,
     .pitchStep = 0,
     .filters = kKenwoodFilters,
     .maxRit = 9990,
     .preamps = "12",
     .attenuators = "12",
     .models = kKenwoodModels},
    {.type = RigType::K2,
     .rigName = "K2",
     .maker = "Elecraft",
     .hamlibModel = 2021,
     .frequency = kElevenDigitLayout,
     .modeQuery = "MD;",
     .modePrefix = "MD",
     .modes = kK2Modes,
     .width = WidthKind::FwHz,
     .pttRead = PttRead::Tq,
     .pttOn = "TX;",
     .pttOff = "RX;",
     .rxVfoQuery = "FR;",
     .txVfoSet = {"FT0;", "FT1;"},
     .ifOffsetAt = 18,
     .ifRitAt = 23,
     .ifXitAt = 24,
     .rit = RitKind::None,
     .ritDigits = 0,
     .meterQuery = "SM;",
     .meter = kElecraftMeter,
     .pitchQuery = "",
     .pitchBase = 0,
     .pitchStep = 0,
     .filters = kK2Filters,
     .maxRit = 9990,
     .preamps = "",
     .attenuators = "",
     .models = kK2Models},
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

// "USB LSB" holds "USB" but not "US".
bool contains(std::string_view names, std::string_view name)
{
    while (!names.empty()) {
        const auto space = names.find(' ');
        if (names.substr(0, space) == name)
            return true;
        names = space == std::string_view::npos ? std::string_view() : names.substr(space + 1);
    }
    return false;
}

// The numbers of a space-separated list.
QList<int> numbers(std::string_view list)
{
    QList<int> out;
    for (const QByteArray &item : bytes(list).split(' ')) {
        if (!item.isEmpty())
            out.append(item.toInt());
    }
    return out;
}

// The position of the width nearest hz; of two as near, the wider. A 0 stands for the radio's
// default and is never the nearest.
qsizetype nearest(const QList<int> &widths, int hz)
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        if (widths.at(i) == 0)
            continue;
        const int d = std::abs(widths.at(i) - hz);
        if (best < 0 || d < std::abs(widths.at(best) - hz) ||
            (d == std::abs(widths.at(best) - hz) && widths.at(i) > widths.at(best)))
            best = i;
    }
    return std::max<qsizetype>(best, 0);
}

// The number a reply to `query` ends with: its last `digits` digits, or the first `digits`
// after the query's letters when fromStart (a K2 in its extended mode adds digits after the
// width); all of them for 0.
std::optional<qint64> valueAfter(const QByteArray &reply, std::string_view query, int digits,
                                 bool fromStart)
{
    if (!startsWith(reply, query))
        return std::nullopt;
    const qsizetype from = qsizetype(query.size()) - 1;
    const qsizetype to = reply.size() - 1;
    if (digits == 0)
        return digitsAt(reply, from, to);
    if (to - from < digits)
        return std::nullopt;
    return fromStart ? digitsAt(reply, from, from + digits) : digitsAt(reply, to - digits, to);
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

const RadioModel &radioModel(const CatFamily &f, const QByteArray &idReply)
{
    for (const RadioModel &m : f.models) {
        if (QByteArrayView(m.idReply.data(), qsizetype(m.idReply.size())) == idReply)
            return m;
    }
    return f.models.front();
}

const WidthRule *widthRule(const RadioModel &model, std::string_view mode)
{
    for (const WidthRule &rule : model.widths) {
        if (contains(rule.modes, mode))
            return &rule;
    }
    return nullptr;
}

QList<QByteArray> widthReads(const WidthRule &rule)
{
    if (rule.form == WidthForm::Fixed)
        return {};
    if (rule.form == WidthForm::HighCut)
        return {bytes(rule.query), "SL;"};
    return {bytes(rule.query)};
}

std::optional<int> widthOf(const WidthRule &rule, const QByteArray &reply,
                           const QByteArray &lowCutReply)
{
    if (rule.form == WidthForm::Fixed)
        return rule.normal;
    const auto value = valueAfter(reply, rule.query, rule.digits,
                                  rule.form != WidthForm::Index && rule.form != WidthForm::HighCut);
    if (!value)
        return std::nullopt;
    const QList<int> widths = numbers(rule.widths);
    switch (rule.form) {
    case WidthForm::Tens:
        return *value * 10;
    case WidthForm::Hertz:
        return *value;
    case WidthForm::Index:
        if (*value < widths.size())
            return widths.at(*value) == 0 ? rule.normal : widths.at(*value);
        // A TS-480 reports a width it was given in Hz, not an index, as Hz.
        if (const auto hz = valueAfter(reply, rule.query, 0, false); hz && *hz >= 50)
            return int(*hz);
        return std::nullopt;
    case WidthForm::HighCut: {
        const auto low = valueAfter(lowCutReply, "SL;", 2, false);
        const QList<int> lows = numbers(rule.lowCuts);
        if (*value >= widths.size() || !low || *low >= lows.size())
            return std::nullopt;
        return widths.at(*value) - lows.at(*low);
    }
    case WidthForm::Fixed:
        break;
    }
    return std::nullopt;
}

QList<QByteArray> widthSettings(const WidthRule &rule, int hz)
{
    if (rule.form == WidthForm::Fixed)
        return {};
    const QList<int> widths = numbers(rule.widths);
    int value = 0;
    bool narrow = false; // the radio's own default width is a wide one
    if (hz > 0 || rule.form != WidthForm::Index || widths.value(0, -1) != 0) {
        if (hz <= 0)
            hz = rule.normal;
        const int most = int(std::pow(10, rule.digits)) - 1;
        switch (rule.form) {
        case WidthForm::Tens:
            value = std::clamp((hz + 5) / 10, 1, most);
            break;
        case WidthForm::Hertz:
            value = widths.isEmpty() ? std::clamp(hz, 1, most) : widths.at(nearest(widths, hz));
            break;
        case WidthForm::Index:
        case WidthForm::HighCut:
            value = int(nearest(widths, hz));
            break;
        case WidthForm::Fixed:
            break;
        }
        narrow = hz <= rule.narrowMax;
    }
    QList<QByteArray> settings;
    if (!rule.narrow.empty())
        settings.append(bytes(rule.narrow) + (narrow ? "1;" : "0;"));
    settings.append(bytes(rule.command) +
                    QByteArray::number(value).rightJustified(rule.digits, '0') + ';');
    return settings;
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

QByteArray hex(quint64 v)
{
    return "0x" + QByteArray::number(v, 16);
}

// Lines of a description, the Hamlib mode mask at field maskAt cut down to the modes served; a
// line left with none is dropped. With a kind, only the lines that begin with it, less it.
QList<QList<QByteArray>> servedLines(std::string_view text, quint64 served, qsizetype maskAt,
                                     QByteArrayView kind = {})
{
    QList<QList<QByteArray>> lines;
    for (const QByteArray &line : bytes(text).split('\n')) {
        QList<QByteArray> fields = line.simplified().split(' ');
        if (!kind.isEmpty() && fields.takeFirst() != kind)
            continue;
        bool ok = false;
        const quint64 modes = fields.value(maskAt).toULongLong(&ok, 16) & served;
        if (!ok || modes == 0)
            continue;
        fields[maskAt] = hex(modes);
        lines.append(fields);
    }
    return lines;
}

void appendRanges(QByteArray &out, const RadioModel &m, quint64 served, QByteArrayView kind)
{
    for (const QList<QByteArray> &f : servedLines(m.ranges, served, 2, kind)) {
        if (f.size() == 5)
            out += f.at(0) + ".000000 " + f.at(1) + ".000000 " + f.at(2) + ' ' + f.at(3) + ' ' +
                   f.at(4) + ' ' + hex(kVfoAB) + " 0x1\n";
    }
    out += "0 0 0 0 0 0 0\n";
}

// "modes a b c" becomes "modes a", "modes b", "modes c", then the closing "0 0".
void appendLists(QByteArray &out, std::string_view text, quint64 served)
{
    for (const QList<QByteArray> &f : servedLines(text, served, 0)) {
        for (qsizetype i = 1; i < f.size(); ++i)
            out += f.at(0) + ' ' + f.at(i) + '\n';
    }
    out += "0 0\n";
}

QByteArray spaced(std::string_view list)
{
    // "10 20" is written "10 20 ", as rigctld ends each item with a space.
    return list.empty() ? QByteArray() : bytes(list) + ' ';
}

} // namespace

QByteArray dumpState(const CatFamily &f, const RadioModel &m, bool withSettings, int timeoutMs)
{
    const quint64 served = familyModeBits(f);
    const quint64 levels =
        kLevelStrength | kLevelRawStr | (f.pitchQuery.empty() ? 0 : kLevelCwPitch);
    const quint64 setLevels = f.pitchQuery.empty() ? 0 : kLevelCwPitch;
    QByteArray out = "1\n" + QByteArray::number(m.hamlibModel) + "\n0\n";
    appendRanges(out, m, served, "rx");
    appendRanges(out, m, served, "tx");
    appendLists(out, m.steps, served);
    appendLists(out, m.filters, served);
    out += QByteArray::number(m.maxRit) + '\n' + QByteArray::number(m.maxXit) + '\n' +
           QByteArray::number(m.maxIfShift) + "\n0\n";
    out += spaced(m.preamps) + '\n' + spaced(m.attenuators) + '\n';
    out += hex(kFuncRit | kFuncXit) + '\n' + hex(kFuncRit | kFuncXit) + '\n';
    out += hex(levels) + '\n' + hex(setLevels) + "\n0x0\n0x0\n";
    if (withSettings) {
        out += "vfo_ops=0x0\nptt_type=" + hex(quint64(m.pttType)) + "\ntargetable_vfo=0x0\n";
        out += "has_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n";
        out += "has_set_conf=0\nhas_get_conf=0\nhas_power2mW=0\nhas_mW2power=0\n";
        out += "timeout=" + QByteArray::number(timeoutMs) + '\n';
        out += "rig_model=" + QByteArray::number(m.hamlibModel) + '\n';
        out += "rigctld_version=" + QByteArray(kAppTitle) + '\n';
        out += "agc_levels=" + bytes(m.agcLevels) + '\n';
        out += "done\n";
    }
    return out;
}

QByteArray dumpCaps(const CatFamily &f, const RadioModel &m)
{
    const quint64 has = familyModeBits(f);
    QByteArray modes;
    for (const ModeBit &b : kModeBits) {
        if (has & (quint64(1) << b.bit))
            modes += bytes(b.name) + ' ';
    }
    QByteArray out = "Caps dump for model: " + QByteArray::number(m.hamlibModel) + '\n';
    out += "Model name:\t" + bytes(m.name) + "\nMfg name:\t" + bytes(f.maker) + '\n';
    out += "Backend version:\t" + QByteArray(kAppTitle) + "\nRig type:\tTransceiver\n";
    out += QByteArray("PTT type:\t") + (m.pttType == 5 ? "Rig capable (Mic/Data)" : "Rig capable") +
           "\nPort type:\tNetwork link\n";
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
