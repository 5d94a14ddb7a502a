#include "shell/form1.h"
#include "shell/messenger.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OVX2"));
    MessageBoxMessenger messenger;
    Form1 window(messenger);
    messenger.setParent(&window);
    window.show();
    return app.exec();
}
