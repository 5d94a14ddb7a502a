#include "station_program.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

bool StationProgram::open(const QString &path) {
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StationProgram::onReadable);
    return true;
}

void StationProgram::close() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void StationProgram::write(const QByteArray &text) {
    qsizetype done = 0;
    int attempts = 0;
    while (m_fd >= 0 && done < text.size() && attempts < 1000) {
        const ssize_t n = ::write(m_fd, text.constData() + done, size_t(text.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        ++attempts;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 5);
    }
}

void StationProgram::onReadable() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0)
            break;
        m_received.append(buf, n);
    }
    emit arrived();
}
