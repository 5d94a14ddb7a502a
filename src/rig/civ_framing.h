#pragma once

#include "rig/cat_framing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>

#include <optional>

// Icom's CI-V: binary frames "FE FE <to> <from> <command> [<sub-command>] [<data>...] FD".
// Numbers travel as BCD; a frequency is five bytes, least significant first (ten digits reach
// 9.999999999 GHz, so an IC-9700 on 23 cm fits; the IC-905's 10 GHz band needs a sixth byte).
namespace civ {

constexpr quint8 kPreamble = 0xFE;
constexpr quint8 kEnd = 0xFD;
constexpr quint8 kCollision = 0xFC; // a jam on the bus: the frame it hits is lost
constexpr quint8 kOk = 0xFB;
constexpr quint8 kNg = 0xFA;
constexpr quint8 kController = 0xE0; // the controllers' usual address
constexpr quint8 kBroadcast = 0x00;  // where a radio sends its transceive frames

// The shortest frame: preamble, addresses, one command byte, end.
constexpr qsizetype kMinFrame = 6;

// What a whole frame (as the framer hands it on) is, seen from a controller of the radio at
// `radio`. On a CI-V bus and with "USB Echo Back" on, a controller reads its own commands back:
// those are addressed to the radio, so an echo is never taken for a reply.
enum class Direction {
    ToRadio,    // a command: our own echoed, or another controller's
    Reply,      // from the radio to one controller
    Transceive, // from the radio to everyone: a change made at the radio
    Other,      // between other stations on the bus
};
Direction direction(QByteArrayView frame, quint8 radio);

// The parts of a whole frame (at least kMinFrame bytes, FE FE ... FD).
inline quint8 to(QByteArrayView frame)
{
    return quint8(frame[2]);
}
inline quint8 from(QByteArrayView frame)
{
    return quint8(frame[3]);
}
// Command, sub-command and data: everything between the addresses and FD.
inline QByteArrayView body(QByteArrayView frame)
{
    return frame.sliced(4, frame.size() - 5);
}

// FE FE to from body FD; empty when an address or the body holds a byte the framing reserves
// (FC to FE), which would break the frame on the line.
QByteArray frame(quint8 to, quint8 from, QByteArrayView body);

// A frequency as `bytes` BCD bytes, least significant first; empty if it is negative or does
// not fit.
QByteArray frequencyBytes(qint64 hz, int bytes = 5);
// The frequency in 1 to 8 BCD bytes, least significant first; nullopt for a byte that is not
// two decimal digits.
std::optional<qint64> frequency(QByteArrayView bcd);

// A number as `bytes` BCD bytes, most significant first (levels: 0128 is 01 28); empty if it is
// negative or does not fit.
QByteArray bcd(int value, int bytes);
// A BCD number of 1 to 4 bytes, most significant first; nullopt for a byte that is not two
// decimal digits.
std::optional<int> number(QByteArrayView bcd);

// The bridge carries a frame as text, so that the virtual rig, the queue and the request tracker
// read it as they read CAT text: its command, sub-command and data in hex, ended by ';' ("03;",
// "030000704000;"). The radio's NG is "?;", a CAT rig's refusal.
QByteArray text(QByteArrayView body);
QByteArray hexByte(quint8 byte); // "94"
// The body a text stands for; empty when it is not whole hex bytes ended by ';'.
QByteArray bodyOf(QByteArrayView text);

} // namespace civ

// Receive buffer of a CI-V line. Bytes before a preamble are garbage; a frame runs from FE FE to
// FD. A collision code (FC) or a new preamble inside a frame breaks it, and a frame longer than
// any CI-V command is cut off: the bytes are discarded up to the next preamble. Nothing kept is
// ever longer than kMaxFrame, however the line misbehaves.
class CivFramer {
public:
    // Longer than any frame of the commands this bridge carries (a memory channel with its
    // name is about 50 bytes).
    static constexpr qsizetype kMaxFrame = 64;

    struct Result {
        QList<QByteArray> frames; // whole frames, FE FE to FD, each with exactly two FE
        qsizetype discarded = 0;  // bytes thrown away: garbage, collisions, broken frames
    };

    Result feed(QByteArrayView bytes);
    // The peer has gone: a frame it left unfinished is discarded, and the buffer is empty for
    // the next peer.
    Result finish();
    void clear();
    // The unfinished frame held back, from its preamble.
    const QByteArray &pending() const { return m_frame; }

private:
    QByteArray m_frame;      // from FE FE while inside a frame
    bool m_preamble = false; // one FE seen outside a frame
};

// One end of a CI-V line, carried as text. On the rig's line the bridge is the controller (E0)
// and reads the radio's replies and reports; on a port it stands for the radio and reads a
// program's commands, answering each at the address the program wrote from.
class CivLine {
public:
    enum class End { Controller, Radio }; // what the bridge is on this line
    explicit CivLine(End end) : m_end(end) {}

    // Whole frames as text: from the radio at `radio`, its replies to the bridge and its reports
    // to everyone (a report keeps its command: "00...;"); from a program, its commands to
    // `radio`. Echoes of what the bridge wrote and frames between others on the bus are not
    // for the bridge; a program's frame to another address is dropped with a notice, once an
    // address.
    CatFramer::Result feed(QByteArrayView bytes, quint8 radio);
    CatFramer::Result finish();
    void clear();
    const QByteArray &pending() const { return m_framer.pending(); }

    // The frames of one or more texts, to the radio or to the program (a report to everyone).
    QByteArray frames(const QByteArray &text, quint8 radio) const;

private:
    void take(const CivFramer::Result &framed, quint8 radio, CatFramer::Result &out);

    End m_end;
    CivFramer m_framer;
    quint8 m_program = civ::kController; // the address the program last wrote from
    QSet<quint8> m_told;                 // addresses a notice was given for
};
