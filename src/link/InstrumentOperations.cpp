#include "InstrumentOperations.h"

#include "PacketBuffer.h"
#include "ProgramControl.h"
#include "ReportError.h"
#include "SensorControl.h"
#include "modGlobals.h"

#include <limits>

namespace {

const QByteArray DatalogStatusCommand("D0001");

} // namespace

void InstrumentOperations::GetInstrumentType()
{
    busyTrapped([] { modGlobals::InstrumentType = true; });
}

void InstrumentOperations::GetInstrumentName()
{
    busyTrapped([this] { modGlobals::InstrumentName = m_sensor.InstrumentName(); });
}

bool InstrumentOperations::InstrumentSupported()
{
    return busyTrapped([this] { return m_sensor.FirmwareSupported(); });
}

qint32 InstrumentOperations::InstrumentFlavor()
{
    return busyTrapped([this] { return static_cast<qint32>(m_sensor.Flavor()); });
}

qint16 InstrumentOperations::DatalogCount()
{
    return busyTrapped([this] {
        const QByteArray reply = m_sensor.SendCommand(DatalogStatusCommand);
        PacketBuffer &packet = PacketBuffer::shared();
        packet.SetReply(reply);
        packet.Skip(24);
        const qint32 count = packet.GetLong();
        if (count < std::numeric_limits<qint16>::min() ||
            count > std::numeric_limits<qint16>::max())
            throw QuvaneError::overflow(
                QStringLiteral("the datalog count %1 does not fit an Integer").arg(count));
        return static_cast<qint16>(count);
    });
}

double InstrumentOperations::StdzTimestamp()
{
    const QByteArray reply = m_sensor.SendCommand(DatalogStatusCommand);
    PacketBuffer &packet = PacketBuffer::shared();
    packet.SetReply(reply);
    return modGlobals::SecondsToDate(packet.GetTimestamp());
}

void InstrumentOperations::SetDateAndTime()
{
    PacketBuffer &packet = PacketBuffer::shared();
    packet.PutText(QByteArrayView("X000"));
    packet.PutTimestamp(modGlobals::DateToSeconds(modGlobals::Now()));
    m_sensor.SendCommand(packet.GetCommand());
}

void InstrumentOperations::ClearDatalog()
{
    busyTrapped([this] { m_sensor.SendCommand(QByteArray("X000FFFFFFFF01")); });
}

void InstrumentOperations::ReadBlack()
{
    busyTrapped([this] { m_sensor.ReadBlack(); });
}

void InstrumentOperations::ReadWhite()
{
    busyTrapped([this] { m_sensor.ReadWhite(); });
}

QString InstrumentOperations::GeometryText(qint32 flavor, bool instrumentType)
{
    switch (flavor) {
    case 0:
        return instrumentType ? QStringLiteral("45/0 LAV") : QStringLiteral("45/0");
    case 1:
        return instrumentType ? QStringLiteral("Diff. LAV") : QStringLiteral("Diffuse");
    case 2:
        return instrumentType ? QStringLiteral("45/0 SAV") : QStringLiteral("45/0");
    case 3:
        return instrumentType ? QStringLiteral("Diff. SAV") : QStringLiteral("Diffuse");
    default:
        return QString();
    }
}
