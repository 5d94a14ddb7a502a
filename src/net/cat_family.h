#pragma once

#include "rig/family_caps.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <string_view>

// The network doors' translation between CAT text and rigctl values, read from the family's
// record (rig/family_caps.h): which read answers each quantity, how a setting is written, the
// codes of its modes. Nothing else in the network code knows a family by name.

// The record of the family the doors serve; nullptr with no rig type chosen.
const FamilyCaps *catFamily(RigType type);

// Translation between CAT text and rigctl values. Replies come with their ';'.
namespace cat {
QByteArray frequencyQuery(const FamilyCaps &f, char vfo); // vfo 'A' or 'B'
// Empty where hz is no frequency the family can write.
QByteArray frequencySetting(const FamilyCaps &f, char vfo, qint64 hz);
std::optional<qint64> frequency(const FamilyCaps &f, const QByteArray &reply);

// By rigctl's name, or the other name Hamlib writes it by ("FM-D" for PKTFM).
const ModeRow *modeByName(const FamilyCaps &f, std::string_view name);
// The reads that give the mode: MD, and DT where the family has data sub-modes.
QList<QByteArray> modeReads(const FamilyCaps &f);
// The mode of an MD reply, refined by the K3's DT reply where the MD code is a data mode.
const ModeRow *modeOf(const FamilyCaps &f, const QByteArray &mdReply, const QByteArray &dtReply);
// The settings that select a mode: MD, then DT where the mode has a data sub-mode.
QList<QByteArray> modeSettings(const FamilyCaps &f, const ModeRow &mode);
std::optional<int> width(const FamilyCaps &f, const QByteArray &reply);
QByteArray widthSetting(const FamilyCaps &f, int hz); // empty where the family sets none

// The family's radio that answers "ID;" with idReply; the family's first when none does.
const RadioModel &radioModel(const FamilyCaps &f, const QByteArray &idReply);
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

QByteArray pttQuery(const FamilyCaps &f);
std::optional<bool> transmitting(const FamilyCaps &f, const QByteArray &reply);
// FR/FT/ST (or CI-V's 0F) read by `query`: 0 (A, or off) or 1 (B, or on).
std::optional<int> vfoDigit(const QByteArray &reply, const QByteArray &query);
std::optional<bool> powerOn(const FamilyCaps &f, const QByteArray &reply);
// The RF power level in watts, and its setting (empty for a level the radio has not).
std::optional<int> powerWatts(const FamilyCaps &f, const RadioModel &model,
                              const QByteArray &reply);
QByteArray powerSetting(const FamilyCaps &f, const RadioModel &model, int watts);

struct Offset {
    int hz;
    bool rit;
    bool xit;
};
std::optional<Offset> offset(const FamilyCaps &f, const QByteArray &ifReply);
QList<QByteArray> offsetSettings(const FamilyCaps &f, int hz); // empty where the family sets none

std::optional<int> meterRaw(const FamilyCaps &f, const QByteArray &reply);
int strengthDb(const FamilyCaps &f, int raw);
std::optional<int> pitchHz(const FamilyCaps &f, const QByteArray &reply);
QByteArray pitchSetting(const FamilyCaps &f, int hz);
} // namespace cat
