#pragma once

#include <QByteArray>

namespace quvane {

// Damage a reply meets on its way to the program (a fault the simulated instrument injects). On
// a line each kind damages the frame its own way; without a line, the packet text is damaged.
enum class LineNoise
{
    None,
    Checksum,    // a character changed after framing
    EmptyLine,   // a stray CR before the reply
    Short,       // the line cut after two characters
    LeadingNul,  // NUL bytes before the reply
    Overlong,    // a line longer than any framed packet
    BadSequence, // the sequence digit changed to one that is not a hex digit
};

// What an instrument does with one command packet. Implemented by the simulated instrument;
// the loopback transport and the simulator's servers both drive it.
struct HandlerResult
{
    enum class Kind
    {
        Reply,
        Silent,
        Drop
    };
    Kind kind = Kind::Reply;
    QByteArray reply;                  // without the trailing CR
    int delayMs = 0;                   // time the bytes would take on the line, when throttled
    LineNoise noise = LineNoise::None; // damage on the way (a fault)
    bool held = false; // sent only when the next command arrives (a fault: a reply too late)

    static HandlerResult answer(QByteArray text, int delayMs = 0)
    {
        return {Kind::Reply, std::move(text), delayMs, LineNoise::None, false};
    }
    static HandlerResult silent() { return {Kind::Silent, {}, 0, LineNoise::None, false}; }
    static HandlerResult drop() { return {Kind::Drop, {}, 0, LineNoise::None, false}; }
};

class PacketHandler
{
public:
    virtual ~PacketHandler() = default;
    virtual HandlerResult handle(const QByteArray &command) = 0;
};

} // namespace quvane
