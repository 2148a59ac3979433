#include "transfer/DatalogLine.h"

#include "link/PacketBuffer.h"
#include "link/modGlobals.h"
#include "transfer/CodeText.h"
#include "transfer/TextFormat.h"

namespace quvane {

void appendDatalogLine(PacketBuffer &packet, const DatalogLineFormat &format, QByteArray &line)
{
    const TextFormat &text = format.text;
    line.reserve(line.size() + 2048); // a record's line is under 1 KB in any locale
    const QByteArray &d = format.delimiter;
    text.appendInteger(line, static_cast<qint64>(packet.GetLong()) + 1);
    appendBytes(line, d);
    packet.appendString(line);
    appendBytes(line, d);
    packet.appendString(line);
    appendBytes(line, d);
    text.appendInteger(line, packet.GetSmallInt() + 1);
    appendBytes(line, d);
    appendCodeText(line, 0, packet.GetSmallInt());
    appendBytes(line, d);
    appendCodeText(line, 1, packet.GetSmallInt());
    appendBytes(line, d);
    text.appendInteger(line, packet.GetSmallInt());
    line += format.sequenceSeparator;
    text.appendInteger(line, packet.GetSmallInt());
    appendBytes(line, d);
    line += packet.GetBoolean() ? "Std" : "Sam";
    appendBytes(line, d);
    text.appendGeneralDate(
        line, modGlobals::FromPcDate(modGlobals::SecondsToDate(packet.GetTimestamp())));
    appendBytes(line, d);
    appendCodeText(line, 2, packet.GetSmallInt());
    packet.Skip(2);
    appendBytes(line, d);
    appendCodeText(line, 3, packet.GetSmallInt());
    appendBytes(line, d);
    appendCodeText(line, 4, packet.GetSmallInt());
    packet.Skip(4);
    for (int i = 0; i < 31; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 3);
    }
    for (int i = 0; i < 6; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 4);
    }
    packet.Skip(48);
    for (int i = 0; i < 2; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 4);
    }
}

QByteArray datalogHeading(const QByteArray &delimiter)
{
    const char *const named[] = {"log",      "product", "ID",      "setup",     "stdtype",
                                 "viewtype", "seq",     "type",    "timestamp", "illobs",
                                 "scale",    "index",   "spectrum"};
    QByteArray line;
    for (const char *name : named) {
        if (!line.isEmpty())
            line += delimiter;
        line += name;
    }
    line += delimiter.repeated(31) + "scaledata" + delimiter.repeated(6) + "indexdata" + delimiter;
    return line;
}

} // namespace quvane
