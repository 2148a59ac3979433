#pragma once

#include "records/ColorValues.h"
#include "records/Measurement.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class PacketBuffer;
class SensorControl;

// One datalog record read from the instrument with "K".
class QVLog
{
public:
    explicit QVLog(SensorControl &sensor) : m_sensor(&sensor) {}

    qint16 RecordNumber = 0;
    qint16 SetupNumber = 0;
    qint32 DisplayMode = 0;
    qint32 Illuminant = 0;
    qint32 Observer = 0;
    qint32 ColorScale = 0;
    qint32 ColorIndex = 0;
    qint32 PassFail = 0;
    QString MeasurementDate;
    QString MeasurementTime;
    QString ID;
    bool IsStandard = false;
    bool Spectral = false;

    // Replaces every member with the record the instrument holds under aRecordNumber (sent
    // unchanged). Errors reach the caller.
    void GetRecord(qint16 aRecordNumber);

    float ScaleData(int anIndex) const { return quvane::ScaleDataAt(m_value, anIndex); }
    float IndexData() const { return m_value.indexData; }
    float Spectrum(int anIndex) const { return quvane::SpectrumAt(m_value, anIndex); }
    // The 31 values at once, 400 to 700 nm.
    const std::array<float, 31> &spectrum() const { return m_value.spectrum; }

    // The record as a value, with the members above.
    quvane::Measurement measurement() const;

    // MeasurementDate and MeasurementTime as a date-time; invalid when they name none.
    QDateTime taken() const;

    // "MM/DD/YY" as the instrument sends it, with the year widened to four digits (below 95:
    // 20xx, else 19xx). Characters 7 and 8 that are not a number raise a type mismatch (13).
    static QString FourDigitYearDate(const QString &sDate);

private:
    // Takes a reply apart, checking it is the record asked for.
    void read(PacketBuffer &packet, const QByteArray &command, qint16 aRecordNumber);

    SensorControl *m_sensor;
    quvane::Measurement m_value;
};
