#pragma once

#include <QByteArray>

class PacketBuffer;

namespace quvane {

class TextFormat;

// One datalog record as a line of 51 delimited fields, read from the packet in the capture
// reply's layout. The capture writes the sequence pair as "a/b", the file conversion as "a::b".
struct DatalogLineFormat
{
    const TextFormat &text;
    QByteArray delimiter; // ISO-8859-1
    QByteArrayView sequenceSeparator;
};

void appendDatalogLine(PacketBuffer &packet, const DatalogLineFormat &format, QByteArray &line);

// The conversion's heading line: the name of the first column of each group.
QByteArray datalogHeading(const QByteArray &delimiter);

} // namespace quvane
