#pragma once

#include <QByteArray>

class VirtualRigState;

// The two lines an output port repeats: an FA line with the frequency of the VFO that transmits,
// and an IF line made of that frequency and the rest of the rig's last IF reply.
struct OutputLines {
    QByteArray fa;
    QByteArray info;
};

OutputLines buildOutputLines(const VirtualRigState &rig);
