#pragma once

#include "rig/rig_type.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

std::optional<RigType> rigTypeFromName(const QString &name); // "k3", "k2", "kenwood", "yaesu"
QString simRadioName(RigType type);

// The state of one simulated transceiver and its CAT dialect, with no I/O: bytes from the CAT
// port go in, the exact texts the radio would send back come out. Front-panel events (the
// operator turning a knob) are methods that return the auto-information the radio sends unasked.
class RigModel {
public:
    // Longest unterminated text kept while waiting for ';'. CAT commands are short (a K3's longest
    // are about 30 characters); anything longer is garbage and is answered with one "?;".
    static constexpr qsizetype kMaxCommandLength = 64;

    explicit RigModel(RigType type = RigType::K3);

    RigType type() const { return m_type; }

    // Frames the bytes at ';' (a command may be split over several calls) and returns the
    // replies, each a complete reply with its ';', in the order the radio would send them.
    QByteArrayList feed(QByteArrayView bytes);

    // A switched-off or disconnected radio: input is ignored and nothing is ever sent.
    void setSilent(bool silent);
    bool isSilent() const { return m_silent; }

    // Front-panel events; each returns the unsolicited replies of the present AI level.
    QByteArrayList turnVfoA(qint64 hz);
    QByteArrayList turnVfoB(qint64 hz);
    QByteArrayList selectMode(char mode); // the digit of an MD reply ('2' USB; Yaesu: '1'-'E')
    QByteArrayList setTransmit(bool on);
    QByteArrayList setFilterWidth(int hz);
    QByteArrayList setPreamp(bool on);
    QByteArrayList setAttenuator(bool on);

    // Readings that change without an operator event, so never reported unasked.
    void setSMeter(int level); // 0-21 (K3 scale; shown 0-15 without K31)
    void setBarGraph(int level);
    void setIconBytes(const QByteArray &fiveBytes);

    qint64 vfoA() const { return m_vfoA; }
    qint64 vfoB() const { return m_vfoB; }
    char mode() const { return m_main.mode; }
    bool isTransmitting() const { return m_transmit; }
    int filterWidth() const { return m_main.widthHz; }
    int aiLevel() const { return m_ai; }
    int k2Level() const { return m_k2; }
    int k3Level() const { return m_k3; }
    // Unterminated text held back, waiting for its ';'.
    qsizetype pendingLength() const { return m_pending.size(); }

private:
    // One receiver's settings; the K3's sub receiver answers the '$' commands.
    struct Receiver {
        char mode = '2';
        int widthHz = 2400;
        int preamp = 0;
        int attenuator = 0;
        int sMeter = 5;
    };

    enum Change : unsigned {
        NoChange = 0,
        FreqA = 1u << 0,
        FreqB = 1u << 1,
        Mode = 1u << 2,
        Width = 1u << 3,
        Transmit = 1u << 4,
        Preamp = 1u << 5,
        Attenuator = 1u << 6,
        VfoSelect = 1u << 7,
        AutoInfoOn = 1u << 8, // AI1 was just set: the radio sends one IF at once
    };

    struct Command;
    static const Command *findCommand(QByteArrayView name);

    void execute(QByteArrayView text, QByteArrayList &out);
    QByteArrayList report(unsigned changes) const; // what the AI level sends for a panel event
    bool isElecraft() const { return m_type == RigType::K3 || m_type == RigType::K2; }
    bool validMode(char mode) const;
    Receiver &receiver(bool sub) { return sub ? m_sub : m_main; }
    const Receiver &receiver(bool sub) const { return sub ? m_sub : m_main; }

    // Replies to queries; `sub` selects the '$' form. Empty means the radio answers "?;".
    QByteArray queryAi() const;
    QByteArray queryBg() const;
    QByteArray queryBw(bool sub) const;
    QByteArray queryCw() const;
    QByteArray queryDt() const;
    QByteArray queryFa() const;
    QByteArray queryFb() const;
    QByteArray queryFi() const;
    QByteArray queryFr() const;
    QByteArray queryFt() const;
    QByteArray queryFw(bool sub) const;
    QByteArray queryIc() const;
    QByteArray queryId() const;
    QByteArray queryIf() const;
    QByteArray queryIs() const;
    QByteArray queryK2() const;
    QByteArray queryK3() const;
    QByteArray queryKp() const;
    QByteArray queryMd(bool sub) const;
    QByteArray queryOm() const;
    QByteArray queryPa(bool sub) const;
    QByteArray queryRa(bool sub) const;
    QByteArray querySm(bool sub) const;
    QByteArray queryTq() const;
    QByteArray queryTx() const;

    // Settings; the parameters are the text between the mnemonic (and '$') and ';'. Return the
    // changes made, or nullopt for a malformed setting (answered "?;").
    std::optional<unsigned> setAi(QByteArrayView p);
    std::optional<unsigned> setBw(QByteArrayView p, bool sub);
    std::optional<unsigned> setDt(QByteArrayView p);
    std::optional<unsigned> setFa(QByteArrayView p);
    std::optional<unsigned> setFb(QByteArrayView p);
    std::optional<unsigned> setFr(QByteArrayView p);
    std::optional<unsigned> setFt(QByteArrayView p);
    std::optional<unsigned> setFw(QByteArrayView p, bool sub);
    std::optional<unsigned> setIs(QByteArrayView p);
    std::optional<unsigned> setK2(QByteArrayView p);
    std::optional<unsigned> setK3(QByteArrayView p);
    std::optional<unsigned> setKp(QByteArrayView p);
    std::optional<unsigned> setMd(QByteArrayView p, bool sub);
    std::optional<unsigned> setPa(QByteArrayView p, bool sub);
    std::optional<unsigned> setRa(QByteArrayView p, bool sub);
    std::optional<unsigned> setRx(QByteArrayView p);
    std::optional<unsigned> setTx(QByteArrayView p);
    std::optional<unsigned> setFrequency(qint64 &vfo, QByteArrayView p, unsigned change);

    // Parameterised queries with answers of their own (Kenwood SM0;, Yaesu MD0;, K3 RVM;, ...).
    QByteArray answerWithParameter(QByteArrayView name, QByteArrayView p) const;

    RigType m_type;
    bool m_silent = false;
    QByteArray m_pending;
    bool m_overflow = false; // the pending command grew too long and is being skipped

    qint64 m_vfoA = 14074000;
    qint64 m_vfoB = 14080000;
    Receiver m_main;
    Receiver m_sub;
    int m_dataSubMode = 0;
    int m_rxVfo = 0;
    int m_txVfo = 0;
    bool m_transmit = false;
    int m_ifShift = 0;
    int m_ifCentre = 5000;
    int m_barGraph = 5;
    int m_sidetonePitch = 60; // x10 Hz
    int m_keyPitch = 25;      // Yaesu: 300 Hz + 10 Hz steps
    int m_ai = 0;
    int m_k2 = 0;
    int m_k3 = 0;
    QByteArray m_options = QByteArrayLiteral("OM AP-S----4---;");
    QByteArray m_icons = QByteArray(5, char(0x80));
};
