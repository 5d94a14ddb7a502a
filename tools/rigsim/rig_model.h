#pragma once

#include "cat_command.h"
#include "radio_state.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

#include <optional>

// One simulated transceiver with no I/O: bytes from the CAT port go in, the exact texts the
// radio would send back come out, answered from its model's command table. Front-panel events
// (the operator turning a knob) are methods that return the auto-information the radio sends
// unasked.
class RigModel {
public:
    // Longest unterminated text kept while waiting for ';'. CAT commands are short (a K3's
    // longest, KY with 24 characters of text, is under 30); anything longer is garbage and is
    // answered with one error reply.
    static constexpr qsizetype kMaxCommandLength = 64;

    explicit RigModel(RigType family = RigType::K3); // the family's default radio
    explicit RigModel(const RadioModel &radio);

    const RadioModel &radio() const { return *m_state.radio; }
    RigType type() const { return m_state.radio->family; }

    // Frames the bytes at ';' (a command may be split over several calls) and returns the
    // replies, each a complete reply with its ';', in the order the radio would send them.
    QByteArrayList feed(QByteArrayView bytes);

    // A radio that stopped answering (its cable pulled): input is ignored and nothing is sent,
    // but it keeps its settings.
    void setSilent(bool silent);

    // Front-panel events; each returns the unsolicited replies of the present AI level.
    QByteArrayList turnVfoA(qint64 hz);
    QByteArrayList turnVfoB(qint64 hz);
    QByteArrayList selectMode(char mode); // the code of an MD reply ('2' USB; Yaesu '1'-'E')
    QByteArrayList setTransmit(bool on);
    QByteArrayList setFilterWidth(int hz);
    QByteArrayList selectBand(const BandPlanRow &band);
    QByteArrayList setSplit(bool on);
    // Off: the radio answers nothing. On: it starts as after power-up, with AI0, K20 and K30.
    void setPower(bool on);

    qint64 vfoA() const { return m_state.vfo[0]; }
    qint64 vfoB() const { return m_state.vfo[1]; }
    char mode() const { return m_state.mode[0]; }
    bool isTransmitting() const { return m_state.transmit; }
    bool isSplit() const { return m_state.txVfo != m_state.rxVfo; }
    bool isPoweredOn() const { return m_state.poweredOn; }
    int filterWidth() const { return m_state.widthHz[0]; }
    int aiLevel() const { return m_state.autoInfo; }
    int k2Level() const { return m_state.k2Level; }
    int k3Level() const { return m_state.k3Level; }
    // Whether `code` is one of the radio's MD codes.
    bool knowsMode(char code) const;
    // Unterminated text held back, waiting for its ';'.
    qsizetype pendingLength() const { return m_pending.size(); }

private:
    void execute(QByteArrayView text, QByteArrayList &out);
    std::optional<QByteArray> reply(const CatCommand &row, QByteArrayView params = {}) const;
    QByteArrayList report(unsigned changes, bool byCommand);
    const CatCommand *modeRow() const;

    RadioState m_state;
    bool m_silent = false;
    QByteArray m_pending;
    bool m_overflow = false; // the pending command grew too long and is being skipped
};
