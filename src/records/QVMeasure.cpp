#include "QVMeasure.h"

#include "PacketBuffer.h"
#include "SensorControl.h"

void QVMeasure::Measure()
{
    PacketBuffer &packet = PacketBuffer::shared();
    packet.SetReply(m_sensor->SendCommand(QByteArray("H")));
    packet.Skip(4);
    m_values.readSpectrum(packet);
}
