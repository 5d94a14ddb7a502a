#pragma once

#include "cat_command.h"

#include <QByteArray>

#include <map>
#include <string_view>

// The settings of one simulated transceiver: what its handlers read and change. Index 0 of the
// paired settings is VFO A (the main receiver), index 1 VFO B (the sub receiver).
struct RadioState {
    explicit RadioState(const RadioModel &model);

    // The parameter text a stored-number row holds (its power-on value until set).
    QByteArray value(const CatCommand &row) const;
    void setValue(const CatCommand &row, const QByteArray &text) { values[row.name] = text; }
    // Band-stack memory: where VFO A was last on `meters`, or the band's home frequency.
    qint64 lastFrequencyOn(const BandPlanRow &band) const;

    const RadioModel *radio;
    qint64 vfo[2] = {14074000, 14080000};
    char mode[2] = {'2', '2'};
    int widthHz[2] = {2400, 2400};
    int rxVfo = 0;
    int txVfo = 0;
    bool transmit = false;
    bool keyedByPanel = false; // the operator's PTT rather than CAT keyed the transmitter
    int ritOffset = 0;
    bool rit = false;
    bool xit = false;
    int autoInfo = 0;
    int k2Level = 0;
    int k3Level = 0;
    bool poweredOn = true;
    bool bandChangeReport = false; // an IF being built reports a band change (K22)
    // Icom radios: each VFO's filter (FIL1-FIL3) and data mode, and two CI-V menu settings.
    // Their mode codes are CI-V's (0x01 USB).
    int filter[2] = {2, 2};
    bool dataMode[2] = {false, false};
    bool transceive = false;
    bool echo = false;
    std::map<std::string_view, QByteArray> values; // by row name
    std::map<int, qint64> bandStack;               // by band in metres
};
