#include "shell/startup.h"

#include "appports/app_ports.h"
#include "appports/sdr_port.h"
#include "monitor/published_items.h"
#include "ports/serial_port.h"
#include "rig/rig_reply_handler.h"
#include "shell/config_store.h"
#include "shell/form1.h"
#include "shell/frames.h"
#include "shell/version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>

void launchProgram(const QString &commandLine)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return;
    QProcess::startDetached(words.first(), words.mid(1));
}

namespace {

bool isSet(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked; // the grey state counts as set
}

} // namespace

bool runStartup(Form1 &form)
{
    form.setWindowTitle(QString::fromLatin1(kAppTitle));
    // The application port name lists ("COM1" to "COM20", "COM99") are filled by the window.
    QComboBox *realLists[] = {form.rigFrame().ComboPort, form.outputFrame(1).ComboPort,
                              form.outputFrame(2).ComboPort};
    SerialPort *realPorts[] = {&form.rigPort(), &form.outputPort(1), &form.outputPort(2)};
    for (int i = 0; i < 3; ++i) {
        const QString shown = realLists[i]->currentText();
        for (int p = 0; p < realPorts[i]->PortCount(); ++p)
            realLists[i]->addItem(realPorts[i]->PortName(p));
        realLists[i]->setEditText(shown);
    }

    if (!form.config().LoadConfig())
        return false;

    form.rigPort().SetLineB(false);
    form.rigPort().SetLineA(false);
    form.outputPort(1).SetMode(QStringLiteral("4800,N,8,1"));
    form.outputPort(2).SetMode(QStringLiteral("4800,N,8,1"));
    form.rigReplies().ClearBuffer();
    for (int n = 1; n <= 5; ++n)
        form.appPorts().ClearBuffer(n);

    if (isSet(form.rigFrame().chkConnectK3))
        form.rigFrame().btnOpen->click();
    for (int n = 1; n <= 5; ++n) {
        AppPortFrame &frame = form.appFrame(n);
        if (isSet(frame.chkConnect)) {
            frame.btnCreatePort->click();
            if (isSet(frame.chkLaunch))
                launchProgram(form.launchPaths()[std::size_t(n - 1)]);
        }
        // The first program gets a moment to open its port before the others start.
        if (n == 1)
            QThread::msleep(500);
    }
    if (isSet(form.sdrFrame().chkConnect7))
        form.sdrFrame().btnCreatePort7->click();
    if (isSet(form.outputFrame(1).chkConnect))
        form.outputFrame(1).btnOpen->click();
    if (isSet(form.outputFrame(2).chkConnect))
        form.outputFrame(2).btnOpen->click();
    if (isSet(form.chkLaunchPSDR()))
        launchProgram(form.launchPaths()[5]);
    form.items().setTransmitIndicator(QStringLiteral("Off"));
    form.timer1().start();
    return true;
}
