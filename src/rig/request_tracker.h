#pragma once

#include "rig/rig_queue.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

// The commands written to the rig that may still bring a reply, and who is waiting for each, so
// that a reply reaches whoever asked for it. The rig answers in the order it is written to: a
// read with its reply or "?;", a setting with nothing when it takes it and "?;" when it refuses.
// - a reply goes to the oldest read it answers (same mnemonic and parameters as asked); the
//   settings written before that read were taken;
// - "?;" goes to the one write it can answer: the settings written since the last read answered,
//   up to and including the next read. Where that is more than one write, it is held until a
//   later reply tells which (the read answered: one of the settings), and given to nobody where
//   nothing can tell, rather than to the wrong one;
// - a read that brings no reply within kReplyWindowMs is given up; a reply to it that comes in
//   the kLateMs after is known as late and goes to nobody;
// - a setting no "?;" came for within kErrorWindowMs was taken.
// A reply that answers nothing written is the rig's own (auto-information).
//
// A CI-V radio answers every command in order, a setting with its OK ("FB;") or NG ("?;"): the
// OK is the oldest setting's, an NG the oldest command's.
class RequestTracker {
public:
    // The reply that says a setting was taken, for a family that answers every command in
    // order; empty for one that takes settings silently.
    void setOkReply(const QByteArray &ok) { m_okReply = ok; }

    static constexpr qint64 kReplyWindowMs = 1500; // a K3 may take 500 ms to change band
    static constexpr qint64 kErrorWindowMs = 1000;
    static constexpr qint64 kLateMs = 5000;

    struct Pending {
        RigWrite write;
        qint64 writtenAtMs = 0;
        bool overtaken = false; // a read written later was answered first
        quint64 seq = 0;        // the tracker's own count of writes
    };

    // A setting's outcome, for its source.
    struct Settled {
        Source source;
        QByteArray setting;
        SettingResult result;
    };

    // A command has been handed to the rig.
    void written(const RigWrite &write, qint64 nowMs);

    struct Match {
        bool matched = false; // it answers something written: not the rig's own
        bool late = false;    // it answers a read given up on: for nobody
        QList<Source> askers;
        quint64 order = 0; // when the read joined the queue
        // Earlier writes now known refused: each of their askers gets "?;" before this reply.
        QList<Source> refused;
        QList<Settled> settled;
    };
    Match match(const QByteArray &reply, qint64 nowMs);

    // What ran out of its window: reads given up (their askers are told) and settings taken.
    struct Expired {
        QList<Pending> reads;
        QList<Settled> settled;
    };
    Expired expire(qint64 nowMs);
    // When the oldest command now pending runs out of its window; -1 with none pending.
    qint64 nextDeadlineMs() const;

    // A query written and not answered yet; nullptr when there is none.
    Pending *pendingQuery(const QByteArray &text);
    void forget(const Source &source);
    // Everything pending, taken out (a new connection, or the rig gone: nothing written before
    // will be answered).
    QList<Pending> takeAll();
    bool isEmpty() const { return m_pending.empty(); }
    // Whether everything written and not answered yet is the bridge's own (its polls).
    bool onlyTheBridgeWaits() const
    {
        return std::all_of(m_pending.cbegin(), m_pending.cend(), [](const Pending &p) {
            return std::all_of(p.write.askers.cbegin(), p.write.askers.cend(),
                               [](const Source &s) { return s.kind == Source::Kind::Bridge; });
        });
    }

private:
    // The writes a "?;" may answer now, by their seq.
    std::vector<quint64> refusable(qint64 nowMs) const;
    std::size_t indexOf(quint64 seq) const;
    // The held "?;"s are for writes now all known: they go to their writes when there are as
    // many as writes, else to nobody.
    void resolveHeld(Match &m);
    void refuse(std::size_t index, Match &m);
    void takeSettings(std::size_t before, Match &m);
    void rememberGivenUp(const QByteArray &read, qint64 nowMs);
    bool answersGivenUp(const QByteArray &reply, qint64 nowMs);

    QByteArray m_okReply;
    std::deque<Pending> m_pending; // in the order written
    quint64 m_nextSeq = 1;
    // "?;"s that more than one write may have brought: those writes, and how many came.
    struct Held {
        std::vector<quint64> writes;
        int count = 0;
    };
    std::optional<Held> m_held;
    struct GivenUp {
        QByteArray read;
        qint64 atMs;
    };
    std::deque<GivenUp> m_givenUp; // the last few seconds', oldest first
};
