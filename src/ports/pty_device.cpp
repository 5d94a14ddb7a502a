#include "pty_device.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A peer that never reads must not make us queue without bound; one that writes faster than we
// handle is held back by the kernel once we stop reading.
constexpr qsizetype kMaxQueuedOut = 1 << 20;
constexpr qsizetype kMaxUnreadIn = 1 << 20;
constexpr qsizetype kReadChunk = 1 << 16;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyDevice::PtyDevice(QObject *parent) : QObject(parent) {}

PtyDevice::~PtyDevice()
{
    close();
}

bool PtyDevice::open()
{
    close();
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        m_error = systemError("posix_openpt");
        return false;
    }
    char name[128];
    int error = 0;
    if (::grantpt(master) != 0)
        error = errno;
    else
        error = ::ptsname_r(master, name, sizeof name); // returns its error, errno untouched
    // The kernel makes the slave writable by the group tty (mode 0620 on a desktop): any member
    // could key the transmitter past the private port folder. It becomes the owner's alone
    // while still locked, so that nobody can open it before.
    if (error == 0 && (::chmod(name, S_IRUSR | S_IWUSR) != 0 || ::unlockpt(master) != 0))
        error = errno;
    if (error != 0) {
        errno = error;
        m_error = systemError("pseudo-terminal set-up");
        ::close(master);
        return false;
    }
    // Open the slave once: to set it raw, and because the master only starts reporting hang-up
    // after the slave has been opened and closed for the first time.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        m_error = systemError("open slave");
        ::close(master);
        return false;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);

    m_master = master;
    m_slavePath = QString::fromLocal8Bit(name);
    m_error.clear();

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyDevice::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyDevice::onWritable);

    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 &&
        ::inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0) {
        m_watchNotifier = new QSocketNotifier(m_watch, QSocketNotifier::Read, this);
        connect(m_watchNotifier, &QSocketNotifier::activated, this, &PtyDevice::onWatchEvent);
    } else {
        // Without inotify, look for a peer a few times a second while none holds the slave.
        if (m_watch >= 0)
            ::close(m_watch);
        m_watch = -1;
        m_fallbackTimer = new QTimer(this);
        m_fallbackTimer->setInterval(100);
        connect(m_fallbackTimer, &QTimer::timeout, this, &PtyDevice::checkPeer);
        m_fallbackTimer->start();
    }
    m_peer = false;
    return true;
}

void PtyDevice::close()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_watchNotifier;
    delete m_fallbackTimer;
    m_readNotifier = m_writeNotifier = m_watchNotifier = nullptr;
    m_fallbackTimer = nullptr;
    if (m_watch >= 0)
        ::close(m_watch);
    if (m_master >= 0)
        ::close(m_master);
    m_watch = m_master = -1;
    m_in.clear();
    m_out.clear();
    m_peer = false;
    m_opens = 0;
    m_slavePath.clear();
}

bool PtyDevice::peerHolds() const
{
    if (m_master < 0)
        return false;
    pollfd p{m_master, 0, 0};
    return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

QByteArray PtyDevice::readAll()
{
    QByteArray text;
    text.swap(m_in);
    if (m_peer && m_readNotifier && !m_readNotifier->isEnabled())
        m_readNotifier->setEnabled(true); // reading was held back while the buffer was full
    return text;
}

void PtyDevice::write(const QByteArray &text)
{
    if (m_master < 0 || text.isEmpty() || !peerHolds())
        return;
    if (m_out.size() + text.size() > kMaxQueuedOut)
        return; // the peer has stopped reading; dropping is kinder than growing without bound
    m_out.append(text);
    flushOut();
}

void PtyDevice::discardPending()
{
    m_in.clear();
    m_out.clear();
    if (m_master >= 0)
        ::tcflush(m_master, TCIOFLUSH);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void PtyDevice::flushOut()
{
    while (!m_out.isEmpty()) {
        ssize_t n = ::write(m_master, m_out.constData(), size_t(m_out.size()));
        if (n > 0) {
            m_out.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_out.clear(); // EIO: the peer has gone
        break;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void PtyDevice::onWritable()
{
    if (!peerHolds())
        m_out.clear();
    flushOut();
}

void PtyDevice::onReadable()
{
    bool got = false;
    bool hangup = false;
    char buf[4096];
    qsizetype taken = 0;
    while (taken < kReadChunk && m_in.size() < kMaxUnreadIn) {
        ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            m_in.append(buf, n);
            taken += n;
            got = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        hangup = true; // EIO: no program holds the slave any more
        break;
    }
    if (m_in.size() >= kMaxUnreadIn && m_readNotifier)
        m_readNotifier->setEnabled(false);
    // What the program wrote before it hung up is handed on first, so that whoever empties its
    // receive buffer at the hang-up finds the last of it there.
    if (got)
        emit readyRead();
    if (hangup && m_master >= 0)
        setPeer(false);
}

void PtyDevice::onWatchEvent()
{
    // A program that closes the port and another (or itself, restarted) that opens it within a
    // few milliseconds: the master never reports the hang-up in between, yet the one that left
    // must be told of, so that nothing it began is handed to the next.
    bool left = false;
    char events[4096];
    ssize_t n = 0;
    while ((n = ::read(m_watch, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            std::memcpy(&event, events + at, sizeof event);
            if (event.mask & IN_OPEN)
                ++m_opens;
            if ((event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) && m_opens > 0 && --m_opens == 0)
                left = true;
            at += ssize_t(sizeof event) + ssize_t(event.len);
        }
    }
    // Told before its last text is read: what is unread may already hold the next program's first
    // command. With nobody holding the port now, the hang-up is told after the text as always.
    if (left && m_opens > 0 && m_peer)
        setPeer(false);
    checkPeer();
}

void PtyDevice::checkPeer()
{
    if (m_master < 0)
        return;
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return;
    bool held = !(p.revents & POLLHUP);
    // Text waiting means a program held the port since we last looked, even when it opened,
    // wrote and hung up before we saw it: its hang-up is told like any other.
    if (held || (p.revents & POLLIN))
        setPeer(true);
    if (p.revents & POLLIN)
        onReadable(); // a program may write and close before we notice it opened the port
    if (!held)
        setPeer(false);
}

void PtyDevice::setPeer(bool held)
{
    if (m_peer == held)
        return;
    m_peer = held;
    if (m_readNotifier)
        m_readNotifier->setEnabled(held && m_in.size() < kMaxUnreadIn);
    if (!held) {
        m_out.clear();
        if (m_writeNotifier)
            m_writeNotifier->setEnabled(false);
    }
    if (m_fallbackTimer) {
        if (held)
            m_fallbackTimer->stop();
        else
            m_fallbackTimer->start();
    }
    emit peerChanged(held);
}
