#pragma once

#include "colour/Colorimetry.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace quvane {

struct DatalogRecord;

// Where a measurement came from.
enum class MeasurementSource
{
    Live,       // a Sample taken on demand
    Capture,    // a datalog record read from the instrument
    Conversion, // a record of a DATALOG.QV3 file
    Import      // a record of a file the programs wrote earlier
};

// One measurement as a plain value, whatever read it: a Sample (QVMeasure), a datalog record
// read on its own (QVLog) or in bulk and from DATALOG.QV3 (DatalogRecord). The record classes
// decode into it, and the history keeps it.
struct Measurement
{
    MeasurementSource source = MeasurementSource::Live;
    QDateTime taken;          // by the instrument's clock; a Sample's by this computer's
    QString instrumentSerial; // empty where the source does not name the instrument
    qint64 recordNumber = 0;  // in the datalog, counted from 1; 0 for a Sample
    int setupNumber = 0;      // the product set-up, counted from 1; 0 for none
    QString product;          // the set-up's name, where the source has it
    QString sampleId;
    bool isStandard = false;
    Colour::Spectrum spectrum{}; // percent reflectance at 400, 410, ... 700 nm
    int readings = 1;            // the mean of this many readings
    // A datalog record judged by the program against the product set-up it names, as the
    // instrument judges it: 0 pass, 1 warn, 2 fail (Colour::Verdict); none where not judged.
    std::optional<int> setupVerdict;

    // The instrument's own conditions, values and judgement, where the source has them: the
    // set-up's codes (InstrumentCodes.h; the datalog's combined illuminant/observer code in
    // illuminant, with observer 0), the values of its scale and index, and pass (1) or fail (0).
    qint32 displayMode = 0;
    qint32 illuminant = 0;
    qint32 observer = 0;
    qint32 colorScale = 0;
    qint32 colorIndex = 0;
    std::array<float, 3> scaleData{};
    float indexData = 0;
    std::optional<int> passFail;

    // The reflectance at one of the wavelengths (400 to 700 nm, in steps of 10).
    float reflectanceAt(int nanometres) const { return spectrum.at(size_t(nanometres - 400) / 10); }

    // A datalog record read in bulk or from a file, as the history keeps it.
    static Measurement fromDatalog(const DatalogRecord &record, MeasurementSource source,
                                   const QString &instrumentSerial = {});
};

} // namespace quvane
