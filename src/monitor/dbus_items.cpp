#include "monitor/dbus_items.h"

#include "monitor/published_items.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

OvxCatAdaptor::OvxCatAdaptor(PublishedItems &items, const QDBusConnection &bus, Refusal refused)
    : QDBusAbstractAdaptor(&items), m_items(items), m_bus(bus), m_refused(std::move(refused))
{
    connect(&items, &PublishedItems::transmitIndicatorChanged, this,
            [this](const QString &text) { announce(QStringLiteral("OVX_TX"), text); });
    connect(&items, &PublishedItems::text8Changed, this,
            [this](const QString &text) { announce(QStringLiteral("Text8"), text); });
    // Every poke, the same text again included, so that each client sees each one.
    connect(&items, &PublishedItems::trxLinkChanged, this,
            [this](const QString &text) { announce(QStringLiteral("TRX_LINK"), text); });
}

QString OvxCatAdaptor::transmitIndicator() const
{
    return m_items.transmitIndicator();
}

QString OvxCatAdaptor::text8() const
{
    return m_items.text8();
}

QString OvxCatAdaptor::trxLink() const
{
    return m_items.trxLink();
}

void OvxCatAdaptor::setTrxLink(const QString &text)
{
    const QString why = pokeRefusal(text);
    if (!why.isEmpty()) {
        m_refused(why);
        return;
    }
    m_items.setTrxLink(text);
}

QString OvxCatAdaptor::pokeRefusal(const QString &text)
{
    if (text.size() > kMaxPoke)
        return QStringLiteral("TRX_LINK poke refused: %1 characters, at most %2 go to the rig")
            .arg(text.size())
            .arg(kMaxPoke);
    const QList<uint> codes = text.toUcs4();
    const auto wide = std::find_if(codes.cbegin(), codes.cend(), [](uint c) { return c > 0xFF; });
    if (wide == codes.cend())
        return {};
    // A client that sent bytes rather than a string gets them read as UTF-8, and every byte
    // that is not UTF-8 becomes U+FFFD.
    if (*wide == 0xFFFD)
        return QStringLiteral("TRX_LINK poke refused: bytes that are not UTF-8 text");
    return QStringLiteral("TRX_LINK poke refused: U+%1 is not 8-bit text")
        .arg(QString::number(*wide, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

void OvxCatAdaptor::announce(const QString &item, const QString &text)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kOvxCatPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kOvxCatInterface) << QVariantMap{{item, text}} << QStringList{};
    m_bus.send(signal);
}
