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

// The family's common passband reading; the passband of each radio and mode is in its model's
// width rules.
enum class WidthKind {
    None,   // no passband read or set over the network
    Bw10Hz, // "BW0240;": 10 Hz units, settable (K3)
    FwHz,   // "FW0240;": Hz in four digits after FW, read only (K2, Kenwood)
};

// How a radio writes the passband of some of its modes.
enum class WidthForm : quint8 {
    Fixed,   // one width, not set over CAT: it reads as the rule's normal width
    Tens,    // the width in 10 Hz units (K3 "BW0240;")
    Hertz,   // the width in Hz ("FW0500;"); the radio takes only the rule's widths, if listed
    Index,   // the position of the width in the rule's list (Yaesu "SH014;", a TS-480's "FW0001;")
    HighCut, // the high cut's position in the list, less the low cut that "SL;" reads (Kenwood SH)
};

// The passband of a group of modes on one radio, as Hamlib's driver for it sets and reads it.
struct WidthRule {
    std::string_view modes; // rigctl mode names, space-separated
    WidthForm form;
    std::string_view command; // the setting is command + value in `digits` digits + ';'
    int digits;
    std::string_view query;   // the read whose reply ends with the value
    std::string_view widths;  // Hz, space-separated; for Index a 0 is the radio's own default
    int normal;               // the width of rigctl's passband 0 (Hamlib's normal passband)
    std::string_view lowCuts; // HighCut: the low cut in Hz by the index "SL;" reads
    std::string_view narrow;  // Yaesu: "NA0", set to 1 up to narrowMax and to 0 above, first
    int narrowMax;
};

// One radio of a family, told from the others by its reply to "ID;": its passbands, how it
// answers where radios of a family differ, and the description rigctld gives of it (its own
// frequency ranges, tuning steps and filters, as Hamlib's driver lists them).
struct RadioModel {
    std::string_view idReply; // "ID0670;"
    std::string_view name;
    int hamlibModel;
    std::span<const WidthRule> widths;
    bool splitFreqZeroWhenOff; // get_split_freq with split off answers 0, not VFO A's frequency
    // Where split is the radio's own switch ("ST;"): its read, and its settings off and on. Else
    // split is read from FT (and FR), and splitSet, where given, sets the transmit VFO A and B
    // in place of the family's txVfoSet.
    std::string_view splitRead;
    std::array<std::string_view, 2> splitSet;
    int pttType; // Hamlib's: 1 CAT, 5 CAT with the microphone and data inputs
    // rigctld's lines, less the VFO and antenna columns: "rx|tx start end modes lowMw highMw"
    std::string_view ranges;
    std::string_view steps;   // "modes step step ..."
    std::string_view filters; // "modes width width ...": the first width of a row is its normal
    int maxRit;
    int maxXit;
    int maxIfShift;
    std::string_view preamps;
    std::string_view attenuators;
    std::string_view agcLevels;
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
    std::span<const FilterRow> filters; // the family's usual passbands
    int maxRit;
    std::string_view preamps; // dB, space-separated
    std::string_view attenuators;
    std::span<const RadioModel> models; // the first is taken when the rig's ID is not known
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

// The family's radio that answers "ID;" with idReply; the family's first when none does.
const RadioModel &radioModel(const CatFamily &f, const QByteArray &idReply);
// The radio's rule for a mode's passband; nullptr where it has none.
const WidthRule *widthRule(const RadioModel &model, std::string_view mode);
// The reads that give the passband: none for a fixed one, SH and SL for a high cut.
QList<QByteArray> widthReads(const WidthRule &rule);
// The passband from the replies to widthReads(), in their order.
std::optional<int> widthOf(const WidthRule &rule, const QByteArray &reply,
                           const QByteArray &lowCutReply = {});
// The settings for a passband: 0 is the rule's normal one, otherwise the nearest the radio
// takes. Empty for a fixed passband.
QList<QByteArray> widthSettings(const WidthRule &rule, int hz);

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

// The answer of rigctld's \dump_state for the radio; the "setting=value" lines that newer
// clients read follow only when withSettings (after \chk_vfo, as rigctld does). Only the modes
// the family serves are told.
QByteArray dumpState(const CatFamily &f, const RadioModel &model, bool withSettings, int timeoutMs);
// A short \dump_caps: what a person reading it wants to know of the rig behind the server.
QByteArray dumpCaps(const CatFamily &f, const RadioModel &model);
