#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <array>
#include <string_view>

struct FamilyCaps;
struct RadioModel;

// The rigctld protocol as Hamlib 4.5.4's rigctld speaks it: the table of commands the server
// answers, the reading of a client's line into commands, and the writing of answers in the
// three forms (plain; extended with '+', header line and RPRT; extended with another separator
// such as ';' or '|').

namespace rigctl {

// Hamlib's error codes, as answered in "RPRT n".
enum Code : int {
    Ok = 0,
    InvalidArgument = -1, // RIG_EINVAL
    TimedOut = -5,        // RIG_ETIMEOUT: the rig did not answer in time
    NoRig = -6,           // RIG_EIO: no rig is connected to take it
    Protocol = -8,        // RIG_EPROTO: the rig's reply made no sense
    Rejected = -9,        // RIG_ERJCTED: the rig refused the read ("?;")
    NotAvailable = -11,   // RIG_ENAVAIL: a command or value this server does not serve
};

// What one client has chosen on its connection. The VFO a client selects is its own: switching
// the rig's receive VFO for one program would pull the others along, and Hamlib itself only
// emulates VFO selection on Elecraft and several Yaesu rigs.
struct ClientState {
    char vfo = 'A';
    bool chkVfoSeen = false; // \dump_state then adds the lines newer clients read
    bool modeLocked = false; // \set_lock_mode 1: M is answered but changes nothing
};

// The rig's replies to the reads a command asked for, by query.
using Replies = QHash<QByteArray, QByteArray>;

struct Context {
    const FamilyCaps &family;
    const RadioModel &model; // the family's radio that the rig's ID names
    const QList<QByteArray> &args;
    ClientState &state;
    int timeoutMs; // how long a read may take: told to clients in \dump_state
};

struct Outcome {
    int code = Ok;
    QList<QByteArray> values;   // one per label of the command
    QByteArray block;           // \dump_state, \dump_caps
    QList<QByteArray> settings; // CAT settings for the rig, in order
};

// How a command's answer is laid out (rigctld's own variations, kept so clients parse it).
enum Flag : unsigned {
    ArgOut = 1,       // a read: the plain form ends with the values, not "RPRT 0"
    Unlabelled = 2,   // the extended form writes values without "Label: "
    NewlineAfter = 4, // each value ends with '\n' whatever the separator
    NoHeader = 8,     // \chk_vfo: no "name:" line and no RPRT in the extended form
    NeedsNoRig = 16,  // answered without a rig type
};

// The CAT reads an answer needs, given the replies to those asked so far: a read may depend on
// an earlier reply (the passband's read on the mode).
using ReadsFn = QList<QByteArray> (*)(const Context &, const Replies &);
using FinishFn = Outcome (*)(Context &, const Replies &);

struct Command {
    char shortName; // 0 where the command has only a long name
    std::string_view longName;
    int minArgs;
    int maxArgs;
    ReadsFn reads; // the CAT reads the answer needs; nullptr for none
    FinishFn finish;
    unsigned flags;
    std::array<std::string_view, 5> labels;
};

const Command *findShort(char name);
const Command *findLong(QByteArrayView name);

// One command of a client's line.
struct Parsed {
    const Command *command = nullptr; // nullptr: not served (answered RPRT -11)
    QByteArray name;                  // as the client wrote it, for the terminal
    bool extended = false;
    char separator = '\n';
    bool quit = false;
    bool missingArgs = false;
    QList<QByteArray> args;
    bool overlong = false; // a line past the bound, answered RPRT -1 in its turn
};

// A line may hold several commands ("fmv", "F 7040000 f"), as rigctld reads its input as a
// stream. Arguments are taken from the same line. An unknown command ends the line: its
// arguments cannot be told from further commands.
QList<Parsed> parseLine(QByteArrayView line);

// The answer to a command in the form the client asked for.
QByteArray formatAnswer(const Parsed &parsed, const Outcome &outcome);

// Hamlib's bit for a mode name, 0 for a name it does not know.
quint64 hamlibModeBit(std::string_view name);

// The answer of rigctld's \dump_state for the radio; the "setting=value" lines that newer
// clients read follow only when withSettings (after \chk_vfo, as rigctld does). Only the modes
// the family serves are told.
QByteArray dumpState(const FamilyCaps &f, const RadioModel &model, bool withSettings,
                     int timeoutMs);
// A short \dump_caps: what a person reading it wants to know of the rig behind the server.
QByteArray dumpCaps(const FamilyCaps &f, const RadioModel &model);

} // namespace rigctl
