#include "shell/shutdown.h"

#include "bridge/bridge.h"
#include "controls/messenger.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"

bool runShutdown(Bridge &bridge, const std::function<void()> &saveConfig)
{
    VirtualPort *ports[] = {&bridge.appPort(1), &bridge.appPort(2), &bridge.appPort(3),
                            &bridge.appPort(4), &bridge.appPort(5), &bridge.sdrPort()};
    for (VirtualPort *port : ports) {
        if (port->IsOpenedByApp()) {
            const bool yes = bridge.messenger().show(
                {QStringLiteral("Error"),
                 QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                                "Do you want to exit anyway ?"),
                 Message::Buttons::YesNo, Message::Icon::Stop});
            if (!yes)
                return false;
        }
        port->ForceDeletePort();
    }
    bridge.rigPort().SetLineB(false);
    bridge.rigPort().SetLineA(false);
    saveConfig();
    return true;
}
