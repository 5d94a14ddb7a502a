#include "bridge/bridge.h"
#include "controls/messenger.h"
#include "platform/termination_signals.h"
#include "shell/config_store.h"
#include "shell/form1.h"
#include "shell/shutdown.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

namespace {

// The icon theme's (an installed bridge's), else the sizes built into the program.
QIcon windowIcon()
{
    QIcon builtIn;
    QDirIterator sizes(QStringLiteral(":/icons"), {QStringLiteral("org.orvex.OVX2.png")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (sizes.hasNext())
        builtIn.addFile(sizes.next());
    return QIcon::fromTheme(QStringLiteral("org.orvex.OVX2"), builtIn);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OVX2"));
    // The desktop entry's name: the desktop finds the window's entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvex.OVX2"));
    QApplication::setWindowIcon(windowIcon());
    MessageBoxMessenger messenger;
    Form1 window(messenger);
    messenger.setParent(&window);

    // Logout or Ctrl+C: the same shutdown as closing the window, every question answered Yes,
    // so no port is left published and no setting is lost.
    // A signal during start-up (which lets events run while it connects the rig) waits until
    // start-up is done, so that nothing is created after the ports were removed.
    TerminationSignals termination;
    bool startingUp = true;
    bool stopRequested = false;
    QObject::connect(&termination, &TerminationSignals::received, &window, [&] {
        messenger.answerEverythingYes();
        if (startingUp)
            stopRequested = true;
        else
            window.close();
    });

    runStartup(window);
    startingUp = false;
    if (stopRequested) {
        runShutdown(window.bridge(), [&window] { window.config().SaveConfig(); });
        return 0;
    }
    switch (window.startState()) {
    case 1:
        window.showMinimized();
        break;
    case 2:
        window.showMaximized();
        break;
    default:
        window.show();
        break;
    }
    return app.exec();
}
