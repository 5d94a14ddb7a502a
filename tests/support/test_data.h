#pragma once

#include "settings/station_settings.h"

#include <QByteArray>
#include <QList>
#include <QMap>

// The 51 lines of a config.ini in file order, without line ends: every box clear, no rig or port
// connected, names and the polling text at their defaults, no launch paths, the setup area
// hidden, 38400 baud and a K3. Lines whose key text is in `values` take that value instead (a key
// text that two positions share sets both).
inline QList<QByteArray> configLines(const QMap<QByteArray, QByteArray> &values = {})
{
    StationSettings base;
    base.rigPort = QStringLiteral("COM1");
    for (AppPortSettings &port : base.ports)
        port.name = QStringLiteral("COM1");
    base.sdr.name = QStringLiteral("COM1");
    base.pollInterval = 200;
    QList<QByteArray> lines = writeConfigIni(base).split('\n');
    lines.removeLast(); // after the last line end
    for (QByteArray &line : lines) {
        line.chop(1); // its CR
        const QByteArray key = line.left(line.indexOf('=') + 1);
        if (values.contains(key))
            line = key + values.value(key);
    }
    return lines;
}

// The same as a file's contents, each line ended with CR LF.
inline QByteArray configFile(const QMap<QByteArray, QByteArray> &values = {})
{
    QByteArray file;
    for (const QByteArray &line : configLines(values))
        file += line + "\r\n";
    return file;
}

// Bytes no writer would produce, the same on every run.
inline QByteArray noiseBytes(int count, quint32 seed)
{
    QByteArray bytes;
    bytes.reserve(count);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u; // a linear congruential generator is enough here
        bytes.append(char(seed >> 24));
    }
    return bytes;
}
