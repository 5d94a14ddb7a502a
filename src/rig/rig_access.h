#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QObject>

// Who put a command on its way to the rig, so that the rig's reply finds its way back: the bridge
// itself (load queries, polls), an application port (1 to 5), the SDR port, a D-Bus poke, a
// rigctld client or an XML-RPC client (by its number).
struct Source {
    enum class Kind : quint8 { Bridge, AppPort, Sdr, Dbus, Network, XmlRpc };
    Kind kind = Kind::Bridge;
    int index = 0;

    friend constexpr bool operator==(const Source &, const Source &) = default;
};

// The SDR port, as the rig's queue and the reply routing know it.
inline constexpr Source kSdrSource{Source::Kind::Sdr, 7};

// What a way in may change at the rig: a port's, or a network door's, choice.
enum class Permission {
    FreqMode, // "Freq/Mode": frequency and mode settings only (the rule of ports 2 to 5)
    Full,     // "Full": every setting, PTT and split included
};

// What became of a setting: the rig took it (it answered what was written after it, or the read
// of what it changed, with no "?;" before), refused it ("?;"), or no rig was there to take it
// (none connected, or the rig's port went away while it waited).
enum class SettingResult : quint8 { Taken, Refused, NoRig };

// The rig as every way in sees it: the virtual rig for reads it can answer, and one queue to the
// rig for everything else. Application ports, the SDR port, D-Bus pokes and network clients all
// go through here, so the rig has one writer and every reply one addressee.
class RigAccess : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual RigType rigType() const = 0;

    // Whether a rig is connected to take settings and answer reads.
    virtual bool rigConnected() const = 0;

    // The virtual rig's reply to a read ("FA;", "IF;") when it holds one and it is current: not
    // empty, and not changed by a setting since. Empty when the read must go to the rig.
    virtual QByteArray cachedReply(const QByteArray &query) const = 0;

    // A read for the rig, written once however many sources wait for the same read; the reply
    // comes back through replied() to each of them.
    virtual void ask(const Source &source, const QByteArray &query) = 0;

    // A setting for the rig: queued behind what waits, merged with a newer setting of the same
    // kind from the same source while neither has been written, and read back from the rig
    // afterwards so that the virtual rig follows it.
    virtual void set(const Source &source, const QByteArray &setting) = 0;

    // The source has gone (a client disconnected): its waiting reads are forgotten.
    virtual void forget(const Source &source) = 0;

signals:
    // The rig's reply to a read that source asked for ("?;" when the rig refused it).
    void replied(const Source &source, const QByteArray &reply);
    // A read that source asked for got no reply in time (the rig is off, or ignored it).
    void unanswered(const Source &source, const QByteArray &query);
    // What became of a setting that source gave set(); every setting is settled once.
    void settled(const Source &source, const QByteArray &setting, SettingResult result);
};
