// The byte stream side of the link: the receiver that splits lines on CR (LF ignored), keeps
// no more than a framed packet and takes frames apart, and the simulated instrument's line
// consumer. Any bytes give lines no longer than a framed packet, frames that compose back to
// the line they came from, and one well-framed reply from the instrument for every line.
#include "link/Framing.h"
#include "sim/SimEndpoints.h"
#include "sim/SimInstrument.h"

#include <cstddef>
#include <cstdint>

using namespace quvane;

namespace {

class CollectingEndpoint : public SimEndpoint
{
public:
    using SimEndpoint::consume;
    using SimEndpoint::SimEndpoint;
    QByteArray written;

protected:
    void writeBytes(const QByteArray &bytes) override { written += bytes; }
    void dropLink() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SimInstrument instrument = [] {
        SimInstrument sim;
        sim.seedDatalog(5);
        return sim;
    }();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    Framing::LineSplitter lines;
    int ended = 0;
    for (char c : bytes) {
        if (!lines.push(c))
            continue;
        ++ended;
        const QByteArray &line = lines.line();
        if (line.size() > Framing::LineSplitter::Longest || line.contains('\r') ||
            line.contains('\n'))
            __builtin_trap();
        QByteArray packet;
        int sequence = -1;
        if (Framing::unframe(line, packet, sequence) == Framing::Check::Good &&
            (Framing::frame(packet, sequence) != line || sequence < 0 || sequence > 15))
            __builtin_trap();
    }

    // The instrument answers each line with exactly one good frame.
    CollectingEndpoint endpoint(instrument);
    endpoint.consume(bytes);
    Framing::LineSplitter replies;
    int answered = 0;
    for (char c : endpoint.written) {
        if (!replies.push(c))
            continue;
        ++answered;
        QByteArray packet;
        int sequence = -1;
        if (replies.tooLong() ||
            Framing::unframe(replies.line(), packet, sequence) != Framing::Check::Good)
            __builtin_trap();
    }
    if (answered != ended || !endpoint.written.endsWith('\r') != (ended == 0))
        __builtin_trap();
    return 0;
}
