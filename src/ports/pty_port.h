#pragma once

#include "ports/virtual_port.h"

class PortFolder;
class PtyDevice;

// VirtualPort on a pseudo-terminal: the bridge holds the master, the slave is published in the
// port folder under the port's COM name, and a station program opens that link as its serial
// device. Pseudo-terminals carry no modem-control lines, so LineAChanged/LineBChanged never fire.
class PtyPort final : public VirtualPort {
    Q_OBJECT
public:
    PtyPort(PortFolder &folder, QObject *parent = nullptr);
    ~PtyPort() override;

    bool IsCreated() const override;
    bool AttachPort(const QString &name) override;
    bool CreatePort(const QString &name) override;
    bool DeletePort() override;
    void ForceDeletePort() override;
    void ResetPort() override;
    bool IsOpenedByApp() const override;
    void WriteText(const QByteArray &text) override;
    QByteArray ReadText() override;
    QString DevicePath() const override;
    QString ErrorString() const override { return m_error; }

private:
    PortFolder &m_folder;
    PtyDevice *m_device = nullptr;
    QString m_name;
    QString m_error;
};
