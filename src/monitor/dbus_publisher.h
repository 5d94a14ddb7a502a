#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

class OvxCatObject;
class PublishedItems;
class TerminalModel;

// Offers the published items to other programs on the desktop, as org.orvex.OVX2 at /OVX_CAT on
// the given bus. When it cannot, the bridge runs on without them and says why once in the rig
// terminal; refused pokes are reported there too.
class DbusPublisher : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Published, NoBus, NameTaken, Failed };

    DbusPublisher(PublishedItems &items, TerminalModel &rigTerminal, const QDBusConnection &bus,
                  QObject *parent = nullptr);
    ~DbusPublisher() override;

    Outcome outcome() const { return m_outcome; }
    // What happened, in words.
    QString report() const { return m_report; }

private:
    Outcome publish(PublishedItems &items, TerminalModel &rigTerminal);

    QDBusConnection m_bus;
    // Owned by the items, whose lifetime it shares.
    QPointer<OvxCatObject> m_object;
    Outcome m_outcome = Outcome::Failed;
    QString m_report;
};
