#pragma once

#include "rig/civ_framing.h"
#include "rig/request_tracker.h"
#include "rig/rig_access.h"
#include "rig/rig_queue.h"
#include "rig/virtual_rig.h"

#include <QHash>
#include <QTimer>

#include <array>

class Clock;
class SerialPort;
struct StationSettings;
struct RoutingRow;

// The one way to the rig. Every command from the ports, the SDR port, D-Bus pokes, network
// clients and the bridge's own polls goes through one bounded queue, paced to the line so that
// what waits can still be merged or shared; every reply is matched to whoever asked for it and
// stored in the virtual rig. A setting puts what it changes out of date in the virtual rig until
// the rig is read again, and that read is queued right behind it.
//
// Both directions of the line are paced: a query is handed over only when the rig's replies to
// what went before are not far behind, so that a slow rig's answers never come after their askers
// have given up on them.
class RigLink : public RigAccess {
    Q_OBJECT
public:
    struct Deps {
        SerialPort &rigPort;
        VirtualRigState &rig;
        const StationSettings &settings; // the rig type
        const Clock &clock;
    };
    explicit RigLink(Deps deps, QObject *parent = nullptr);

    // RigAccess
    RigType rigType() const override;
    bool rigConnected() const override;
    QByteArray cachedReply(const QByteArray &query) const override;
    void ask(const Source &source, const QByteArray &query) override;
    void set(const Source &source, const QByteArray &setting) override;
    void forget(const Source &source) override;

    // The bridge's polls: every query of the text, each shared with the same one waiting.
    void poll(const QByteArray &queries);
    // Text for the rig exactly as given (a D-Bus poke): its commands in order, nothing shared,
    // merged or added among them, a last piece without ';' as it is; the reads of what it set
    // follow it.
    void poke(const Source &source, const QByteArray &text);
    // Written at once, past the queue (the connection sequence's own waits pace it). Queries
    // among the text are tracked when `track` is set, so that their replies are the bridge's.
    void writeNow(const QByteArray &text, bool track);
    // A new connection: nothing written before will be answered, nothing waiting is wanted.
    void reset();
    // The rig port's speed, which the line is paced at; 0 when unknown.
    void setLineSpeed(int baud) { m_baud = baud; }
    // While the connection sequence writes, what waits stays queued, and nothing is answered
    // from the virtual rig, which is being loaded.
    void hold(bool held);

    // One reply of the rig, in order of arrival: who asked for it (if anyone), stored in the
    // virtual rig by its routing row (nullptr: no row takes it).
    struct Routed {
        const RoutingRow *row = nullptr;
        QList<Source> askers;
        bool asked = false;   // it answered something written to the rig
        bool late = false;    // it answered a read given up on: for nobody
        bool report = false;  // the radio's own report (a CI-V transceive frame)
        bool changed = false; // the virtual rig holds something new
        QByteArray kept;      // what the virtual rig keeps of it (a report as the reply to a read)
        // Writes the rig refused before this reply: each of these gets "?;" first.
        QList<Source> refused;
    };
    Routed takeReply(const QByteArray &reply);
    // Tells a waiting asker its reply (for the askers the caller does not serve itself).
    void answer(const Source &source, const QByteArray &reply) { emit replied(source, reply); }

    bool isStale(Entry e) const { return m_staleSince[std::size_t(e)] != 0; }
    const RigQueue &queue() const { return m_queue; }
    // One second of line time at the present speed, never under a few KiB.
    qsizetype queueBound() const;

signals:
    // A line for the rig terminal (the queue could not take everything).
    void notice(const QByteArray &line);

private:
    RigQueue::Pushed enqueue(RigWrite write);
    // Tells a query's askers (not the bridge) that no reply will come; a setting never reached
    // a rig.
    void tellUnanswered(const RigWrite &write);
    void settleAll(const RigWrite &setting, SettingResult result);
    void emitSettled(const QList<RequestTracker::Settled> &settled);
    // Marks what a setting changes as out of date since `order`; the read that brings it back,
    // or empty.
    QByteArray markStale(const QByteArray &setting, quint64 order);
    void pump();
    void expire();
    void scheduleExpiry();
    void followTransmitState(Entry entry, const QByteArray &reply);
    // Stores a reply under its row's entry.
    void keep(const RoutingRow &row, const QByteArray &reply, const RequestTracker::Match &match);
    void dropEverything();
    double charMs() const;
    void write(const QByteArray &text);
    // A command no frame can carry to a radio that speaks CI-V.
    bool unwritable(const QByteArray &command) const;
    // How long the rig's reply to a query takes on the line, from the last reply of its kind.
    double replyMs(const QByteArray &query) const;
    // Whether the front of the queue may be handed over now; else when (ms) it may.
    double waitMs(const RigWrite &front, double now) const;
    // The line's time for a write handed over at `now` (and for a query's reply).
    void account(const QByteArray &text, bool query, double now);
    quint64 staleSinceOf(const QByteArray &query) const;
    void dropped(const Source &source, bool query);

    Deps d;
    RigQueue m_queue;
    RequestTracker m_tracker;
    std::array<quint64, kEntryCount> m_staleSince{}; // order of the setting; 0: current
    double m_lineFreeMs = 0;          // when what has been handed over will have left the line
    double m_replyFreeMs = 0;         // when the replies to it will have come back
    QHash<quint16, int> m_replyChars; // by a reply's first two characters: its length
    QTimer m_pacer;
    QTimer m_expiry;
    CivLine m_civ{CivLine::End::Controller}; // writes the rig's frames where it speaks CI-V
    bool m_dropping = false;                 // inside a burst the queue could not take
    bool m_held = false;
    int m_baud = 0;
};
