#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The values read, by position: slot k holds line k + 1. Lines past the 61st are dropped.
constexpr int kReadSlots = 61;
using ConfigReadTable = std::array<QString, kReadSlots>;

// A config.ini larger than this is not a config.ini; only its start is read.
constexpr qsizetype kMaxConfigBytes = 256 * 1024;

// Splits the file into lines (CR LF or LF) and keeps what follows the first "=" of each.
ConfigReadTable parseConfig(const QByteArray &contents);

// The leading number of a text (sign, digits, a decimal point); 0 when it has none.
double leadingNumber(const QString &text);
// The text as a whole number, a fraction going to the nearest (halves to even); nothing when the
// text is not a number.
std::optional<int> wholeNumber(const QString &text);
// A window edge as written: twips, without a fraction when whole, never negative.
QString edgeText(double twips);
