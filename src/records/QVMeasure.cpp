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
    readReply(command, [&] {
        packet.Skip(4);
        m_values.readSpectrum(packet);
        expectEnd(packet, command);
    });
    m_taken = QDateTime::currentDateTime();
    m_serial = m_sensor->SerialNumber();
}
