#include "rig_model.h"

#include "cat_handlers.h"

#include <algorithm>

RigModel::RigModel(RigType family) : RigModel(defaultRadio(family)) {}

RigModel::RigModel(const RadioModel &radio) : m_state(radio) {}

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
        if (m_overflow) {
            if (m_state.poweredOn)
                out.append(QByteArray(radio().error.data(), qsizetype(radio().error.size())));
        } else {
            execute(m_pending, out);
        }
        m_pending.clear();
        m_overflow = false;
        bytes = bytes.sliced(end + 1);
    }
    return out;
}

void RigModel::execute(QByteArrayView raw, QByteArrayList &out)
{
    // Terminal programs add line ends; the radios take lower case and answer in upper case.
    QByteArray text = raw.toByteArray().toUpper();
    while (!text.isEmpty() && QByteArrayView("\r\n ").contains(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && QByteArrayView("\r\n").contains(text.back()))
        text.chop(1);
    if (text.isEmpty())
        return; // a lone ';' is not a command

    if (!m_state.poweredOn) {
        // Only a radio whose CAT port stays awake can be switched on with PS1.
        if (radio().wakesOnPowerCommand && text == "PS1")
            setPower(true);
        return;
    }
    const QByteArray error(radio().error.data(), qsizetype(radio().error.size()));
    const CatCommand *row = radio().find(text);
    if (!row) {
        out.append(error);
        return;
    }
    const QByteArrayView params = QByteArrayView(text).sliced(qsizetype(row->name.size()));

    const bool reads =
        row->access == Access::ReadSelect || (params.isEmpty() && row->access != Access::Set);
    if (reads) {
        const std::optional<QByteArray> answer = reply(*row, params);
        out.append(answer ? *answer : error);
        return;
    }
    if (row->access == Access::Read || !row->handler->set) {
        out.append(error);
        return;
    }
    const std::optional<unsigned> changes = row->handler->set(m_state, *row, params);
    if (!changes) {
        out.append(error);
        return;
    }
    out.append(report(*changes, true));
}

std::optional<QByteArray> RigModel::reply(const CatCommand &row, QByteArrayView params) const
{
    if (!row.handler->read)
        return std::nullopt;
    const std::optional<QByteArray> text = row.handler->read(m_state, row, params);
    if (!text)
        return std::nullopt;
    return QByteArray(row.name.data(), qsizetype(row.name.size())) + *text + ';';
}

// The replies the radio sends unasked at its AI level; a program's own settings are echoed
// only where the radio does that (AI1 on Elecraft and Kenwood radios).
QByteArrayList RigModel::report(unsigned changes, bool byCommand)
{
    QByteArrayList out;
    if (m_silent || !m_state.poweredOn || m_state.autoInfo == 0 || changes == NoChange)
        return out;
    m_state.bandChangeReport = (changes & Band) != 0;
    for (const ReportRule &rule : radio().reports) {
        if (m_state.autoInfo < rule.lowestLevel || m_state.autoInfo > rule.highestLevel ||
            (byCommand && !rule.alsoForCommands) || !(rule.changes & changes))
            continue;
        for (std::string_view name : rule.replies) {
            const CatCommand *row = name.empty() ? nullptr : radio().row(name);
            const std::optional<QByteArray> text = row ? reply(*row) : std::nullopt;
            if (text && !out.contains(*text))
                out.append(*text);
        }
    }
    m_state.bandChangeReport = false;
    return out;
}

const CatCommand *RigModel::modeRow() const
{
    const CatCommand *row = radio().row("MD");
    return row ? row : radio().row("MD0");
}

bool RigModel::knowsMode(char code) const
{
    const CatCommand *row = modeRow();
    return row && cat::knowsMode(*row, code);
}

// Front-panel events ---------------------------------------------------------------------

QByteArrayList RigModel::turnVfoA(qint64 hz)
{
    return report(cat::tuneVfo(m_state, 0, std::clamp<qint64>(hz, 0, radio().maxHz)), false);
}

QByteArrayList RigModel::turnVfoB(qint64 hz)
{
    return report(cat::tuneVfo(m_state, 1, std::clamp<qint64>(hz, 0, radio().maxHz)), false);
}

QByteArrayList RigModel::selectMode(char mode)
{
    if (!knowsMode(mode))
        return {};
    m_state.mode[0] = mode;
    return report(Mode, false);
}

QByteArrayList RigModel::setTransmit(bool on)
{
    if (m_state.transmit == on)
        return {};
    m_state.transmit = on;
    m_state.keyedByPanel = on;
    return report(Transmit, false);
}

QByteArrayList RigModel::setFilterWidth(int hz)
{
    m_state.widthHz[0] = std::clamp(hz, 0, 9999);
    m_state.values.erase("SH0"); // a Yaesu radio's width index follows the new width
    return report(Width, false);
}

QByteArrayList RigModel::selectBand(const BandPlanRow &band)
{
    if (!cat::covers(radio(), band))
        return {};
    return report(cat::tuneVfo(m_state, 0, m_state.lastFrequencyOn(band)), false);
}

QByteArrayList RigModel::setSplit(bool on)
{
    m_state.txVfo = on ? 1 - m_state.rxVfo : m_state.rxVfo;
    return report(Split, false);
}

void RigModel::setPower(bool on)
{
    if (on && !m_state.poweredOn) {
        m_state.autoInfo = 0;
        m_state.k2Level = 0;
        m_state.k3Level = 0;
        m_state.transmit = false;
        m_state.keyedByPanel = false;
    }
    m_state.poweredOn = on;
    m_pending.clear();
    m_overflow = false;
}
