#pragma once

#include <QByteArray>

class PacketBuffer;

namespace quvane {

// The layout of a product set-up record as the instrument keeps it and the archive stores it:
// Integer index, String name, then 381 characters of fields (4 Bytes, 7 Integers, 12 Singles, a
// Boolean and the 31 Singles of the standard spectrum).
namespace SetupLine {

constexpr int FieldCharacters = 381;

// Reads the fields after the name, raising a QuvaneError that names the field and its
// character for one that does not decode.
void checkFields(PacketBuffer &packet);
// Checks a whole record: index, name and fields, and nothing after them.
void checkRecord(const QByteArray &record);

} // namespace SetupLine

} // namespace quvane
