#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A port the bridge offers to one station program (application ports 1 to 5, the SDR port),
// published under a COM name the user picks.
class VirtualPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool IsCreated() const = 0;
    // True only when this instance already holds a port of that name.
    virtual bool AttachPort(const QString &name) = 0;
    virtual bool CreatePort(const QString &name) = 0;
    // Refused (false) while a station program holds the port open.
    virtual bool DeletePort() = 0;
    // Removes the port even while a program holds it (the program loses it): at shutdown.
    virtual void ForceDeletePort() = 0;
    // Discards what is queued in both directions.
    virtual void ResetPort() = 0;
    virtual bool IsOpenedByApp() const = 0;
    // Dropped while no station program holds the port.
    virtual void WriteText(const QByteArray &text) = 0;
    virtual QByteArray ReadText() = 0;
    // Where a station program finds the port (empty while it does not exist).
    virtual QString DevicePath() const = 0;
    // Why the last CreatePort failed, in words for the user.
    virtual QString ErrorString() const = 0;

signals:
    void DataReceived();
    void LineAChanged(bool on);
    void LineBChanged(bool on);
    void OpenedByAppChanged(bool held);
};
