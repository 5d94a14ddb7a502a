#include "net/rigctl_client.h"

#include "net/cat_family.h"
#include "rig/cat_dialect.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr qint64 kReadBuffer = 16 * 1024;
constexpr qint64 kChunk = 512;
constexpr qsizetype kShown = 160; // characters of one line shown in the terminal
// Reads one command may ask of the rig: far more than any command needs, so that no command
// can keep the rig busy without end.
constexpr int kMaxReads = 16;

// What a web browser's request begins with, whatever page sent it.
constexpr std::string_view kHttpMethods[] = {"GET ",    "POST ",  "OPTIONS ", "PUT ",  "HEAD ",
                                             "DELETE ", "PATCH ", "CONNECT ", "TRACE "};

// A line as the terminal shows it: printable ASCII as it is, anything else as \xNN, newlines of
// a multi-line answer as "\n", cut short past kShown characters.
QString shown(QByteArrayView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size() && out.size() < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            out += QLatin1String("\\n");
        else if (c >= 0x20 && c < 0x7f)
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (out.size() >= kShown)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return out;
}

} // namespace

RigctlClient::RigctlClient(int number, QTcpSocket *socket, RigAccess &rig, const Clock &clock,
                           int readTimeoutMs, QObject *parent)
    : QObject(parent), m_number(number), m_socket(socket), m_rig(rig),
      m_readTimeoutMs(readTimeoutMs), m_clock(clock), m_lastActiveMs(clock.now())
{
    socket->setParent(this);
    // Qt stops taking data from the kernel when this fills: a flood waits in the client's own
    // TCP window, not in the bridge.
    socket->setReadBufferSize(kReadBuffer);
    m_lastActiveMs = m_clock.now();
    m_deadline.setSingleShot(true);
    connect(socket, &QTcpSocket::readyRead, this, &RigctlClient::readSocket);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        m_lastActiveMs = m_clock.now();
        if (m_socket && m_socket->bytesToWrite() <= kMaxUnsent) {
            m_stalled = false;
            schedule();
        }
    });
    connect(socket, &QTcpSocket::disconnected, this,
            [this] { shut(QStringLiteral("disconnected")); });
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        // The bridge said nothing in time: this client's read is dropped and the client told.
        m_rig.forget(source());
        endRunning(rigctl::TimedOut);
    });
    note(QStringLiteral("connected from %1 port %2")
             .arg(socket->peerAddress().toString())
             .arg(socket->peerPort()));
}

RigctlClient::~RigctlClient()
{
    if (m_socket)
        m_socket->disconnect(this); // no signal of the dying socket reaches this half-gone client
    if (m_running)
        m_rig.forget(source());
}

bool RigctlClient::isIdle() const
{
    // A line still being typed waits for its client, not for the bridge.
    return !m_closing && !m_running && m_queue.isEmpty() && m_socket &&
           m_socket->bytesToWrite() == 0 && m_socket->bytesAvailable() == 0;
}

void RigctlClient::evict()
{
    shut({});
}

void RigctlClient::readSocket()
{
    while (m_socket && !m_closing && m_queue.size() < kMaxQueued &&
           m_socket->bytesAvailable() > 0) {
        m_lastActiveMs = m_clock.now();
        takeLines(m_socket->read(kChunk));
    }
    schedule();
}

bool RigctlClient::isHttp(QByteArrayView line) const
{
    // The request line opens a browser's request; a header line ("Host: ...", "Origin: ...")
    // follows it. A rigctl line never starts with a word of two or more letters and a colon.
    if (m_firstLine) {
        for (const std::string_view method : kHttpMethods) {
            if (line.startsWith(QByteArrayView(method.data(), qsizetype(method.size()))))
                return true;
        }
    }
    if (line.trimmed().endsWith(" HTTP/1.1") || line.trimmed().endsWith(" HTTP/1.0"))
        return true;
    qsizetype name = 0;
    while (name < line.size() && (std::isalnum(static_cast<unsigned char>(line[name])) ||
                                  line[name] == '-' || line[name] == '_'))
        ++name;
    return name >= 2 && name < line.size() && line[name] == ':' &&
           (name + 1 == line.size() || line[name + 1] == ' ' || line[name + 1] == '\t' ||
            line[name + 1] == '\r');
}

void RigctlClient::takeLines(const QByteArray &data)
{
    qsizetype start = 0;
    while (start < data.size() && !m_closing) {
        const qsizetype newline = data.indexOf('\n', start);
        const qsizetype end = newline < 0 ? data.size() : newline;
        if (m_discarding >= 0) {
            m_discarding += end - start;
        } else {
            m_line.append(data.constData() + start, end - start);
            if (m_line.size() > kMaxLine) {
                if (isHttp(m_line)) { // a request line with a long address
                    shut(QStringLiteral("sent an HTTP request (a web page?): closed; nothing it "
                                        "sent was run"));
                    return;
                }
                note(QStringLiteral("a line longer than %1 characters: discarded up to its "
                                    "newline")
                         .arg(kMaxLine));
                m_discarding = m_line.size();
                m_line.clear();
            }
        }
        if (newline < 0)
            return;
        start = newline + 1;
        if (m_discarding >= 0) {
            note(QStringLiteral("%1 characters discarded").arg(m_discarding));
            m_discarding = -1;
            m_firstLine = false;
            rigctl::Parsed overlong;
            overlong.overlong = true;
            m_queue.append(overlong);
            continue;
        }
        const QByteArray line = std::exchange(m_line, QByteArray());
        if (line.trimmed().isEmpty())
            continue;
        if (isHttp(line)) {
            shut(QStringLiteral("sent an HTTP request (a web page?): \"%1\"; closed, nothing it "
                                "sent was run")
                     .arg(shown(line.trimmed())));
            return;
        }
        m_firstLine = false;
        emit traffic(m_number, TrafficDirection::FromClient, shown(line.trimmed()));
        m_queue.append(rigctl::parseLine(line));
    }
}

void RigctlClient::schedule()
{
    if (m_scheduled || m_closing)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &RigctlClient::pump, Qt::QueuedConnection);
}

void RigctlClient::pump()
{
    m_scheduled = false;
    if (!m_socket || m_closing)
        return;
    for (int n = 0; n < kBatch && !m_running && !m_queue.isEmpty() && !m_closing; ++n) {
        if (m_socket->bytesToWrite() > kMaxUnsent)
            return; // bytesWritten brings us back once the client reads
        start(m_queue.takeFirst());
    }
    if (m_socket && !m_closing && m_queue.size() < kMaxQueued && m_socket->bytesAvailable() > 0)
        readSocket();
    else if (!m_running && !m_queue.isEmpty())
        schedule();
}

void RigctlClient::start(rigctl::Parsed parsed)
{
    using namespace rigctl;
    if (parsed.quit) {
        answer(parsed, {});
        m_closing = true;
        m_queue.clear();
        m_socket->disconnectFromHost(); // after the answer is sent
        return;
    }
    const Command *command = parsed.command;
    const FamilyCaps *family = catFamily(m_rig.rigType());
    int refusal = Ok;
    if (parsed.overlong)
        refusal = InvalidArgument;
    else if (!command || (!family && !(command->flags & NeedsNoRig)))
        refusal = NotAvailable;
    else if (parsed.missingArgs)
        refusal = InvalidArgument;
    if (refusal != Ok) {
        answer(parsed, Outcome{refusal, {}, {}, {}});
        return;
    }
    m_running = Running{std::move(parsed), {}, 0, {}, {}, {}};
    askNext();
}

void RigctlClient::askNext()
{
    const FamilyCaps *family = catFamily(m_rig.rigType());
    const rigctl::Command *command = m_running->parsed.command;
    if (!family && !(command->flags & rigctl::NeedsNoRig)) {
        endRunning(rigctl::NotAvailable); // the rig type was cleared while the command waited
        return;
    }
    while (command->reads) {
        const rigctl::Context context = contextFor(family, m_running->parsed.args);
        const QList<QByteArray> reads = command->reads(context, m_running->replies);
        const auto missing = std::find_if(reads.begin(), reads.end(), [this](const QByteArray &q) {
            return !m_running->replies.contains(q);
        });
        if (missing == reads.end())
            break;
        if (++m_running->reads > kMaxReads) {
            endRunning(rigctl::Protocol);
            return;
        }
        const QByteArray cached = m_rig.cachedReply(*missing);
        if (!cached.isEmpty()) {
            m_running->replies.insert(*missing, cached);
            continue;
        }
        if (!m_rig.rigConnected()) {
            endRunning(rigctl::NoRig);
            return;
        }
        m_running->asked = *missing;
        m_clock.start(m_deadline, m_readTimeoutMs);
        m_rig.ask(source(), *missing);
        return;
    }
    finish();
}

void RigctlClient::onReplied(const QByteArray &reply)
{
    if (!m_running || m_running->asked.isEmpty())
        return; // a reply to a read this client has given up on
    if (reply == "?;") {
        m_deadline.stop();
        endRunning(rigctl::Rejected);
        return;
    }
    if (!answers(reply, m_running->asked))
        return; // not the reply to the read waited for
    m_deadline.stop();
    m_running->replies.insert(std::exchange(m_running->asked, QByteArray()), reply);
    askNext();
}

void RigctlClient::onUnanswered(const QByteArray &query)
{
    if (!m_running || m_running->asked != query)
        return;
    m_deadline.stop();
    endRunning(rigctl::TimedOut);
}

void RigctlClient::finish()
{
    using namespace rigctl;
    const FamilyCaps *family = catFamily(m_rig.rigType());
    Context context = contextFor(family, m_running->parsed.args);
    m_running->outcome = m_running->parsed.command->finish(context, m_running->replies);
    const QList<QByteArray> settings = m_running->outcome.settings;
    if (m_running->outcome.code != Ok || settings.isEmpty()) {
        settle();
        return;
    }
    if (!m_rig.rigConnected()) {
        endRunning(NoRig);
        return;
    }
    // Answered when the rig has taken or refused every setting; one may be settled at once.
    m_running->unsettled = settings;
    m_running->setting = true;
    for (const QByteArray &setting : settings)
        m_rig.set(source(), setting);
    m_running->setting = false;
    if (m_running->unsettled.isEmpty())
        settle();
}

void RigctlClient::onSettled(const QByteArray &setting, SettingResult result)
{
    if (!m_running)
        return;
    QList<QByteArray> &unsettled = m_running->unsettled;
    const qsizetype i = unsettled.indexOf(setting);
    if (i < 0)
        return; // a setting of a command this client no longer waits for
    unsettled.removeAt(i);
    int &code = m_running->outcome.code;
    if (result == SettingResult::NoRig)
        code = rigctl::NoRig;
    else if (result == SettingResult::Refused && code == rigctl::Ok)
        code = rigctl::Rejected;
    if (unsettled.isEmpty() && !m_running->setting)
        settle(); // else finish() answers once it has given the rig every setting
}

void RigctlClient::settle()
{
    answer(m_running->parsed, m_running->outcome);
    m_running.reset();
    schedule();
}

void RigctlClient::endRunning(int code)
{
    answer(m_running->parsed, rigctl::Outcome{code, {}, {}, {}});
    m_running.reset();
    schedule();
}

rigctl::Context RigctlClient::contextFor(const FamilyCaps *family, const QList<QByteArray> &args)
{
    // Commands that need no rig read no family either; they still get one to point at.
    const FamilyCaps &f = family ? *family : *catFamily(RigType::K3);
    return {f,
            cat::radioModel(f, m_rig.cachedReply(QByteArray(f.idQuery.data(), f.idQuery.size()))),
            args, m_state, m_readTimeoutMs};
}

void RigctlClient::answer(const rigctl::Parsed &parsed, const rigctl::Outcome &outcome)
{
    if (!m_socket)
        return;
    const QByteArray text = rigctl::formatAnswer(parsed, outcome);
    m_socket->write(text);
    m_lastActiveMs = m_clock.now();
    emit traffic(m_number, TrafficDirection::ToClient, shown(text));
    if (m_socket->bytesToWrite() > kMaxUnsent && !m_stalled) {
        m_stalled = true;
        note(QStringLiteral("is not reading its answers: its commands wait"));
    }
}

void RigctlClient::note(const QString &text)
{
    emit traffic(m_number, TrafficDirection::Note, text);
}

void RigctlClient::shut(const QString &why)
{
    if (m_gone)
        return;
    m_gone = m_closing = true;
    m_deadline.stop();
    if (m_running) {
        m_rig.forget(source());
        m_running.reset();
    }
    m_queue.clear();
    if (!why.isEmpty())
        note(why);
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit gone(m_number);
}
