#pragma once

#include <QString>

class SensorControl;

// The main window's public instrument operations that need no window: each sends its command
// through the sensor control, shows the busy cursor around the exchange where it is meant to, and
// traps errors for ReportError where it is meant to.
class InstrumentOperations
{
public:
    // The datalog's capacity in records.
    static constexpr int DatalogCapacity = 800;

    explicit InstrumentOperations(SensorControl &sensor) : m_sensor(sensor) {}

    void GetInstrumentType();
    void GetInstrumentName();
    bool InstrumentSupported();
    qint32 InstrumentFlavor();
    qint16 DatalogCount();
    // Untrapped: the callers (identification, clock dialogs) trap.
    double StdzTimestamp();
    void SetDateAndTime();
    void ClearDatalog();
    void ReadBlack();
    void ReadWhite();

    SensorControl &sensor() { return m_sensor; }

    // The geometry and aperture named by a flavor code, by the instrument-type flag.
    static QString GeometryText(qint32 flavor, bool instrumentType);

private:
    SensorControl &m_sensor;
};
