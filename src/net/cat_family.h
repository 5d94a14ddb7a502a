#pragma once

#include "rig/cat_dialect.h"
#include "rig/rig_type.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <optional>
#include <span>
#include <string_view>

// What the network side knows of a radio family's CAT: which read answers each quantity, how a
// setting is written, and the codes of its modes. One table per family, read by every rigctl
// command; nothing else in the network code knows a family by name.

// A rigctl mode and the MD code (with the K3's data sub-mode, DT) that gives it.
struct ModeRow {
    std::string_view name; // rigctl's name: "USB", "PKTUSB"
    char code;             // the digit (or Yaesu's hex digit) after MD
    char dataSubMode;      // the DT digit that goes with it on a K3, 0 where none
};

// A point of an S-meter calibration: the rig's raw reading and dB relative to S9.
struct MeterPoint {
    int raw;
    int db;
};

// A frequency range for the rig's description to Hamlib clients.
struct FreqRange {
    qint64 start;
    qint64 end;
    int lowPowerMw; // -1 for a receive range
    int highPowerMw;
};

// A passband a client may choose; the first row of a mode group is that group's normal width.
struct FilterRow {
    std::string_view modes; // space-separated rigctl mode names
    int width;
};

enum class PttRead {
    Tq,     // "TQ;" gives TQ0/TQ1 (Elecraft)
    IfFlag, // the transmit flag of the IF status line (Kenwood)
    Tx,     // "TX;" gives TX0 (receive), TX1 (CAT keyed) or TX2 (keyed at the radio) (Yaesu)
};

enum class WidthKind {
    None,   // no passband read or set over the network
    Bw10Hz, // "BW0240;": 10 Hz units, settable (K3)
    FwHz,   // "FW0240;": Hz in four digits after FW, read only (K2, Kenwood)
};

enum class RitKind {
    None,     // no offset setting over the network
    Absolute, // "RO+0100;" sets the offset, "RC;" clears it (K3)
    Steps,    // "RC;" clears, then "RU0100;"/"RD0100;" moves by that many Hz (Kenwood, Yaesu)
};

struct CatFamily {
    RigType type;
    std::string_view rigName;
    std::string_view maker;
    int hamlibModel; // the model a Hamlib user would pick for this radio
    FrequencyLayout frequency;
    std::string_view modeQuery;  // "MD;" or "MD0;"
    std::string_view modePrefix; // the setting is modePrefix + code + ';'
    std::span<const ModeRow> modes;
    WidthKind width;
    PttRead pttRead;
    std::string_view pttOn;
    std::string_view pttOff;
    std::string_view rxVfoQuery;              // "FR;", or "" where receive is always on VFO A
    std::array<std::string_view, 2> txVfoSet; // TX on VFO A, on VFO B; read with "FT;"
    // Positions in the IF status line: RIT/XIT offset (sign then four digits), RIT on, XIT on.
    int ifOffsetAt;
    int ifRitAt;
    int ifXitAt;
    RitKind rit;
    int ritDigits;
    std::string_view meterQuery; // "SM;" or "SM0;"
    std::span<const MeterPoint> meter;
    std::string_view pitchQuery; // "" when the family has none held by the bridge
    int pitchBase;               // Hz = pitchBase + pitchStep * value
    int pitchStep;
    // The rig's description for Hamlib clients.
    std::span<const FreqRange> rxRanges;
    std::span<const FreqRange> txRanges;
    std::span<const FilterRow> filters;
    int maxRit;
    std::string_view preamps; // dB, space-separated
    std::string_view attenuators;
};

// The table of the family of a rig type; nullptr for no selection.
const CatFamily *catFamily(RigType type);

// Hamlib's bit for a mode name, 0 for a name it does not know.
quint64 hamlibModeBit(std::string_view name);
// The bits of all the family's modes; of the modes named in a space-separated list.
quint64 familyModeBits(const CatFamily &family);
quint64 modeBits(std::string_view names);

// Translation between CAT text and rigctl values. Replies come with their ';'.
namespace cat {
QByteArray frequencySetting(const CatFamily &f, char vfo, qint64 hz); // vfo 'A' or 'B'
std::optional<qint64> frequency(const CatFamily &f, const QByteArray &reply);

const ModeRow *modeByName(const CatFamily &f, std::string_view name);
// The mode of an MD reply, refined by the K3's DT reply where the MD code is a data mode.
const ModeRow *modeOf(const CatFamily &f, const QByteArray &mdReply, const QByteArray &dtReply);
// The settings that select a mode: MD, then DT where the mode has a data sub-mode.
QList<QByteArray> modeSettings(const CatFamily &f, const ModeRow &mode);
std::optional<int> width(const CatFamily &f, const QByteArray &reply);
QByteArray widthSetting(const CatFamily &f, int hz); // empty where the family sets none

std::optional<bool> transmitting(const CatFamily &f, const QByteArray &reply);
std::optional<int> vfoDigit(const QByteArray &reply); // FR/FT: 0 (A) or 1 (B)

struct Offset {
    int hz;
    bool rit;
    bool xit;
};
std::optional<Offset> offset(const CatFamily &f, const QByteArray &ifReply);
QList<QByteArray> offsetSettings(const CatFamily &f, int hz); // empty where the family sets none

std::optional<int> meterRaw(const CatFamily &f, const QByteArray &reply);
int strengthDb(const CatFamily &f, int raw);
std::optional<int> pitchHz(const CatFamily &f, const QByteArray &reply);
QByteArray pitchSetting(const CatFamily &f, int hz);
} // namespace cat

// The answer of rigctld's \dump_state for the family; the "setting=value" lines that newer
// clients read follow only when withSettings (after \chk_vfo, as rigctld does).
QByteArray dumpState(const CatFamily &f, bool withSettings, int timeoutMs);
// A short \dump_caps: what a person reading it wants to know of the rig behind the server.
QByteArray dumpCaps(const CatFamily &f);
