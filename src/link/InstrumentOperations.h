#pragma once

#include <QByteArray>
#include <QString>

class SensorControl;

namespace quvane {

// The instrument's flavour codes: its measuring geometry and aperture (large or small view).
namespace Flavor {
enum : qint32
{
    FortyFiveLav = 0,
    DiffuseLav = 1,
    FortyFiveSav = 2,
    DiffuseSav = 3,
};
} // namespace Flavor

// The instrument operations behind the main window's public ones, without any policy: each
// composes its command, sends it through the sensor control and reads the reply, and raises
// whatever goes wrong. The main window adds the busy cursor and the trap; the command-line tool
// reports the error its own way.
class InstrumentOperations
{
public:
    // The datalog's capacity in records.
    static constexpr int DatalogCapacity = 800;

    explicit InstrumentOperations(SensorControl &sensor) : m_sensor(sensor) {}

    // The record count of the "D0001" reply; a count outside the Integer range is an overflow.
    qint16 DatalogCount();
    // The time of the last standardization, as a PC date.
    double StdzTimestamp();
    // Sets the instrument's clock to the PC's present local time.
    void SetDateAndTime();
    void ClearDatalog();

    SensorControl &sensor() { return m_sensor; }

    // The geometry and aperture named by a flavor code, by the instrument-type flag.
    static QString GeometryText(qint32 flavor, bool instrumentType);
    // The datalog line of the identification: the count, two blanks and "(p% full)", the
    // percentage of the capacity rounded half away from zero.
    static QString DatalogFillText(qint32 count);

private:
    // Sends a command that the instrument answers with a status alone.
    void command(const QByteArray &command);

    SensorControl &m_sensor;
};

} // namespace quvane
