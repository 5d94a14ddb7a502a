#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// The master side of a pseudo-terminal pair, driven from the event loop. A peer program opens
// the slave as its serial device. While no program holds the slave, the master reports hang-up on
// every poll, so it is not watched for reading then (it would spin); an inotify watch on the
// slave device tells us when a program opens it again.
class PtyDevice : public QObject {
    Q_OBJECT
public:
    explicit PtyDevice(QObject *parent = nullptr);
    ~PtyDevice() override;

    // Creates the pair with the slave in raw mode (no echo, no line editing, no CR/LF
    // translation) and open to its owner only (mode 0600). False with errorString() when the
    // system refuses.
    bool open();
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // A program holds the slave open now (asked of the kernel, not cached).
    bool peerHolds() const;

    // Everything received from the peer and not yet read.
    QByteArray readAll();

    // Queued for the peer; dropped when no program holds the slave, so a program that opens the
    // port later never reads stale text.
    void write(const QByteArray &text);

    // Discards what is queued in both directions.
    void discardPending();

    qint64 bytesToWrite() const { return m_out.size(); }
    QString errorString() const { return m_error; }

signals:
    void readyRead();
    void peerChanged(bool held);

private:
    void onReadable();
    void onWritable();
    void onWatchEvent();
    void checkPeer();
    void setPeer(bool held);
    void flushOut();

    int m_master = -1;
    int m_watch = -1;
    QString m_slavePath;
    QString m_error;
    QByteArray m_in;
    QByteArray m_out;
    bool m_peer = false;
    int m_opens = 0; // the slave's opens less its closes, as inotify tells them
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QSocketNotifier *m_watchNotifier = nullptr;
    QTimer *m_fallbackTimer = nullptr;
};
