#include "rig/rig_poller.h"

#include "monitor/published_items.h"
#include "ports/virtual_port.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"
#include "settings/station_settings.h"

#include <QTimer>

RigPoller::RigPoller(Deps deps, QObject *parent) : QObject(parent), d(deps)
{
    connect(&d.pollTimer, &QTimer::timeout, this, &RigPoller::poll);
}

void RigPoller::poll()
{
    const auto writes =
        pollWrites(d.items.transmitting(), d.sdrPort.IsOpenedByApp(), d.settings.rigType);
    for (const QByteArray &text : writes)
        d.link.poll(text);
}
