#pragma once

#include "fake_radios.h"
#include "net/rigctl_client.h"

#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <utility>

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

// A test of a network door on a loopback port, backed by the fake rig of a family: its clients,
// and what it says ("client: text"), its notes alone besides.
template <typename Server, typename Client = RigctlTestClient> class DoorTest : public QObject {
protected:
    void start(RigType type, const QByteArray &id = {})
    {
        m_rig = std::make_unique<FakeRigAccess>(type);
        fake_radios::load(*m_rig);
        if (!id.isEmpty())
            m_rig->rig.insert("ID;", id);
        // Half the reads come from the virtual rig, half from the rig: the answers are the same.
        for (const char *q : {"FA;", "MD;", "IF;", "FT;", "SM;", "MD0;", "ID;"})
            m_rig->cached.insert(q);
        m_server = std::make_unique<Server>(*m_rig);
        connect(m_server.get(), &Server::traffic, this,
                [this](int client, TrafficDirection direction, const QString &text) {
                    const QString line = QStringLiteral("%1: %2").arg(client).arg(text);
                    m_lines.append(line);
                    if (direction == TrafficDirection::Note)
                        m_notes.append(line);
                });
        QVERIFY(m_server->listen(QHostAddress(QHostAddress::LocalHost), 0));
    }
    Client &connectClient()
    {
        m_clients.push_back(std::make_unique<Client>());
        if (!m_clients.back()->connectTo(m_server->port()))
            qWarning("cannot connect to the door");
        return *m_clients.back();
    }
    void reset()
    {
        m_clients.clear();
        m_server.reset();
        m_rig.reset();
        m_lines.clear();
        m_notes.clear();
    }

    std::unique_ptr<FakeRigAccess> m_rig;
    std::unique_ptr<Server> m_server;
    std::vector<std::unique_ptr<Client>> m_clients;
    QStringList m_lines, m_notes;
};
