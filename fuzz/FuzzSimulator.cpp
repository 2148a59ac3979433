// The simulator's command handler: any command line gets a reply the codec can read (or a
// refusal), never a crash, and the kept state stays one the wire can carry.
#include "link/Framing.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "sim/SimInstrument.h"

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SimInstrument instrument = [] {
        SimInstrument sim;
        sim.seedDatalog(5);
        return sim;
    }();
    const QByteArray command(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const HandlerResult result = instrument.handle(command);
    for (char c : result.reply) {
        if (c < 0x20 || c > 0x7E)
            __builtin_trap(); // replies are printable ASCII
    }
    QByteArray packet;
    int sequence = 0;
    if (Framing::unframe(Framing::frame(result.reply, 7), packet, sequence) !=
            Framing::Check::Good ||
        packet != result.reply)
        __builtin_trap();
    // Only set-up writes, restores and the clock change what the state check looks at.
    if ((command.startsWith('P') || command.startsWith('X')) && !instrument.checkState().isEmpty())
        __builtin_trap();
    return 0;
}
