#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>
#include <span>
#include <string_view>

struct RadioState;
struct CivCommand;

// How an Icom radio answers one kind of CI-V command. A row of a radio's table names the
// handler and adds its code, range and power-on value.
struct CivHandler {
    // The reply's data after the row's code, or nullopt where the radio answers FA (NG).
    std::optional<QByteArray> (*read)(const RadioState &, const CivCommand &);
    // Applies a setting (the data after the code); the changes made, or nullopt for FA.
    std::optional<unsigned> (*set)(RadioState &, const CivCommand &, QByteArrayView data);
};

enum class CivAccess : unsigned char {
    Read,    // the bare code asks; data after it is refused
    Set,     // everything sets, the bare code too ("07": VFO mode)
    ReadSet, // the bare code asks, data sets
    Quiet,   // a setting answered with nothing, not even FB: 00 and 01, the transceive forms
};

// One command of one radio: its command and sub-command bytes, what it allows and how it is
// handled. Stored numbers are `bytes` BCD bytes within [min, max], `value` at power-on.
struct CivCommand {
    std::string_view code;
    CivAccess access;
    const CivHandler *handler;
    int bytes = 0;
    int min = 0;
    int max = 0;
    int value = 0;
};

using CivTable = std::span<const CivCommand>;

// Where a radio's VFOs tune.
struct FrequencyRange {
    qint64 lowHz;
    qint64 highHz;
};

// What makes a simulated radio an Icom one: its CI-V address, commands and menu defaults.
struct CivRadio {
    quint8 address;                 // its default CI-V address
    std::array<CivTable, 2> tables; // its own rows first, then the family's
    std::span<const FrequencyRange> ranges;
    std::array<qint64, 2> startHz; // the two VFOs at power-on
    // The IC-7610 and IC-9700 have a main and a sub receiver (07 D0, D1, D2). The simulator
    // gives each receiver one VFO: VFO A and B (07 00, 01) pick the same two.
    bool mainAndSub = false;
    bool transceive = true; // "CI-V Transceive": changes at the radio go to address 00
    bool echo = false;      // "CI-V USB Echo Back": every frame received is sent back

    // The row whose code is the longest prefix of a frame's body, or null.
    const CivCommand *find(QByteArrayView body) const;
    bool tunes(qint64 hz) const;
};
