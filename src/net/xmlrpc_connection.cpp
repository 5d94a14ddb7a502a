#include "net/xmlrpc_connection.h"

#include "net/cat_family.h"
#include "rig/cat_dialect.h"

namespace {

QString callText(const XmlRpcCall &call)
{
    QString text = call.method.isEmpty() ? QStringLiteral("(no call)") : call.method;
    for (const XmlRpcValue &param : call.params)
        text += QLatin1Char(' ') + xmlrpc::shown(param);
    return text;
}

} // namespace

XmlRpcConnection::XmlRpcConnection(int number, QTcpSocket *socket, RigAccess &rig,
                                   const Clock &clock, int stepTimeoutMs)
    : QObject(socket), m_number(number), m_rig(rig), m_stepTimeoutMs(stepTimeoutMs), m_clock(clock)
{
    m_lastActiveMs = m_clock.now();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        const xmlrpc::Step *step = current();
        if (!step)
            return;
        if (step->kind == xmlrpc::Step::Kind::Read) {
            // The bridge said nothing in time: this client's read is dropped.
            m_rig.forget(source());
            end({}, QStringLiteral("the rig did not answer %1 in time")
                        .arg(QString::fromLatin1(step->text)));
        } else {
            end({}, QStringLiteral("the rig did not take %1 in time")
                        .arg(QString::fromLatin1(step->text)));
        }
    });
    connect(socket, &QTcpSocket::disconnected, this, &XmlRpcConnection::disconnected);
}

XmlRpcConnection::~XmlRpcConnection()
{
    if (m_running)
        m_rig.forget(source());
}

bool XmlRpcConnection::enqueue(XmlRpcCall call, bool closeAfter, const QString &malformed)
{
    if (m_queue.size() >= kMaxQueued)
        return false;
    m_queue.append({std::move(call), closeAfter, malformed});
    m_lastActiveMs = m_clock.now();
    pump();
    return true;
}

void XmlRpcConnection::pump()
{
    // An answer given while a call starts comes back here: the loop below goes on with the next.
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_running && !m_queue.isEmpty() && !m_closing)
        start(m_queue.takeFirst());
    m_pumping = false;
}

void XmlRpcConnection::start(Queued queued)
{
    const QString method = queued.call.method;
    m_running = Running{std::move(queued), xmlrpc::findMethod(method), {}, 0, {}, false, {}};
    const QString refused = !m_running->queued.malformed.isEmpty()
                                ? m_running->queued.malformed
                                : xmlrpc::refusal(m_running->queued.call, m_permission,
                                                  catFamily(m_rig.rigType()), m_rig.rigConnected());
    if (!refused.isEmpty()) {
        end({}, refused);
        return;
    }
    advance();
}

xmlrpc::Context XmlRpcConnection::context()
{
    const FamilyCaps *family = catFamily(m_rig.rigType());
    const QByteArray id =
        family ? m_rig.cachedReply(QByteArray(family->idQuery.data(), family->idQuery.size()))
               : QByteArray();
    return {family,
            family ? &cat::radioModel(*family, id) : nullptr,
            m_rig.rigConnected(),
            id,
            m_running->queued.call.params,
            m_state};
}

const xmlrpc::Step *XmlRpcConnection::current() const
{
    if (!m_running || m_running->next >= m_running->steps.size())
        return nullptr;
    return &m_running->steps.at(m_running->next);
}

void XmlRpcConnection::advance()
{
    while (m_running) {
        Running &run = *m_running;
        if (const xmlrpc::Step *step = current()) {
            if (step->kind == xmlrpc::Step::Kind::Read) {
                const QByteArray cached = m_rig.cachedReply(step->text);
                if (!cached.isEmpty()) {
                    run.replies.append({step->text, cached});
                    ++run.next;
                    continue;
                }
                m_clock.start(m_deadline, m_stepTimeoutMs);
                m_rig.ask(source(), step->text);
            } else {
                m_clock.start(m_deadline, m_stepTimeoutMs);
                m_rig.set(source(), step->text);
            }
            return; // the rig's answer may have come already, and this call gone with it
        }
        if (run.finished) {
            end(run.result);
            return;
        }
        if ((run.method->flags & xmlrpc::NeedsFamily) && !catFamily(m_rig.rigType())) {
            end({}, QStringLiteral("the rig type was cleared"));
            return;
        }
        if (run.method->steps) {
            const QList<xmlrpc::Step> steps = run.method->steps(context(), run.replies);
            if (steps.size() > run.steps.size()) {
                run.steps += steps.mid(run.steps.size());
                continue;
            }
        }
        run.finished = true;
        xmlrpc::Context c = context();
        xmlrpc::Outcome outcome = run.method->finish(c, run.replies);
        if (!outcome.fault.isEmpty()) {
            end({}, outcome.fault);
            return;
        }
        run.result = std::move(outcome.result);
        for (const QByteArray &setting : std::as_const(outcome.settings))
            run.steps.append({xmlrpc::Step::Kind::Set, setting});
    }
}

void XmlRpcConnection::onReplied(const QByteArray &reply)
{
    const xmlrpc::Step *step = current();
    if (!step || step->kind != xmlrpc::Step::Kind::Read)
        return; // a reply to a read this client has given up on
    const bool rigText = m_running->method->flags & xmlrpc::RigText;
    if (reply == "?;" && !rigText) {
        end({}, QStringLiteral("the rig refused %1").arg(QString::fromLatin1(step->text)));
        return;
    }
    if (reply != "?;" && !answers(reply, step->text))
        return; // not the reply to the read waited for
    m_deadline.stop();
    m_running->replies.append({step->text, reply});
    ++m_running->next;
    advance();
}

void XmlRpcConnection::onUnanswered(const QByteArray &query)
{
    const xmlrpc::Step *step = current();
    if (!step || step->kind != xmlrpc::Step::Kind::Read || step->text != query)
        return;
    end({}, QStringLiteral("the rig did not answer %1").arg(QString::fromLatin1(query)));
}

void XmlRpcConnection::onSettled(const QByteArray &setting, SettingResult result)
{
    const xmlrpc::Step *step = current();
    if (!step || step->kind != xmlrpc::Step::Kind::Set || step->text != setting)
        return;
    const QString text = QString::fromLatin1(setting);
    switch (result) {
    case SettingResult::Taken:
        m_deadline.stop();
        ++m_running->next;
        advance();
        return;
    case SettingResult::Refused:
        end({}, QStringLiteral("the rig refused %1").arg(text));
        return;
    case SettingResult::NoRig:
        end({}, QStringLiteral("no rig took %1: none is connected").arg(text));
        return;
    }
}

void XmlRpcConnection::end(XmlRpcValue result, const QString &fault)
{
    m_deadline.stop();
    const Running run = std::move(*m_running);
    m_running.reset();
    QString line = callText(run.queued.call) + QLatin1String(" -> ");
    QByteArray body;
    if (fault.isEmpty()) {
        const bool ok = run.method && (run.method->flags & xmlrpc::Changes) &&
                        result == XmlRpcValue::string(QString());
        line += ok ? QStringLiteral("OK") : xmlrpc::shown(result);
        body = xmlrpc::responseBody(result);
    } else {
        line += QLatin1String("fault: ") + fault;
        // flrig's fault code for every fault, and its "<method>: " before the text.
        const QString method = run.queued.call.method;
        body =
            xmlrpc::faultBody(-1, method.isEmpty() ? fault : method + QLatin1String(": ") + fault);
    }
    emit traffic(m_number, TrafficDirection::FromClient, line);
    m_lastActiveMs = m_clock.now();
    emit answered(body, run.queued.closeAfter);
    if (run.queued.closeAfter)
        m_closing = true;
    pump();
}

void XmlRpcConnection::disconnected()
{
    m_closing = true;
    m_deadline.stop();
    if (m_running) {
        m_rig.forget(source());
        m_running.reset();
    }
    m_queue.clear();
    emit traffic(m_number, TrafficDirection::Note, QStringLiteral("disconnected"));
    emit gone(m_number);
}
