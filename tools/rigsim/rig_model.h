#pragma once

#include "cat_command.h"
#include "radio_state.h"
#include "rig/civ_framing.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

#include <optional>

// One simulated transceiver with no I/O: bytes from the CAT port go in, the exact texts the
// radio would send back come out, answered from its model's command table. Front-panel events
// (the operator turning a knob) are methods that return the auto-information the radio sends
// unasked. An Icom radio takes CI-V frames instead and answers with frames; its
// auto-information is its transceive frames.
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
    // replies, each a complete reply with its ';', in the order the radio would send them. An
    // Icom radio frames at FD and returns whole frames: the echo of each frame when USB echo is
    // on, its reply to a frame for its address, and the transceive frames the change causes.
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

    // Icom radios: the "CI-V Transceive" and "CI-V USB Echo Back" menu settings.
    void setTransceive(bool on) { m_state.transceive = on; }
    void setEcho(bool on) { m_state.echo = on; }
    bool transceive() const { return m_state.transceive; }
    bool echo() const { return m_state.echo; }

    qint64 vfoA() const { return m_state.vfo[0]; }
    qint64 vfoB() const { return m_state.vfo[1]; }
    // The mode shown: an Icom radio's selected VFO's (a CI-V code), otherwise the main one's.
    char mode() const { return m_state.mode[shownVfo()]; }
    bool isTransmitting() const { return m_state.transmit; }
    bool isSplit() const { return m_state.txVfo != m_state.rxVfo; }
    bool isPoweredOn() const { return m_state.poweredOn; }
    int filterWidth() const { return m_state.widthHz[shownVfo()]; }
    // Whether the VFOs reach `hz`.
    bool tunes(qint64 hz) const;
    int aiLevel() const { return m_state.autoInfo; }
    int k2Level() const { return m_state.k2Level; }
    int k3Level() const { return m_state.k3Level; }
    // Whether `code` is one of the radio's MD codes.
    bool knowsMode(char code) const;
    // Unterminated text held back, waiting for its ';' (or an unfinished CI-V frame).
    qsizetype pendingLength() const
    {
        return radio().civ ? m_civFramer.pending().size() : m_pending.size();
    }

private:
    // What an Icom radio's transceive frames report: the selected VFO's frequency and mode.
    struct Shown {
        qint64 hz;
        char mode;
        int filter;
    };

    void execute(QByteArrayView text, QByteArrayList &out);
    std::optional<QByteArray> reply(const CatCommand &row, QByteArrayView params = {}) const;
    QByteArrayList report(unsigned changes, bool byCommand);
    const CatCommand *modeRow() const;
    int shownVfo() const { return radio().civ ? m_state.rxVfo : 0; }

    QByteArrayList feedCiv(QByteArrayView bytes);
    std::optional<QByteArray> executeCiv(QByteArrayView body);
    Shown shown() const;
    QByteArrayList transceiveReport(const Shown &before) const;
    // Runs a front-panel event (which returns its changes) and reports it.
    template <typename Event> QByteArrayList panelEvent(Event event);

    RadioState m_state;
    bool m_silent = false;
    QByteArray m_pending;
    bool m_overflow = false; // the pending command grew too long and is being skipped
    CivFramer m_civFramer;
};
