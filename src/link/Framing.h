#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quvane {

// The framing of packets on the wire, below the packet texts: each line is the packet text, one
// sequence digit (upper-case hex 0 to F, one more for each command, Retry included, wrapping
// after F) and two upper-case hex digits of a CRC-8 over the text and the sequence digit, then
// CR. The instrument echoes the command's sequence digit in its reply.
namespace Framing {

// CRC-8, polynomial 0x07, initial value 0, no reflection, no final XOR ("123456789": F4).
quint8 crc8(QByteArrayView bytes);

// The line for a packet, without its CR.
QByteArray frame(QByteArrayView packet, int sequence);

enum class Check
{
    Good,
    TooShort,    // fewer than the three framing characters
    BadSequence, // the sequence digit is not an upper-case hex digit
    BadChecksum
};
// Takes a received line (without CR) apart into its packet text and sequence digit.
Check unframe(const QByteArray &line, QByteArray &packet, int &sequence);

} // namespace Framing

} // namespace quvane
