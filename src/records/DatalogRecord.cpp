#include "records/DatalogRecord.h"

#include "link/PacketBuffer.h"
#include "link/modGlobals.h"

namespace quvane {

namespace {
// The parts of a record the layout leaves unread, in characters.
constexpr int AfterConditions = 2, AfterIndex = 4, AfterScaleData = 48;
} // namespace

DatalogRecord DatalogRecord::decode(PacketBuffer &packet)
{
    DatalogRecord record;
    record.number = qint64(packet.GetLong()) + 1;
    record.product = packet.GetString();
    record.sampleId = packet.GetString();
    record.setupNumber = packet.GetSmallInt() + 1;
    record.standardType = packet.GetSmallInt();
    record.displayMode = packet.GetSmallInt();
    record.sequence = packet.GetSmallInt();
    record.sequenceOf = packet.GetSmallInt();
    record.isStandard = packet.GetBoolean();
    record.taken = modGlobals::FromPcDate(modGlobals::SecondsToDate(packet.GetTimestamp()));
    record.illuminantObserver = packet.GetSmallInt();
    packet.Skip(AfterConditions);
    record.colorScale = packet.GetSmallInt();
    record.colorIndex = packet.GetSmallInt();
    // Not written to the capture's file; read as "K"'s pass/fail where it is a number.
    bool isNumber = false;
    const int raw = packet.reply().mid(packet.position(), AfterIndex).toInt(&isNumber, 16);
    if (isNumber && packet.reply().size() >= packet.position() + AfterIndex) {
        const qint16 code = qint16(raw);
        record.passFail = code >= 0 ? 1 - code : code;
    }
    packet.Skip(AfterIndex);
    for (float &value : record.spectrum)
        value = packet.GetSingle();
    for (float &value : record.scaleData)
        value = packet.GetSingle();
    packet.Skip(AfterScaleData);
    for (float &value : record.indexData)
        value = packet.GetSingle();
    return record;
}

} // namespace quvane
