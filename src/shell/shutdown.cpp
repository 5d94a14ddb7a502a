#include "shell/shutdown.h"

#include "ports/serial_port.h"
#include "ports/virtual_port.h"
#include "shell/form1.h"
#include "shell/messenger.h"

bool runShutdown(Form1 &form)
{
    VirtualPort *ports[] = {&form.appPort(1), &form.appPort(2), &form.appPort(3),
                            &form.appPort(4), &form.appPort(5), &form.sdrPort()};
    for (VirtualPort *port : ports) {
        if (port->IsOpenedByApp()) {
            const bool yes = form.messenger().show(
                {QStringLiteral("Error"),
                 QStringLiteral("Virtual Serial Port is still used by other application\r\n"
                                "Do you want to exit anyway ?"),
                 Message::Buttons::YesNo, Message::Icon::Stop});
            if (!yes)
                return false;
        }
        port->ForceDeletePort();
    }
    form.rigPort().SetLineB(false);
    form.rigPort().SetLineA(false);
    form.SaveConfig();
    return true;
}
