#include "ports/pty_port.h"

#include "ports/port_folder.h"
#include "ports/pty_device.h"

PtyPort::PtyPort(PortFolder &folder, QObject *parent) : VirtualPort(parent), m_folder(folder) {}

PtyPort::~PtyPort()
{
    if (m_device)
        m_folder.unpublish(m_name, m_device->slavePath());
}

bool PtyPort::IsCreated() const
{
    return m_device != nullptr;
}

bool PtyPort::AttachPort(const QString &name)
{
    return m_device && name == m_name;
}

bool PtyPort::CreatePort(const QString &name)
{
    if (m_device) {
        m_error = tr("This port already exists as %1.").arg(DevicePath());
        return false;
    }
    auto *device = new PtyDevice(this);
    if (!device->open()) {
        m_error = device->errorString();
        delete device;
        return false;
    }
    if (!m_folder.publish(name, device->slavePath())) {
        m_error = m_folder.error();
        delete device;
        return false;
    }
    connect(device, &PtyDevice::readyRead, this, &VirtualPort::DataReceived);
    connect(device, &PtyDevice::peerChanged, this, &VirtualPort::OpenedByAppChanged);
    m_device = device;
    m_name = name;
    m_error.clear();
    return true;
}

bool PtyPort::DeletePort()
{
    if (m_device && m_device->peerHolds())
        return false;
    ForceDeletePort();
    return true;
}

void PtyPort::ForceDeletePort()
{
    if (!m_device)
        return;
    m_folder.unpublish(m_name, m_device->slavePath());
    m_device->close();
    m_device->deleteLater(); // we may be inside one of its signals
    m_device = nullptr;
    m_name.clear();
}

void PtyPort::ResetPort()
{
    if (m_device)
        m_device->discardPending();
}

bool PtyPort::IsOpenedByApp() const
{
    return m_device && m_device->peerHolds();
}

void PtyPort::WriteText(const QByteArray &text)
{
    if (m_device)
        m_device->write(text);
}

QByteArray PtyPort::ReadText()
{
    return m_device ? m_device->readAll() : QByteArray();
}

QString PtyPort::DevicePath() const
{
    return m_device ? m_folder.linkPath(m_name) : QString();
}
