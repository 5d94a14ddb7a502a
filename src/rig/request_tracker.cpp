#include "rig/request_tracker.h"

#include "rig/cat_dialect.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxGivenUp = 64;

bool isQuery(const RequestTracker::Pending &p)
{
    return p.write.kind == RigWrite::Kind::Query;
}

// How long a command may still bring a reply: a query its answer, a setting the rig's "?;".
qint64 windowOf(const RequestTracker::Pending &p)
{
    return isQuery(p) ? RequestTracker::kReplyWindowMs : RequestTracker::kErrorWindowMs;
}

// A setting stands for the settings it replaced while they waited: each is settled with it.
void settle(const RigWrite &w, SettingResult result, QList<RequestTracker::Settled> &out)
{
    const Source source = w.askers.value(0);
    for (const QByteArray &earlier : w.replaced)
        out.append({source, earlier, result});
    out.append({source, w.text, result});
}

} // namespace

void RequestTracker::written(const RigWrite &write, qint64 nowMs)
{
    m_pending.push_back({write, nowMs, false, m_nextSeq++});
}

std::vector<quint64> RequestTracker::refusable(qint64 nowMs) const
{
    std::vector<quint64> writes;
    for (const Pending &p : m_pending) {
        if (isQuery(p)) {
            if (p.overtaken)
                continue; // skipped by the rig, or answered by its own report: not this one
            writes.push_back(p.seq);
            break;
        }
        if (nowMs - p.writtenAtMs <= kErrorWindowMs)
            writes.push_back(p.seq);
    }
    return writes;
}

std::size_t RequestTracker::indexOf(quint64 seq) const
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                 [&](const Pending &p) { return p.seq == seq; });
    return std::size_t(it - m_pending.begin());
}

void RequestTracker::refuse(std::size_t index, Match &m)
{
    const Pending &p = m_pending[index];
    m.refused << p.write.askers;
    // A setting stands for those it replaced: its source is told once for each.
    for (qsizetype i = 0; !isQuery(p) && i < p.write.replaced.size(); ++i)
        m.refused << p.write.askers.value(0);
    if (!isQuery(p))
        settle(p.write, SettingResult::Refused, m.settled);
    m_pending.erase(m_pending.begin() + std::ptrdiff_t(index));
}

void RequestTracker::takeSettings(std::size_t before, Match &m)
{
    // The rig has dealt with everything written before: settings that brought no reply were
    // taken silently. Reads written before stay: a radio's own report may have answered the
    // later read, and their reply may still come.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < before; ++i) {
        if (isQuery(m_pending[i])) {
            m_pending[i].overtaken = true;
            m_pending[kept++] = std::move(m_pending[i]);
        } else {
            settle(m_pending[i].write, SettingResult::Taken, m.settled);
        }
    }
    m_pending.erase(m_pending.begin() + std::ptrdiff_t(kept),
                    m_pending.begin() + std::ptrdiff_t(before));
}

void RequestTracker::resolveHeld(Match &m)
{
    if (!m_held)
        return;
    const Held held = *std::exchange(m_held, std::nullopt);
    std::vector<quint64> still;
    for (quint64 seq : held.writes) {
        if (indexOf(seq) < m_pending.size())
            still.push_back(seq);
    }
    if (still.empty() || std::size_t(held.count) != still.size())
        return; // nothing tells which of them the rig refused
    for (quint64 seq : still)
        refuse(indexOf(seq), m);
}

RequestTracker::Match RequestTracker::match(const QByteArray &reply, qint64 nowMs)
{
    Match m;
    if (!m_okReply.isEmpty() && (reply == m_okReply || reply == "?;")) {
        const bool ok = reply == m_okReply;
        // The answer to a command given up on comes before any later one's.
        if (answersGivenUp(reply, nowMs)) {
            m.matched = m.late = true;
            return m;
        }
        // A read overtaken lost its reply (a collision on the bus): the answer is not its.
        const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending &p) {
            return isQuery(p) ? !ok && !p.overtaken : true;
        });
        if (it == m_pending.end())
            return m;
        const auto index = std::size_t(it - m_pending.begin());
        m.matched = true;
        if (!ok) {
            refuse(index, m);
            return m;
        }
        // Its source is told once for each setting it stood for.
        const Source source = it->write.askers.value(0);
        for (qsizetype i = 0; i <= it->write.replaced.size(); ++i)
            m.askers << source;
        m.order = it->write.order;
        settle(it->write, SettingResult::Taken, m.settled);
        m_pending.erase(it);
        takeSettings(index, m);
        return m;
    }
    if (reply == "?;") {
        std::vector<quint64> writes = refusable(nowMs);
        if (writes.empty()) {
            m.matched = m.late = answersGivenUp(reply, nowMs);
            return m;
        }
        m.matched = true;
        // Every "?;" held so far was for one of these writes too (the group only grows by
        // settings written since): count this one with them.
        const int count = m_held ? m_held->count + 1 : 1;
        m_held = Held{std::move(writes), count};
        if (std::size_t(count) == m_held->writes.size())
            resolveHeld(m);
        return m;
    }
    auto query = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending &p) {
        return isQuery(p) && answers(reply, p.write.text);
    });
    // A read the family's table does not know was written as a setting: a reply that carries
    // more than its text, and that no read answers, is still its answer.
    if (query == m_pending.end())
        query = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending &p) {
            return p.write.unknown && reply.size() > p.write.text.size() &&
                   answers(reply, p.write.text);
        });
    if (query == m_pending.end()) {
        m.matched = m.late = answersGivenUp(reply, nowMs);
        return m;
    }
    const quint64 answered = query->seq;
    m.matched = true;
    m.askers = query->write.askers;
    m.order = query->write.order;
    // The read answered is no write the rig refused; the held "?;"s were for the others.
    if (m_held) {
        std::erase(m_held->writes, answered);
        resolveHeld(m);
    }
    const std::size_t index = indexOf(answered);
    if (!isQuery(m_pending[index]))
        settle(m_pending[index].write, SettingResult::Taken, m.settled);
    m_pending.erase(m_pending.begin() + std::ptrdiff_t(index));
    takeSettings(index, m);
    return m;
}

RequestTracker::Expired RequestTracker::expire(qint64 nowMs)
{
    Expired expired;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (nowMs - it->writtenAtMs < windowOf(*it)) {
            ++it;
            continue;
        }
        // A held "?;" may have been this write's: nothing will tell now.
        if (m_held && std::find(m_held->writes.begin(), m_held->writes.end(), it->seq) !=
                          m_held->writes.end())
            m_held.reset();
        if (isQuery(*it)) {
            rememberGivenUp(it->write.text, nowMs);
            expired.reads << std::move(*it);
        } else if (!m_okReply.isEmpty()) {
            // A radio that answers every setting did not answer this one: nothing took it.
            rememberGivenUp(m_okReply, nowMs);
            settle(it->write, SettingResult::NoRig, expired.settled);
        } else {
            settle(it->write, SettingResult::Taken, expired.settled);
        }
        it = m_pending.erase(it);
    }
    return expired;
}

qint64 RequestTracker::nextDeadlineMs() const
{
    qint64 next = -1;
    for (const Pending &p : m_pending) {
        const qint64 due = p.writtenAtMs + windowOf(p);
        if (next < 0 || due < next)
            next = due;
    }
    return next;
}

void RequestTracker::rememberGivenUp(const QByteArray &read, qint64 nowMs)
{
    m_givenUp.push_back({read, nowMs});
    if (m_givenUp.size() > kMaxGivenUp)
        m_givenUp.pop_front();
}

bool RequestTracker::answersGivenUp(const QByteArray &reply, qint64 nowMs)
{
    while (!m_givenUp.empty() && nowMs - m_givenUp.front().atMs > kLateMs)
        m_givenUp.pop_front();
    const auto it = std::find_if(m_givenUp.begin(), m_givenUp.end(), [&](const GivenUp &g) {
        return reply == "?;" || answers(reply, g.read);
    });
    if (it == m_givenUp.end())
        return false;
    m_givenUp.erase(it); // one late reply for each read given up
    return true;
}

RequestTracker::Pending *RequestTracker::pendingQuery(const QByteArray &text)
{
    for (Pending &p : m_pending) {
        if (isQuery(p) && p.write.text == text)
            return &p;
    }
    return nullptr;
}

void RequestTracker::forget(const Source &source)
{
    for (Pending &p : m_pending) {
        if (isQuery(p))
            p.write.askers.removeAll(source);
    }
}

QList<RequestTracker::Pending> RequestTracker::takeAll()
{
    QList<Pending> all(std::make_move_iterator(m_pending.begin()),
                       std::make_move_iterator(m_pending.end()));
    m_pending.clear();
    m_held.reset();
    return all;
}
