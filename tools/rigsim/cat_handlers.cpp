#include "cat_handlers.h"

#include "civ_command.h"
#include "radio_state.h"

#include <algorithm>
#include <cstdlib>

namespace cat {

std::optional<int> digits(QByteArrayView p, qsizetype count)
{
    if (p.size() != count || count == 0 || count > 9)
        return std::nullopt;
    int value = 0;
    for (char c : p) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray padded(qint64 value, int count)
{
    return QByteArray::number(value).rightJustified(count, '0', true);
}

QByteArray ritField(const RadioState &state)
{
    return (state.ritOffset < 0 ? "-" : "+") + padded(std::abs(state.ritOffset), 4);
}

const BandPlanRow *bandOf(qint64 hz)
{
    for (const BandPlanRow &band : bandPlan()) {
        if (hz >= band.lowHz && hz <= band.highHz)
            return &band;
    }
    return nullptr;
}

bool covers(const RadioModel &radio, const BandPlanRow &band)
{
    // An Icom radio's ranges may start above HF (IC-9700) or end inside a band (its 70 cm).
    if (radio.civ)
        return radio.civ->tunes(band.homeHz);
    return band.highHz <= radio.maxHz;
}

unsigned tuneVfo(RadioState &state, int vfo, qint64 hz)
{
    const qint64 old = state.vfo[vfo];
    state.vfo[vfo] = hz;
    unsigned changes = vfo == 0 ? FreqA : FreqB;
    const BandPlanRow *from = bandOf(old);
    if (vfo == 0 && from != bandOf(hz)) {
        if (from)
            state.bandStack[from->meters] = old;
        changes |= Band;
    }
    return changes;
}

int receiverOf(const CatCommand &row)
{
    // K3: MD$, BW$; Yaesu: MD1, SH1 (the main receiver's rows end in 0).
    return row.name.ends_with('$') || (row.name.size() == 3 && row.name.back() == '1') ? 1 : 0;
}

bool knowsMode(const CatCommand &row, char code)
{
    return code != 0 && row.text.find(code) != std::string_view::npos;
}

namespace {

QByteArray toBytes(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

std::optional<QByteArray> readNumber(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return s.value(row);
}

std::optional<unsigned> setNumber(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> v = digits(p, row.width);
    if (!v || *v < row.min || *v > row.max)
        return std::nullopt;
    s.setValue(row, p.toByteArray());
    return unsigned(Setting);
}

std::optional<unsigned> setClampedNumber(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> v = digits(p, row.width);
    if (!v)
        return std::nullopt;
    s.setValue(row, padded(std::clamp(*v, row.min, row.max), row.width));
    return unsigned(Setting);
}

std::optional<QByteArray> readNumberWithTail(const RadioState &s, const CatCommand &row,
                                             QByteArrayView)
{
    const QByteArray stored = s.values.contains(row.name) ? s.value(row) : padded(0, row.width);
    return stored + toBytes(row.text);
}

std::optional<unsigned> setShaped(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isSign = [](char c) { return c == '+' || c == '-'; };
    if (p.size() != qsizetype(row.text.size()))
        return std::nullopt;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const char want = row.text[size_t(i)];
        const bool fits = isDigit(want)  ? isDigit(p[i])
                          : isSign(want) ? isSign(p[i])
                                         : p[i] == want;
        if (!fits)
            return std::nullopt;
    }
    s.setValue(row, p.toByteArray());
    return unsigned(Setting);
}

std::optional<QByteArray> readFixed(const RadioState &, const CatCommand &row, QByteArrayView)
{
    return toBytes(row.text);
}

std::optional<QByteArray> readFrequency(const RadioState &s, const CatCommand &row, int vfo)
{
    return padded(s.vfo[vfo], row.width);
}

std::optional<unsigned> setFrequency(RadioState &s, const CatCommand &row, QByteArrayView p,
                                     int vfo)
{
    // Nine digits hold 999 MHz, eleven 99 GHz: both fit an int64 but not digits().
    if (p.size() != row.width ||
        !std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const qint64 hz = p.toByteArray().toLongLong();
    return tuneVfo(s, vfo, std::min(hz, s.radio->maxHz));
}

std::optional<QByteArray> readPower(const RadioState &, const CatCommand &, QByteArrayView)
{
    return QByteArrayLiteral("1"); // a radio that is off does not answer at all
}

std::optional<unsigned> setPower(RadioState &s, const CatCommand &, QByteArrayView p)
{
    const std::optional<int> on = digits(p, 1);
    if (!on || *on > 1)
        return std::nullopt;
    if (*on == 0)
        s.poweredOn = false;
    return unsigned(NoChange);
}

std::optional<QByteArray> readAutoInfo(const RadioState &s, const CatCommand &, QByteArrayView)
{
    return QByteArray::number(s.autoInfo);
}

std::optional<unsigned> setAutoInfo(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> level = digits(p, 1);
    if (!level || *level < row.min || *level > row.max)
        return std::nullopt;
    s.autoInfo = *level;
    return *level > 0 ? unsigned(AutoInfoOn) : unsigned(NoChange);
}

std::optional<unsigned> setReceive(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (!p.isEmpty())
        return std::nullopt;
    s.transmit = false;
    s.keyedByPanel = false;
    return unsigned(Transmit);
}

std::optional<unsigned> clearRit(RadioState &s, const CatCommand &, QByteArrayView p)
{
    if (!p.isEmpty())
        return std::nullopt;
    s.ritOffset = 0;
    return unsigned(Rit);
}

std::optional<unsigned> setSwitch(bool &flag, QByteArrayView p)
{
    const std::optional<int> on = digits(p, 1);
    if (!on || *on > 1)
        return std::nullopt;
    flag = *on == 1;
    return unsigned(Rit);
}

std::optional<unsigned> stepRit(RadioState &s, const CatCommand &row, QByteArrayView p, int sign)
{
    int step = 10;
    if (!p.isEmpty()) {
        const std::optional<int> hz = digits(p, row.width);
        if (!hz)
            return std::nullopt;
        step = *hz;
    }
    s.ritOffset = std::clamp(s.ritOffset + sign * step, -9999, 9999);
    return unsigned(Rit);
}

std::optional<QByteArray> readWidthInHz(const RadioState &s, const CatCommand &row, QByteArrayView)
{
    return padded(s.widthHz[0], row.width);
}

std::optional<unsigned> setWidthInHz(RadioState &s, const CatCommand &row, QByteArrayView p)
{
    const std::optional<int> hz = digits(p, row.width);
    if (!hz || *hz < row.min || *hz > row.max)
        return std::nullopt;
    s.widthHz[0] = *hz;
    return unsigned(Width);
}

} // namespace

const CatHandler kStoredNumber{readNumber, setNumber};
const CatHandler kClampedNumber{readNumber, setClampedNumber};
const CatHandler kStoredNumberWithTail{readNumberWithTail, setNumber};
const CatHandler kShapedText{readNumber, setShaped};
const CatHandler kFixedReply{readFixed, nullptr};
const CatHandler kFrequencyA{[](const RadioState &s, const CatCommand &row, QByteArrayView) {
                                 return readFrequency(s, row, 0);
                             },
                             [](RadioState &s, const CatCommand &row, QByteArrayView p) {
                                 return setFrequency(s, row, p, 0);
                             }};
const CatHandler kFrequencyB{[](const RadioState &s, const CatCommand &row, QByteArrayView) {
                                 return readFrequency(s, row, 1);
                             },
                             [](RadioState &s, const CatCommand &row, QByteArrayView p) {
                                 return setFrequency(s, row, p, 1);
                             }};
const CatHandler kPowerSwitch{readPower, setPower};
const CatHandler kAutoInfo{readAutoInfo, setAutoInfo};
const CatHandler kReceive{nullptr, setReceive};
const CatHandler kRitClear{nullptr, clearRit};
const CatHandler kRitSwitch{
    [](const RadioState &s, const CatCommand &, QByteArrayView) -> std::optional<QByteArray> {
        return QByteArray::number(s.rit ? 1 : 0);
    },
    [](RadioState &s, const CatCommand &, QByteArrayView p) { return setSwitch(s.rit, p); }};
const CatHandler kXitSwitch{
    [](const RadioState &s, const CatCommand &, QByteArrayView) -> std::optional<QByteArray> {
        return QByteArray::number(s.xit ? 1 : 0);
    },
    [](RadioState &s, const CatCommand &, QByteArrayView p) { return setSwitch(s.xit, p); }};
const CatHandler kRitUp{nullptr, [](RadioState &s, const CatCommand &row, QByteArrayView p) {
                            return stepRit(s, row, p, +1);
                        }};
const CatHandler kRitDown{nullptr, [](RadioState &s, const CatCommand &row, QByteArrayView p) {
                              return stepRit(s, row, p, -1);
                          }};
const CatHandler kWidthInHz{readWidthInHz, setWidthInHz};

} // namespace cat
