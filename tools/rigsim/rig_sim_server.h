#pragma once

#include "rig_model.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>

#include <functional>

class PtyDevice;
class QTimer;

// Serves a RigModel on a pseudo-terminal, the way the radio would on its CAT port: a reply leaves
// after the radio's processing time (latency) at the speed of the configured baud rate. Works in
// any thread; create the device with start() in the thread the server lives in.
class RigSimServer : public QObject {
    Q_OBJECT
public:
    // Replies waiting for the line beyond this are dropped, like a real radio's full buffer; a
    // program that floods queries without reading cannot make the simulator grow.
    static constexpr qsizetype kMaxQueuedOut = 64 * 1024;

    explicit RigSimServer(RigType family = RigType::K3, int baud = 38400,
                          QObject *parent = nullptr); // the family's default radio
    RigSimServer(const RadioModel &radio, int baud, QObject *parent = nullptr);
    ~RigSimServer() override;

    // The path to open: the published link if there is one, else the pseudo-terminal.
    QString devicePath() const;
    QString slavePath() const;
    QString errorString() const { return m_error; }
    int baud() const { return m_baud; }
    bool isRunning() const { return m_device != nullptr; }

    // The radio itself, for reading its state; changes made here bypass the CAT port.
    RigModel &model() { return m_model; }

    // Publishes the device under `path` as a symlink, replacing an earlier symlink there; any
    // other file is left alone and false is returned. Removed again by stop().
    bool publishLink(const QString &path);

    // Runs a front-panel event on the model and sends the auto-information it produces.
    void panel(const std::function<QByteArrayList(RigModel &)> &event);

public slots:
    bool start();
    void stop();
    void setSilent(bool silent);
    void turnVfoA(qint64 hz);
    void turnVfoB(qint64 hz);
    void selectMode(char mode);
    void setTransmit(bool on);
    void setFilterWidth(int hz);
    // Switches the radio off (it stops answering, mid-reply too) or on.
    void setPower(bool on);
    // The radio's own processing time before each reply to a command; front-panel reports are
    // not delayed.
    void setLatency(int ms);

signals:
    // Each chunk as read from the pseudo-terminal, after the model has acted on it.
    void received(const QByteArray &chunk);
    // Each reply once its last character has gone out.
    void sent(const QByteArray &reply);

private:
    struct Outgoing {
        QByteArray text;
        qint64 startNs; // when its first character starts on the line
        qsizetype written = 0;
    };

    void onReadyRead();
    void enqueue(const QByteArrayList &replies, qint64 delayNs = 0);
    void dropOutput();
    void release();
    void removeLink();

    RigModel m_model;
    int m_baud;
    qint64 m_charNs;
    int m_latencyMs = 0;
    PtyDevice *m_device = nullptr;
    QTimer *m_pacer = nullptr;
    QElapsedTimer m_clock;
    QQueue<Outgoing> m_out;
    qsizetype m_queuedBytes = 0;
    qint64 m_lineFreeNs = 0; // when the last queued character will have gone out
    QString m_link;
    QString m_error;
};
