#include "net/cat_family.h"

#include "rig/civ_framing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

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

// The other names Hamlib reads and writes some modes by: rig_strrmode gives "FM-D" for PKTFM.
struct ModeAlias {
    std::string_view alias;
    std::string_view name;
};
constexpr ModeAlias kModeAliases[] = {{"FM-D", "PKTFM"},   {"AM-D", "PKTAM"}, {"USB-D", "PKTUSB"},
                                      {"LSB-D", "PKTLSB"}, {"CW-R", "CWR"},   {"RTTY-R", "RTTYR"}};

// The bytes of a CI-V reply after the `query` it answers ("2600;" for "260001 00 01;"); empty
// when it answers another read or is no hex.
QByteArray civAfter(const QByteArray &reply, std::string_view query)
{
    const QByteArray body = civ::bodyOf(reply);
    const QByteArray head = civ::bodyOf(bytes(query));
    if (head.isEmpty() || body.size() <= head.size() || !body.startsWith(head))
        return {};
    return body.sliced(head.size());
}

} // namespace

const FamilyCaps *catFamily(RigType type)
{
    return type == RigType::None ? nullptr : &familyCaps(type);
}

namespace cat {

QByteArray frequencyQuery(const FamilyCaps &f, char vfo)
{
    return bytes(f.frequencyQueries[vfo == 'B' ? 1 : 0]);
}

QByteArray frequencySetting(const FamilyCaps &f, char vfo, qint64 hz)
{
    const QByteArray head = bytes(f.frequencySets[vfo == 'B' ? 1 : 0]);
    if (f.civ) {
        const QByteArray bcd = hz > 0 ? civ::frequencyBytes(hz) : QByteArray();
        return bcd.isEmpty() ? QByteArray() : head + civ::text(bcd);
    }
    const QByteArray digits = QByteArray::number(hz);
    if (hz <= 0 || digits.size() > f.frequency.digits)
        return {};
    return head + digits.rightJustified(f.frequency.digits, '0') + ';';
}

std::optional<qint64> frequency(const FamilyCaps &f, const QByteArray &reply)
{
    if (f.civ) {
        // The five BCD bytes that end the reply to 03 or 25 00/01 (or the report 00).
        const QByteArray body = civ::bodyOf(reply);
        const bool known = (body.size() == 6 && (body.at(0) == 0x03 || body.at(0) == 0x00)) ||
                           (body.size() == 7 && body.at(0) == 0x25);
        return known ? civ::frequency(QByteArrayView(body).last(5)) : std::nullopt;
    }
    if (reply.size() != 2 + f.frequency.digits + 1 || !reply.startsWith('F') ||
        !reply.endsWith(';'))
        return std::nullopt;
    return digitsAt(reply, 2, 2 + f.frequency.digits);
}

const ModeRow *modeByName(const FamilyCaps &f, std::string_view name)
{
    for (const ModeAlias &a : kModeAliases) {
        if (a.alias == name)
            name = a.name;
    }
    const auto it = std::find_if(f.modes.begin(), f.modes.end(),
                                 [name](const ModeRow &m) { return m.name == name; });
    return it == f.modes.end() ? nullptr : &*it;
}

QList<QByteArray> modeReads(const FamilyCaps &f)
{
    QList<QByteArray> reads{bytes(f.modeQuery)};
    const bool subModes = std::any_of(f.modes.begin(), f.modes.end(),
                                      [](const ModeRow &m) { return m.dataSubMode != 0; });
    if (subModes && !f.dataSubModeQuery.empty())
        reads.append(bytes(f.dataSubModeQuery));
    return reads;
}

const ModeRow *modeOf(const FamilyCaps &f, const QByteArray &mdReply, const QByteArray &dtReply)
{
    if (f.civ) {
        // 26 00 gives mode, data and filter; 04 (no sub-command) mode and filter. Any data mode
        // (an IC-7610's D1 to D3) is the mode's data row.
        const QByteArray after = civAfter(mdReply, f.modeQuery);
        const bool withData = civ::bodyOf(bytes(f.modeQuery)).size() > 1;
        if (after.size() != (withData ? 3 : 2))
            return nullptr;
        const char data = withData && after.at(1) != 0 ? '1' : 0;
        const auto it = std::find_if(f.modes.begin(), f.modes.end(), [&](const ModeRow &m) {
            return m.code == after.at(0) && m.dataSubMode == data;
        });
        return it == f.modes.end() ? nullptr : &*it;
    }
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

QList<QByteArray> modeSettings(const FamilyCaps &f, const ModeRow &mode)
{
    if (f.civ) {
        // Mode, data switch and FIL1, as Hamlib sets them: a radio may not take 26 00 without a
        // filter, and an IC-7300 would take its FIL2 after a mode change. The width follows.
        const char body[] = {char(mode.code), char(mode.dataSubMode ? 1 : 0), 1};
        return {bytes(f.modePrefix) + civ::text(QByteArrayView(body, 3))};
    }
    // A K3 takes the data sub-mode only once it is in a data mode: MD first.
    QList<QByteArray> settings{bytes(f.modePrefix) + mode.code + ';'};
    if (mode.dataSubMode != 0)
        settings.append(QByteArray("DT") + mode.dataSubMode + ';');
    return settings;
}

std::optional<int> width(const FamilyCaps &f, const QByteArray &reply)
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

QByteArray widthSetting(const FamilyCaps &f, int hz)
{
    if (f.width != WidthKind::Bw10Hz || hz <= 0)
        return {};
    const int tens = std::min((hz + 5) / 10, 9999);
    return "BW" + QByteArray::number(tens).rightJustified(4, '0') + ';';
}

const RadioModel &radioModel(const FamilyCaps &f, const QByteArray &idReply)
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
    const auto value =
        valueAfter(reply, rule.query, rule.digits,
                   rule.form != WidthForm::Index && rule.form != WidthForm::HighCut &&
                       rule.form != WidthForm::Table);
    if (!value)
        return std::nullopt;
    const QList<int> widths = numbers(rule.widths);
    switch (rule.form) {
    case WidthForm::Tens:
        return *value * 10;
    case WidthForm::Hertz:
        return *value;
    case WidthForm::Table:
        if (reply.size() == qsizetype(rule.query.size()) + rule.digits && *value < widths.size())
            return widths.at(*value);
        return std::nullopt;
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
        case WidthForm::Table:
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

QByteArray pttQuery(const FamilyCaps &f)
{
    switch (f.pttRead) {
    case PttRead::Tq:
        return "TQ;";
    case PttRead::Tx:
        return "TX;";
    case PttRead::Civ:
        return "1C00;";
    case PttRead::IfFlag:
        break;
    }
    return bytes(f.statusQuery);
}

std::optional<bool> transmitting(const FamilyCaps &f, const QByteArray &reply)
{
    switch (f.pttRead) {
    case PttRead::Civ:
        if (reply == "1C0000;" || reply == "1C0001;")
            return reply.at(5) == '1';
        return std::nullopt;
    case PttRead::Tq:
        if (reply == "TQ0;" || reply == "TQ1;")
            return reply.at(2) == '1';
        return std::nullopt;
    case PttRead::Tx:
        if (reply.size() == 4 && reply.startsWith("TX") && reply.at(2) >= '0' && reply.at(2) <= '2')
            return reply.at(2) != '0';
        return std::nullopt;
    case PttRead::IfFlag:
        if (reply.size() == f.frequency.ifLength && reply.startsWith("IF") &&
            f.frequency.ifTransmitAt >= 0)
            return reply.at(f.frequency.ifTransmitAt) == '1';
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> vfoDigit(const QByteArray &reply, const QByteArray &query)
{
    // "FT1;" after "FT", or the BCD byte "01" after CI-V's "0F".
    const qsizetype head = query.size() - 1;
    if (head < 1 || !startsWith(reply, std::string_view(query.constData(), query.size())))
        return std::nullopt;
    const QByteArray value = reply.sliced(head, reply.size() - head - 1);
    if (value == "0" || value == "00")
        return 0;
    if (value == "1" || value == "01")
        return 1;
    return std::nullopt;
}

std::optional<bool> powerOn(const FamilyCaps &f, const QByteArray &reply)
{
    if (f.civ) // it answers: it is on
        return frequency(f, reply) ? std::optional(true) : std::nullopt;
    if (reply != "PS0;" && reply != "PS1;")
        return std::nullopt;
    return reply.at(2) == '1';
}

std::optional<int> powerWatts(const FamilyCaps &f, const RadioModel &model, const QByteArray &reply)
{
    // An Elecraft in its K22 mode adds a range digit to PC's three.
    const qsizetype head = qsizetype(f.powerLevelQuery.size()) - 1;
    const qsizetype digits = reply.size() - head - 1;
    if (digits != f.powerLevelDigits && (f.civ || digits != f.powerLevelDigits + 1))
        return std::nullopt;
    const auto value = valueAfter(reply, f.powerLevelQuery, f.powerLevelDigits, true);
    if (!value || (f.powerLevelFull > 0 && *value > f.powerLevelFull))
        return std::nullopt;
    if (f.powerLevelFull <= 0)
        return int(*value);
    return int(std::lround(double(*value) * model.maxWatts / f.powerLevelFull));
}

QByteArray powerSetting(const FamilyCaps &f, const RadioModel &model, int watts)
{
    const int most = f.powerLevelFull > 0 ? model.maxWatts : 999;
    if (watts < 0 || watts > most || most <= 0)
        return {};
    const int value = f.powerLevelFull > 0
                          ? int(std::lround(double(watts) * f.powerLevelFull / model.maxWatts))
                          : watts;
    const std::string_view head = f.powerLevelQuery.substr(0, f.powerLevelQuery.size() - 1);
    return bytes(head) + QByteArray::number(value).rightJustified(f.powerLevelDigits, '0') + ';';
}

std::optional<Offset> offset(const FamilyCaps &f, const QByteArray &ifReply)
{
    if (ifReply.size() != f.frequency.ifLength || !ifReply.startsWith("IF"))
        return std::nullopt;
    const char sign = ifReply.at(f.frequency.ifOffsetAt);
    const auto hz = digitsAt(ifReply, f.frequency.ifOffsetAt + 1, f.frequency.ifOffsetAt + 5);
    if (!hz || (sign != '+' && sign != '-'))
        return std::nullopt;
    return Offset{int(sign == '-' ? -*hz : *hz), ifReply.at(f.frequency.ifRitAt) == '1',
                  ifReply.at(f.frequency.ifXitAt) == '1'};
}

QList<QByteArray> offsetSettings(const FamilyCaps &f, int hz)
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

std::optional<int> meterRaw(const FamilyCaps &f, const QByteArray &reply)
{
    const qsizetype head = qsizetype(f.meterQuery.size()) - 1;
    if (!startsWith(reply, f.meterQuery) || reply.size() < head + 2)
        return std::nullopt;
    const auto v = digitsAt(reply, head, reply.size() - 1);
    return v ? std::optional<int>(int(*v)) : std::nullopt;
}

int strengthDb(const FamilyCaps &f, int raw)
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

std::optional<int> pitchHz(const FamilyCaps &f, const QByteArray &reply)
{
    if (f.pitchQuery.empty() || !startsWith(reply, f.pitchQuery) || reply.size() != 5)
        return std::nullopt;
    const auto v = digitsAt(reply, 2, 4);
    return v ? std::optional<int>(f.pitchBase + f.pitchStep * int(*v)) : std::nullopt;
}

QByteArray pitchSetting(const FamilyCaps &f, int hz)
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
