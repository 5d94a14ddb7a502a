#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Opens a serial device as a station program does, raw: -1 when it cannot be opened.
int openRawDevice(const QString &path, bool nonBlocking);

// A station program on a published port, raw and non-blocking as a logger opens it; what arrives
// is collected from the event loop (the bridge runs on this thread).
class StationProgram : public QObject {
    Q_OBJECT
public:
    StationProgram() = default;
    explicit StationProgram(const QString &path) { open(path); }
    ~StationProgram() override { close(); }

    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // Queued and written as the device takes it.
    void write(const QByteArray &text);
    qsizetype unwritten() const { return m_out.size(); }
    const QByteArray &received() const { return m_received; }
    // Forgets part of what was received (a test's own marker).
    void drop(qsizetype from, qsizetype length) { m_received.remove(from, length); }
    QByteArray take() { return std::exchange(m_received, {}); }

signals:
    void arrived();

private:
    void onReadable();
    void flush();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_received;
    QByteArray m_out;
};
