#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QString>

#include <functional>

class PublishedItems;

// Where other programs on the desktop find the published items (topic OVX_CAT).
inline constexpr char kOvxCatService[] = "org.orvex.OVX2";
inline constexpr char kOvxCatPath[] = "/OVX_CAT";
inline constexpr char kOvxCatInterface[] = "org.orvex.OVX_CAT";

// The published items as D-Bus properties: OVX_TX and Text8 to read, TRX_LINK to read and to
// poke. Every change goes out as org.freedesktop.DBus.Properties.PropertiesChanged. The
// introspection text must match org.orvex.OVX_CAT.xml beside this file (a test compares them).
// No Qt signals here: Qt D-Bus would send each one to every client as a member of the interface.
class OvxCatAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.orvex.OVX_CAT")
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"org.orvex.OVX_CAT\">\n"
                "    <property name=\"OVX_TX\" type=\"s\" access=\"read\">\n"
                "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
                "value=\"true\"/>\n"
                "    </property>\n"
                "    <property name=\"Text8\" type=\"s\" access=\"read\">\n"
                "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
                "value=\"true\"/>\n"
                "    </property>\n"
                "    <property name=\"TRX_LINK\" type=\"s\" access=\"readwrite\">\n"
                "      <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
                "value=\"true\"/>\n"
                "    </property>\n"
                "  </interface>\n")
    Q_PROPERTY(QString OVX_TX READ transmitIndicator)
    Q_PROPERTY(QString Text8 READ text8)
    Q_PROPERTY(QString TRX_LINK READ trxLink WRITE setTrxLink)

public:
    // A CAT command is a few dozen characters and a batch of them a few hundred; 4096 takes
    // about a second to send at 38400 baud. Anything longer is not CAT text and is refused
    // whole: half a command could retune or key the rig.
    static constexpr qsizetype kMaxPoke = 4096;

    // Qt D-Bus gives a property setter no way to answer the Set with an error, so a refused
    // poke is told to the bridge's user through refused (the rig terminal).
    using Refusal = std::function<void(const QString &why)>;

    // Becomes a child of items, which is the object to register at kOvxCatPath on bus.
    OvxCatAdaptor(PublishedItems &items, const QDBusConnection &bus, Refusal refused);

    QString transmitIndicator() const;
    QString text8() const;
    QString trxLink() const;
    // A poke: forwarded to the rig when pokeRefusal() has nothing against it.
    void setTrxLink(const QString &text);

    // Why a poked text cannot go to the rig, in words; empty when it can. The rig gets one byte
    // per character, the character's code (Latin-1), so only characters up to U+00FF can be sent.
    static QString pokeRefusal(const QString &text);

private:
    void announce(const QString &item, const QString &text);

    PublishedItems &m_items;
    QDBusConnection m_bus;
    Refusal m_refused;
};
