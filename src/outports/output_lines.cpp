#include "outports/output_lines.h"

#include "rig/cat_dialect.h"
#include "rig/virtual_rig.h"

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
    const FrequencyLayout &at = catDialect(type).frequency;
    const QByteArray &info = rig.get(Entry::IF);
    const int after = at.ifFrequencyAt + at.digits;
    lines.info = "IF" + info.mid(2, at.ifFrequencyAt - 2) + source.mid(2, at.digits) +
                 info.mid(after, at.ifLength - after);
    return lines;
}
