#include "net/local_peer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtEndian>

#include <array>
#include <cstring>

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A netlink message's payload starts after its header, rounded up to four bytes.
constexpr std::size_t kHeaderLength = (sizeof(nlmsghdr) + 3) & ~std::size_t(3);
constexpr std::size_t kFoundLength = kHeaderLength + sizeof(inet_diag_msg);

// One end of the connection as the kernel keys it: address (network order) and port.
struct End {
    std::array<quint32, 4> address{};
    quint16 port = 0;
};

// The end's address in the given family; false when it has no form there (an IPv6 address in
// IPv4). An IPv4-mapped IPv6 address ("::ffff:127.0.0.1") has both.
bool fill(End &end, const QHostAddress &address, quint16 port, int family)
{
    end.port = qToBigEndian(port);
    if (family == AF_INET) {
        bool ok = false;
        const quint32 v4 = address.toIPv4Address(&ok);
        end.address[0] = qToBigEndian(v4);
        return ok;
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    std::memcpy(end.address.data(), v6.c, sizeof v6.c);
    return true;
}

// Asks the kernel for the socket whose local end is `client` and remote end `server`: the
// client's own socket. The lookup is answered while the request is sent, so the reply is read
// without waiting.
std::optional<uint> ownerOf(int family, const End &client, const End &server)
{
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0)
        return std::nullopt;
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST;
    message.header.nlmsg_seq = 1;
    message.request.sdiag_family = quint8(family);
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = ~0U;
    inet_diag_sockid &id = message.request.id;
    id.idiag_sport = client.port;
    id.idiag_dport = server.port;
    std::memcpy(id.idiag_src, client.address.data(), sizeof id.idiag_src);
    std::memcpy(id.idiag_dst, server.address.data(), sizeof id.idiag_dst);
    id.idiag_cookie[0] = id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

    std::optional<uint> uid;
    alignas(nlmsghdr) std::array<char, 1024> reply{};
    if (::send(fd, &message, sizeof message, 0) == ssize_t(sizeof message)) {
        const ssize_t got = ::recv(fd, reply.data(), reply.size(), MSG_DONTWAIT);
        const auto *header = reinterpret_cast<const nlmsghdr *>(reply.data());
        if (got >= ssize_t(kFoundLength) && header->nlmsg_type == SOCK_DIAG_BY_FAMILY &&
            header->nlmsg_len >= kFoundLength) {
            const auto *found =
                reinterpret_cast<const inet_diag_msg *>(reply.data() + kHeaderLength);
            // A socket its program has closed (time-wait) reports no inode and uid 0: that
            // is no owner.
            if (found->id.idiag_sport == client.port && found->id.idiag_dport == server.port &&
                found->idiag_inode != 0)
                uid = found->idiag_uid;
        }
    }
    ::close(fd);
    return uid;
}

} // namespace

std::optional<uint> loopbackPeerUid(const QTcpSocket &socket)
{
    const QHostAddress peer = socket.peerAddress();
    const QHostAddress local = socket.localAddress();
    if (socket.state() != QAbstractSocket::ConnectedState || peer.isNull() || local.isNull())
        return std::nullopt;
    // An IPv4 client reaching a dual-stack server has an IPv4 socket though the server sees
    // IPv6-mapped addresses; an IPv6 client has an IPv6 socket.
    for (const int family : {AF_INET, AF_INET6}) {
        End client;
        End server;
        if (fill(client, peer, socket.peerPort(), family) &&
            fill(server, local, socket.localPort(), family)) {
            if (const auto uid = ownerOf(family, client, server))
                return uid;
        }
    }
    return std::nullopt;
}
