#pragma once

#include "rig/family_caps.h"

#include <QByteArray>

#include <optional>

// The part of a family's record that the ports and the queue read: which commands only read,
// what a setting changes, which settings merge, where replies carry the transmit state.
using CatDialect = FamilyCaps;

inline const CatDialect &catDialect(RigType type)
{
    return familyCaps(type);
}

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

// The report a radio would send of what a reply to a read holds (Icom's transceive frame "00..."
// for the reply "03..."); the reply itself where the family has no such report.
QByteArray reportOf(const CatDialect &dialect, const QByteArray &reply);
// The other way: the reply to a read that a report of the radio's stands for; empty when the text
// is no report.
QByteArray replyOf(const CatDialect &dialect, const QByteArray &report);
