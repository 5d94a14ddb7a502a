#pragma once

#include <utility>

#include <QTcpSocket>
#include <QTest>

// A raw TCP client of a network door for tests: sends lines, collects what comes back.
class RigctlTestClient {
public:
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    void send(const QByteArray &text)
    {
        socket.write(text);
        socket.flush();
    }
    // Everything received so far; call it again to see what arrived since (QTRY_* loops).
    QByteArray &received() { return buffer += socket.readAll(); }
    QByteArray take() { return std::exchange(received(), QByteArray()); }

    QTcpSocket socket;
    QByteArray buffer;
};
