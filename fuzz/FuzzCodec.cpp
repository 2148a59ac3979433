// The codec with its framing: a received line is unframed, then read field by field in an order
// the input itself chooses. Every malformed input must raise QuvaneError, nothing else.
#include "link/Framing.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the fields to read; the rest is the line.
    const uint8_t plan = data[0];
    const QByteArray line(reinterpret_cast<const char *>(data + 1),
                          static_cast<qsizetype>(size - 1));
    QByteArray packet;
    int sequence = 0;
    if (Framing::unframe(line, packet, sequence) == Framing::Check::Good) {
        // What was taken apart frames back to the same line.
        if (Framing::frame(packet, sequence) != line)
            __builtin_trap();
    } else {
        packet = line;
    }
    PacketBuffer buffer;
    buffer.SetReply(packet);
    try {
        for (int i = 0; i < 64; ++i) {
            switch (((plan >> ((i % 4) * 2)) ^ i) & 3) {
            case 0:
                buffer.GetString();
                break;
            case 1:
                buffer.GetSingle();
                break;
            case 2:
                buffer.GetLong();
                buffer.GetBoolean();
                break;
            default:
                buffer.GetByte();
                buffer.GetInteger();
                break;
            }
        }
    } catch (const QuvaneError &) {
    }
    // Whatever was read composes back to a packet the codec reads again.
    buffer.PutString(QString::fromLatin1(packet.left(255)));
    buffer.SetReply(buffer.GetCommand());
    if (buffer.GetString() != QString::fromLatin1(packet.left(255)))
        __builtin_trap();
    return 0;
}
