#include "rig/civ_framing.h"

#include <algorithm>

namespace civ {

namespace {

bool reserved(quint8 byte)
{
    return byte >= kCollision && byte <= kPreamble;
}

// The two decimal digits of a BCD byte, or -1.
int digits(quint8 byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}

quint8 toBcd(qint64 twoDigits)
{
    return quint8((twoDigits / 10) << 4 | twoDigits % 10);
}

} // namespace

QByteArray hexByte(quint8 byte)
{
    return QByteArray(1, char(byte)).toHex().toUpper();
}

QByteArray text(QByteArrayView body)
{
    return body.toByteArray().toHex().toUpper() + ';';
}

QByteArray bodyOf(QByteArrayView text)
{
    if (text.size() < 3 || text.size() % 2 == 0 || !text.endsWith(';'))
        return {};
    const QByteArrayView hex = text.chopped(1);
    if (!std::all_of(hex.begin(), hex.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        }))
        return {};
    return QByteArray::fromHex(hex.toByteArray());
}

Direction direction(QByteArrayView frame, quint8 radio)
{
    if (frame.size() < kMinFrame)
        return Direction::Other;
    if (to(frame) == radio)
        return Direction::ToRadio;
    if (from(frame) == radio)
        return to(frame) == kBroadcast ? Direction::Transceive : Direction::Reply;
    return Direction::Other;
}

QByteArray frame(quint8 to, quint8 from, QByteArrayView body)
{
    if (reserved(to) || reserved(from) || body.isEmpty() ||
        std::any_of(body.begin(), body.end(), [](char c) { return reserved(quint8(c)); }))
        return {};
    QByteArray out;
    out.reserve(body.size() + 5);
    out.append(char(kPreamble)).append(char(kPreamble)).append(char(to)).append(char(from));
    out.append(body).append(char(kEnd));
    return out;
}

QByteArray frequencyBytes(qint64 hz, int bytes)
{
    if (hz < 0 || bytes < 1 || bytes > 8)
        return {};
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i, hz /= 100)
        out[i] = char(toBcd(hz % 100));
    return hz == 0 ? out : QByteArray();
}

std::optional<qint64> frequency(QByteArrayView bcd)
{
    if (bcd.isEmpty() || bcd.size() > 8)
        return std::nullopt;
    qint64 hz = 0;
    for (qsizetype i = bcd.size() - 1; i >= 0; --i) {
        const int d = digits(quint8(bcd[i]));
        if (d < 0)
            return std::nullopt;
        hz = hz * 100 + d;
    }
    return hz;
}

QByteArray bcd(int value, int bytes)
{
    if (value < 0 || bytes < 1 || bytes > 4)
        return {};
    QByteArray out(bytes, '\0');
    for (int i = bytes - 1; i >= 0; --i, value /= 100)
        out[i] = char(toBcd(value % 100));
    return value == 0 ? out : QByteArray();
}

std::optional<int> number(QByteArrayView bcd)
{
    if (bcd.isEmpty() || bcd.size() > 4)
        return std::nullopt;
    int value = 0;
    for (char c : bcd) {
        const int d = digits(quint8(c));
        if (d < 0)
            return std::nullopt;
        value = value * 100 + d;
    }
    return value;
}

} // namespace civ

CivFramer::Result CivFramer::feed(QByteArrayView bytes)
{
    Result result;
    for (char c : bytes) {
        const auto byte = quint8(c);
        if (m_frame.isEmpty()) {
            if (byte == civ::kPreamble && m_preamble) {
                m_frame.append(char(civ::kPreamble)).append(char(civ::kPreamble));
                m_preamble = false;
            } else if (byte == civ::kPreamble) {
                m_preamble = true;
            } else {
                // Garbage between frames, and a lone FE before it.
                result.discarded += m_preamble ? 2 : 1;
                m_preamble = false;
            }
            continue;
        }
        switch (byte) {
        case civ::kPreamble:
            if (m_frame.size() == 2) {
                ++result.discarded; // a longer preamble (a wake-up run of FE): keep two
                continue;
            }
            // A frame cut short by the next one's preamble.
            result.discarded += m_frame.size();
            m_frame.clear();
            m_preamble = true;
            continue;
        case civ::kCollision:
            result.discarded += m_frame.size() + 1;
            m_frame.clear();
            continue;
        case civ::kEnd:
            m_frame.append(c);
            if (m_frame.size() >= civ::kMinFrame)
                result.frames.append(m_frame);
            else
                result.discarded += m_frame.size();
            m_frame.clear();
            continue;
        default:
            if (m_frame.size() + 1 >= kMaxFrame) {
                // No room left for the FD: no CI-V frame is this long. What follows up to the
                // next preamble is garbage.
                result.discarded += m_frame.size() + 1;
                m_frame.clear();
            } else {
                m_frame.append(c);
            }
        }
    }
    return result;
}

CivFramer::Result CivFramer::finish()
{
    Result result;
    result.discarded = m_frame.size() + (m_preamble ? 1 : 0);
    clear();
    return result;
}

void CivFramer::clear()
{
    m_frame.clear();
    m_preamble = false;
}

CatFramer::Result CivLine::feed(QByteArrayView bytes, quint8 radio)
{
    CatFramer::Result out;
    take(m_framer.feed(bytes), radio, out);
    return out;
}

CatFramer::Result CivLine::finish()
{
    m_program = civ::kController; // the next program writes from an address of its own
    CatFramer::Result out;
    out.discarded = m_framer.finish().discarded;
    return out;
}

void CivLine::clear()
{
    m_framer.clear();
    m_program = civ::kController;
    m_told.clear();
}

void CivLine::take(const CivFramer::Result &framed, quint8 radio, CatFramer::Result &out)
{
    out.discarded += framed.discarded;
    for (const QByteArray &frame : framed.frames) {
        const civ::Direction way = civ::direction(frame, radio);
        const QByteArrayView body = civ::body(frame);
        if (m_end == End::Controller) {
            const bool forUs = way == civ::Direction::Transceive ||
                               (way == civ::Direction::Reply && civ::to(frame) == civ::kController);
            if (forUs)
                out.pieces << (body.size() == 1 && quint8(body[0]) == civ::kNg ? QByteArray("?;")
                                                                               : civ::text(body));
            continue;
        }
        if (way == civ::Direction::ToRadio && civ::from(frame) != civ::kBroadcast) {
            m_program = civ::from(frame);
            out.pieces << civ::text(body);
        } else if (way == civ::Direction::ToRadio) {
            if (!m_told.contains(radio)) { // once, as for an address
                m_told.insert(radio);
                out.notices
                    << "A frame from 00 dropped: a program writes from an address of its own";
            }
        } else if (!m_told.contains(civ::to(frame))) {
            m_told.insert(civ::to(frame));
            out.notices << "A frame to " + civ::hexByte(civ::to(frame)) +
                               " dropped: the radio here is " + civ::hexByte(radio);
        }
    }
}

QByteArray CivLine::frames(const QByteArray &text, quint8 radio) const
{
    QByteArray out;
    for (const QByteArray &piece : CatFramer::split(text)) {
        const QByteArray body = piece == "?;" ? QByteArray(1, char(civ::kNg)) : civ::bodyOf(piece);
        if (body.isEmpty())
            continue;
        if (m_end == End::Controller)
            out += civ::frame(radio, civ::kController, body);
        else if (body.front() == 0x00 || body.front() == 0x01)
            out += civ::frame(civ::kBroadcast, radio, body); // a report, to everyone
        else
            out += civ::frame(m_program, radio, body);
    }
    return out;
}
