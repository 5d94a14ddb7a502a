#include "rig/rig_queue.h"

#include <algorithm>
#include <utility>

namespace {

bool isOwn(const RigWrite &w)
{
    return std::any_of(w.askers.cbegin(), w.askers.cend(),
                       [](const Source &s) { return s.kind == Source::Kind::Bridge; });
}

bool isOwnOnly(const RigWrite &w)
{
    return !w.askers.isEmpty() &&
           std::all_of(w.askers.cbegin(), w.askers.cend(),
                       [](const Source &s) { return s.kind == Source::Kind::Bridge; });
}

} // namespace

RigQueue::Pushed RigQueue::push(RigWrite write, quint64 notBefore)
{
    Pushed pushed;
    if (write.exact) {
        // Neither shared nor merged, but bounded like everything else.
    } else if (write.kind == RigWrite::Kind::Query) {
        for (RigWrite &w : m_writes) {
            if (w.kind != RigWrite::Kind::Query || w.exact || w.text != write.text ||
                w.order <= notBefore)
                continue;
            for (const Source &s : std::as_const(write.askers)) {
                if (!w.askers.contains(s))
                    w.askers << s;
            }
            pushed.order = w.order;
            return pushed;
        }
        if (!isOwn(write) && !write.askers.isEmpty() &&
            waitingQueriesOf(write.askers.first()) >= kMaxQueriesPerSource) {
            pushed.accepted = false;
            return pushed;
        }
        // A read-back still waiting before a newer setting of the same thing would read a value
        // about to change: the newer read-back takes over from it. Otherwise a flood of settings
        // that are never merged (pokes) would leave one such read each, never dropped.
        if (write.readBack) {
            const auto older =
                std::find_if(m_writes.begin(), m_writes.end(), [&](const RigWrite &w) {
                    return w.readBack && w.text == write.text && isOwnOnly(w);
                });
            if (older != m_writes.end()) {
                m_bytes -= older->text.size();
                m_writes.erase(older);
            }
        }
    } else if (!write.mergeKey.isEmpty()) {
        for (RigWrite &w : m_writes) {
            if (w.kind == RigWrite::Kind::Setting && w.mergeKey == write.mergeKey &&
                w.askers == write.askers) {
                m_bytes += write.text.size() - w.text.size();
                w.replaced << std::exchange(w.text, write.text);
                pushed.order = w.order;
                return pushed;
            }
        }
    }
    if (write.order == 0)
        write.order = m_nextOrder++;
    pushed.order = write.order;
    m_bytes += write.text.size();
    m_writes.push_back(std::move(write));

    // Past the bound the oldest settings go first; what the rig is asked is never dropped here.
    for (auto it = m_writes.begin(); m_bytes > m_maxBytes && it != m_writes.end();) {
        if (it->kind == RigWrite::Kind::Setting && !isOwn(*it) && it->order != pushed.order) {
            m_bytes -= it->text.size();
            pushed.dropped << std::move(*it);
            it = m_writes.erase(it);
        } else {
            ++it;
        }
    }
    return pushed;
}

RigWrite RigQueue::takeFront()
{
    RigWrite w = std::move(m_writes.front());
    m_writes.pop_front();
    m_bytes -= w.text.size();
    return w;
}

void RigQueue::forget(const Source &source)
{
    for (auto it = m_writes.begin(); it != m_writes.end();) {
        if (it->kind == RigWrite::Kind::Query) {
            it->askers.removeAll(source);
            if (it->askers.isEmpty()) {
                m_bytes -= it->text.size();
                it = m_writes.erase(it);
                continue;
            }
        }
        ++it;
    }
}

QList<RigWrite> RigQueue::takeAll()
{
    QList<RigWrite> all(std::make_move_iterator(m_writes.begin()),
                        std::make_move_iterator(m_writes.end()));
    m_writes.clear();
    m_bytes = 0;
    return all;
}

int RigQueue::waitingQueriesOf(const Source &source) const
{
    return int(std::count_if(m_writes.cbegin(), m_writes.cend(), [&](const RigWrite &w) {
        return w.kind == RigWrite::Kind::Query && w.askers.contains(source);
    }));
}
