#pragma once

#include "net/xmlrpc_value.h"
#include "rig/rig_access.h"

#include <QByteArray>
#include <QList>
#include <QStringView>

#include <span>
#include <string_view>
#include <utility>

struct FamilyCaps;
struct RadioModel;

// The flrig methods the XML-RPC door answers, with flrig 1.4's names, parameter and answer
// types: one row each, with the reads and settings its answer needs and the few lines that turn
// the rig's replies (or the caller's parameters) into an answer and settings. The CAT text comes
// from the family tables the rigctld door reads.

namespace xmlrpc {

// What one connection has chosen. The VFO a client works on (rig.set_AB) is its own, as on the
// rigctld door: switching the rig's receive VFO for one program would pull the others along.
struct ClientState {
    char vfo = 'A';
};

// One exchange with the rig on the way to an answer: a read whose reply the answer needs, or a
// setting the rig must take before the answer is given.
struct Step {
    enum class Kind : quint8 { Read, Set };
    Kind kind;
    QByteArray text;
};

// The rig's replies to a call's reads, in order.
using Replies = QList<std::pair<QByteArray, QByteArray>>;
QByteArray replyTo(const Replies &replies, const QByteArray &query);

struct Context {
    const FamilyCaps *family; // never null for a method that NeedsFamily
    const RadioModel *model;  // the family's radio the rig's ID names; null with the family
    bool rigConnected;
    QByteArray idReply; // the rig's ID reply, for reads only some radios of a family know
    const std::vector<XmlRpcValue> &params;
    ClientState &state;
};

// An answer or a fault, and the settings the rig must take before the answer goes out.
struct Outcome {
    XmlRpcValue result;
    QString fault; // why there is no answer (the caller puts the method's name before it)
    QList<QByteArray> settings;
};

// flrig's parameter types: none, i4, double (an i4 is taken too), string.
enum class Param : quint8 { None, Int, Double, String };

enum Flag : unsigned {
    NeedsFamily = 1, // answered only with a rig type chosen
    NeedsRig = 2,    // reads or sets the rig: a fault when none is connected
    NeedsFull = 4,   // only under the door's "Full" permission
    Changes = 8,     // a setting: an empty answer is shown as OK
    RigText = 16,    // CAT text: the rig's "?;" is a reply like any other, not a refusal
};

// The steps a call needs, given the replies so far: a read may depend on an earlier reply (the
// passband's read on the mode). Asked again once the steps it gave are done, it gives them again
// with any further ones after them.
using StepsFn = QList<Step> (*)(const Context &, const Replies &);
using FinishFn = Outcome (*)(Context &, const Replies &);

struct Method {
    std::string_view name;
    std::string_view signature; // as flrig lists it: answer type, ':', parameter type
    std::string_view help;
    Param param;
    unsigned flags;
    StepsFn steps; // the reads (and, for CAT text, settings) before finish; nullptr for none
    FinishFn finish;
};

std::span<const Method> methods();
const Method *findMethod(QStringView name);

// Why a call is refused before it reaches the rig (a method flrig does not have, a missing or
// mistyped parameter, the door's permission, no rig); empty when it may go on. The caller puts
// the method's name before it, so that a method the table lacks is "<name>: unknown method name"
// as flrig says it: Hamlib's FLRig backend looks for "unknown" to learn that a method is missing,
// and no other fault says that word.
QString refusal(const XmlRpcCall &call, Permission permission, const FamilyCaps *family,
                bool rigConnected);

} // namespace xmlrpc
