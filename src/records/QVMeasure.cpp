#include "QVMeasure.h"

#include "PacketBuffer.h"
#include "RecordIndex.h"
#include "SensorControl.h"

void QVMeasure::Measure()
{
    PacketBuffer &packet = PacketBuffer::shared();
    packet.SetReply(m_sensor->SendCommand(QByteArray("H")));
    packet.Skip(4);
    for (float &value : m_spectrum)
        value = percentOf(packet.GetSingle(), "Spectrum");
}

float QVMeasure::ScaleData(int anIndex) const
{
    return m_scaleData[static_cast<size_t>(checkedIndex(anIndex, 3, "ScaleData"))];
}

float QVMeasure::Spectrum(int anIndex) const
{
    return m_spectrum[static_cast<size_t>(checkedIndex(anIndex, 31, "Spectrum"))];
}
