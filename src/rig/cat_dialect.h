#pragma once

#include "rig/rig_type.h"
#include "rig/virtual_rig.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <span>
#include <string_view>

// What the bridge must know of a radio family's CAT to share the radio: which commands only
// read (so that a port may pass them and their reply comes back to it), what a setting changes
// in the virtual rig and how to read it back, and which settings a newer one of the same kind
// makes pointless while both still wait. One table per family, read by the few functions below.

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
    std::array<Entry, 4> stale;
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

// Where a family's replies carry the frequency: FA/FB have `digits` of it after their two
// letters; the IF reply has them at `ifFrequencyAt` and is `ifLength` characters long.
// An Elecraft or Kenwood reply carries 11 digits right after "IF", 38 characters in all; a Yaesu
// reply carries 9 digits after its 3-digit memory channel, 28 characters in all.
struct FrequencyLayout {
    int digits;
    int ifFrequencyAt;
    int ifLength;
};
inline constexpr FrequencyLayout kElevenDigitLayout{11, 2, 38};
inline constexpr FrequencyLayout kYaesuLayout{9, 5, 28};

struct CatDialect {
    RigType type;
    std::span<const ReadForm> reads;
    std::span<const SettingEffect> effects;
    std::span<const MergeKey> mergeKeys;
    // The auto-information level a port is told it has (AI;), for a port with neither box set,
    // with its "AI1" box, with its "AI2" box.
    std::array<std::string_view, 3> aiReplies;
    FrequencyLayout frequency;
    // The replies that carry the transmit state: when one of them changes it, the others are out
    // of date until read again.
    std::span<const TransmitColumn> transmit;
};

// The family's table; a table with no reads beyond the bare ones for no selection.
const CatDialect &catDialect(RigType type);

// A command the family's table knows as a read: it changes nothing at the rig, and its reply goes
// back to whoever sent it. idReply: the rig's ID reply, for reads that only some radios of the
// family know.
bool isRead(const CatDialect &dialect, const QByteArray &command, const QByteArray &idReply = {});

// What a setting changes, or nullptr when the bridge keeps nothing it changes.
const SettingEffect *effectOf(const CatDialect &dialect, const QByteArray &setting);

// The part of a setting that a newer setting of the same kind replaces, or empty when settings
// of this kind must all reach the rig.
QByteArray mergeKeyOf(const CatDialect &dialect, const QByteArray &setting);

// Whether a reply answers a read: it begins with the read's text without its ';', and a '$'
// form answers only its '$' read ("FW$0240;" answers "FW$;", not "FW;").
bool answers(const QByteArray &reply, const QByteArray &read);

// Whether a reply kept as `entry` says the radio transmits; nullopt when the entry carries no
// transmit state for the family, or the reply is too short to say.
std::optional<bool> transmitState(const CatDialect &dialect, Entry entry, const QByteArray &reply);
