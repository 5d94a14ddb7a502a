#include "panel_input.h"

#include "front_panel.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

PanelInput::PanelInput(FrontPanel &panel, QObject *parent) : QObject(parent), m_panel(panel)
{
    m_wait.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &PanelInput::runQueued);
}

PanelInput::~PanelInput() = default;

bool PanelInput::addScript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read the script %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxScriptBytes) {
        m_error =
            QStringLiteral("the script %1 is larger than %2 bytes").arg(path).arg(kMaxScriptBytes);
        return false;
    }
    takeText(file.readAll() + '\n');
    return true;
}

void PanelInput::start(bool readInput)
{
    runQueued();
    if (!readInput)
        return;
    if (::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) != ::getpgrp()) {
        emit message(QStringLiteral("front panel off: started in the background; run "
                                    "ovx2-rigsim in the foreground or give it --script"),
                     false);
        return;
    }
    // Were the process moved to the background later, a read would stop it; this way the read
    // fails instead and the panel ends with a message.
    std::signal(SIGTTIN, SIG_IGN);
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &PanelInput::onInputReadable);
}

void PanelInput::onInputReadable()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n < 0) {
        stopReading(QStringLiteral("front panel off: standard input failed (%1)")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    if (n == 0) {
        takeText("\n"); // a last line without its line end
        stopReading({});
        runQueued();
        return;
    }
    takeText(QByteArrayView(buffer, n));
    runQueued();
}

void PanelInput::stopReading(const QString &why)
{
    delete m_input;
    m_input = nullptr;
    if (!why.isEmpty())
        emit message(why, true);
}

void PanelInput::takeText(QByteArrayView text)
{
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        const QByteArrayView piece = end < 0 ? text : text.first(end);
        if (!m_discarding) {
            if (m_partial.size() + piece.size() > FrontPanel::kMaxLineLength) {
                m_discarding = true;
                m_partial.clear();
                emit message(QStringLiteral("line longer than %1 characters ignored")
                                 .arg(FrontPanel::kMaxLineLength),
                             true);
            } else {
                m_partial.append(piece);
            }
        }
        if (end < 0)
            break;
        if (!m_discarding)
            queue(m_partial);
        m_partial.clear();
        m_discarding = false;
        text = text.sliced(end + 1);
    }
}

void PanelInput::queue(const QByteArray &line)
{
    if (m_lines.size() >= kMaxQueuedLines) {
        emit message(
            QStringLiteral("front panel busy: line ignored: %1").arg(QString::fromLatin1(line)),
            true);
        return;
    }
    m_lines.enqueue(line);
}

void PanelInput::runQueued()
{
    while (!m_wait.isActive() && !m_lines.isEmpty()) {
        const FrontPanel::Result result = m_panel.run(m_lines.dequeue());
        if (!result.message.isEmpty())
            emit message(result.message, !result.ok);
        if (result.quit) {
            m_lines.clear();
            emit quitRequested();
            return;
        }
        if (result.waitMs > 0)
            m_wait.start(result.waitMs);
    }
}
