#pragma once

#include <QtGlobal>

class SensorControl;

// The main window's public instrument operations that need no window: each sends its command
// through the sensor control, shows the busy cursor around the exchange where it is meant to, and
// traps errors for ReportError where it is meant to.
class InstrumentOperations
{
public:
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

private:
    SensorControl &m_sensor;
};
