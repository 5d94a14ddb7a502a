#include "shell/form1.h"
#include "shell/messenger.h"
#include "shell/startup.h"
#include "shell/termination_signals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OVX2"));
    MessageBoxMessenger messenger;
    Form1 window(messenger);
    messenger.setParent(&window);

    // Logout or Ctrl+C: the same shutdown as closing the window, every question answered Yes,
    // so no port is left published and no setting is lost.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &window, [&] {
        messenger.answerEverythingYes();
        window.close();
    });

    runStartup(window);
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
