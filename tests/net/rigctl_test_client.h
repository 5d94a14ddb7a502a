#pragma once

#include <QTcpSocket>
#include <QTest>

// A raw TCP client of the network server for tests: sends lines, collects what comes back.
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
    const QByteArray &received()
    {
        buffer += socket.readAll();
        return buffer;
    }
    QByteArray take()
    {
        received();
        return std::exchange(buffer, QByteArray());
    }

    QTcpSocket socket;
    QByteArray buffer;
};
