#pragma once

#include "ports/serial_port.h"

class QSerialPort;
class QSocketNotifier;
class QTimer;

// SerialPort on QSerialPort. A name starting with '/' is a device path used as it stands, so a
// pseudo-terminal or a symlink (the rig simulator) works as a rig port.
class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    int PortCount() const override;
    QString PortName(int index) const override;
    void SetMode(const QString &mode) override;
    bool Open(const QString &name) override;
    bool Close() override;
    bool IsOpened() const override;
    void ClearPort() override;
    void WriteText(const QByteArray &text) override;
    QByteArray ReadText() override;
    void SetLineA(bool on) override;
    void SetLineB(bool on) override;
    void IgnoreInput() override;
    void GatherInputFor(int msecs) override;
    QString ErrorString() const override;

    struct Mode {
        qint32 baud = 0;
        char parity = 'N';
        int dataBits = 8;
        int stopBits = 1;
    };
    // Parses "38400,N,8,1"; false when any field is off.
    static bool parseMode(const QString &text, Mode &mode);
    // Whether a QSerialPort error on an open port means its device has gone, from what a poll
    // of the descriptor said (its result and revents).
    static bool deviceGone(int error, int pollResult, short revents);

private:
    void applyMode();
    void onError(int error);
    void endGather();
    QSocketNotifier *readNotifier() const;

    QSerialPort *m_port;
    QTimer *m_gather;
    mutable QStringList m_portNames; // as PortCount() last listed them
    Mode m_mode{9600, 'N', 8, 1};
    bool m_ignoreInput = false;
    QString m_error;
};
