#pragma once

#include "cat_command.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

struct RadioState;

// Handlers every family uses, and the small helpers the family handlers build on.
namespace cat {

// A number of exactly row.width digits within [row.min, row.max], stored as sent; row.text is
// its value at power-on.
extern const CatHandler kStoredNumber;
// A stored number like kStoredNumber that takes any row.width digits and keeps the nearest value
// in range, as the power settings do (Hamlib reads a radio's power range by setting 000 and 255).
extern const CatHandler kClampedNumber;
// A stored number whose replies carry a fixed tail the settings leave out: a TS-2000 is set
// with "PA1;" and answers "PA10;". row.text is the tail; the value starts at zero.
extern const CatHandler kStoredNumberWithTail;
// A stored value shaped like its power-on text, row.text: a setting puts a digit where the text
// has a digit, '+' or '-' where it has a sign and the same character elsewhere ("IS0+0120;").
extern const CatHandler kShapedText;
// A constant reply, row.text.
extern const CatHandler kFixedReply;
// VFO A and VFO B: row.width digits of Hz.
extern const CatHandler kFrequencyA;
extern const CatHandler kFrequencyB;
// PS: "PS1;" while on; PS0 switches the radio off.
extern const CatHandler kPowerSwitch;
// AI: the auto-information level, one digit within [row.min, row.max].
extern const CatHandler kAutoInfo;
// RX; ends transmitting.
extern const CatHandler kReceive;
// RC; clears the RIT/XIT offset; RT and XT switch RIT and XIT.
extern const CatHandler kRitClear;
extern const CatHandler kRitSwitch;
extern const CatHandler kXitSwitch;
// RU and RD move the RIT/XIT offset one 10 Hz step, or by row.width digits of Hz if given.
extern const CatHandler kRitUp;
extern const CatHandler kRitDown;
// A filter width in Hz, row.width digits (Kenwood FW).
extern const CatHandler kWidthInHz;

// Exactly `count` decimal digits, nothing else.
std::optional<int> digits(QByteArrayView p, qsizetype count);
// Zero-padded decimal text of `count` digits.
QByteArray padded(qint64 value, int count);
// The RIT/XIT offset as the IF replies show it: sign and four digits.
QByteArray ritField(const RadioState &state);
// The front panel's band of a frequency, or null outside the band plan.
const BandPlanRow *bandOf(qint64 hz);
// Whether the radio reaches the band.
bool covers(const RadioModel &radio, const BandPlanRow &band);
// Moves a VFO, keeping band-stack memory; the changes made.
unsigned tuneVfo(RadioState &state, int vfo, qint64 hz);
// The receiver a row addresses: '$' rows (K3) and a trailing "1" (Yaesu MD1, SH1) the sub.
int receiverOf(const CatCommand &row);
// Whether `code` is one of the radio's mode codes (the MD row's text).
bool knowsMode(const CatCommand &row, char code);

} // namespace cat
