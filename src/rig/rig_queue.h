#pragma once

#include "rig/rig_access.h"

#include <QByteArray>
#include <QList>

#include <deque>

// A command waiting for the rig's line.
struct RigWrite {
    enum class Kind : quint8 { Query, Setting };
    Kind kind = Kind::Query;
    QByteArray text;      // the command with its ';'
    QList<Source> askers; // a query's: everyone waiting for its reply; a setting's: its source
    QByteArray mergeKey;  // a setting's: what a newer setting of the same source replaces
    quint64 order =
        0; // when it joined the queue (0: now); kept when a newer setting takes its place
    bool exact = false;              // written as given: never shared, merged or replaced
    bool readBack = false;           // the bridge's read of what a setting changed
    QList<QByteArray> replaced = {}; // a setting's: older ones of its kind it took the place of
    bool unknown = false;            // a setting the family's table knows nothing of: maybe a read
};

// What waits to be written to the rig, oldest first, bounded however fast the ports send:
// - a query waiting already is shared with whoever asks the same (one write, one reply to all);
//   the bridge's read-back of a setting, waiting still, gives way to the same read-back queued
//   behind a newer setting (unless a source shares it);
// - a setting still waiting is replaced, in its place, by a newer one of the same kind from the
//   same source (the rig ends in the same state, sooner);
// - past maxBytes the oldest settings are dropped, and a source's queries beyond
//   kMaxQueriesPerSource are refused. The bridge's own queries (its polls) are never dropped.
class RigQueue {
public:
    static constexpr int kMaxQueriesPerSource = 32;

    explicit RigQueue(qsizetype maxBytes) : m_maxBytes(maxBytes) {}
    void setMaxBytes(qsizetype maxBytes) { m_maxBytes = maxBytes; }
    qsizetype maxBytes() const { return m_maxBytes; }

    struct Pushed {
        quint64 order = 0; // of the slot the command went to (a merged or shared one's)
        bool accepted = true;
        QList<RigWrite> dropped; // older settings dropped to make room
    };
    // A query is shared only with one that joined after `notBefore` (one that would be written
    // after what put its answer out of date).
    Pushed push(RigWrite write, quint64 notBefore = 0);

    bool isEmpty() const { return m_writes.empty(); }
    int size() const { return int(m_writes.size()); }
    qsizetype bytes() const { return m_bytes; }
    const RigWrite &front() const { return m_writes.front(); }
    RigWrite takeFront();

    // The source has gone: its waiting queries are forgotten (settings still go to the rig).
    void forget(const Source &source);
    // Everything waiting, taken out (the rig port has closed).
    QList<RigWrite> takeAll();
    // A place in the order for a command written past the queue.
    quint64 stamp() { return m_nextOrder++; }

private:
    int waitingQueriesOf(const Source &source) const;

    std::deque<RigWrite> m_writes;
    qsizetype m_bytes = 0;
    qsizetype m_maxBytes;
    quint64 m_nextOrder = 1;
};
