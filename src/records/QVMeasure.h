#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "records/ColorValues.h"
#include "records/Measurement.h"

class SensorControl;

// One measurement taken on demand: the 31 reflectance values of the sample under the port.
class QVMeasure
{
public:
    explicit QVMeasure(SensorControl &sensor) : m_sensor(&sensor) {}

    qint16 SetupNumber = 0;
    qint32 Illuminant = 0;
    qint32 Observer = 0;
    qint32 DisplayMode = 0;
    qint32 PassFail = 0;
    qint32 ColorScale = 0;
    qint32 ColorIndex = 0;
    bool IsStandard = false;

    // Takes one measurement ("H") into Spectrum. Errors reach the caller.
    void Measure();

    // When the measurement was taken, by this computer's clock, and by which instrument.
    QDateTime taken() const { return m_value.taken; }
    QString instrumentSerial() const { return m_value.instrumentSerial; }

    float ScaleData(int anIndex) const { return quvane::ScaleDataAt(m_value, anIndex); }
    float IndexData() const { return m_value.indexData; }
    float Spectrum(int anIndex) const { return quvane::SpectrumAt(m_value, anIndex); }
    // The 31 values at once, 400 to 700 nm.
    const std::array<float, 31> &spectrum() const { return m_value.spectrum; }

    // The measurement as a value, with the members above.
    quvane::Measurement measurement() const;

private:
    SensorControl *m_sensor;
    quvane::Measurement m_value;
};
