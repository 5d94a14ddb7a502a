#include "rig/rig_poller.h"

#include "controls/frames.h"
#include "ports/virtual_port.h"
#include "rig/rig_link.h"
#include "rig/rig_tables.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

RigPoller::RigPoller(Deps deps, QObject *parent) : QObject(parent), d(std::move(deps))
{
    d.timer1.setInterval(200);
    connect(&d.timer1, &QTimer::timeout, this, &RigPoller::Timer1_Timer);
    connect(d.controls.VScrollPoll, &QScrollBar::valueChanged, this,
            &RigPoller::VScrollPoll_Change);
}

void RigPoller::Timer1_Timer()
{
    const auto writes = pollWrites(d.transmitIndicator(), d.sdrPort.IsOpenedByApp(), d.rigType());
    for (const QByteArray &text : writes)
        d.link.poll(text);
}

void RigPoller::VScrollPoll_Change()
{
    d.controls.txtPOLL->setText(QString::number(d.controls.VScrollPoll->value()));
    bool ok = false;
    const int interval = d.controls.txtPOLL->text().toInt(&ok);
    if (!ok)
        return;
    // setInterval restarts a running timer, so the new interval counts afresh.
    d.timer1.setInterval(interval);
}
