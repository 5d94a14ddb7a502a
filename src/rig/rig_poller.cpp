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
    connect(&d.timer1, &QTimer::timeout, this, &RigPoller::Timer1_Timer);
    connect(d.controls.VScrollPoll, &QScrollBar::valueChanged, this,
            &RigPoller::VScrollPoll_Change);
    // The interval is what the window shows, however it came to show it: a value set equal to
    // the bar's own brings no change event, and the first start's value is the bar's initial one.
    connect(d.controls.txtPOLL, &QLineEdit::textChanged, this, &RigPoller::followShownInterval);
    followShownInterval();
}

void RigPoller::Timer1_Timer()
{
    const auto writes =
        pollWrites(d.transmitIndicator() == "On", d.sdrPort.IsOpenedByApp(), d.rigType());
    for (const QByteArray &text : writes)
        d.link.poll(text);
}

void RigPoller::VScrollPoll_Change()
{
    d.controls.txtPOLL->setText(QString::number(d.controls.VScrollPoll->value()));
}

void RigPoller::followShownInterval()
{
    bool ok = false;
    const int interval = d.controls.txtPOLL->text().toInt(&ok);
    const QScrollBar *bar = d.controls.VScrollPoll;
    if (!ok || interval < bar->minimum() || interval > bar->maximum() ||
        interval == d.timer1.interval())
        return;
    // setInterval restarts a running timer, so the new interval counts afresh.
    d.timer1.setInterval(interval);
}
