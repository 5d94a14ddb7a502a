#include "monitor/dbus_items.h"

#include "monitor/ovx_cat_interface.h"
#include "monitor/published_items.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

#include <algorithm>

namespace {

constexpr char kProperties[] = "org.freedesktop.DBus.Properties";

// The items, in the order clients list them; only TRX_LINK takes a Set.
struct Item {
    const char *name;
    QString (PublishedItems::*read)() const;
    bool poked;
};
constexpr Item kItems[] = {
    {"OVX_TX", &PublishedItems::transmitIndicator, false},
    {"Text8", &PublishedItems::text8, false},
    {"TRX_LINK", &PublishedItems::trxLink, true},
};

const Item *itemNamed(const QString &name)
{
    const auto found = std::find_if(std::begin(kItems), std::end(kItems),
                                    [&name](const Item &item) { return name == item.name; });
    return found == std::end(kItems) ? nullptr : found;
}

} // namespace

OvxCatObject::OvxCatObject(PublishedItems &items, const QDBusConnection &bus, Refusal refused)
    : QDBusVirtualObject(&items), m_items(items), m_bus(bus), m_refused(std::move(refused))
{
    connect(&items, &PublishedItems::transmitIndicatorChanged, this,
            [this](const QString &text) { announce(QStringLiteral("OVX_TX"), text); });
    connect(&items, &PublishedItems::text8Changed, this,
            [this](const QString &text) { announce(QStringLiteral("Text8"), text); });
    // Every poke, the same text again included, so that each client sees each one.
    connect(&items, &PublishedItems::trxLinkChanged, this,
            [this](const QString &text) { announce(QStringLiteral("TRX_LINK"), text); });
}

QString OvxCatObject::introspect(const QString &) const
{
    return QString::fromUtf8(kOvxCatInterfaceXml);
}

bool OvxCatObject::handleMessage(const QDBusMessage &call, const QDBusConnection &connection)
{
    // Introspection, and whatever is not a Properties call for these items, get Qt's answers.
    if (!call.interface().isEmpty() && call.interface() != QLatin1String(kProperties))
        return false;
    const QString member = call.member();
    const QString signature = call.signature();
    const bool get = member == QLatin1String("Get") && signature == QLatin1String("ss");
    const bool getAll = member == QLatin1String("GetAll") && signature == QLatin1String("s");
    const bool set = member == QLatin1String("Set") && signature == QLatin1String("ssv");
    if (!get && !getAll && !set)
        return false;
    const QVariantList arguments = call.arguments();
    const QString interface = arguments.at(0).toString();
    if (!interface.isEmpty() && interface != QLatin1String(kOvxCatInterface))
        return false;

    QDBusMessage reply;
    if (getAll) {
        QVariantMap all;
        for (const Item &item : kItems)
            all.insert(QLatin1String(item.name), (m_items.*item.read)());
        reply = call.createReply(QVariant(all));
    } else {
        const QString name = arguments.at(1).toString();
        const Item *item = itemNamed(name);
        if (!item)
            reply = call.createErrorReply(
                QDBusError::UnknownProperty,
                QStringLiteral("%1 has no property %2").arg(QLatin1String(kOvxCatInterface), name));
        else if (get)
            reply = call.createReply(QVariant::fromValue(QDBusVariant((m_items.*item->read)())));
        else if (!item->poked)
            reply = call.createErrorReply(QDBusError::PropertyReadOnly,
                                          QStringLiteral("Property %1.%2 is read-only")
                                              .arg(QLatin1String(kOvxCatInterface), name));
        else
            reply = this->set(call, name, qvariant_cast<QDBusVariant>(arguments.at(2)).variant());
    }
    connection.send(reply);
    return true;
}

QDBusMessage OvxCatObject::set(const QDBusMessage &call, const QString &name, const QVariant &value)
{
    // A string, or bytes (ay), read as UTF-8.
    QString text;
    QString why;
    if (value.metaType() == QMetaType::fromType<QString>())
        text = value.toString();
    else if (value.metaType() == QMetaType::fromType<QByteArray>())
        text = QString::fromUtf8(value.toByteArray());
    else
        why = QStringLiteral("%1 poke refused: a value of D-Bus type %2 is not text")
                  .arg(name, QString::fromLatin1(value.typeName()));
    if (why.isEmpty())
        why = pokeRefusal(text);
    if (!why.isEmpty()) {
        m_refused(why);
        return call.createErrorReply(QDBusError::InvalidArgs, why);
    }
    m_items.setTrxLink(text);
    return call.createReply();
}

QString OvxCatObject::pokeRefusal(const QString &text)
{
    if (text.size() > kMaxPoke)
        return QStringLiteral("TRX_LINK poke refused: %1 characters, at most %2 go to the rig")
            .arg(text.size())
            .arg(kMaxPoke);
    const QList<uint> codes = text.toUcs4();
    const auto wide = std::find_if(codes.cbegin(), codes.cend(), [](uint c) { return c > 0xFF; });
    // A client that sent bytes rather than a string gets them read as UTF-8, and every byte
    // that is not UTF-8 becomes U+FFFD.
    if (wide != codes.cend() && *wide == 0xFFFD)
        return QStringLiteral("TRX_LINK poke refused: bytes that are not UTF-8 text");
    if (wide != codes.cend())
        return QStringLiteral("TRX_LINK poke refused: U+%1 is not 8-bit text")
            .arg(QString::number(*wide, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    // Empty clears the item and sends nothing.
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        return QStringLiteral("TRX_LINK poke refused: it does not end with ';', so the rig "
                              "would run it together with the next command");
    return {};
}

void OvxCatObject::announce(const QString &item, const QString &text)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(kOvxCatPath), QLatin1String(kProperties),
                                   QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kOvxCatInterface) << QVariantMap{{item, text}} << QStringList{};
    m_bus.send(signal);
}
