#include "station_program.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

int openRawDevice(const QString &path, bool nonBlocking)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOCTTY | O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
    if (fd < 0)
        return -1;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

bool StationProgram::open(const QString &path)
{
    close();
    m_fd = openRawDevice(path, true);
    if (m_fd < 0)
        return false;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StationProgram::onReadable);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &StationProgram::flush);
    return true;
}

void StationProgram::close()
{
    delete m_notifier;
    delete m_writeNotifier;
    m_notifier = m_writeNotifier = nullptr;
    m_out.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void StationProgram::write(const QByteArray &text)
{
    // Never blocks: the bridge under test runs on this thread and must get to read.
    m_out += text;
    flush();
}

void StationProgram::flush()
{
    while (m_fd >= 0 && !m_out.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_out.constData(), size_t(m_out.size()));
        if (n <= 0)
            break;
        m_out.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_out.isEmpty());
}

void StationProgram::onReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0)
            break;
        m_received.append(buf, n);
    }
    emit arrived();
}
