#include "net/network_door.h"

#include "controls/frames.h"
#include "controls/messenger.h"
#include "monitor/terminal_model.h"
#include "net/door_server.h"

#include <QCheckBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

NetworkDoor::NetworkDoor(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    connect(d.frame.btnListen, &QPushButton::clicked, this, &NetworkDoor::btnListen_Click);
    connect(&d.server, &DoorServer::listeningChanged, this, &NetworkDoor::showListening);
    connect(&d.server, &DoorServer::clientCountChanged, this, [this](int count) {
        d.frame.lblClients->setText(QStringLiteral("Clients: %1").arg(count));
    });
    connect(&d.server, &DoorServer::traffic, this,
            [this](int client, TrafficDirection direction, const QString &text) {
                // "#1> f", "#1< 14074000", "#1: connected"; the server's own notes bare.
                const char *mark = direction == TrafficDirection::FromClient ? "> "
                                   : direction == TrafficDirection::ToClient ? "< "
                                                                             : ": ";
                const QByteArray who =
                    client == 0 ? QByteArray() : "#" + QByteArray::number(client) + mark;
                AppendToTerminal(d.terminal, who + text.toLatin1());
            });
}

void NetworkDoor::btnListen_Click()
{
    if (d.server.isListening()) {
        d.server.close();
        return;
    }
    listen(true);
}

void NetworkDoor::listenAtStart()
{
    if (d.frame.chkListen->isChecked())
        listen(false);
}

bool NetworkDoor::listen(bool asked)
{
    const QString text = d.frame.txtAddress->text().trimmed();
    const QHostAddress address(text);
    bool portOk = false;
    const uint port = d.frame.txtPort->text().trimmed().toUInt(&portOk);
    if (address.isNull() || !portOk || port == 0 || port > 65535) {
        AppendToTerminal(d.terminal,
                         QStringLiteral("Not listening: \"%1\" port \"%2\" is no address "
                                        "and port (for example 127.0.0.1 and 4532)")
                             .arg(text, d.frame.txtPort->text())
                             .toLatin1());
        return false;
    }
    if (!address.isLoopback()) {
        // Once per address: after that, start-up listens there without asking.
        if (m_confirmed() != address.toString()) {
            if (!asked)
                return false; // nobody to ask at start: the user confirms with the button
            const bool yes = d.messenger.show(
                {d.frame.title(),
                 QStringLiteral("Listen on %1?\r\nEvery program that can reach this address on "
                                "your network can then tune the rig and key its transmitter.")
                     .arg(address.toString()),
                 Message::Buttons::YesNo, Message::Icon::Warning});
            if (!yes)
                return false;
            m_confirm(address.toString());
        }
        AppendToTerminal(d.terminal, QStringLiteral("Listening beyond this computer: anyone on "
                                                    "that network can key the transmitter")
                                         .toLatin1());
    }
    return d.server.listen(address, quint16(port));
}

void NetworkDoor::showListening(bool listening)
{
    d.frame.btnListen->setText(listening ? QStringLiteral("Disconnect")
                                         : QStringLiteral("Connect"));
    d.frame.txtAddress->setEnabled(!listening);
    d.frame.txtPort->setEnabled(!listening);
}
