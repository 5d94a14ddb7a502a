#include "monitor/dbus_publisher.h"

#include "monitor/dbus_items.h"
#include "monitor/published_items.h"
#include "monitor/terminal_model.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>

DbusPublisher::DbusPublisher(PublishedItems &items, TerminalModel &rigTerminal,
                             const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    m_outcome = publish(items, rigTerminal);
    if (m_outcome != Outcome::Published)
        AppendToTerminal(rigTerminal, m_report.toLatin1());
}

DbusPublisher::~DbusPublisher()
{
    if (m_outcome != Outcome::Published)
        return;
    // Frees the name and the path for a window built after this one in the same program; the
    // items may already be gone with their window, which unregisters the object by itself.
    m_bus.unregisterObject(QString::fromLatin1(kOvxCatPath));
    m_bus.unregisterService(QString::fromLatin1(kOvxCatService));
    delete m_object;
}

DbusPublisher::Outcome DbusPublisher::publish(PublishedItems &items, TerminalModel &rigTerminal)
{
    const QString service = QString::fromLatin1(kOvxCatService);
    if (!m_bus.isConnected() || !m_bus.interface()) {
        m_report = QStringLiteral("Published items are not available: no D-Bus session bus");
        return Outcome::NoBus;
    }
    auto *object = new OvxCatObject(items, m_bus, [&rigTerminal](const QString &why) {
        AppendToTerminal(rigTerminal, why.toLatin1());
    });
    // The object goes first, so that a client that sees the name appear finds the items there.
    if (!m_bus.registerVirtualObject(QString::fromLatin1(kOvxCatPath), object)) {
        delete object;
        m_report = QStringLiteral("Published items are not available: %1 is in use on this "
                                  "connection")
                       .arg(QLatin1String(kOvxCatPath));
        return Outcome::Failed;
    }
    if (m_bus.registerService(service)) {
        m_object = object;
        m_report = QStringLiteral("Published items on D-Bus as %1 %2")
                       .arg(service, QLatin1String(kOvxCatPath));
        return Outcome::Published;
    }
    m_bus.unregisterObject(QString::fromLatin1(kOvxCatPath));
    delete object;
    // Not queued for the name: clients that follow the first bridge's rig must not find
    // themselves following another rig when the first bridge closes.
    const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(service);
    if (owner.isValid()) {
        m_report = QStringLiteral("Another OVX2 holds %1 on this desktop; the items are not "
                                  "published here")
                       .arg(service);
        return Outcome::NameTaken;
    }
    m_report =
        QStringLiteral("Published items are not available: %1").arg(m_bus.lastError().message());
    return Outcome::Failed;
}
