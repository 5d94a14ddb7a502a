#include "pty_responder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PtyResponder::~PtyResponder()
{
    stop();
}

QString PtyResponder::start()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0)
        return {};
    // The slave is left unopened here: the master reports hang-up only once a slave that was open
    // has closed, so the first client's open is what starts the conversation.
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return QString::fromLocal8Bit(name);
}

void PtyResponder::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyResponder::run()
{
    char buf[8192];
    QByteArray out;
    while (!m_stop) {
        pollfd p{m_master, POLLIN, 0};
        const int r = ::poll(&p, 1, 100); // wakes now and then to see whether to stop
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (p.revents & (POLLHUP | POLLERR)))
            return; // the client has closed the slave
        if (r == 0)
            continue;
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            continue;
        out.clear();
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == ';')
                out.append(m_reply);
        }
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t w = ::write(m_master, out.constData() + done, size_t(out.size() - done));
            if (w > 0)
                done += w;
            else if (w < 0 && errno != EINTR)
                return;
        }
    }
}
