#include "rig/request_tracker.h"

#include "rig/cat_dialect.h"

#include <algorithm>

namespace {

bool isQuery(const RequestTracker::Pending &p)
{
    return p.write.kind == RigWrite::Kind::Query;
}

// How long a command may still bring a reply: a query its answer, a setting the rig's "?;".
qint64 windowOf(const RequestTracker::Pending &p)
{
    return isQuery(p) ? RequestTracker::kReplyWindowMs : RequestTracker::kErrorWindowMs;
}

} // namespace

void RequestTracker::written(const RigWrite &write, qint64 nowMs)
{
    m_pending.push_back({write, nowMs});
}

RequestTracker::Match RequestTracker::match(const QByteArray &reply, qint64 nowMs)
{
    Match m;
    auto take = [&](std::size_t index) {
        m.matched = true;
        m.askers = m_pending[index].write.askers;
        m.order = m_pending[index].write.order;
        // The rig has dealt with everything written before it: settings that brought no reply
        // were taken silently. Of those up to the reply, only the other queries stay.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < index; ++i) {
            if (isQuery(m_pending[i]))
                m_pending[kept++] = std::move(m_pending[i]);
        }
        m_pending.erase(m_pending.begin() + std::ptrdiff_t(kept),
                        m_pending.begin() + std::ptrdiff_t(index) + 1);
    };
    auto indexOf = [&](std::deque<Pending>::iterator it) {
        return std::size_t(it - m_pending.begin());
    };
    if (reply == "?;") {
        const auto recent = [&](const Pending &p) {
            return nowMs - p.writtenAtMs <= kErrorWindowMs;
        };
        auto query = std::find_if(m_pending.begin(), m_pending.end(),
                                  [&](const Pending &p) { return isQuery(p) && recent(p); });
        if (query != m_pending.end()) {
            take(indexOf(query));
            return m;
        }
        auto setting = std::find_if(m_pending.rbegin(), m_pending.rend(),
                                    [&](const Pending &p) { return !isQuery(p) && recent(p); });
        if (setting != m_pending.rend())
            take(indexOf(std::prev(setting.base())));
        return m;
    }
    auto query = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending &p) {
        return isQuery(p) && answers(reply, p.write.text);
    });
    if (query != m_pending.end())
        take(indexOf(query));
    return m;
}

QList<RequestTracker::Pending> RequestTracker::expire(qint64 nowMs)
{
    QList<Pending> expired;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (nowMs - it->writtenAtMs < windowOf(*it)) {
            ++it;
            continue;
        }
        if (isQuery(*it))
            expired << std::move(*it);
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
    return all;
}
