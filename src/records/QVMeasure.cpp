#include "records/QVMeasure.h"

#include "link/PacketBuffer.h"
#include "link/SensorControl.h"

using namespace quvane;

void QVMeasure::Measure()
{
    PacketBuffer packet;
    packet.SetReply(m_sensor->SendCommand(QByteArray("H")));
    packet.Skip(4);
    m_values.readSpectrum(packet);
}
