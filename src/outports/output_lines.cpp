#include "outports/output_lines.h"

#include "rig/virtual_rig.h"

namespace {

// Where an IF reply holds the frequency. An Elecraft or Kenwood reply carries 11 digits right
// after "IF", 38 characters in all; a Yaesu reply carries 9 digits after its 3-digit memory
// channel, 28 characters in all. With no rig type chosen the line is built as for a K3.
struct InfoLayout {
    RigType type;
    int frequencyAt;
    int digits;
    int length;
};
constexpr InfoLayout kInfoLayouts[] = {
    {RigType::K3, 2, 11, 38},
    {RigType::Yaesu, 5, 9, 28},
    {RigType::Kenwood, 2, 11, 38},
    {RigType::K2, 2, 11, 38},
};

const InfoLayout &layoutOf(RigType type)
{
    for (const InfoLayout &layout : kInfoLayouts) {
        if (layout.type == type)
            return layout;
    }
    return kInfoLayouts[0];
}

} // namespace

OutputLines buildOutputLines(const VirtualRigState &rig, RigType type)
{
    // VFO A transmits only when the rig said so; with no FT reply yet, VFO B is taken.
    const bool vfoA = rig.get(Entry::FT) == "FT0;";
    const QByteArray &source = rig.get(vfoA ? Entry::FA : Entry::FB);
    OutputLines lines;
    lines.fa = source;
    if (!vfoA)
        lines.fa.replace('B', 'A');
    // The rig's last IF reply with the transmit frequency in its frequency field; a part that a
    // reply is too short to supply gives what is there.
    const InfoLayout &at = layoutOf(type);
    const QByteArray &info = rig.get(Entry::IF);
    const int after = at.frequencyAt + at.digits;
    lines.info = "IF" + info.mid(2, at.frequencyAt - 2) + source.mid(2, at.digits) +
                 info.mid(after, at.length - after);
    return lines;
}
