#include "station_client.h"

#include "station_program.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Long enough for a loaded 2-core machine, short enough that a hung bridge ends the run.
constexpr int kTimeoutMs = 5000;
} // namespace

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

StationClient::~StationClient()
{
    close();
}

bool StationClient::open(const QString &path)
{
    close();
    m_fd = openRawDevice(path, false);
    return m_fd >= 0;
}

void StationClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_tail.clear();
}

bool StationClient::writeAll(const QByteArray &text)
{
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(m_fd, text.constData() + done, size_t(text.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, kTimeoutMs) <= 0)
            return false;
    }
    return true;
}

bool StationClient::readReplies(int count)
{
    m_replies = m_tail;
    m_tail.clear();
    int seen = int(m_replies.count(';'));
    char buf[8192];
    while (seen < count) {
        pollfd p{m_fd, POLLIN, 0};
        const int r = ::poll(&p, 1, kTimeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        for (ssize_t i = 0; i < n; ++i)
            seen += buf[i] == ';';
        m_replies.append(buf, n);
    }
    // Keep anything past the count-th reply for the next call.
    qsizetype end = -1;
    for (int i = 0; i < count; ++i)
        end = m_replies.indexOf(';', end + 1);
    m_tail = m_replies.mid(end + 1);
    m_replies.truncate(end + 1);
    return true;
}

std::uint64_t StationClient::drain(std::chrono::milliseconds wait)
{
    return std::uint64_t(receive(wait).size());
}

QByteArray StationClient::receive(std::chrono::milliseconds wait)
{
    char buf[8192];
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, int(wait.count())) <= 0)
        return {};
    const ssize_t n = ::read(m_fd, buf, sizeof buf);
    return n > 0 ? QByteArray(buf, n) : QByteArray();
}

std::int64_t StationClient::roundTripNs(const QByteArray &query)
{
    const std::int64_t start = nowNs();
    if (!writeAll(query) || !readReplies(int(query.count(';'))))
        return -1;
    return nowNs() - start;
}
