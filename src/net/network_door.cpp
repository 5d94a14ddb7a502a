#include "net/network_door.h"

#include "monitor/terminal_model.h"
#include "net/door_server.h"
#include "platform/messenger.h"
#include "settings/station_settings.h"

#include <QHostAddress>

NetworkDoor::NetworkDoor(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
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

void NetworkDoor::toggle()
{
    if (d.server.isListening()) {
        d.server.close();
        return;
    }
    listen(true);
}

void NetworkDoor::listenAtStart()
{
    if (d.settings.listen)
        listen(false);
}

bool NetworkDoor::isListening() const
{
    return d.server.isListening();
}

bool NetworkDoor::listen(bool asked)
{
    const QString text = d.settings.address.trimmed();
    const QHostAddress address(text);
    bool portOk = false;
    const uint port = d.settings.port.trimmed().toUInt(&portOk);
    if (address.isNull() || !portOk || port == 0 || port > 65535) {
        AppendToTerminal(d.terminal,
                         QStringLiteral("Not listening: \"%1\" port \"%2\" is no address "
                                        "and port (for example 127.0.0.1 and 4532)")
                             .arg(text, d.settings.port)
                             .toLatin1());
        return false;
    }
    if (!address.isLoopback()) {
        // Once per address: after that, start-up listens there without asking.
        if (d.settings.confirmedAddress != address.toString()) {
            if (!asked) {
                // Nobody to ask at start: the user confirms with the button, or in the file.
                AppendToTerminal(d.terminal,
                                 QStringLiteral("Not listening on %1 until it is confirmed once: "
                                                "press Connect, or set ConfirmedAddress=%1 in "
                                                "ovx2.ini")
                                     .arg(address.toString())
                                     .toLatin1());
                return false;
            }
            const bool yes = d.messenger.show(
                {d.title,
                 QStringLiteral("Listen on %1?\r\nEvery program that can reach this address on "
                                "your network can then tune the rig and key its transmitter.")
                     .arg(address.toString()),
                 Message::Buttons::YesNo, Message::Icon::Warning});
            if (!yes)
                return false;
            emit addressConfirmed(address.toString());
        }
        AppendToTerminal(d.terminal, QStringLiteral("Listening beyond this computer: anyone on "
                                                    "that network can key the transmitter")
                                         .toLatin1());
    }
    return d.server.listen(address, quint16(port));
}
