#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>

#include <functional>

class PublishedItems;

// Where other programs on the desktop find the published items (topic OVX_CAT).
inline constexpr char kOvxCatService[] = "org.orvex.OVX2";
inline constexpr char kOvxCatPath[] = "/OVX_CAT";
inline constexpr char kOvxCatInterface[] = "org.orvex.OVX_CAT";

// The published items as D-Bus properties: OVX_TX and Text8 to read, TRX_LINK to read and to
// poke. Every change goes out as org.freedesktop.DBus.Properties.PropertiesChanged. The object
// answers the Properties calls itself: a property adaptor of Qt can only accept a Set, or answer
// "Internal error", so a refused poke would look like a success to the client that sent it.
// Introspection is Qt's, with introspect() as this interface; it must match
// org.orvex.OVX_CAT.xml beside this file (a test compares them).
class OvxCatObject : public QDBusVirtualObject {
    Q_OBJECT
public:
    // A CAT command is a few dozen characters and a batch of them a few hundred; 4096 takes
    // about a second to send at 38400 baud. Anything longer is not CAT text and is refused
    // whole: half a command could retune or key the rig.
    static constexpr qsizetype kMaxPoke = 4096;

    // A refused poke is answered to its client with an error, and told to the bridge's user
    // through refused (the rig terminal).
    using Refusal = std::function<void(const QString &why)>;

    // Becomes a child of items; register it at kOvxCatPath on bus as a single node.
    OvxCatObject(PublishedItems &items, const QDBusConnection &bus, Refusal refused);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    // Why a poked text cannot go to the rig, in words; empty when it can. The rig gets one byte
    // per character, the character's code (Latin-1), so only characters up to U+00FF can be sent,
    // and the text must end a command: the rig would run an unfinished one together with the
    // next command anyone sends.
    static QString pokeRefusal(const QString &text);

private:
    QDBusMessage set(const QDBusMessage &call, const QString &name, const QVariant &value);
    void announce(const QString &item, const QString &text);

    PublishedItems &m_items;
    QDBusConnection m_bus;
    Refusal m_refused;
};
