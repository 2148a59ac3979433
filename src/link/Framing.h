#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quvane {

// The framing of packets on the wire, below the packet texts: each line is the packet text, one
// sequence digit (upper-case hex 0 to F, one more for each command, Retry included, wrapping
// after F) and four upper-case hex digits of a CRC-16 over the text and the sequence digit,
// then CR. The instrument echoes the command's sequence digit in its reply.
namespace Framing {

// Characters a frame adds to its packet: the sequence digit and the checksum.
constexpr int Overhead = 5;

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR
// ("123456789": 29B1).
quint16 crc16(QByteArrayView bytes);

// The line for a packet, without its CR.
QByteArray frame(QByteArrayView packet, int sequence);

enum class Check
{
    Good,
    Empty,        // nothing between two line ends
    TooShort,     // fewer than the framing characters
    NotPrintable, // a byte outside printable ASCII
    BadSequence,  // the sequence digit is not an upper-case hex digit
    BadChecksum
};
// Takes a received line (without CR) apart into its packet text and sequence digit.
Check unframe(const QByteArray &line, QByteArray &packet, int &sequence);
// What is wrong with a line, in a few words for a message ("fails its checksum").
const char *describe(Check check);

// Splits a byte stream into lines, as both ends of the link read it: CR ends a line and LF is
// ignored. A line longer than any framed packet is not kept whole: its first bytes are, and it
// is marked too long when its CR arrives, so that no sender can fill the memory.
class LineSplitter
{
public:
    // Takes one byte; true when it ended a line, which line() and tooLong() then describe.
    bool push(char c)
    {
        if (m_ended) {
            m_line.clear();
            m_tooLong = m_ended = false;
        }
        if (c == '\n')
            return false;
        if (c == '\r')
            return m_ended = true;
        if (m_line.size() < Longest)
            m_line.append(c);
        else
            m_tooLong = true;
        return false;
    }
    const QByteArray &line() const { return m_line; }
    bool tooLong() const { return m_tooLong; }
    void reset()
    {
        m_line.clear();
        m_tooLong = m_ended = false;
    }

    static constexpr int Longest = 4096 + Overhead;

private:
    QByteArray m_line;
    bool m_tooLong = false;
    bool m_ended = false;
};

} // namespace Framing

} // namespace quvane
