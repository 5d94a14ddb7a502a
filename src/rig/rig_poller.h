#pragma once

#include "rig/rig_type.h"

#include <QObject>

#include <functional>

class PollingControls;
class QTimer;
class RigLink;
class VirtualPort;

// Asks the rig at the user's interval for what keeps the virtual rig current.
class RigPoller : public QObject {
    Q_OBJECT
public:
    struct Deps {
        PollingControls &controls;
        QTimer &timer1;
        RigLink &link;
        VirtualPort &sdrPort;
        std::function<RigType()> rigType;
        std::function<QString()> transmitIndicator;
    };
    explicit RigPoller(Deps deps, QObject *parent = nullptr);

    void Timer1_Timer();
    void VScrollPoll_Change();

private:
    // Timer1's interval: the number txtPOLL shows, within the bar's range.
    void followShownInterval();

    Deps d;
};
