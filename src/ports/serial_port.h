#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A real serial port as the bridge drives it: the rig port and the two output ports.
// Text crosses it unchanged, as 8-bit bytes.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The machine's serial ports: PortCount() lists them, PortName() names one of that list.
    virtual int PortCount() const = 0;
    virtual QString PortName(int index) const = 0;
    // "38400,N,8,1": baud, parity (N E O M S), data bits, stop bits. Text that does not parse
    // changes nothing.
    virtual void SetMode(const QString &mode) = 0;
    virtual bool Open(const QString &name) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpened() const = 0;
    // Discards everything received and not yet read.
    virtual void ClearPort() = 0;
    // Dropped silently while the port is closed.
    virtual void WriteText(const QByteArray &text) = 0;
    // Every byte received since the last read.
    virtual QByteArray ReadText() = 0;
    virtual void SetLineA(bool on) = 0;
    virtual void SetLineB(bool on) = 0;
    // For a port that only sends: from now on what arrives is thrown away as it comes, so that
    // equipment talking to a port nobody reads cannot fill memory.
    virtual void IgnoreInput() = 0;
    // The caller needs nothing that arrives in the next `msecs` (the rig is still answering what
    // was written): what comes meanwhile is read then, all at once, so that a rig answering a
    // batch of queries wakes the program once rather than once a reply. A later call moves that
    // time; 0 or less reads everything as it comes again. Nothing is lost either way.
    virtual void GatherInputFor(int /*msecs*/) {}
    virtual QString ErrorString() const = 0;

signals:
    void DataReceived();
    // The device went away while open (a USB adapter pulled out); the port is closed now.
    void Vanished();
};
