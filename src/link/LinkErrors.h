#pragma once

#include "link/QuvaneError.h"

#include <QByteArray>

#include <utility>

class PacketBuffer;

namespace quvane {

// The errors a link raises, each naming the command it happened on.
QuvaneError timeoutError(const QByteArray &command, int timeoutMs);
QuvaneError linkLostError(const QByteArray &command, const QString &reason);
QuvaneError overlongReplyError(const QByteArray &command);
// A reply that is not a packet: why, in a few words ("fails its checksum").
QuvaneError malformedReplyError(const QByteArray &command, const QString &why);
QuvaneError refusedError(const QByteArray &command, int code);

// The command as shown in messages: quoted, and cut short when long.
QString commandForMessage(const QByteArray &command);

// A reply read to its last field: characters after it mean it answers another command.
void expectEnd(const PacketBuffer &packet, const QByteArray &command);
// A reply names the record or set-up it holds (`what`, numbered from 1): another one than the
// command asked for is another command's reply.
void expectEcho(const QByteArray &command, const char *what, qint64 asked, qint64 got);

// Reads a reply of the link with `read`. A reply that does not read as an answer to its command
// (cut short, a field that does not decode, characters after its fields, another record's) came
// whole through the line's checksum, so it is the reply to something else: a line error, which
// sending the command again may well mend, never data.
template <class Read> decltype(auto) readReply(const QByteArray &command, Read &&read)
{
    try {
        return std::forward<Read>(read)();
    } catch (const QuvaneError &error) {
        if (error.number() != ErrorNumber::MalformedPacket || error.isLineError())
            throw;
        throw QuvaneError::lineError(QStringLiteral("%1 (the reply to %2)")
                                         .arg(error.description(), commandForMessage(command)));
    }
}

} // namespace quvane
