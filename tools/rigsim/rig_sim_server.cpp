#include "rig_sim_server.h"

#include "ports/pty_device.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace {

// A character on the line is a start bit, eight data bits and a stop bit.
constexpr qint64 kBitsPerCharacter = 10;

} // namespace

RigSimServer::RigSimServer(RigType family, int baud, QObject *parent)
    : RigSimServer(defaultRadio(family), baud, parent)
{
}

RigSimServer::RigSimServer(const RadioModel &radio, int baud, QObject *parent)
    : QObject(parent), m_model(radio), m_baud(std::max(baud, 1)),
      m_charNs(kBitsPerCharacter * 1'000'000'000 / m_baud)
{
}

RigSimServer::~RigSimServer()
{
    stop();
}

QString RigSimServer::devicePath() const
{
    return m_link.isEmpty() ? slavePath() : m_link;
}

QString RigSimServer::slavePath() const
{
    return m_device ? m_device->slavePath() : QString();
}

bool RigSimServer::start()
{
    if (m_device)
        return true;
    auto *device = new PtyDevice(this);
    if (!device->open()) {
        m_error = device->errorString();
        delete device;
        return false;
    }
    m_device = device;
    connect(m_device, &PtyDevice::readyRead, this, &RigSimServer::onReadyRead);
    m_pacer = new QTimer(this);
    m_pacer->setSingleShot(true);
    m_pacer->setTimerType(Qt::PreciseTimer);
    connect(m_pacer, &QTimer::timeout, this, &RigSimServer::release);
    m_clock.start();
    m_error.clear();
    return true;
}

void RigSimServer::stop()
{
    removeLink();
    // Deleted here, not by ~QObject, so that a server stopped in its own thread can be destroyed
    // from another one after that thread has ended.
    delete m_pacer;
    delete m_device;
    m_pacer = nullptr;
    m_device = nullptr;
    m_out.clear();
    m_queuedBytes = 0;
}

bool RigSimServer::publishLink(const QString &path)
{
    if (!m_device) {
        m_error = QStringLiteral("The simulator is not running.");
        return false;
    }
    const QFileInfo existing(path);
    if (existing.isSymLink()) {
        if (!QFile::remove(path)) {
            m_error = QStringLiteral("Cannot replace the old link %1.").arg(path);
            return false;
        }
    } else if (existing.exists()) {
        m_error = QStringLiteral("%1 exists and is not a link; not replacing it.").arg(path);
        return false;
    }
    if (!QFile::link(m_device->slavePath(), path)) {
        m_error = QStringLiteral("Cannot create the link %1.").arg(path);
        return false;
    }
    removeLink();
    m_link = path;
    return true;
}

void RigSimServer::removeLink()
{
    if (m_link.isEmpty())
        return;
    // Only our own link: another simulator may have taken the name over since.
    const QFileInfo link(m_link);
    if (link.isSymLink() && m_device && link.symLinkTarget() == m_device->slavePath())
        QFile::remove(m_link);
    m_link.clear();
}

void RigSimServer::panel(const std::function<QByteArrayList(RigModel &)> &event)
{
    enqueue(event(m_model));
}

void RigSimServer::setSilent(bool silent)
{
    m_model.setSilent(silent);
    if (silent)
        dropOutput();
}

void RigSimServer::setPower(bool on)
{
    m_model.setPower(on);
    if (!on)
        dropOutput();
}

void RigSimServer::setLatency(int ms)
{
    m_latencyMs = std::max(ms, 0);
}

// A radio switched off mid-reply stops at once.
void RigSimServer::dropOutput()
{
    m_out.clear();
    m_queuedBytes = 0;
    if (m_pacer)
        m_pacer->stop();
}

void RigSimServer::turnVfoA(qint64 hz)
{
    enqueue(m_model.turnVfoA(hz));
}

void RigSimServer::turnVfoB(qint64 hz)
{
    enqueue(m_model.turnVfoB(hz));
}

void RigSimServer::selectMode(char mode)
{
    enqueue(m_model.selectMode(mode));
}

void RigSimServer::setTransmit(bool on)
{
    enqueue(m_model.setTransmit(on));
}

void RigSimServer::setFilterWidth(int hz)
{
    enqueue(m_model.setFilterWidth(hz));
}

void RigSimServer::onReadyRead()
{
    const QByteArray chunk = m_device->readAll();
    if (chunk.isEmpty())
        return;
    const bool wasOn = m_model.isPoweredOn();
    enqueue(m_model.feed(chunk), qint64(m_latencyMs) * 1'000'000);
    if (wasOn && !m_model.isPoweredOn())
        dropOutput(); // PS0
    emit received(chunk);
}

void RigSimServer::enqueue(const QByteArrayList &replies, qint64 delayNs)
{
    if (!m_device || replies.isEmpty())
        return;
    // The radio works through the commands one after another, each taking `delayNs`.
    qint64 ready = m_clock.nsecsElapsed();
    for (const QByteArray &reply : replies) {
        if (m_queuedBytes + reply.size() > kMaxQueuedOut)
            break;
        ready += delayNs;
        const qint64 start = std::max(ready, m_lineFreeNs);
        m_out.enqueue({reply, start});
        m_queuedBytes += reply.size();
        m_lineFreeNs = start + reply.size() * m_charNs;
    }
    if (!m_pacer->isActive())
        release();
}

// Writes every character whose last bit would have left the radio by now, then sleeps until the
// head reply's last character is due: a reply is handed over whole, as a USB serial adapter
// hands over what it has gathered, and a reader never sees a character before a real line
// would have delivered it.
void RigSimServer::release()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray batch;
    QByteArrayList finished;
    while (!m_out.isEmpty()) {
        Outgoing &head = m_out.head();
        const qint64 due = std::min<qint64>((now - head.startNs) / m_charNs, head.text.size());
        if (due < head.text.size())
            break; // not all of it has arrived yet: a reply goes out whole
        if (due > head.written) {
            batch.append(head.text.sliced(head.written, due - head.written));
            head.written = due;
        }
        if (head.written < head.text.size())
            break;
        m_queuedBytes -= head.text.size();
        finished.append(m_out.dequeue().text);
    }
    if (!batch.isEmpty())
        m_device->write(batch);
    if (!m_out.isEmpty()) {
        const Outgoing &head = m_out.head();
        const qint64 nextDueNs = head.startNs + head.text.size() * m_charNs;
        const qint64 waitMs = std::max<qint64>(1, (nextDueNs - now + 999'999) / 1'000'000);
        m_pacer->start(std::chrono::milliseconds(waitMs));
    }
    // Last: a receiver of sent() may stop or silence the server.
    for (const QByteArray &reply : std::as_const(finished))
        emit sent(reply);
}
