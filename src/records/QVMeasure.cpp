#include "records/QVMeasure.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/SensorControl.h"

using namespace quvane;

void QVMeasure::Measure()
{
    const QByteArray command("H");
    PacketBuffer packet;
    packet.SetReply(m_sensor->SendCommand(command));
    Measurement value;
    readReply(command, [&] {
        packet.Skip(4);
        readSpectrum(packet, value.spectrum);
        expectEnd(packet, command);
    });
    value.taken = QDateTime::currentDateTime();
    value.instrumentSerial = m_sensor->SerialNumber();
    m_value = value;
}

Measurement QVMeasure::measurement() const
{
    Measurement value = m_value;
    value.source = MeasurementSource::Live;
    value.setupNumber = SetupNumber;
    value.isStandard = IsStandard;
    value.displayMode = DisplayMode;
    value.illuminant = Illuminant;
    value.observer = Observer;
    value.colorScale = ColorScale;
    value.colorIndex = ColorIndex;
    return value;
}
