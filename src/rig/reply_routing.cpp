#include "rig/reply_routing.h"

const RoutingRow *routeReply(const QByteArray &reply, RigType rigType)
{
    const FamilyCaps &family = familyCaps(rigType);
    for (const RoutingRow &row : kReplyRouting) {
        if ((!row.onlyIf || family.*row.onlyIf) && accepts(row.entry, reply, rigType))
            return &row;
    }
    return nullptr;
}
