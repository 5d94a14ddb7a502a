#pragma once

#include "ports/serial_port.h"
#include "ports/virtual_port.h"

#include <QList>
#include <optional>

// Port components that record what the bridge does with them, for the few behaviours a
// pseudo-terminal cannot show (modem-control lines).
class FakeSerialPort final : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;
    int PortCount() const override { return 0; }
    QString PortName(int) const override { return {}; }
    void SetMode(const QString &) override {}
    bool Open(const QString &) override { return opened = true; }
    bool Close() override { return !(opened = false); }
    bool IsOpened() const override { return opened; }
    void ClearPort() override {}
    void WriteText(const QByteArray &text) override { written << text; }
    QByteArray ReadText() override { return {}; }
    void SetLineA(bool on) override { lineA = on; }
    void SetLineB(bool on) override { lineB = on; }
    void IgnoreInput() override {}
    QString ErrorString() const override { return {}; }

    bool opened = true;
    std::optional<bool> lineA, lineB;
    QList<QByteArray> written;
};

class FakeVirtualPort final : public VirtualPort {
    Q_OBJECT
public:
    using VirtualPort::VirtualPort;
    bool IsCreated() const override { return true; }
    bool AttachPort(const QString &) override { return true; }
    bool CreatePort(const QString &) override { return true; }
    bool DeletePort() override { return true; }
    void ForceDeletePort() override {}
    void ResetPort() override {}
    bool IsOpenedByApp() const override { return true; }
    void WriteText(const QByteArray &text) override { written << text; }
    QByteArray ReadText() override { return {}; }
    QString DevicePath() const override { return {}; }
    QString ErrorString() const override { return {}; }

    QList<QByteArray> written;
};
