#include "shell/startup.h"

#include "appports/app_ports.h"
#include "bridge/bridge.h"
#include "controls/frames.h"
#include "controls/version.h"
#include "monitor/published_items.h"
#include "net/network_door.h"
#include "platform/clock.h"
#include "ports/serial_port.h"
#include "rig/rig_reply_handler.h"
#include "shell/config_store.h"
#include "shell/form1.h"
#include "shell/launcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace {

bool isSet(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked; // the grey state counts as set
}

} // namespace

bool runStartup(Form1 &form)
{
    Bridge &bridge = form.bridge();
    const Controls &controls = form.controls();
    form.setWindowTitle(QString::fromLatin1(kAppTitle));
    // The application port name lists ("COM1" to "COM20", "COM99") are filled by the window.
    QComboBox *realLists[] = {controls.rig->ComboPort, controls.outputs[0]->ComboPort,
                              controls.outputs[1]->ComboPort};
    // Listing the machine's ports reads thousands of files under /sys and /dev: once for all three.
    QStringList machinePorts;
    for (int p = 0, count = bridge.rigPort().PortCount(); p < count; ++p)
        machinePorts << bridge.rigPort().PortName(p);
    for (QComboBox *list : realLists) {
        const QString shown = list->currentText();
        list->addItems(machinePorts);
        list->setEditText(shown);
    }

    // The network door listens only once both settings files are read (ovx2.ini, which says
    // whether it does and where, was read with the window); it is on from the first start.
    if (!form.config().LoadConfig()) {
        bridge.network().listenAtStart();
        bridge.xmlRpc().listenAtStart();
        return false;
    }

    bridge.rigPort().SetLineB(false);
    bridge.rigPort().SetLineA(false);
    bridge.outputPort(1).SetMode(QStringLiteral("4800,N,8,1"));
    bridge.outputPort(2).SetMode(QStringLiteral("4800,N,8,1"));
    bridge.rigReplies().ClearBuffer();
    for (int n = 1; n <= 5; ++n)
        bridge.appPorts().ClearBuffer(n);

    if (isSet(controls.rig->chkConnectK3))
        controls.rig->btnOpen->click();
    // Its clients meet a rig already loaded, and it is there before the programs start that
    // may use it.
    bridge.network().listenAtStart();
    bridge.xmlRpc().listenAtStart();
    for (int n = 1; n <= 5; ++n) {
        const AppPortFrame &frame = *controls.appPorts[std::size_t(n - 1)];
        if (isSet(frame.chkConnect)) {
            frame.btnCreatePort->click();
            if (isSet(frame.chkLaunch))
                launchProgram(form.launchPaths()[std::size_t(n - 1)], bridge.terminal(n));
        }
        // The first program gets a moment to open its port before the others start.
        if (n == 1)
            bridge.clock().sleep(500);
    }
    if (isSet(controls.sdr->chkConnect7))
        controls.sdr->btnCreatePort7->click();
    if (isSet(controls.outputs[0]->chkConnect))
        controls.outputs[0]->btnOpen->click();
    if (isSet(controls.outputs[1]->chkConnect))
        controls.outputs[1]->btnOpen->click();
    if (isSet(controls.chkLaunchPSDR))
        launchProgram(form.launchPaths()[5], bridge.terminal(7));
    bridge.items().setTransmitIndicator(QStringLiteral("Off"));
    bridge.timer1().start();
    return true;
}
