#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The bridge's time: the pauses of the rig connection sequence, the pacing of the rig's line, the
// reply window of a read, a network client's time-outs. The program runs in real time; tests use
// a faster clock, so that they pay neither the connection's seconds nor a reply window's.
// Nothing waits: every pause is a timer of the one event loop.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of this clock since it started.
    virtual double now() const = 0;
    // The real milliseconds that `msecs` of this clock take (at least 1 for any wait).
    virtual int realMs(int msecs) const = 0;

    // Starts (or starts again) `timer` to fire after `msecs` of this clock.
    void start(QTimer &timer, int msecs) const { timer.start(realMs(msecs)); }
    // Sets the interval of a repeating timer, restarting a running one.
    void setInterval(QTimer &timer, int msecs) const { timer.setInterval(realMs(msecs)); }
};

// Real time.
class SystemClock final : public Clock {
public:
    SystemClock() { m_start.start(); }
    double now() const override { return double(m_start.nsecsElapsed()) / 1e6; }
    int realMs(int msecs) const override { return msecs; }

private:
    QElapsedTimer m_start;
};

// Every wait divided by a factor, and time going that much faster, for tests.
class ScaledClock final : public Clock {
public:
    explicit ScaledClock(int divisor) : m_divisor(divisor > 0 ? divisor : 1) { m_start.start(); }
    double now() const override { return double(m_start.nsecsElapsed()) / 1e6 * m_divisor; }
    int realMs(int msecs) const override
    {
        return msecs > 0 ? (msecs + m_divisor - 1) / m_divisor : 0;
    }

private:
    int m_divisor;
    QElapsedTimer m_start;
};

// The program's clock: real time.
Clock &systemClock();
