#pragma once

#include <QByteArray>

namespace quvane {

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
    QByteArray reply;     // without the trailing CR
    int delayMs = 0;      // time the bytes would take on the line, when throttled
    bool garbled = false; // the reply is damaged on its way (a fault)

    static HandlerResult answer(QByteArray text, int delayMs = 0)
    {
        return {Kind::Reply, std::move(text), delayMs, false};
    }
    static HandlerResult silent() { return {Kind::Silent, {}, 0, false}; }
    static HandlerResult drop() { return {Kind::Drop, {}, 0, false}; }
};

class PacketHandler
{
public:
    virtual ~PacketHandler() = default;
    virtual HandlerResult handle(const QByteArray &command) = 0;
};

} // namespace quvane
