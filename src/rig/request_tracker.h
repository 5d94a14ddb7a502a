#pragma once

#include "rig/rig_queue.h"

#include <QByteArray>
#include <QList>

#include <deque>

// The commands written to the rig that may still bring a reply, and who is waiting for each, so
// that a reply reaches whoever asked for it. The rig answers in order:
// - a reply goes to the oldest query it answers (same mnemonic and parameters as asked);
// - "?;" goes to the oldest query still waiting, or else to the newest setting, written in the
//   last kErrorWindowMs: what the rig refused;
// - a query that brings no reply within kReplyWindowMs is given up.
// A reply that answers nothing written is the rig's own (auto-information) or a late one.
class RequestTracker {
public:
    static constexpr qint64 kReplyWindowMs = 1500; // a K3 may take 500 ms to change band
    static constexpr qint64 kErrorWindowMs = 1000;

    struct Pending {
        RigWrite write;
        qint64 writtenAtMs = 0;
    };

    // A command has been handed to the rig.
    void written(const RigWrite &write, qint64 nowMs);

    struct Match {
        bool matched = false;
        QList<Source> askers;
        quint64 order = 0; // when the query joined the queue
    };
    Match match(const QByteArray &reply, qint64 nowMs);

    // Queries past their window, taken out so that their askers can be told.
    QList<Pending> expire(qint64 nowMs);
    // When the oldest command now pending runs out of its window; -1 with none pending.
    qint64 nextDeadlineMs() const;

    // A query written and not answered yet; nullptr when there is none.
    Pending *pendingQuery(const QByteArray &text);
    void forget(const Source &source);
    // Everything pending, taken out (a new connection: nothing written before will be answered).
    QList<Pending> takeAll();
    bool isEmpty() const { return m_pending.empty(); }

private:
    std::deque<Pending> m_pending; // in the order written
};
