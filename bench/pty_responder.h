#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// The floor the bridge is measured against: a thread holding a pseudo-terminal master that
// answers every ';'-terminated command with a fixed reply, using blocking poll()/read()/write().
// The same client round trip through it costs only the kernel and two thread wake-ups.
class PtyResponder {
public:
    explicit PtyResponder(QByteArray reply) : m_reply(std::move(reply)) {}
    ~PtyResponder();
    PtyResponder(const PtyResponder &) = delete;
    PtyResponder &operator=(const PtyResponder &) = delete;

    // Creates the pair and starts answering; the device to open, or empty.
    QString start();
    void stop();

private:
    void run();

    QByteArray m_reply;
    int m_master = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
