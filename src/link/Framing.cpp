#include "link/Framing.h"

#include "link/Transport.h"

namespace quvane::Framing {

static_assert(LineSplitter::Longest == MaxPacketLength + Overhead);

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

quint16 crc16(QByteArrayView bytes)
{
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= static_cast<quint16>(static_cast<quint8>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<quint16>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

QByteArray frame(QByteArrayView packet, int sequence)
{
    QByteArray line;
    line.reserve(packet.size() + Overhead);
    line.append(packet);
    line.append(HexDigits[sequence & 0xF]);
    const quint16 crc = crc16(line);
    for (int shift = 12; shift >= 0; shift -= 4)
        line.append(HexDigits[(crc >> shift) & 0xF]);
    return line;
}

Check unframe(const QByteArray &line, QByteArray &packet, int &sequence)
{
    if (line.isEmpty())
        return Check::Empty;
    for (char c : line) {
        if (c < 0x20 || c > 0x7E)
            return Check::NotPrintable;
    }
    if (line.size() < Overhead)
        return Check::TooShort;
    const qsizetype body = line.size() - 4;
    sequence = hexValue(line.at(body - 1));
    if (sequence < 0)
        return Check::BadSequence;
    int crc = 0;
    for (qsizetype i = body; i < line.size(); ++i) {
        const int digit = hexValue(line.at(i));
        if (digit < 0)
            return Check::BadChecksum;
        crc = crc * 16 + digit;
    }
    if (crc16(QByteArrayView(line).first(body)) != crc)
        return Check::BadChecksum;
    packet = line.first(body - 1);
    return Check::Good;
}

const char *describe(Check check)
{
    switch (check) {
    case Check::Good:
        break;
    case Check::Empty:
        return "is an empty line";
    case Check::TooShort:
        return "is too short to hold a sequence digit and a checksum";
    case Check::NotPrintable:
        return "holds a character that is not printable ASCII";
    case Check::BadSequence:
        return "has no sequence digit";
    case Check::BadChecksum:
        return "fails its checksum";
    }
    return "is a good frame";
}

} // namespace quvane::Framing
