#pragma once

#include <QString>

// The idle cost of `ovx2 --headless`: started with no display as systemd would start it, on a
// settings folder of its own (the demo settings with the rig simulator connected, ports 1-5 and
// the SDR port created at start, polling every 200 ms), measured from outside through /proc.
struct HeadlessIdle {
    bool ran = false;
    bool refused = false;     // the program stopped at start: a build without --headless
    QString why;              // when it did not run: what the program said or did
    double wakeUps = 0;       // its main thread's sleeps ended, per second
    double percentOfCore = 0; // all its threads
    int polls = 0;            // poll writes that reached the simulated rig meanwhile
};

HeadlessIdle measureHeadlessIdle(const QString &program, const QString &demoConfig, int seconds);
