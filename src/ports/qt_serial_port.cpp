#include "ports/qt_serial_port.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <poll.h>

namespace {

constexpr int kLongestGatherMs = 500;
// Half of what a terminal's line discipline holds unread (N_TTY_BUF_SIZE).
constexpr qint64 kGatherBytes = 2048;
constexpr qint64 kBitsPerCharacter = 10; // start bit, eight data bits, stop bit

// The longest a gathering may last at `baud`: never so long that the kernel's receive buffer
// could fill meanwhile, and never past half a second.
int maxGatherMs(qint32 baud)
{
    if (baud <= 0)
        return 0;
    return int(std::min<qint64>(kLongestGatherMs, kGatherBytes * kBitsPerCharacter * 1000 / baud));
}

} // namespace

QtSerialPort::QtSerialPort(QObject *parent)
    : SerialPort(parent), m_port(new QSerialPort(this)), m_gather(new QTimer(this))
{
    m_gather->setSingleShot(true);
    connect(m_gather, &QTimer::timeout, this, &QtSerialPort::endGather);
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        if (m_ignoreInput) {
            m_port->skip(m_port->bytesAvailable());
            return;
        }
        emit DataReceived();
    });
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(int(e)); });
}

QtSerialPort::~QtSerialPort() = default;

int QtSerialPort::PortCount() const
{
    // The names asked for next come from this listing rather than from a new one each.
    m_portNames.clear();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        m_portNames << info.portName();
    return int(m_portNames.size());
}

QString QtSerialPort::PortName(int index) const
{
    return m_portNames.value(index);
}

bool QtSerialPort::parseMode(const QString &text, Mode &mode)
{
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4)
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    const int baud = f[0].trimmed().toInt(&ok1);
    const QString parity = f[1].trimmed().toUpper();
    const int data = f[2].trimmed().toInt(&ok2);
    const int stop = f[3].trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || baud <= 0 || parity.size() != 1 ||
        !QStringLiteral("NEOMS").contains(parity) || data < 5 || data > 8 ||
        (stop != 1 && stop != 2))
        return false;
    mode = Mode{baud, char(parity.at(0).toLatin1()), data, stop};
    return true;
}

void QtSerialPort::SetMode(const QString &mode)
{
    Mode parsed;
    if (!parseMode(mode, parsed))
        return;
    m_mode = parsed;
    if (m_port->isOpen())
        applyMode();
}

void QtSerialPort::applyMode()
{
    m_port->setBaudRate(m_mode.baud);
    m_port->setDataBits(QSerialPort::DataBits(m_mode.dataBits));
    m_port->setStopBits(m_mode.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    switch (m_mode.parity) {
    case 'E':
        m_port->setParity(QSerialPort::EvenParity);
        break;
    case 'O':
        m_port->setParity(QSerialPort::OddParity);
        break;
    case 'M':
        m_port->setParity(QSerialPort::MarkParity);
        break;
    case 'S':
        m_port->setParity(QSerialPort::SpaceParity);
        break;
    default:
        m_port->setParity(QSerialPort::NoParity);
        break;
    }
    m_port->setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPort::Open(const QString &name)
{
    if (m_port->isOpen())
        return true;
    if (name.trimmed().isEmpty()) {
        m_error = tr("No port name");
        return false;
    }
    m_port->setPortName(name);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = m_port->errorString();
        return false;
    }
    applyMode();
    m_error.clear();
    return true;
}

bool QtSerialPort::Close()
{
    m_gather->stop();
    if (m_port->isOpen())
        m_port->close();
    return !m_port->isOpen();
}

bool QtSerialPort::IsOpened() const
{
    return m_port->isOpen();
}

void QtSerialPort::ClearPort()
{
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll(); // what Qt had already pulled in
}

void QtSerialPort::WriteText(const QByteArray &text)
{
    if (!m_port->isOpen() || text.isEmpty())
        return;
    m_port->write(text);
}

QByteArray QtSerialPort::ReadText()
{
    if (!m_port->isOpen() || m_ignoreInput)
        return {};
    return m_port->readAll();
}

void QtSerialPort::SetLineA(bool on)
{
    // A pseudo-terminal has no modem lines; setting them fails and the port stays open.
    if (m_port->isOpen())
        m_port->setDataTerminalReady(on);
}

void QtSerialPort::SetLineB(bool on)
{
    if (m_port->isOpen())
        m_port->setRequestToSend(on);
}

void QtSerialPort::IgnoreInput()
{
    m_ignoreInput = true;
    if (m_port->isOpen())
        m_port->skip(m_port->bytesAvailable());
}

QSocketNotifier *QtSerialPort::readNotifier() const
{
    // QSerialPort reads through a notifier of its own, made when the port opens. It has no call
    // to stop reading for a while, only one to start again (setReadBufferSize, below).
    const auto notifiers = m_port->findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier *notifier : notifiers) {
        if (notifier->type() == QSocketNotifier::Read)
            return notifier;
    }
    return nullptr;
}

void QtSerialPort::GatherInputFor(int msecs)
{
    if (!m_port->isOpen() || m_ignoreInput)
        return;
    msecs = std::min(msecs, maxGatherMs(m_mode.baud));
    QSocketNotifier *reader = msecs > 0 ? readNotifier() : nullptr;
    if (!reader) {
        // Not gathering (or a Qt that reads otherwise): everything is read as it comes.
        if (m_gather->isActive()) {
            m_gather->stop();
            endGather();
        }
        return;
    }
    reader->setEnabled(false); // the kernel keeps what arrives meanwhile
    m_gather->start(msecs);
}

void QtSerialPort::endGather()
{
    // QSerialPort watches the device again; what waits is read in the next turn of the event
    // loop, without the program going to sleep first.
    if (m_port->isOpen())
        m_port->setReadBufferSize(m_port->readBufferSize());
}

QString QtSerialPort::ErrorString() const
{
    return m_error;
}

bool QtSerialPort::deviceGone(int error, int pollResult, short revents)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return false;
    return pollResult < 0 || (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void QtSerialPort::onError(int error)
{
    if (error == QSerialPort::NoError)
        return;
    m_error = m_port->errorString();
    m_port->clearError();
    if (!m_port->isOpen())
        return;
    // A device that has gone (a USB adapter pulled out, a hung-up terminal) reads as empty with
    // a resource or read error, and polls as hung up. Qt also reports a resource error for a
    // read that found nothing (EAGAIN: what woke the event loop was taken by ClearPort or by a
    // read of our own first) and stops reading after it; the device is fine then, and reading
    // goes on. DTR/RTS on a pseudo-terminal fail with UnsupportedOperationError; nothing to do.
    pollfd p{int(m_port->handle()), POLLIN, 0};
    const int polled = ::poll(&p, 1, 0);
    if (deviceGone(error, polled, p.revents)) {
        m_port->close();
        emit Vanished();
    } else if (error == QSerialPort::ResourceError) {
        m_port->setReadBufferSize(m_port->readBufferSize()); // reading starts again
    }
}
