#include "rig_model.h"

#include "cat_handlers.h"
#include "civ_command.h"
#include "icom_radios.h"

#include <algorithm>

RigModel::RigModel(RigType family) : RigModel(defaultRadio(family)) {}

RigModel::RigModel(const RadioModel &radio) : m_state(radio) {}

void RigModel::setSilent(bool silent)
{
    m_silent = silent;
    m_pending.clear();
    m_overflow = false;
    m_civFramer.clear();
}

QByteArrayList RigModel::feed(QByteArrayView bytes)
{
    QByteArrayList out;
    if (m_silent)
        return out;
    if (radio().civ)
        return feedCiv(bytes);
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
    if (radio().civ)
        return std::any_of(radio().modes.begin(), radio().modes.end(),
                           [code](const ModeName &m) { return m.code == code; });
    const CatCommand *row = modeRow();
    return row && cat::knowsMode(*row, code);
}

bool RigModel::tunes(qint64 hz) const
{
    return radio().civ ? radio().civ->tunes(hz) : hz > 0 && hz <= radio().maxHz;
}

// CI-V -----------------------------------------------------------------------------------

QByteArrayList RigModel::feedCiv(QByteArrayView bytes)
{
    QByteArrayList out;
    const CivRadio &civ = *radio().civ;
    const CivFramer::Result framed = m_civFramer.feed(bytes);
    for (const QByteArray &frame : framed.frames) {
        const bool forUs = civ::to(frame) == civ.address;
        if (!m_state.poweredOn) {
            // In standby the radio listens for its power-on command alone.
            if (forUs && civ::body(frame) == QByteArrayView("\x18\x01"))
                setPower(true);
            continue;
        }
        // On the CI-V bus every station hears every frame, its own too; with "USB Echo Back"
        // the radio sends a USB controller each frame back, whoever it was for.
        if (m_state.echo)
            out.append(frame);
        if (!forUs)
            continue; // another radio's, or a transceive frame
        const Shown before = shown();
        const std::optional<QByteArray> answer = executeCiv(civ::body(frame));
        if (answer)
            out.append(civ::frame(civ::from(frame), civ.address, *answer));
        out += transceiveReport(before);
    }
    return out;
}

// The reply's body: the row's code and its data for a read, FB or FA for a setting, nothing
// for the quiet settings (00, 01).
std::optional<QByteArray> RigModel::executeCiv(QByteArrayView body)
{
    const QByteArray ng(1, char(civ::kNg));
    const CivCommand *row = radio().civ->find(body);
    if (!row)
        return ng;
    const QByteArrayView data = body.sliced(qsizetype(row->code.size()));
    if (row->access == CivAccess::Read || (row->access == CivAccess::ReadSet && data.isEmpty())) {
        const std::optional<QByteArray> value =
            data.isEmpty() && row->handler->read ? row->handler->read(m_state, *row) : std::nullopt;
        return value ? QByteArray(row->code.data(), qsizetype(row->code.size())) + *value : ng;
    }
    const std::optional<unsigned> changes =
        row->handler->set ? row->handler->set(m_state, *row, data) : std::nullopt;
    if (row->access == CivAccess::Quiet)
        return std::nullopt;
    return changes ? QByteArray(1, char(civ::kOk)) : ng;
}

RigModel::Shown RigModel::shown() const
{
    const int vfo = m_state.rxVfo;
    return {m_state.vfo[vfo], m_state.mode[vfo], m_state.filter[vfo]};
}

// With "CI-V Transceive" on, the radio tells every station on the bus (address 00) when the
// frequency or the mode it shows changes, whether from its panel or by a command.
QByteArrayList RigModel::transceiveReport(const Shown &before) const
{
    QByteArrayList out;
    if (!radio().civ || !m_state.transceive || !m_state.poweredOn || m_silent)
        return out;
    const quint8 address = radio().civ->address;
    const Shown now = shown();
    if (now.hz != before.hz)
        out.append(civ::frame(civ::kBroadcast, address,
                              QByteArray(1, '\0') + civ::frequencyBytes(now.hz)));
    if (now.mode != before.mode || now.filter != before.filter)
        out.append(civ::frame(civ::kBroadcast, address,
                              QByteArray(1, '\x01') + now.mode + char(now.filter)));
    return out;
}

// Front-panel events ---------------------------------------------------------------------

template <typename Event> QByteArrayList RigModel::panelEvent(Event event)
{
    const Shown before = shown();
    const unsigned changes = event();
    return radio().civ ? transceiveReport(before) : report(changes, false);
}

QByteArrayList RigModel::turnVfoA(qint64 hz)
{
    if (radio().civ && !tunes(hz))
        return {};
    return panelEvent(
        [&] { return cat::tuneVfo(m_state, 0, std::clamp<qint64>(hz, 0, radio().maxHz)); });
}

QByteArrayList RigModel::turnVfoB(qint64 hz)
{
    if (radio().civ && !tunes(hz))
        return {};
    return panelEvent(
        [&] { return cat::tuneVfo(m_state, 1, std::clamp<qint64>(hz, 0, radio().maxHz)); });
}

QByteArrayList RigModel::selectMode(char mode)
{
    if (!knowsMode(mode))
        return {};
    return panelEvent([&] {
        if (radio().civ)
            return icom::selectMode(m_state, m_state.rxVfo, mode, m_state.filter[m_state.rxVfo]);
        m_state.mode[0] = mode;
        return unsigned(Mode);
    });
}

QByteArrayList RigModel::setTransmit(bool on)
{
    if (m_state.transmit == on)
        return {};
    return panelEvent([&] {
        m_state.transmit = on;
        m_state.keyedByPanel = on;
        return unsigned(Transmit);
    });
}

QByteArrayList RigModel::setFilterWidth(int hz)
{
    return panelEvent([&] {
        m_state.widthHz[shownVfo()] = std::clamp(hz, 0, radio().civ ? 10000 : 9999);
        m_state.values.erase("SH0"); // a Yaesu radio's width index follows the new width
        return unsigned(Width);
    });
}

QByteArrayList RigModel::selectBand(const BandPlanRow &band)
{
    if (!cat::covers(radio(), band))
        return {};
    return panelEvent([&] { return cat::tuneVfo(m_state, 0, m_state.lastFrequencyOn(band)); });
}

QByteArrayList RigModel::setSplit(bool on)
{
    return panelEvent([&] {
        m_state.txVfo = on ? 1 - m_state.rxVfo : m_state.rxVfo;
        return unsigned(Split);
    });
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
    m_civFramer.clear();
}
