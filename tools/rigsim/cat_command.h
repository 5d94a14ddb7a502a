#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>
#include <span>
#include <string_view>

struct RadioState;
struct CatCommand;
struct CivRadio;

// What a setting or a front-panel event changed; a radio in auto-information mode reports
// changes by these kinds.
enum Change : unsigned {
    NoChange = 0,
    FreqA = 1u << 0,
    FreqB = 1u << 1,
    Mode = 1u << 2,
    Width = 1u << 3,
    Transmit = 1u << 4,
    Split = 1u << 5,   // the transmit or receive VFO
    Rit = 1u << 6,     // RIT/XIT on, off or offset
    Band = 1u << 7,    // VFO A moved to another band
    Setting = 1u << 8, // any other stored setting
    AutoInfoOn = 1u << 9,
};

// How a family answers one kind of command. A row of a radio's table names the handler and adds
// the widths, ranges and text that make it that radio's command.
struct CatHandler {
    // The reply's text after the command name, or nullopt where the radio answers its error.
    // `params` is empty except for rows that are read with a selector (RVM;).
    std::optional<QByteArray> (*read)(const RadioState &, const CatCommand &,
                                      QByteArrayView params);
    // Applies a setting; the changes made, or nullopt for a malformed or refused setting.
    std::optional<unsigned> (*set)(RadioState &, const CatCommand &, QByteArrayView params);
};

enum class Access : unsigned char {
    Read,       // "FA;" asks; anything after the name is an error
    Set,        // the command only sets (TX;, RC;)
    ReadSet,    // the bare name asks, parameters set
    ReadSelect, // read with a selector after the name (RVM;, RVD;)
};

// One command of one radio: the text before the parameters, what it allows and how it is
// handled. `text` depends on the handler: the value at power-on (stored numbers), the reply
// (fixed replies) or the codes the radio knows (modes).
struct CatCommand {
    std::string_view name;
    Access access;
    const CatHandler *handler;
    int width = 0; // digits of the parameter
    int min = 0;
    int max = 0;
    std::string_view text = {};
};

using CatTable = std::span<const CatCommand>;

// Which replies a radio sends unasked at an auto-information level, for which changes. A rule
// names rows of the radio's table; a row the radio lacks is skipped.
struct ReportRule {
    int lowestLevel;
    int highestLevel;
    bool alsoForCommands; // false: only front-panel events are reported
    unsigned changes;
    std::array<std::string_view, 2> replies;
};

// A band the front panel can select, and where VFO A lands there the first time.
struct BandPlanRow {
    int meters;
    qint64 lowHz;
    qint64 highHz;
    qint64 homeHz;
};

// Front-panel mode names and the radio's MD codes for them.
struct ModeName {
    std::string_view name;
    char code;
};

// One simulated radio: its identity, its command tables (its own rows first, then the rows it
// shares with its family) and the family's rules.
struct RadioModel {
    std::string_view key;  // --model name, "k3"
    std::string_view name; // "Elecraft K3"
    RigType family;
    std::array<CatTable, 2> tables;
    std::string_view error;   // the reply to a command the radio does not know
    qint64 maxHz;             // the highest frequency the VFOs reach
    bool wakesOnPowerCommand; // "PS1;" turns the radio on (a K3 needs its power line)
    std::span<const ReportRule> reports;
    std::span<const ModeName> modes;
    // Icom radios speak CI-V, not ';' text: their commands are there and their `tables` are
    // empty. The bridge has no rig type for them yet, so their `family` is RigType::None.
    const CivRadio *civ = nullptr;

    // The row whose name is the longest prefix of `text`, or null.
    const CatCommand *find(QByteArrayView text) const;
    // The row named exactly `command`, or null.
    const CatCommand *row(std::string_view command) const;
};

// The radios the simulator knows, by --model name, and each family's default radio.
std::span<const RadioModel *const> allRadios();
const RadioModel *findRadio(QByteArrayView key);
const RadioModel &defaultRadio(RigType family);
std::optional<RigType> rigTypeFromName(QByteArrayView name); // "k3", "k2", "kenwood", "yaesu"
// The --rig names: the rig types' and "icom"; a family's default radio, or null.
const RadioModel *familyDefault(QByteArrayView name);
QByteArray familyName(const RadioModel &radio); // "k3", ..., "icom"

// The front panel's band plan.
std::span<const BandPlanRow> bandPlan();
