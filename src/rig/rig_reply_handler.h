#pragma once

#include "rig/cat_line.h"

#include <QObject>

class SerialPort;
class TerminalModel;
struct StationSettings;

// Everything the rig sends: cut into replies at ';' (or into CI-V frames, carried as text) and
// shown in the rig terminal, each reply then handed on for storing and routing.
class RigReplyHandler : public QObject {
    Q_OBJECT
public:
    RigReplyHandler(SerialPort &rigPort, TerminalModel &terminal, const StationSettings &settings,
                    QObject *parent = nullptr);

    // Text the rig sent, as it arrives.
    void take(const QByteArray &text);

    const QByteArray &pending() const { return m_rx.pending(); }
    void ClearBuffer() { m_rx.clear(); }

signals:
    // One reply with its ';', in order of arrival.
    void replyReceived(const QByteArray &reply);

private:
    SerialPort &m_rigPort;
    TerminalModel &m_terminal;
    const StationSettings &m_settings;
    CatLine m_rx{CivLine::End::Controller};
};
