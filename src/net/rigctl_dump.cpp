#include "controls/version.h"
#include "net/rigctl_protocol.h"
#include "rig/family_caps.h"

// rigctld's descriptions of the rig, from its family's record and its radio's.

namespace rigctl {

namespace {

// Hamlib's mode bits, by the names rigctl uses.
struct ModeBit {
    std::string_view name;
    int bit;
};
constexpr ModeBit kModeBits[] = {
    {"AM", 0},      {"CW", 1},     {"USB", 2},   {"LSB", 3},    {"RTTY", 4},
    {"FM", 5},      {"WFM", 6},    {"CWR", 7},   {"RTTYR", 8},  {"PKTLSB", 10},
    {"PKTUSB", 11}, {"PKTFM", 12}, {"FMN", 21},  {"PKTAM", 22}, {"D-STAR", 24},
    {"AMN", 29},    {"PSK", 30},   {"PSKR", 31}, {"DD", 32},    {"C4FM", 33},
};

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

quint64 familyModeBits(const FamilyCaps &family)
{
    quint64 bits = 0;
    for (const ModeRow &m : family.modes)
        bits |= hamlibModeBit(m.name);
    return bits;
}

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

quint64 hamlibModeBit(std::string_view name)
{
    for (const ModeBit &m : kModeBits) {
        if (m.name == name)
            return quint64(1) << m.bit;
    }
    return 0;
}

QByteArray dumpState(const FamilyCaps &f, const RadioModel &m, bool withSettings, int timeoutMs)
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
    const quint64 funcs = f.statusQuery.empty() ? 0 : kFuncRit | kFuncXit;
    out += hex(funcs) + '\n' + hex(funcs) + '\n';
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

QByteArray dumpCaps(const FamilyCaps &f, const RadioModel &m)
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
    const QByteArray funcs = f.statusQuery.empty() ? "" : "RIT XIT ";
    out += "Get functions: " + funcs + "\nSet functions: " + funcs + '\n';
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

} // namespace rigctl
