#include "bridge/bridge.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "platform/termination_signals.h"
#include "shell/config_store.h"
#include "shell/form1.h"
#include "shell/settings_lock.h"
#include "shell/shutdown.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QPointer>

#include <cstdio>

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

    // Logout or Ctrl+C: the same shutdown as closing the window, every question answered Yes and
    // a box open now closed, so no port is left published and no setting is lost.
    // A signal during start-up (which lets events run while it connects the rig) waits until
    // start-up is done, so that nothing is created after the ports were removed. Once the window
    // is up it is closed after the box the signal closed has returned.
    TerminationSignals termination;
    QPointer<Form1> window;
    bool startingUp = true;
    bool stopRequested = false;
    QObject::connect(&termination, &TerminationSignals::received, &app, [&] {
        messenger.answerEverythingYes();
        if (startingUp || !window)
            stopRequested = true;
        else
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    });

    const QString configPath = ConfigStore::defaultPath();
    SettingsLock lock(configPath);
    const SettingsLock::Outcome locked = lock.lock();
    if (!lock.message().isEmpty()) {
        std::fprintf(stderr, "OVX2: %s\n", qPrintable(lock.message()));
        std::fflush(stderr);
    }
    if (locked == SettingsLock::Outcome::HeldElsewhere) {
        messenger.warning(lock.message());
        return 1;
    }

    Form1 form(messenger, configPath);
    // A stale lock removed, or settings left unguarded, are said where the start says things.
    if (!lock.message().isEmpty())
        AppendToTerminal(form.bridge().terminal(0), lock.message().toLocal8Bit());
    window = &form;
    messenger.setParent(&form);
    runStartup(form);
    startingUp = false;
    if (stopRequested) {
        runShutdown(form.bridge(), [&form] { form.config().SaveConfig(); });
        return 0;
    }
    switch (form.startState()) {
    case 1:
        form.showMinimized();
        break;
    case 2:
        form.showMaximized();
        break;
    default:
        form.show();
        break;
    }
    return app.exec();
}
