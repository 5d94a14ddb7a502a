#pragma once

#include "shell/config_table.h"

#include <QByteArray>
#include <QList>
#include <QMap>

// The 51 lines of a config.ini in file order, without line ends: every box clear, no rig or port
// connected, names and the polling text at their defaults, no launch paths, the setup area
// hidden, 38400 baud and a K3. Lines whose key text is in `values` take that value instead (a key
// text that two positions share sets both).
inline QList<QByteArray> configLines(const QMap<QByteArray, QByteArray> &values = {})
{
    QList<QByteArray> lines;
    for (const ConfigLine &line : kConfigLines) {
        const QByteArray key(line.key.data(), qsizetype(line.key.size()));
        QByteArray value = "0";
        switch (line.kind) {
        case ConfigKind::NameBox:
        case ConfigKind::Text:
        case ConfigKind::Poll:
            value = QByteArray(line.emptyDefault.data(), qsizetype(line.emptyDefault.size()));
            break;
        case ConfigKind::Path:
            value.clear();
            break;
        case ConfigKind::Setup:
            value = "False";
            break;
        case ConfigKind::Selection:
            value = key.startsWith("RigBaudRate") ? "3" : "0";
            break;
        default:
            break;
        }
        lines << key + values.value(key, value);
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
