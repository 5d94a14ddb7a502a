#include "rig/rig_link.h"

#include "platform/clock.h"
#include "ports/serial_port.h"
#include "rig/cat_dialect.h"
#include "rig/cat_framing.h"
#include "rig/reply_routing.h"
#include "settings/station_settings.h"

#include <algorithm>
#include <cmath>

namespace {

// What is handed to the device ahead of the line: enough that the line never idles between
// writes, little enough that what waits stays in the queue, where it can be merged or shared.
constexpr double kAheadMs = 20;
// A character on the line is a start bit, eight data bits and a stop bit.
constexpr double kBitsPerCharacter = 10;
constexpr qsizetype kMinQueueBytes = 4096;
constexpr int kAssumedBaud = 38400;
// How far the rig's replies may fall behind what has been written: well inside the time an asker
// is given for its answer, so that no answer comes after its asker has given up on it.
constexpr double kRepliesBehindMs = RequestTracker::kReplyWindowMs / 3.0;
// A reply of a kind not seen yet is taken to be as long as most are (FA00014074000;).
constexpr int kAssumedReplyChars = 16;

const Source kBridge{Source::Kind::Bridge, 0};

// Replies are known by their mnemonic, the first two characters (FA, IF, RV, EX...).
quint16 kindOfReply(const QByteArray &text)
{
    return text.size() < 2 ? 0 : quint16(quint8(text[0]) << 8 | quint8(text[1]));
}

QString nameOf(const Source &s)
{
    switch (s.kind) {
    case Source::Kind::Bridge:
        return QStringLiteral("the bridge");
    case Source::Kind::AppPort:
        return QStringLiteral("port %1").arg(s.index);
    case Source::Kind::Sdr:
        return QStringLiteral("the SDR port");
    case Source::Kind::Dbus:
        return QStringLiteral("D-Bus");
    case Source::Kind::Network:
        return QStringLiteral("network client %1").arg(s.index);
    case Source::Kind::XmlRpc:
        return QStringLiteral("XML-RPC client %1").arg(s.index);
    }
    return {};
}

} // namespace

RigLink::RigLink(Deps deps, QObject *parent)
    : RigAccess(parent), d(std::move(deps)), m_queue(kMinQueueBytes)
{
    m_pacer.setSingleShot(true);
    m_pacer.setTimerType(Qt::PreciseTimer);
    connect(&m_pacer, &QTimer::timeout, this, &RigLink::pump);
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &RigLink::expire);
}

RigType RigLink::rigType() const
{
    return d.settings.rigType;
}

bool RigLink::rigConnected() const
{
    return d.rigPort.IsOpened();
}

double RigLink::charMs() const
{
    return kBitsPerCharacter * 1000.0 / (m_baud > 0 ? m_baud : kAssumedBaud);
}

double RigLink::replyMs(const QByteArray &query) const
{
    return m_replyChars.value(kindOfReply(query), kAssumedReplyChars) * charMs();
}

void RigLink::account(const QByteArray &text, bool query, double now)
{
    m_lineFreeMs = std::max(m_lineFreeMs, now) + double(text.size()) * charMs();
    // The rig starts its reply once it has read the query.
    if (query)
        m_replyFreeMs = std::max(m_replyFreeMs, m_lineFreeMs) + replyMs(text);
}

double RigLink::waitMs(const RigWrite &front, double now) const
{
    double wait = m_lineFreeMs - kAheadMs - now;
    if (front.kind == RigWrite::Kind::Query)
        wait = std::max(wait, m_replyFreeMs - kRepliesBehindMs - now);
    return wait;
}

qsizetype RigLink::queueBound() const
{
    return std::max<qsizetype>(kMinQueueBytes, qsizetype(std::lround(1000.0 / charMs())));
}

quint64 RigLink::staleSinceOf(const QByteArray &query) const
{
    const EntryRow *row = rowOfQuery(query);
    return row ? m_staleSince[std::size_t(row->entry)] : 0;
}

QByteArray RigLink::cachedReply(const QByteArray &query) const
{
    // With the rig away, what the virtual rig holds may no longer be so.
    const EntryRow *row = rowOfQuery(query);
    if (!row || !keeps(rigType(), row->entry) || isStale(row->entry) || !rigConnected() || m_held)
        return {};
    return d.rig.get(row->entry);
}

bool RigLink::unwritable(const QByteArray &command) const
{
    const std::optional<quint8> radio = d.settings.civRadio();
    return radio && civ::frame(*radio, civ::kController, civ::bodyOf(command)).isEmpty();
}

void RigLink::ask(const Source &source, const QByteArray &query)
{
    if (unwritable(query)) {
        emit unanswered(source, query); // no frame carries it: the radio would never answer
        return;
    }
    // Written already, after anything that put its answer out of date: wait for that reply.
    if (RequestTracker::Pending *pending = m_tracker.pendingQuery(query);
        pending && pending->write.order > staleSinceOf(query)) {
        if (!pending->write.askers.contains(source))
            pending->write.askers << source;
        return;
    }
    enqueue({RigWrite::Kind::Query, query, {source}, {}, 0});
    pump();
}

void RigLink::set(const Source &source, const QByteArray &setting)
{
    if (unwritable(setting)) {
        emit settled(source, setting, SettingResult::Refused);
        return;
    }
    const CatDialect &dialect = catDialect(rigType());
    RigWrite write{RigWrite::Kind::Setting, setting, {source}, mergeKeyOf(dialect, setting), 0};
    write.unknown = write.mergeKey.isEmpty() && !effectOf(dialect, setting);
    const RigQueue::Pushed pushed = enqueue(std::move(write));
    if (const QByteArray readBack = markStale(setting, pushed.order); !readBack.isEmpty())
        enqueue({RigWrite::Kind::Query, readBack, {kBridge}, {}, 0, false, true});
    pump();
}

QByteArray RigLink::markStale(const QByteArray &setting, quint64 order)
{
    const SettingEffect *effect = effectOf(catDialect(rigType()), setting);
    if (!effect)
        return {};
    for (int i = 0; i < effect->staleCount; ++i) {
        quint64 &since = m_staleSince[std::size_t(effect->stale[std::size_t(i)])];
        since = std::max(since, order);
    }
    return QByteArray(effect->readBack.data(), qsizetype(effect->readBack.size()));
}

void RigLink::poke(const Source &source, const QByteArray &text)
{
    const CatDialect &dialect = catDialect(rigType());
    QList<QByteArray> commands = CatFramer::split(text);
    if (const qsizetype used = text.lastIndexOf(';') + 1; used < text.size())
        commands << text.mid(used);
    QList<QByteArray> readBacks;
    for (const QByteArray &command : std::as_const(commands)) {
        if (unwritable(command)) {
            emit notice(command + " is no CI-V command: not written");
            continue;
        }
        const bool read = isRead(dialect, command, d.rig.get(Entry::ID));
        RigWrite write{read ? RigWrite::Kind::Query : RigWrite::Kind::Setting,
                       command,
                       {source},
                       {},
                       m_queue.stamp(),
                       true};
        if (!read && command.endsWith(';')) {
            const QByteArray readBack = markStale(command, write.order);
            if (!readBack.isEmpty() && !readBacks.contains(readBack))
                readBacks << readBack;
        }
        enqueue(std::move(write));
    }
    for (const QByteArray &readBack : std::as_const(readBacks))
        enqueue({RigWrite::Kind::Query, readBack, {kBridge}, {}, 0, false, true});
    pump();
}

void RigLink::poll(const QByteArray &queries)
{
    // Queued together and so written together, as one write of the poll string.
    for (const QByteArray &query : CatFramer::split(queries))
        enqueue({RigWrite::Kind::Query, query, {kBridge}, {}, 0});
    pump();
}

RigQueue::Pushed RigLink::enqueue(RigWrite write)
{
    const Source source = write.askers.value(0);
    const QByteArray text = write.text;
    const bool query = write.kind == RigWrite::Kind::Query;
    m_queue.setMaxBytes(queueBound());
    const quint64 notBefore = query ? staleSinceOf(text) : 0;
    const RigQueue::Pushed pushed = m_queue.push(std::move(write), notBefore);
    if (!pushed.accepted) {
        // Nothing will come for it: say so at once, so that a network client is not kept waiting.
        emit unanswered(source, text);
        dropped(source, query);
    } else if (!pushed.dropped.isEmpty()) {
        for (const RigWrite &w : pushed.dropped)
            settleAll(w, SettingResult::NoRig);
        dropped(source, false);
    }
    return pushed;
}

void RigLink::dropped(const Source &source, bool query)
{
    if (m_dropping)
        return; // one line a burst
    m_dropping = true;
    const QString what =
        query ? QStringLiteral("%1 has %2 queries waiting for the rig; more are refused")
                    .arg(nameOf(source))
                    .arg(RigQueue::kMaxQueriesPerSource)
              : QStringLiteral("The rig cannot take settings as fast as they come (%1 bytes, a "
                               "second of line time, wait); the oldest are dropped")
                    .arg(m_queue.maxBytes());
    emit notice(what.toLatin1() + " until it catches up.");
}

void RigLink::forget(const Source &source)
{
    m_queue.forget(source);
    m_tracker.forget(source);
}

void RigLink::writeNow(const QByteArray &text, bool track)
{
    const double now = d.clock.now();
    const CatDialect &dialect = catDialect(rigType());
    qsizetype used = 0;
    for (const QByteArray &command : CatFramer::split(text)) {
        used += command.size();
        const bool read = isRead(dialect, command, d.rig.get(Entry::ID));
        account(command, read, now);
        if (track && read)
            m_tracker.written({RigWrite::Kind::Query, command, {kBridge}, {}, m_queue.stamp()},
                              qint64(d.clock.now()));
    }
    account(text.mid(used), false, now);
    if (track)
        scheduleExpiry();
    write(text);
}

void RigLink::write(const QByteArray &text)
{
    const std::optional<quint8> civ = d.settings.civRadio();
    d.rigPort.WriteText(civ ? m_civ.frames(text, *civ) : text);
}

void RigLink::reset()
{
    const QList<RigWrite> waiting = m_queue.takeAll();
    const QList<RequestTracker::Pending> pending = m_tracker.takeAll();
    m_staleSince.fill(0);
    m_dropping = false;
    // A new connection may be a new rig at a new speed.
    m_lineFreeMs = m_replyFreeMs = 0;
    m_replyChars.clear();
    m_pacer.stop();
    m_expiry.stop();
    for (const RigWrite &w : waiting)
        tellUnanswered(w);
    for (const RequestTracker::Pending &p : pending)
        tellUnanswered(p.write);
}

void RigLink::hold(bool held)
{
    m_held = held;
    if (!held)
        pump();
}

void RigLink::tellUnanswered(const RigWrite &write)
{
    if (write.kind != RigWrite::Kind::Query) {
        settleAll(write, SettingResult::NoRig);
        return;
    }
    for (const Source &s : write.askers) {
        if (s.kind != Source::Kind::Bridge)
            emit unanswered(s, write.text);
    }
}

void RigLink::settleAll(const RigWrite &setting, SettingResult result)
{
    const Source source = setting.askers.value(0);
    for (const QByteArray &earlier : setting.replaced)
        emit settled(source, earlier, result);
    emit settled(source, setting.text, result);
}

void RigLink::emitSettled(const QList<RequestTracker::Settled> &settled)
{
    for (const RequestTracker::Settled &s : settled)
        emit this->settled(s.source, s.setting, s.result);
}

void RigLink::dropEverything()
{
    // The rig port is closed: nothing waiting can reach the rig, as every write to a closed port
    // is dropped, and nothing written will be answered. Askers are told at once rather than
    // after the reply window.
    for (const RigWrite &w : m_queue.takeAll())
        tellUnanswered(w);
    for (const RequestTracker::Pending &p : m_tracker.takeAll())
        tellUnanswered(p.write);
    m_expiry.stop();
    m_dropping = false;
}

void RigLink::pump()
{
    if (!d.rigPort.IsOpened()) {
        dropEverything();
        return;
    }
    if (m_held)
        return;
    const double now = d.clock.now();
    QByteArray batch;
    while (!m_queue.isEmpty() && waitMs(m_queue.front(), now) < 0) {
        RigWrite write = m_queue.takeFront();
        account(write.text, write.kind == RigWrite::Kind::Query, now);
        batch += write.text;
        m_tracker.written(write, qint64(now));
    }
    if (!batch.isEmpty()) {
        write(batch);
        scheduleExpiry();
        // While only the bridge's own polls wait, nothing is wanted before all their replies are
        // due: read then, together, so that a poll wakes the bridge once rather than once a
        // reply. While a program's command waits, the rig is read as it answers, so that its
        // answer, or its "?;", is matched at once and in its time.
        d.rigPort.GatherInputFor(m_tracker.onlyTheBridgeWaits()
                                     ? d.clock.realMs(int(std::ceil(m_replyFreeMs - now)))
                                     : 0);
    }
    if (m_queue.isEmpty()) {
        m_dropping = false;
    } else if (!m_pacer.isActive()) {
        d.clock.start(m_pacer, std::max(1, int(std::ceil(waitMs(m_queue.front(), now)))));
    }
}

RigLink::Routed RigLink::takeReply(const QByteArray &reply)
{
    Routed routed;
    const CatDialect &dialect = catDialect(rigType());
    routed.kept = replyOf(dialect, reply);
    routed.report = !routed.kept.isEmpty();
    if (!routed.report)
        routed.kept = reply;
    if (reply.size() > 2 && reply.endsWith(';'))
        m_replyChars.insert(kindOfReply(reply), int(std::min<qsizetype>(reply.size(), 64)));
    m_tracker.setOkReply(QByteArray(dialect.okReply.data(), qsizetype(dialect.okReply.size())));
    // A report answers nothing: it is the radio's own.
    const RequestTracker::Match match =
        routed.report ? RequestTracker::Match{} : m_tracker.match(reply, qint64(d.clock.now()));
    routed.asked = match.matched;
    routed.late = match.late;
    routed.askers = match.askers;
    routed.refused = match.refused;
    emitSettled(match.settled);
    routed.row = routeReply(routed.kept, rigType());
    if (routed.row) {
        followTransmitState(routed.row->entry, routed.kept);
        routed.changed = d.rig.get(routed.row->entry) != routed.kept;
        keep(*routed.row, routed.kept, match);
        for (const SameReply &same : dialect.sameReplies) {
            const QByteArrayView prefix(same.reply.data(), qsizetype(same.reply.size()));
            const QByteArray copy =
                QByteArray(same.alsoAnswers.data(), qsizetype(same.alsoAnswers.size())) +
                routed.kept.mid(prefix.size());
            if (const RoutingRow *row = routeReply(copy, rigType());
                row && routed.kept.startsWith(prefix))
                keep(*row, copy, match);
        }
    }
    if (match.matched) // what waits for a reply changed
        scheduleExpiry();
    return routed;
}

void RigLink::keep(const RoutingRow &row, const QByteArray &reply,
                   const RequestTracker::Match &match)
{
    const auto entry = std::size_t(row.entry);
    d.rig.set(row.entry, reply);
    // Current again once the rig answers a read made after what put it out of date.
    if (match.matched && match.order > m_staleSince[entry])
        m_staleSince[entry] = 0;
}

void RigLink::followTransmitState(Entry entry, const QByteArray &reply)
{
    // Keyed at the panel, by a foot switch or VOX, the radio says so in one reply (TQ1;) while
    // the others kept still say receive: they are out of date until read again.
    const CatDialect &dialect = catDialect(rigType());
    const std::optional<bool> now = transmitState(dialect, entry, reply);
    const std::optional<bool> before = transmitState(dialect, entry, d.rig.get(entry));
    if (!now || !before || *now == *before)
        return;
    const quint64 since = m_queue.stamp();
    for (const TransmitColumn &column : dialect.transmit) {
        if (column.entry != entry)
            m_staleSince[std::size_t(column.entry)] = since;
    }
}

void RigLink::scheduleExpiry()
{
    const qint64 deadline = m_tracker.nextDeadlineMs();
    if (deadline < 0) {
        m_expiry.stop();
        return;
    }
    d.clock.start(m_expiry, int(std::max<qint64>(1, deadline - qint64(d.clock.now()) + 1)));
}

void RigLink::expire()
{
    const RequestTracker::Expired expired = m_tracker.expire(qint64(d.clock.now()));
    for (const RequestTracker::Pending &p : expired.reads)
        tellUnanswered(p.write);
    emitSettled(expired.settled);
    scheduleExpiry();
}
