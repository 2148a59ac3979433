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

// The datalog as CGATS.17 text in the form Argyll CMS reads (its "CTI3" file type, with the
// one device value GRAY_K it asks for, always 0): a row a record with its number (SAMPLE_ID),
// product (SAMPLE_NAME), sample ID, date, the 31 reflectances (SPEC_400 to SPEC_700, percent) and
// the instrument's own colour values with the texts of their codes. Numbers in the C locale's
// format (give TextFormat(QLocale::c())). The header, up to and with BEGIN_DATA, names the
// number of rows (NUMBER_OF_SETS, which CGATS.17 requires); every line ends in CR LF, as the
// rows and END_DATA that follow do.
QByteArray datalogCgatsHeader(int sets);
void appendCgatsRow(PacketBuffer &packet, const TextFormat &number, QByteArray &line);

} // namespace quvane
