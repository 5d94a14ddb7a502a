#include "outports/output_lines.h"

#include "rig/virtual_rig.h"

OutputLines buildOutputLines(const VirtualRigState &rig)
{
    // VFO A transmits only when the rig said so; with no FT reply yet, VFO B is taken.
    const bool vfoA = rig.get(Entry::FT) == "FT0;";
    const QByteArray &source = rig.get(vfoA ? Entry::FA : Entry::FB);
    OutputLines lines;
    lines.fa = source;
    if (!vfoA)
        lines.fa.replace('B', 'A');
    // Characters 3 to 13 are the frequency; 14 to 38 of the IF reply are the rest of its state.
    lines.info = "IF" + source.mid(2, 11) + rig.get(Entry::IF).mid(13, 25);
    return lines;
}
