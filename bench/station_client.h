#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <vector>

// The steady clock in nanoseconds, for timing across threads.
std::int64_t nowNs();

// A station program for the benchmarks: blocking poll()/read()/write() on a serial device from a
// thread of its own, so that the bridge's event loop shares nothing with it but the kernel.
class StationClient {
public:
    StationClient() = default;
    ~StationClient();
    StationClient(const StationClient &) = delete;
    StationClient &operator=(const StationClient &) = delete;

    // Opens the device raw, as a logger would.
    bool open(const QString &path);
    void close();

    // Writes all of `text`; false when the device fails or stays full past the timeout.
    bool writeAll(const QByteArray &text);
    // Reads until `count` replies (';'-terminated) have arrived; what came is in lastReplies().
    bool readReplies(int count);
    const QByteArray &lastReplies() const { return m_replies; }
    // Reads whatever arrives for `wait`, keeping only the byte count.
    std::uint64_t drain(std::chrono::milliseconds wait);
    // One read of what arrives within `wait`; empty when nothing came.
    QByteArray receive(std::chrono::milliseconds wait);

    // One query and its answer, timed; -1 when no answer came.
    std::int64_t roundTripNs(const QByteArray &query);

private:
    int m_fd = -1;
    QByteArray m_replies;
    QByteArray m_tail; // text after the last complete reply, kept for the next read
};
