#include "records/SetupLine.h"

#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"

namespace quvane::SetupLine {

void checkFields(PacketBuffer &packet)
{
    for (int i = 0; i < 4; ++i)
        packet.GetByte();
    for (int i = 0; i < 7; ++i)
        packet.GetInteger();
    for (int i = 0; i < 12; ++i)
        packet.GetSingle();
    packet.GetBoolean();
    for (int i = 0; i < 31; ++i)
        packet.GetSingle();
}

void checkRecord(const QByteArray &record)
{
    PacketBuffer packet;
    packet.SetReply(record);
    packet.GetInteger();
    packet.GetString();
    checkFields(packet);
    if (packet.position() != record.size())
        throw QuvaneError(ErrorNumber::MalformedPacket,
                          QStringLiteral("Malformed packet: %1 characters after the set-up "
                                         "record, from character %2")
                              .arg(record.size() - packet.position())
                              .arg(packet.position() + 1));
}

} // namespace quvane::SetupLine
