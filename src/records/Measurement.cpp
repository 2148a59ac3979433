#include "records/Measurement.h"

#include "records/DatalogRecord.h"

#include <algorithm>

namespace quvane {

Measurement Measurement::fromDatalog(const DatalogRecord &record, MeasurementSource source,
                                     const QString &instrumentSerial)
{
    Measurement m;
    m.source = source;
    m.taken = record.taken;
    m.instrumentSerial = instrumentSerial;
    m.recordNumber = record.number;
    m.setupNumber = record.setupNumber;
    m.product = record.product;
    m.sampleId = record.sampleId;
    m.isStandard = record.isStandard;
    m.spectrum = record.spectrum;
    m.displayMode = record.displayMode;
    m.illuminant = record.illuminantObserver;
    m.colorScale = record.colorScale;
    m.colorIndex = record.colorIndex;
    std::copy_n(record.scaleData.begin(), m.scaleData.size(), m.scaleData.begin());
    m.indexData = record.indexData[0];
    m.passFail = record.passFail;
    return m;
}

} // namespace quvane
