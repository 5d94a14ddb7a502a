#pragma once

#include "rig/rig_type.h"

#include <QByteArray>

class VirtualRigState;

// The two lines an output port repeats, in the rig's own reply formats: an FA line with the
// frequency of the VFO that transmits, and the rig's last IF reply with that frequency in it.
struct OutputLines {
    QByteArray fa;
    QByteArray info;
};

OutputLines buildOutputLines(const VirtualRigState &rig, RigType type);
