#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <string_view>

// What the connection sequence writes, from the rig type's record (family_caps.h): the set-up
// commands after the probe, then the queries that fill the virtual rig, one write each.
QList<QByteArray> setUpFor(RigType rigType);
QList<QByteArray> loadQueriesFor(RigType rigType);

// Baud-rate list index to the rig port's mode; any other index applies no mode.
// 115200 is what an IC-7300 and IC-705 use on USB out of the box.
inline constexpr std::array<std::string_view, 6> kBaudModes{
    "4800,N,8,1", "9600,N,8,1", "19200,N,8,1", "38400,N,8,1", "57600,N,8,1", "115200,N,8,1"};

// The mode of a baud-rate list index, or empty.
constexpr std::string_view baudModeAt(int index)
{
    return index >= 0 && index < int(kBaudModes.size()) ? kBaudModes[std::size_t(index)]
                                                        : std::string_view();
}

// The speed a mode starts with ("4800,N,8,1": 4800); 0 for none.
constexpr int baudOf(std::string_view mode)
{
    int baud = 0;
    for (std::size_t i = 0; i < mode.size() && mode[i] >= '0' && mode[i] <= '9'; ++i)
        baud = baud * 10 + (mode[i] - '0');
    return baud;
}
static_assert(baudOf(baudModeAt(0)) == 4800 && baudOf(baudModeAt(5)) == 115200 &&
              baudOf(baudModeAt(6)) == 0);

// The writes of one poll tick, by the rig type's record: whether the radio transmits, whether a
// program holds the SDR port.
QList<QByteArray> pollWrites(bool transmitting, bool sdrHeld, RigType rigType);
