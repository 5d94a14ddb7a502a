#include "shell/option_coupling.h"

#include "controls/frames.h"

#include <QCheckBox>

namespace {

QCheckBox *box(AppPortFrame &frame, PortBox which)
{
    switch (which) {
    case PortBox::AutoConnect:
        return frame.chkConnect;
    case PortBox::AutoLaunch:
        return frame.chkLaunch;
    case PortBox::AI1:
        return frame.chkAI1;
    case PortBox::AI2:
        return frame.chkAI2;
    }
    return nullptr;
}

} // namespace

void coupleBoxes(AppPortFrame &frame)
{
    for (PortBox which : {PortBox::AutoConnect, PortBox::AutoLaunch, PortBox::AI1, PortBox::AI2}) {
        QCheckBox *source = box(frame, which);
        QObject::connect(source, &QCheckBox::stateChanged, source, [&frame, which, source] {
            const int value = boxValue(source);
            for (const CouplingRule &rule : kCoupling) {
                if (rule.when == which && rule.becomes == value)
                    box(frame, rule.target)->setCheckState(rule.set ? Qt::Checked : Qt::Unchecked);
            }
        });
    }
}
