#include "link/Framing.h"

namespace quvane::Framing {

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

quint8 crc8(QByteArrayView bytes)
{
    quint8 crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<quint8>(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

QByteArray frame(QByteArrayView packet, int sequence)
{
    QByteArray line;
    line.reserve(packet.size() + 3);
    line.append(packet);
    line.append(HexDigits[sequence & 0xF]);
    const quint8 crc = crc8(line);
    line.append(HexDigits[crc >> 4]);
    line.append(HexDigits[crc & 0xF]);
    return line;
}

Check unframe(const QByteArray &line, QByteArray &packet, int &sequence)
{
    if (line.size() < 3)
        return Check::TooShort;
    const qsizetype body = line.size() - 2;
    sequence = hexValue(line.at(body - 1));
    if (sequence < 0)
        return Check::BadSequence;
    const int high = hexValue(line.at(body)), low = hexValue(line.at(body + 1));
    if (high < 0 || low < 0 || crc8(QByteArrayView(line).first(body)) != high * 16 + low)
        return Check::BadChecksum;
    packet = line.first(body - 1);
    return Check::Good;
}

} // namespace quvane::Framing
