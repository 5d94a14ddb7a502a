#pragma once

#include "rig/rig_type.h"
#include "rig/virtual_rig.h"

#include <QtGlobal>

#include <array>
#include <initializer_list>
#include <span>
#include <string_view>

// Everything the bridge knows of a radio family, in one record per family
// (src/rig/families/*.cpp): how it is set up, loaded and polled, which of its replies the virtual
// rig keeps, which of its commands only read and what its settings change, what the SDR port
// holds back, and how the network doors speak its CAT. familyCaps() finds a rig type's record.

// --- the rig's CAT, as the ports and the queue see it ---

// A read the family knows: the mnemonic ("FA", "MD$", "RV") followed by exactly the characters
// of `parameters`, where '#' stands for a digit and '.' for any letter or digit, and anything
// else for itself: {"BC", "0"} is Yaesu's "BC0;", {"EX", "###"} a three-digit menu read. Where
// radios of a family differ (the number of digits of a menu), the form holds only for the radio
// whose ID reply begins with `radio`. Whatever no form matches is a setting.
struct ReadForm {
    std::string_view mnemonic;
    std::string_view parameters = {};
    std::string_view radio = {};
};

// What a setting changes: the entries that are out of date until the rig is read again, and
// the read that brings them back.
struct SettingEffect {
    std::string_view prefix; // the setting begins with it: "FA", "MD$", "MD0"
    std::array<Entry, 6> stale;
    int staleCount;
    std::string_view readBack; // "" for none
};

// Settings whose newer value replaces an older one of the same source still waiting: the
// first `keyLength` characters name the thing set ("FA", "MD0", "EX032").
struct MergeKey {
    std::string_view prefix;
    int keyLength;
};

// Where a reply kept in the virtual rig tells whether the radio transmits: the character at
// `at` is '0' for receive.
struct TransmitColumn {
    Entry entry;
    int at;
};

// Where a family's replies carry the frequency and the IF status line's fields: FA/FB have
// `digits` of frequency after their two letters; the IF reply, `ifLength` characters long, has
// them at `ifFrequencyAt`, the RIT/XIT offset (sign, four digits) at `ifOffsetAt`, RIT and XIT
// on at `ifRitAt` and `ifXitAt`, and the transmit flag at `ifTransmitAt` (-1: it has none).
struct FrequencyLayout {
    int digits;
    int ifFrequencyAt;
    int ifLength;
    int ifOffsetAt;
    int ifRitAt;
    int ifXitAt;
    int ifTransmitAt;
};
// An Elecraft or Kenwood reply carries 11 digits right after "IF", 38 characters in all; a Yaesu
// reply carries 9 digits after its 3-digit memory channel, 28 characters in all, and no transmit
// flag.
inline constexpr FrequencyLayout kElevenDigitLayout{11, 2, 38, 18, 23, 24, 28};
inline constexpr FrequencyLayout kYaesuLayout{9, 5, 28, 14, 19, 20, -1};

// Some of the virtual rig's entries.
class EntrySet {
public:
    constexpr EntrySet() = default;
    constexpr EntrySet(std::initializer_list<Entry> entries)
    {
        for (Entry e : entries)
            m_bits |= quint64(1) << int(e);
    }
    constexpr bool contains(Entry e) const { return (m_bits >> int(e)) & 1; }

private:
    static_assert(kEntryCount <= 64);
    quint64 m_bits = 0;
};

// --- what the network doors need ---

// A rigctl mode and the MD code (with the K3's data sub-mode, DT) that gives it. On a CI-V radio
// the code is the mode byte ('\x01' USB) and dataSubMode is '1' for the mode with its data
// switch on (26 00 01 01: PKTUSB).
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
    Civ,    // "1C00;" gives 1C0000 (receive) or 1C0001 (Icom)
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
    Table,   // the position in the list, in BCD, and nothing else (Icom's 1A 03: "1A0328;")
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
    bool splitFreqZeroWhenOff = false; // get_split_freq with split off answers 0, not VFO A
    char splitOffVfo = 'A';            // else the VFO it reads: 'B', the other one, on an Icom
    // Where split is the radio's own switch ("ST;"): its read, and its settings off and on. Else
    // split is read from FT (and FR), and splitSet, where given, sets the transmit VFO A and B
    // in place of the family's txVfoSet.
    std::string_view splitRead = {};
    std::array<std::string_view, 2> splitSet = {};
    int pttType = 1; // Hamlib's: 1 CAT, 5 CAT with the microphone and data inputs
    // rigctld's lines, less the VFO and antenna columns: "rx|tx start end modes lowMw highMw"
    std::string_view ranges;
    std::string_view steps;   // "modes step step ..."
    std::string_view filters; // "modes width width ...": the first width of a row is its normal
    int maxRit;
    int maxXit;
    int maxIfShift;
    std::string_view preamps; // dB, space-separated
    std::string_view attenuators;
    std::string_view agcLevels = {};
    int maxWatts = 0; // where the power level is a fraction of full power (Icom's 0-255)
};

// A report the radio sends unasked, kept as the reply to a read: Icom's transceive frame of a
// new frequency ("00...") holds what the reply to "03;" holds.
struct ReportAlias {
    std::string_view report;
    std::string_view reply;
};

// A reply that holds what another read's reply holds: Icom's "03..." is the selected VFO's
// frequency, as "2500..." is.
struct SameReply {
    std::string_view reply;
    std::string_view alsoAnswers;
};

// The settings a "Freq/Mode" port passes, by how they begin.
inline constexpr std::string_view kTextFreqMode[] = {"FA", "FB", "MD"};
// Settings no program may give: they would change what every other program sees (AI, K2, K3
// levels). Their bare queries are reads.
inline constexpr std::string_view kTextMeta[] = {"AI", "K2", "K3"};

enum class RitKind {
    None,     // no offset setting over the network
    Absolute, // "RO+0100;" sets the offset, "RC;" clears it (K3)
    Steps,    // "RC;" clears, then "RU0100;"/"RD0100;" moves by that many Hz (Kenwood, Yaesu)
};

// --- the record ---

struct FamilyCaps {
    RigType type;
    std::string_view name; // the caption in the window's rig-type list

    // Icom's CI-V: binary frames on the line, which the ports and the rig's line carry as text
    // (civ_framing.h). Every command is answered, in order: a read with its reply, a setting
    // with okReply ("FB;") or the refusal "?;" (NG).
    bool civ = false;
    std::string_view okReply = {};
    // The read the connection sequence probes the rig with; a reply that answers it is the rig.
    std::string_view probe = "FA;";
    // RTS is raised on the rig's port while connected: Kenwood and Yaesu radios want it for their
    // flow control, and a K3 or an Icom may be set to key the transmitter with it.
    bool raiseRts = true;

    // Connecting: the set-up commands after the probe, each followed by a 50 ms wait, then the
    // queries that fill the virtual rig, in order, each followed by a 30 ms wait. Each command
    // is a write of its own.
    std::string_view setUp = {};
    std::string_view loadQueries = {};
    // The writes of one poll tick: in receive (up to two), in receive while a program holds the
    // SDR port, and in transmit. Each string is one write.
    std::array<std::string_view, 2> pollReceive = {};
    std::string_view pollWithSdr = {};
    std::string_view pollTransmit = "BG;SM;TQ;";
    // The entries of the virtual rig that keep the family's replies.
    EntrySet kept = {};

    // Which commands only read (so that a port may pass them, and their reply comes back to it),
    // what a setting changes and how to read it back, which settings a newer one of the same
    // kind makes pointless while both still wait.
    std::span<const ReadForm> reads = {};
    std::span<const SettingEffect> effects = {};
    std::span<const MergeKey> mergeKeys = {};
    std::span<const std::string_view> freqModeSettings = kTextFreqMode;
    std::span<const std::string_view> metaCommands = kTextMeta;
    // Reports the radio sends unasked, and the reads they stand for.
    std::span<const ReportAlias> reports = {};
    std::span<const SameReply> sameReplies = {};
    // A reply nobody asked for and no routing row claims goes to application port 1 (a K3's "?;"
    // to a command it had no time for); a CI-V reply is addressed, and one for nobody goes nowhere.
    bool strayToPort1 = true;
    // The auto-information level a port is told it has (AI;), for a port with neither box set,
    // with its "AI1" box, with its "AI2" box.
    std::array<std::string_view, 3> aiReplies = {"AI0;", "AI1;", "AI2;"};
    FrequencyLayout frequency = kElevenDigitLayout;
    // The replies that carry the transmit state: when one of them changes it, the others are out
    // of date until read again.
    std::span<const TransmitColumn> transmit = {};

    // The SDR port: the commands of its program it holds back (space-separated mnemonics the
    // command begins with), and whether it hears the rig's FT replies.
    std::string_view sdrHeldBack = {};
    bool sdrHearsFt = false;

    // The network doors' translation; no family (no rig type chosen) has none.
    std::string_view maker = {};
    std::string_view modeQuery = "MD;";
    std::string_view modePrefix = "MD"; // the setting is modePrefix + code + ';'
    std::span<const ModeRow> modes = {};
    WidthKind width = WidthKind::None;
    PttRead pttRead = PttRead::Tq;
    std::string_view pttOn = "TX;";
    std::string_view pttOff = "RX;";
    std::string_view rxVfoQuery = "FR;"; // or "" where receive is always on VFO A
    std::array<std::string_view, 2> txVfoSet = {"FT0;", "FT1;"}; // TX on A, on B; read with FT;
    RitKind rit = RitKind::None;
    int ritDigits = 0;
    std::string_view meterQuery = {}; // "SM;" or "SM0;"
    std::span<const MeterPoint> meter = {};
    std::string_view pitchQuery = {}; // "" when the family has none held by the bridge
    int pitchBase = 0;                // Hz = pitchBase + pitchStep * value
    int pitchStep = 0;
    std::span<const FilterRow> filters = {}; // the family's usual passbands
    int maxRit = 0;
    std::span<const RadioModel> models = {}; // the first is taken when the rig's ID is not known

    // The reads and settings the doors use where a family's CAT differs from the text families'.
    // With `civ` set, frequencies are five BCD bytes (05/25 01 + frequency), modes a mode byte
    // with the data byte and filter of 26 00 ("2600010001;": USB, data off, FIL1).
    std::string_view idQuery = "ID;"; // its reply names the radio (RadioModel::idReply)
    std::array<std::string_view, 2> frequencyQueries = {"FA;", "FB;"}; // VFO A's, VFO B's
    std::array<std::string_view, 2> frequencySets = {"FA", "FB"};      // + frequency + ';'
    std::string_view dataSubModeQuery = "DT;"; // read with the mode where a row has a sub-mode
    std::string_view statusQuery = "IF;";      // the status line with RIT and XIT; "" for none
    // PS1 is on, PS0 off; a CI-V radio is on while it answers this read.
    std::string_view powerQuery = "PS;";
    // The RF power level: the read's head is the setting's ("PC050;"), with `powerLevelDigits`
    // digits of watts, or of powerLevelFull for the radio's maxWatts where powerLevelFull is set.
    std::string_view powerLevelQuery = "PC;";
    int powerLevelDigits = 3;
    int powerLevelFull = 0;
};

// The record of a rig type; with no rig type chosen, one that knows only what every family
// shares.
const FamilyCaps &familyCaps(RigType type);

// Whether the virtual rig keeps an entry from the replies of this rig type's radio.
inline bool keeps(RigType type, Entry e)
{
    return familyCaps(type).kept.contains(e);
}
