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
    explicit RigSimThread(RigType type = RigType::K3, int baud = 38400, QObject *parent = nullptr);
    ~RigSimThread() override; // stops the server and the thread

    // Starts the thread and the server; the device path, or empty (see errorString()).
    QString start();
    QString devicePath() const { return m_path; } // as at start()
    QString errorString() const { return m_error; }

    // Runs `fn` on the server in its thread and waits for it to finish.
    void invoke(const std::function<void(RigSimServer &)> &fn);

signals:
    void received(const QByteArray &chunk);
    void sent(const QByteArray &reply);

private:
    QThread m_thread;
    RigSimServer *m_server;
    QString m_path;
    QString m_error;
};
