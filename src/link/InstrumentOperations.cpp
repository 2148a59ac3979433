#include "link/InstrumentOperations.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"

#include <cmath>
#include <limits>

namespace quvane {

namespace {

constexpr char DatalogStatusCommand[] = "D0001";

} // namespace

qint16 InstrumentOperations::DatalogCount()
{
    PacketBuffer packet;
    packet.SetReply(m_sensor.SendCommand(QByteArray(DatalogStatusCommand)));
    const qint32 count = readReply(DatalogStatusCommand, [&packet] {
        packet.Skip(24);
        const qint32 value = packet.GetLong();
        expectEnd(packet, DatalogStatusCommand);
        return value;
    });
    if (count < std::numeric_limits<qint16>::min() || count > std::numeric_limits<qint16>::max())
        throw QuvaneError::overflow(
            QStringLiteral("the datalog count %1 does not fit an Integer").arg(count));
    return static_cast<qint16>(count);
}

double InstrumentOperations::StdzTimestamp()
{
    PacketBuffer packet;
    packet.SetReply(m_sensor.SendCommand(QByteArray(DatalogStatusCommand)));
    const qint32 seconds = readReply(DatalogStatusCommand, [&packet] {
        const qint32 value = packet.GetTimestamp();
        packet.Skip(24);
        expectEnd(packet, DatalogStatusCommand);
        return value;
    });
    return modGlobals::SecondsToDate(seconds);
}

void InstrumentOperations::command(const QByteArray &command)
{
    // The instrument answers a setting with a status alone.
    PacketBuffer packet;
    packet.SetReply(m_sensor.SendCommand(command));
    readReply(command, [&] {
        packet.GetInteger();
        expectEnd(packet, command);
    });
}

void InstrumentOperations::SetDateAndTime()
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("X000"));
    packet.PutTimestamp(modGlobals::DateToSeconds(modGlobals::Now()));
    command(packet.GetCommand());
}

void InstrumentOperations::ClearDatalog()
{
    command(QByteArray("X000FFFFFFFF01"));
}

QString InstrumentOperations::GeometryText(qint32 flavor, bool instrumentType)
{
    switch (flavor) {
    case Flavor::FortyFiveLav:
        return instrumentType ? QStringLiteral("45/0 LAV") : QStringLiteral("45/0");
    case Flavor::DiffuseLav:
        return instrumentType ? QStringLiteral("Diff. LAV") : QStringLiteral("Diffuse");
    case Flavor::FortyFiveSav:
        return instrumentType ? QStringLiteral("45/0 SAV") : QStringLiteral("45/0");
    case Flavor::DiffuseSav:
        return instrumentType ? QStringLiteral("Diff. SAV") : QStringLiteral("Diffuse");
    default:
        return QString();
    }
}

QString InstrumentOperations::DatalogFillText(qint32 count)
{
    // std::lround rounds halves away from zero.
    const long percent = std::lround(count * 100.0 / DatalogCapacity);
    return QStringLiteral("%1  (%2% full)").arg(count).arg(percent);
}

} // namespace quvane
