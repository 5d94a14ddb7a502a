#include "radio_state.h"

RadioState::RadioState(const RadioModel &model) : radio(&model) {}

QByteArray RadioState::value(const CatCommand &row) const
{
    const auto it = values.find(row.name);
    return it != values.end() ? it->second
                              : QByteArray(row.text.data(), qsizetype(row.text.size()));
}

qint64 RadioState::lastFrequencyOn(const BandPlanRow &band) const
{
    const auto it = bandStack.find(band.meters);
    return it != bandStack.end() ? it->second : band.homeHz;
}
