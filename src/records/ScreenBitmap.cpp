#include "records/ScreenBitmap.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"

#include <QtEndian>

namespace quvane::ScreenBitmap {

namespace {

constexpr int Bands = 4;
constexpr int RowsPerBand = Side / Bands;

void put32(QByteArray &bytes, int at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put16(QByteArray &bytes, int at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

QByteArray header()
{
    QByteArray bytes(HeaderSize, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, FileSize);
    put32(bytes, 10, HeaderSize);
    put32(bytes, 14, 40);
    put32(bytes, 18, Side);
    put32(bytes, 22, Side);
    put16(bytes, 26, 1);
    put16(bytes, 28, 1);
    put32(bytes, 34, BitsSize);
    put32(bytes, 38, 5690);
    put32(bytes, 42, 5690);
    // Palette entry 0 stays black; entry 1 is white.
    bytes[58] = bytes[59] = bytes[60] = char(0xFF);
    return bytes;
}

QByteArray bottomUp(const QByteArray &topDownRows)
{
    QByteArray bits(BitsSize, '\0');
    for (int row = 0; row < Side; ++row)
        std::copy_n(topDownRows.constData() + row * RowBytes, RowBytes,
                    bits.data() + (Side - 1 - row) * RowBytes);
    return bits;
}

QByteArray readBits(SensorControl &sensor)
{
    QByteArray rows(BitsSize, '\0');
    for (int band = 0; band < Bands; ++band) {
        PacketBuffer packet;
        packet.PutText(QByteArrayView("S"));
        packet.PutByte(band);
        const QByteArray command = packet.GetCommand();
        QByteArray reply;
        try {
            reply = sensor.SendCommand(command);
        } catch (const QuvaneError &error) {
            // An instrument without the command shows as the black square.
            if (error.number() == ErrorNumber::InstrumentRefused)
                return QByteArray(BitsSize, '\0');
            throw;
        }
        packet.SetReply(reply);
        char *out = rows.data() + band * RowsPerBand * RowBytes;
        readReply(command, [&] {
            for (int i = 0; i < RowsPerBand * RowBytes; ++i)
                out[i] = static_cast<char>(packet.GetByte());
            expectEnd(packet, command);
        });
    }
    return bottomUp(rows);
}

} // namespace quvane::ScreenBitmap
