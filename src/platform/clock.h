#pragma once

// The waits the bridge makes on purpose: the pauses of the rig connection sequence, its window
// for the rig's replies, and the pause of start-up. The program waits in real time; tests use a
// faster clock so that they do not pay seconds for every connection.
class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the thread: nothing else runs meanwhile.
    virtual void sleep(int msecs) = 0;
    // Lets pending events run (replies, clicks) until msecs have passed, without spinning.
    virtual void runEvents(int msecs) = 0;
};

// Real time.
class SystemClock final : public Clock {
public:
    void sleep(int msecs) override;
    void runEvents(int msecs) override;
};

// Every wait divided by a factor (at least 1 ms), for tests.
class ScaledClock final : public Clock {
public:
    explicit ScaledClock(int divisor) : m_divisor(divisor > 0 ? divisor : 1) {}
    void sleep(int msecs) override;
    void runEvents(int msecs) override;

private:
    int scaled(int msecs) const { return msecs > 0 ? (msecs + m_divisor - 1) / m_divisor : 0; }
    int m_divisor;
};

// The program's clock: real time.
Clock &systemClock();
