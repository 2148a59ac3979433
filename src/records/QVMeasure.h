#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "records/ColorValues.h"

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
    QDateTime taken() const { return m_taken; }
    QString instrumentSerial() const { return m_serial; }

    float ScaleData(int anIndex) const { return m_values.ScaleData(anIndex); }
    float IndexData() const { return m_values.IndexData(); }
    float Spectrum(int anIndex) const { return m_values.Spectrum(anIndex); }
    // The 31 values at once, 400 to 700 nm.
    const std::array<float, 31> &spectrum() const { return m_values.spectrum; }

private:
    SensorControl *m_sensor;
    quvane::ColorValues m_values;
    QDateTime m_taken;
    QString m_serial;
};
