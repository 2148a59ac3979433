#pragma once

#include "colour/Colorimetry.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

class PacketBuffer;

namespace quvane {

// One datalog record as the bulk capture reads it ("Q1") and DATALOG.QV3 stores it, as a plain
// value: each reply or file line is decoded once, and the value goes to every sink that wants
// it (the delimited text, CGATS, the history).
struct DatalogRecord
{
    qint64 number = 0; // in the datalog, counted from 1
    QString product;   // the name of the product set-up
    QString sampleId;
    int setupNumber = 0; // counted from 1
    // Codes, with their texts in the datalog tables of CodeText.h.
    qint16 standardType = 0;
    qint16 displayMode = 0;
    qint16 sequence = 0; // the reading's place in its sequence, and the sequence's length
    qint16 sequenceOf = 0;
    bool isStandard = false;
    QDateTime taken; // by the instrument's clock
    qint16 illuminantObserver = 0;
    qint16 colorScale = 0;
    qint16 colorIndex = 0;
    Colour::Spectrum spectrum{};      // percent reflectance at 400, 410, ... 700 nm
    std::array<float, 6> scaleData{}; // the instrument's own values of its scale
    std::array<float, 2> indexData{}; // and of its index
    // The instrument's pass (1) or fail (0) as a "K" record converts it, read from the four
    // characters the capture's layout leaves unread after the index code (where "K" keeps it);
    // none where they are not a number.
    std::optional<int> passFail;

    // The reflectance at one of the record's wavelengths (400 to 700 nm, in steps of 10).
    float reflectanceAt(int nanometres) const { return spectrum.at(size_t(nanometres - 400) / 10); }

    // Reads a record in the capture reply's layout; a packet error reaches the caller.
    static DatalogRecord decode(PacketBuffer &packet);
};

} // namespace quvane
