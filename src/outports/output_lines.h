#pragma once

#include "rig/rig_type.h"

#include <QByteArray>

class VirtualRigState;

// The two lines an output port repeats, in the rig's own reply formats: an FA line with the
// frequency of the VFO that transmits, and the rig's last IF reply with that frequency in it. An
// Icom radio has no such lines: it gets the lines of an Elecraft or Kenwood radio, the IF line
// built from its frequency, mode, split and PTT replies.
struct OutputLines {
    QByteArray fa;
    QByteArray info;
};

OutputLines buildOutputLines(const VirtualRigState &rig, RigType type);

// A CI-V frequency reply ("030000704000;") as the FA line of the CAT families
// ("FA00007040000;"); empty when it holds no frequency.
QByteArray frequencyLine(const QByteArray &civReply);
