#pragma once

#include "rig_model.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

class RigSimServer;

// Runs a RigSimServer in a thread of its own, for tests whose own thread blocks (the bridge
// waits inside its connection sequence). The server's signals arrive queued in the owner's thread.
class RigSimThread : public QObject {
    Q_OBJECT
public:
    explicit RigSimThread(RigType family = RigType::K3, int baud = 38400,
                          QObject *parent = nullptr); // the family's default radio
    // A radio by its --model name ("ft991a"); start() fails for a name the simulator lacks.
    explicit RigSimThread(const QString &model, int baud = 38400, QObject *parent = nullptr);
    ~RigSimThread() override; // stops the server and the thread

    // Starts the thread and the server; the device path, or empty (see errorString()).
    QString start();
    QString devicePath() const { return m_path; } // as at start()
    QString errorString() const { return m_error; }

    // Runs `fn` on the server in its thread and waits for it to finish (not at all without a
    // server: an unknown model).
    void invoke(const std::function<void(RigSimServer &)> &fn);

signals:
    void received(const QByteArray &chunk);
    void sent(const QByteArray &reply);

private:
    RigSimThread(const RadioModel *radio, int baud, QObject *parent);

    QThread m_thread;
    RigSimServer *m_server;
    QString m_path;
    QString m_error;
};
