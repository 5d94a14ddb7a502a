#include "appports/port_toggle.h"

#include "monitor/terminal_model.h"
#include "platform/messenger.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"

void togglePublished(const Publishing &p, SerialPort &rigPort, Messenger &messenger)
{
    if (!rigPort.IsOpened()) {
        messenger.warning(p.refusal);
        return;
    }
    if (p.port.IsCreated()) {
        if (!p.port.DeletePort()) {
            messenger.warning(QStringLiteral("Port cannot be deleted: the port is open."));
            if (p.resetAfterRefusedRemoval)
                p.port.ResetPort();
        }
        return;
    }
    const bool attached = p.port.AttachPort(p.name);
    const bool created = p.port.CreatePort(p.name);
    if (attached || created) {
        AppendToTerminal(p.terminal, "Published as " + p.port.DevicePath().toLocal8Bit());
    } else {
        AppendToTerminal(p.terminal, p.port.ErrorString().toLocal8Bit());
        messenger.warning(QStringLiteral("Port cannot be created"));
    }
}
