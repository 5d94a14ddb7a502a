#include "outports/output_lines.h"

#include "rig/cat_dialect.h"
#include "rig/civ_framing.h"
#include "rig/virtual_rig.h"

namespace {

// Icom's mode byte and the MD digit of the same mode; anything else reads as USB.
constexpr std::pair<quint8, char> kCivModes[] = {{0x00, '1'}, {0x01, '2'}, {0x02, '5'},
                                                 {0x03, '3'}, {0x04, '6'}, {0x05, '4'},
                                                 {0x07, '7'}, {0x08, '9'}};

// The last data byte of a CI-V reply kept as text ("0F01;": 1), or -1.
int lastByte(const QByteArray &reply, qsizetype from)
{
    const QByteArray body = civ::bodyOf(reply);
    return body.size() > from ? quint8(body.back()) : -1;
}

OutputLines civOutputLines(const VirtualRigState &rig)
{
    const bool split = lastByte(rig.get(Entry::CivSplit), 1) == 1;
    const QByteArray fa =
        frequencyLine(split ? "03" + rig.get(Entry::CivFreqUnsel).mid(4) : rig.get(Entry::CivFreq));
    if (fa.isEmpty())
        return {};
    const QByteArray mode = civ::bodyOf(rig.get(Entry::CivMode));
    char md = '2';
    for (const auto &[code, digit] : kCivModes) {
        if (mode.size() > 1 && quint8(mode[1]) == code)
            md = digit;
    }
    const char tx = lastByte(rig.get(Entry::CivPtt), 2) == 1 ? '1' : '0';
    // IF, frequency, five blanks, RIT/XIT offset and both off, memory 00, TX, mode, VFO A, no
    // scan, split, no tone.
    OutputLines lines;
    lines.fa = fa;
    lines.info =
        "IF" + fa.mid(2, 11) + "     +000000000" + tx + md + "00" + (split ? '1' : '0') + "000 ;";
    return lines;
}

} // namespace

QByteArray frequencyLine(const QByteArray &civReply)
{
    const QByteArray body = civ::bodyOf(civReply);
    const std::optional<qint64> hz =
        body.size() == 6 ? civ::frequency(QByteArrayView(body).sliced(1)) : std::nullopt;
    return hz ? "FA" + QByteArray::number(*hz).rightJustified(11, '0') + ';' : QByteArray();
}

OutputLines buildOutputLines(const VirtualRigState &rig, RigType type)
{
    if (catDialect(type).civ)
        return civOutputLines(rig);
    // VFO A transmits only when the rig said so; with no FT reply yet, VFO B is taken.
    const bool vfoA = rig.get(Entry::FT) == "FT0;";
    const QByteArray &source = rig.get(vfoA ? Entry::FA : Entry::FB);
    OutputLines lines;
    lines.fa = source;
    if (!vfoA)
        lines.fa.replace('B', 'A');
    // The rig's last IF reply with the transmit frequency in its frequency field; a part that a
    // reply is too short to supply gives what is there.
    const FrequencyLayout &at = catDialect(type).frequency;
    const QByteArray &info = rig.get(Entry::IF);
    const int after = at.ifFrequencyAt + at.digits;
    lines.info = "IF" + info.mid(2, at.ifFrequencyAt - 2) + source.mid(2, at.digits) +
                 info.mid(after, at.ifLength - after);
    return lines;
}
