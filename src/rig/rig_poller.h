#pragma once

#include <QObject>

class PublishedItems;
class QTimer;
class RigLink;
class VirtualPort;
struct StationSettings;

// Asks the rig, at every tick of the poll timer, for what keeps the virtual rig current: what it
// asks depends on the rig type, whether the rig transmits, and whether a panadapter program
// holds the SDR port.
class RigPoller : public QObject {
    Q_OBJECT
public:
    struct Deps {
        const StationSettings &settings;
        QTimer &pollTimer;
        RigLink &link;
        VirtualPort &sdrPort;
        const PublishedItems &items;
    };
    explicit RigPoller(Deps deps, QObject *parent = nullptr);

    void poll();

private:
    Deps d;
};
