#include "rig/reply_routing.h"

const RoutingRow *routeReply(const QByteArray &reply, RigType rigType)
{
    for (const RoutingRow &row : kReplyRouting) {
        if (accepts(row.entry, reply, rigType))
            return &row;
    }
    return nullptr;
}
