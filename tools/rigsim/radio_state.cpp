#include "radio_state.h"

#include "civ_command.h"

RadioState::RadioState(const RadioModel &model) : radio(&model)
{
    if (!model.civ)
        return;
    vfo[0] = model.civ->startHz[0];
    vfo[1] = model.civ->startHz[1];
    mode[0] = mode[1] = '\x01'; // USB, FIL2 (2.4 kHz)
    transceive = model.civ->transceive;
    echo = model.civ->echo;
}

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
