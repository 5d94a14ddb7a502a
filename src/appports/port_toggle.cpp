#include "appports/port_toggle.h"

#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "ports/serial_port.h"
#include "ports/virtual_port.h"

#include <QComboBox>
#include <QPushButton>

void PortToggle::click(SerialPort &rigPort, Messenger &messenger)
{
    if (!rigPort.IsOpened()) {
        messenger.warning(refusal);
        return;
    }
    if (port.IsCreated()) {
        if (port.DeletePort()) {
            button.setText(QStringLiteral("Connect"));
            nameBox.setEnabled(true);
            showPortPath(nameBox, QString());
        } else {
            messenger.warning(QStringLiteral("Port cannot be deleted: the port is open."));
            if (resetAfterRefusedRemoval)
                port.ResetPort();
        }
        return;
    }
    const QString name = nameBox.currentText();
    const bool attached = port.AttachPort(name);
    const bool created = port.CreatePort(name);
    if (attached || created) {
        button.setText(QStringLiteral("Disconnect"));
        nameBox.setEnabled(false);
        showPortPath(nameBox, port.DevicePath());
        AppendToTerminal(terminal, "Published as " + port.DevicePath().toLocal8Bit());
    } else {
        AppendToTerminal(terminal, port.ErrorString().toLocal8Bit());
        messenger.warning(QStringLiteral("Port cannot be created"));
    }
}
