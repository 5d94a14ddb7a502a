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
