#include "platform/clock.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

void SystemClock::sleep(int msecs)
{
    if (msecs > 0)
        QThread::msleep(ulong(msecs));
}

void SystemClock::runEvents(int msecs)
{
    // A nested loop that a timer ends: events are handled as they come, and nothing spins while
    // none do. A handler that runs its own nested loop may end ours early, so loop to the deadline.
    const QDeadlineTimer deadline(msecs);
    while (!deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void ScaledClock::sleep(int msecs)
{
    SystemClock().sleep(scaled(msecs));
}

void ScaledClock::runEvents(int msecs)
{
    SystemClock().runEvents(scaled(msecs));
}

Clock &systemClock()
{
    static SystemClock clock;
    return clock;
}
