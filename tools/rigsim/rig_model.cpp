#include "rig_model.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string_view>

namespace {

enum TypeMask : unsigned {
    MK3 = 1u << 0,
    MK2 = 1u << 1,
    MKenwood = 1u << 2,
    MYaesu = 1u << 3,
    MElecraft = MK3 | MK2,
    MNotYaesu = MK3 | MK2 | MKenwood,
    MAll = MK3 | MK2 | MKenwood | MYaesu,
};

unsigned maskOf(RigType type)
{
    switch (type) {
    case RigType::K3:
        return MK3;
    case RigType::K2:
        return MK2;
    case RigType::Kenwood:
        return MKenwood;
    case RigType::Yaesu:
        return MYaesu;
    case RigType::None:
        break;
    }
    return 0;
}

// Exactly `count` decimal digits, nothing else.
std::optional<qint64> digits(QByteArrayView p, qsizetype count)
{
    if (p.size() != count)
        return std::nullopt;
    qint64 value = 0;
    for (char c : p) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Every reply is a short fixed-width text.
[[gnu::format(printf, 1, 2)]] QByteArray format(const char *pattern, ...)
{
    char text[128];
    va_list args;
    va_start(args, pattern);
    const int n = std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return QByteArray(text, std::clamp(n, 0, int(sizeof text) - 1));
}

} // namespace

std::optional<RigType> rigTypeFromName(const QString &name)
{
    const QString n = name.toLower();
    if (n == u"k3")
        return RigType::K3;
    if (n == u"k2")
        return RigType::K2;
    if (n == u"kenwood")
        return RigType::Kenwood;
    if (n == u"yaesu")
        return RigType::Yaesu;
    return std::nullopt;
}

QString simRadioName(RigType type)
{
    switch (type) {
    case RigType::K3:
        return QStringLiteral("K3");
    case RigType::K2:
        return QStringLiteral("K2");
    case RigType::Kenwood:
        return QStringLiteral("Kenwood TS-2000");
    case RigType::Yaesu:
        return QStringLiteral("Yaesu FT-991");
    case RigType::None:
        break;
    }
    return {};
}

// One row per mnemonic the simulator knows: which radios have it, how a query is answered and
// how a setting is applied. A radio without the mnemonic answers "?;".
struct RigModel::Command {
    std::string_view name;
    unsigned types;
    QByteArray (*query)(const RigModel &);                        // null: set only
    std::optional<unsigned> (*set)(RigModel &, QByteArrayView p); // null: query only
};

const RigModel::Command *RigModel::findCommand(QByteArrayView name)
{
    using M = RigModel;
    using V = QByteArrayView;
    static constexpr Command kCommands[] = {
        {"AI", MAll, [](const M &m) { return m.queryAi(); }, [](M &m, V p) { return m.setAi(p); }},
        {"BG", MElecraft, [](const M &m) { return m.queryBg(); }, nullptr},
        {"BW", MK3, [](const M &m) { return m.queryBw(false); },
         [](M &m, V p) { return m.setBw(p, false); }},
        {"BW$", MK3, [](const M &m) { return m.queryBw(true); },
         [](M &m, V p) { return m.setBw(p, true); }},
        {"CW", MK3, [](const M &m) { return m.queryCw(); }, nullptr},
        {"DT", MK3, [](const M &m) { return m.queryDt(); }, [](M &m, V p) { return m.setDt(p); }},
        {"FA", MAll, [](const M &m) { return m.queryFa(); }, [](M &m, V p) { return m.setFa(p); }},
        {"FB", MAll, [](const M &m) { return m.queryFb(); }, [](M &m, V p) { return m.setFb(p); }},
        {"FI", MK3, [](const M &m) { return m.queryFi(); }, nullptr},
        // The FT-991 has no FR; its receive VFO follows FT.
        {"FR", MNotYaesu, [](const M &m) { return m.queryFr(); },
         [](M &m, V p) { return m.setFr(p); }},
        {"FT", MAll, [](const M &m) { return m.queryFt(); }, [](M &m, V p) { return m.setFt(p); }},
        {"FW", MNotYaesu, [](const M &m) { return m.queryFw(false); },
         [](M &m, V p) { return m.setFw(p, false); }},
        {"FW$", MK3, [](const M &m) { return m.queryFw(true); },
         [](M &m, V p) { return m.setFw(p, true); }},
        {"IC", MK3, [](const M &m) { return m.queryIc(); }, nullptr},
        {"ID", MAll, [](const M &m) { return m.queryId(); }, nullptr},
        {"IF", MAll, [](const M &m) { return m.queryIf(); }, nullptr},
        {"IS", MK3, [](const M &m) { return m.queryIs(); }, [](M &m, V p) { return m.setIs(p); }},
        {"K2", MElecraft, [](const M &m) { return m.queryK2(); },
         [](M &m, V p) { return m.setK2(p); }},
        {"K3", MK3, [](const M &m) { return m.queryK3(); }, [](M &m, V p) { return m.setK3(p); }},
        {"KP", MYaesu, [](const M &m) { return m.queryKp(); },
         [](M &m, V p) { return m.setKp(p); }},
        {"MD", MAll, [](const M &m) { return m.queryMd(false); },
         [](M &m, V p) { return m.setMd(p, false); }},
        {"MD$", MK3, [](const M &m) { return m.queryMd(true); },
         [](M &m, V p) { return m.setMd(p, true); }},
        {"OM", MK3, [](const M &m) { return m.queryOm(); }, nullptr},
        {"PA", MAll, [](const M &m) { return m.queryPa(false); },
         [](M &m, V p) { return m.setPa(p, false); }},
        {"PA$", MK3, [](const M &m) { return m.queryPa(true); },
         [](M &m, V p) { return m.setPa(p, true); }},
        {"RA", MAll, [](const M &m) { return m.queryRa(false); },
         [](M &m, V p) { return m.setRa(p, false); }},
        {"RA$", MK3, [](const M &m) { return m.queryRa(true); },
         [](M &m, V p) { return m.setRa(p, true); }},
        {"RV", MK3, nullptr, nullptr}, // RVM; RVD; ...: answered with their parameter
        {"RX", MNotYaesu, nullptr, [](M &m, V p) { return m.setRx(p); }},
        {"SM", MAll, [](const M &m) { return m.querySm(false); }, nullptr},
        {"SM$", MK3, [](const M &m) { return m.querySm(true); }, nullptr},
        {"TQ", MElecraft, [](const M &m) { return m.queryTq(); }, nullptr},
        {"TX", MAll, [](const M &m) { return m.queryTx(); }, [](M &m, V p) { return m.setTx(p); }},
    };
    for (const Command &c : kCommands) {
        if (QByteArrayView(c.name.data(), qsizetype(c.name.size())) == name)
            return &c;
    }
    return nullptr;
}

RigModel::RigModel(RigType type) : m_type(type) {}

void RigModel::setSilent(bool silent)
{
    m_silent = silent;
    m_pending.clear();
    m_overflow = false;
}

QByteArrayList RigModel::feed(QByteArrayView bytes)
{
    QByteArrayList out;
    if (m_silent)
        return out;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf(';');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (!m_overflow) {
            if (m_pending.size() + piece.size() > kMaxCommandLength) {
                // Keep nothing of an endless command; its ';' still gets one error reply.
                m_overflow = true;
                m_pending.clear();
            } else {
                m_pending.append(piece);
            }
        }
        if (end < 0)
            break;
        if (m_overflow)
            out.append(QByteArrayLiteral("?;"));
        else
            execute(m_pending, out);
        m_pending.clear();
        m_overflow = false;
        bytes = bytes.sliced(end + 1);
    }
    return out;
}

void RigModel::execute(QByteArrayView raw, QByteArrayList &out)
{
    // Terminal programs add line ends and the K3 takes lower-case commands too.
    const QByteArray text = raw.toByteArray().trimmed().toUpper();
    if (text.isEmpty())
        return; // a lone ';' is not a command
    static const QByteArray kError = QByteArrayLiteral("?;");

    const Command *command = nullptr;
    qsizetype nameLength = 2;
    if (text.size() >= 3 && text.at(2) == '$') {
        command = findCommand(QByteArrayView(text).first(3));
        nameLength = 3;
    }
    if (!command && text.size() >= 2) {
        command = findCommand(QByteArrayView(text).first(2));
        nameLength = 2;
    }
    if (!command || !(command->types & maskOf(m_type))) {
        out.append(kError);
        return;
    }
    const QByteArrayView params = QByteArrayView(text).sliced(nameLength);

    if (params.isEmpty() && command->query) {
        QByteArray reply = command->query(*this);
        if (!reply.isEmpty()) {
            out.append(reply);
            return;
        }
    }
    if (!params.isEmpty()) {
        QByteArray reply = answerWithParameter(QByteArrayView(text).first(nameLength), params);
        if (!reply.isEmpty()) {
            out.append(reply);
            return;
        }
    }
    const std::optional<unsigned> changes =
        command->set ? command->set(*this, params) : std::nullopt;
    if (!changes) {
        out.append(kError);
        return;
    }
    // In AI1 the K3 and K2 report frequency and mode events made by command as well; AI2
    // reports only front-panel events, so a program never hears its own settings echoed.
    if ((m_ai == 1 && (*changes & (FreqA | FreqB | Mode | VfoSelect))) || (*changes & AutoInfoOn))
        out.append(queryIf());
}

QByteArrayList RigModel::report(unsigned changes) const
{
    QByteArrayList out;
    if (m_silent || m_ai == 0 || changes == NoChange)
        return out;
    if (m_ai == 1) {
        if (changes & (FreqA | FreqB | Mode | VfoSelect))
            out.append(queryIf());
        return out;
    }
    if (changes & FreqA)
        out.append(queryFa());
    if (changes & FreqB)
        out.append(queryFb());
    if (changes & Mode)
        out.append(queryMd(false));
    if (changes & Width) {
        out.append(queryFw(false));
        if (m_type == RigType::K3)
            out.append(queryIs()); // the K3 reports width and shift together
    }
    if (changes & Transmit)
        out.append(isElecraft() ? queryTq() : queryIf());
    if (changes & Preamp)
        out.append(queryPa(false));
    if (changes & Attenuator)
        out.append(queryRa(false));
    return out;
}

bool RigModel::validMode(char mode) const
{
    switch (m_type) {
    case RigType::K3:
    case RigType::Kenwood:
        return QByteArrayView("12345679").contains(mode);
    case RigType::K2:
        return QByteArrayView("123679").contains(mode);
    case RigType::Yaesu:
        return QByteArrayView("123456789ABCDE").contains(mode);
    case RigType::None:
        break;
    }
    return false;
}

// Front-panel events ---------------------------------------------------------------------

QByteArrayList RigModel::turnVfoA(qint64 hz)
{
    m_vfoA = std::clamp<qint64>(hz, 0, m_type == RigType::Yaesu ? 999999999 : 99999999999);
    return report(FreqA);
}

QByteArrayList RigModel::turnVfoB(qint64 hz)
{
    m_vfoB = std::clamp<qint64>(hz, 0, m_type == RigType::Yaesu ? 999999999 : 99999999999);
    return report(FreqB);
}

QByteArrayList RigModel::selectMode(char mode)
{
    if (!validMode(mode))
        return {};
    m_main.mode = mode;
    return report(Mode);
}

QByteArrayList RigModel::setTransmit(bool on)
{
    if (m_transmit == on)
        return {};
    m_transmit = on;
    return report(Transmit);
}

QByteArrayList RigModel::setFilterWidth(int hz)
{
    m_main.widthHz = std::clamp(hz, 0, 9999);
    return report(Width);
}

QByteArrayList RigModel::setPreamp(bool on)
{
    m_main.preamp = on ? 1 : 0;
    return report(Preamp);
}

QByteArrayList RigModel::setAttenuator(bool on)
{
    m_main.attenuator = on ? 1 : 0;
    return report(Attenuator);
}

void RigModel::setSMeter(int level)
{
    m_main.sMeter = std::clamp(level, 0, 21);
}

void RigModel::setBarGraph(int level)
{
    m_barGraph = std::clamp(level, 0, 21);
}

void RigModel::setIconBytes(const QByteArray &fiveBytes)
{
    if (fiveBytes.size() == 5 && !fiveBytes.contains(';'))
        m_icons = fiveBytes;
}

// Queries --------------------------------------------------------------------------------

QByteArray RigModel::queryAi() const
{
    return format("AI%d;", m_ai);
}

QByteArray RigModel::queryBg() const
{
    if (m_type == RigType::K2)
        return format("BG%02d;", std::min(m_barGraph, 10));
    return format("BG%02d%c;", m_barGraph, m_transmit ? 'T' : 'R');
}

QByteArray RigModel::queryBw(bool sub) const
{
    return format(sub ? "BW$%04d;" : "BW%04d;", receiver(sub).widthHz / 10);
}

QByteArray RigModel::queryCw() const
{
    return format("CW%02d;", m_sidetonePitch);
}

QByteArray RigModel::queryDt() const
{
    return format("DT%d;", m_dataSubMode);
}

QByteArray RigModel::queryFa() const
{
    return m_type == RigType::Yaesu ? format("FA%09lld;", m_vfoA) : format("FA%011lld;", m_vfoA);
}

QByteArray RigModel::queryFb() const
{
    return m_type == RigType::Yaesu ? format("FB%09lld;", m_vfoB) : format("FB%011lld;", m_vfoB);
}

QByteArray RigModel::queryFi() const
{
    return format("FI%04d;", m_ifCentre % 10000);
}

QByteArray RigModel::queryFr() const
{
    return format("FR%d;", m_rxVfo);
}

QByteArray RigModel::queryFt() const
{
    return format("FT%d;", m_txVfo);
}

QByteArray RigModel::queryFw(bool sub) const
{
    const int hz = receiver(sub).widthHz;
    const char *name = sub ? "FW$" : "FW";
    if (m_type == RigType::K3 && m_k3 >= 1)
        return format("%s%04d;", name, hz / 10); // K31 overrides the K2 formats
    if (isElecraft() && m_k2 >= 2) {
        // The K2 adds its crystal filter (1-4) and audio filter (0-2); the K3 keeps the filter
        // digit and adds a legacy audio filter digit that is always 0.
        const int filter = hz >= 2000 ? 1 : hz >= 1000 ? 2 : hz >= 500 ? 3 : 4;
        return format("%s%04d%d0;", name, hz, filter);
    }
    return format("%s%04d;", name, hz);
}

QByteArray RigModel::queryIc() const
{
    return "IC" + m_icons + ';';
}

QByteArray RigModel::queryId() const
{
    switch (m_type) {
    case RigType::K3:
    case RigType::K2:
        return QByteArrayLiteral("ID017;");
    case RigType::Kenwood:
        return QByteArrayLiteral("ID019;"); // TS-2000
    case RigType::Yaesu:
        return QByteArrayLiteral("ID0570;"); // FT-991
    case RigType::None:
        break;
    }
    return {};
}

QByteArray RigModel::queryIf() const
{
    const qint64 hz = m_rxVfo == 0 ? m_vfoA : m_vfoB;
    const int split = m_rxVfo != m_txVfo ? 1 : 0;
    if (m_type == RigType::Yaesu) {
        // 28 characters: memory channel, frequency, clarifier, mode, VFO, CTCSS, shift.
        return format("IF001%09lld+000000%c00000;", hz, m_main.mode);
    }
    QByteArray text = format("IF%011lld     +000000", hz); // 0-24: frequency, RIT/XIT
    if (m_type == RigType::Kenwood) {
        // memory bank and channel, tx, mode, rx VFO, scan, split, tone, tone number, shift
        text += format("000%d%c%d0%d0000;", m_transmit ? 1 : 0, m_main.mode, m_rxVfo, split);
    } else {
        // tx, mode, rx VFO, scan, split, band change, data sub-mode (K31 only), '1'
        const int dataSubMode = m_type == RigType::K3 && m_k3 >= 1 ? m_dataSubMode : 0;
        text += format(" 00%d%c%d0%d0%d1 ;", m_transmit ? 1 : 0, m_main.mode, m_rxVfo, split,
                       dataSubMode);
    }
    return text;
}

QByteArray RigModel::queryIs() const
{
    return format("IS %04d;", m_ifShift);
}

QByteArray RigModel::queryK2() const
{
    return format("K2%d;", m_k2);
}

QByteArray RigModel::queryK3() const
{
    return format("K3%d;", m_k3);
}

QByteArray RigModel::queryKp() const
{
    return format("KP%02d;", m_keyPitch);
}

QByteArray RigModel::queryMd(bool sub) const
{
    if (m_type == RigType::Yaesu)
        return {}; // the FT-991 wants "MD0;"
    return format(sub ? "MD$%c;" : "MD%c;", receiver(sub).mode);
}

QByteArray RigModel::queryOm() const
{
    return m_options;
}

QByteArray RigModel::queryPa(bool sub) const
{
    switch (m_type) {
    case RigType::K3:
    case RigType::K2:
        return format(sub ? "PA$%d;" : "PA%d;", receiver(sub).preamp);
    case RigType::Kenwood:
        return format("PA%d0;", m_main.preamp); // main and sub receiver
    case RigType::Yaesu:
        return {};
    case RigType::None:
        break;
    }
    return {};
}

QByteArray RigModel::queryRa(bool sub) const
{
    switch (m_type) {
    case RigType::K3:
    case RigType::K2:
        return format(sub ? "RA$%02d;" : "RA%02d;", receiver(sub).attenuator);
    case RigType::Kenwood:
        return format("RA%02d00;", m_main.attenuator);
    case RigType::Yaesu:
        return {};
    case RigType::None:
        break;
    }
    return {};
}

QByteArray RigModel::querySm(bool sub) const
{
    if (!isElecraft())
        return {}; // Kenwood and Yaesu want the receiver number: "SM0;"
    const int raw = m_transmit ? 0 : receiver(sub).sMeter;
    const int shown = m_type == RigType::K3 && m_k3 >= 1 ? raw : raw * 15 / 21;
    return format(sub ? "SM$%04d;" : "SM%04d;", shown);
}

QByteArray RigModel::queryTq() const
{
    return format("TQ%d;", m_transmit ? 1 : 0);
}

QByteArray RigModel::queryTx() const
{
    if (m_type != RigType::Yaesu)
        return {}; // elsewhere TX; keys the transmitter
    return format("TX%d;", m_transmit ? 1 : 0);
}

QByteArray RigModel::answerWithParameter(QByteArrayView name, QByteArrayView p) const
{
    if (m_type == RigType::Kenwood && name == "SM" && (p == "0" || p == "1")) {
        const int raw = m_transmit || p == "1" ? 0 : m_main.sMeter;
        return format("SM%c%04d;", p.front(), raw * 30 / 21);
    }
    if (m_type == RigType::Yaesu && p == "0") {
        if (name == "MD")
            return format("MD0%c;", m_main.mode);
        if (name == "PA")
            return format("PA0%d;", m_main.preamp);
        if (name == "RA")
            return format("RA0%d;", m_main.attenuator);
        if (name == "SM")
            return format("SM0%03d;", (m_transmit ? 0 : m_main.sMeter) * 255 / 21);
    }
    if (m_type == RigType::K3 && name == "RV" && p.size() == 1) {
        switch (p.front()) {
        case 'M':
            return QByteArrayLiteral("RVM04.67;");
        case 'D':
            return QByteArrayLiteral("RVD02.88;");
        case 'A':
            return QByteArrayLiteral("RVA02.71;");
        case 'R':
            return QByteArrayLiteral("RVR01.54;");
        case 'F':
            return QByteArrayLiteral("RVF01.14;");
        default:
            break;
        }
    }
    return {};
}

// Settings -------------------------------------------------------------------------------

std::optional<unsigned> RigModel::setAi(QByteArrayView p)
{
    const auto level = digits(p, 1);
    const int highest = m_type == RigType::Yaesu ? 1 : 2;
    if (!level || *level > highest)
        return std::nullopt;
    m_ai = int(*level);
    return m_ai == 1 ? unsigned(AutoInfoOn) : unsigned(NoChange); // AI1 sends one IF at once
}

std::optional<unsigned> RigModel::setBw(QByteArrayView p, bool sub)
{
    const auto width = digits(p, 4);
    if (!width)
        return std::nullopt;
    receiver(sub).widthHz = int(*width) * 10;
    return unsigned(Width);
}

std::optional<unsigned> RigModel::setDt(QByteArrayView p)
{
    const auto subMode = digits(p, 1);
    if (!subMode || *subMode > 3)
        return std::nullopt;
    m_dataSubMode = int(*subMode);
    return unsigned(Mode);
}

std::optional<unsigned> RigModel::setFrequency(qint64 &vfo, QByteArrayView p, unsigned change)
{
    const auto hz = digits(p, m_type == RigType::Yaesu ? 9 : 11);
    if (!hz)
        return std::nullopt;
    vfo = *hz;
    return change;
}

std::optional<unsigned> RigModel::setFa(QByteArrayView p)
{
    return setFrequency(m_vfoA, p, FreqA);
}

std::optional<unsigned> RigModel::setFb(QByteArrayView p)
{
    return setFrequency(m_vfoB, p, FreqB);
}

std::optional<unsigned> RigModel::setFr(QByteArrayView p)
{
    const auto vfo = digits(p, 1);
    if (!vfo || *vfo > 1)
        return std::nullopt;
    m_rxVfo = int(*vfo);
    if (isElecraft())
        m_txVfo = m_rxVfo; // on Elecraft radios FR also cancels split
    return unsigned(VfoSelect);
}

std::optional<unsigned> RigModel::setFt(QByteArrayView p)
{
    const auto vfo = digits(p, 1);
    if (!vfo || *vfo > (m_type == RigType::Yaesu ? 3 : 1))
        return std::nullopt;
    m_txVfo = int(*vfo % 2); // the FT-991 sets with FT2 (A) and FT3 (B)
    return unsigned(VfoSelect);
}

std::optional<unsigned> RigModel::setFw(QByteArrayView p, bool sub)
{
    // K22 lets an Elecraft radio add the filter number (and the K2 its audio filter).
    const qsizetype extra = isElecraft() && m_k2 >= 2 && !(m_type == RigType::K3 && m_k3 >= 1)
                                ? std::min<qsizetype>(p.size() - 4, 2)
                                : 0;
    if (extra < 0 || !digits(p.sliced(4, extra), extra))
        return std::nullopt;
    const auto width = digits(p.first(4), 4);
    if (!width || p.size() != 4 + extra)
        return std::nullopt;
    receiver(sub).widthHz = m_type == RigType::K3 && m_k3 >= 1 ? int(*width) * 10 : int(*width);
    return unsigned(Width);
}

std::optional<unsigned> RigModel::setIs(QByteArrayView p)
{
    if (p.size() == 5 && (p.front() == ' ' || p.front() == '+'))
        p = p.sliced(1);
    const auto shift = digits(p, 4);
    if (!shift)
        return std::nullopt;
    m_ifShift = int(*shift);
    return unsigned(NoChange);
}

std::optional<unsigned> RigModel::setK2(QByteArrayView p)
{
    const auto level = digits(p, 1);
    if (!level || *level > 3)
        return std::nullopt;
    m_k2 = int(*level);
    return unsigned(NoChange);
}

std::optional<unsigned> RigModel::setK3(QByteArrayView p)
{
    const auto level = digits(p, 1);
    if (!level || *level > 1)
        return std::nullopt;
    m_k3 = int(*level);
    return unsigned(NoChange);
}

std::optional<unsigned> RigModel::setKp(QByteArrayView p)
{
    const auto pitch = digits(p, 2);
    if (!pitch || *pitch > 75)
        return std::nullopt;
    m_keyPitch = int(*pitch);
    return unsigned(NoChange);
}

std::optional<unsigned> RigModel::setMd(QByteArrayView p, bool sub)
{
    if (m_type == RigType::Yaesu) {
        if (p.size() != 2 || p.front() != '0')
            return std::nullopt;
        p = p.sliced(1);
    }
    if (p.size() != 1 || !validMode(p.front()))
        return std::nullopt;
    receiver(sub).mode = p.front();
    return unsigned(Mode);
}

std::optional<unsigned> RigModel::setPa(QByteArrayView p, bool sub)
{
    if (m_type == RigType::Yaesu) {
        if (p.size() != 2 || p.front() != '0')
            return std::nullopt;
        p = p.sliced(1);
    }
    const auto on = digits(p, 1);
    if (!on || *on > (m_type == RigType::Yaesu ? 2 : 1))
        return std::nullopt;
    receiver(sub).preamp = int(*on);
    return unsigned(Preamp);
}

std::optional<unsigned> RigModel::setRa(QByteArrayView p, bool sub)
{
    if (m_type == RigType::Yaesu) {
        if (p.size() != 2 || p.front() != '0')
            return std::nullopt;
        p = p.sliced(1);
    }
    const auto on = digits(p, m_type == RigType::Yaesu ? 1 : 2);
    if (!on || *on > (m_type == RigType::Yaesu ? 3 : 1))
        return std::nullopt;
    receiver(sub).attenuator = int(*on);
    return unsigned(Attenuator);
}

std::optional<unsigned> RigModel::setRx(QByteArrayView p)
{
    if (!p.isEmpty())
        return std::nullopt;
    m_transmit = false;
    return unsigned(Transmit);
}

std::optional<unsigned> RigModel::setTx(QByteArrayView p)
{
    if (p.isEmpty() && m_type != RigType::Yaesu) {
        m_transmit = true;
        return unsigned(Transmit);
    }
    const auto state = digits(p, 1);
    if (m_type == RigType::Kenwood && state && *state <= 2) {
        m_transmit = true; // TX0/1/2 choose the audio source, all key the transmitter
        return unsigned(Transmit);
    }
    if (m_type == RigType::Yaesu && state && *state <= 1) {
        m_transmit = *state == 1;
        return unsigned(Transmit);
    }
    return std::nullopt;
}
