#pragma once

#include <QtGlobal>

#include <optional>

class QTcpSocket;

// The user that owns the other end of a TCP connection made from this machine (over loopback,
// or to one of the machine's own addresses): loopback carries no credentials, so the kernel's
// socket diagnostics are asked which uid owns the client's socket, as `ss -e` does. nullopt when
// it cannot be told: the peer is on another machine, its socket is already gone, or the kernel
// would not say. A caller that must keep other users out refuses then.
std::optional<uint> loopbackPeerUid(const QTcpSocket &socket);
