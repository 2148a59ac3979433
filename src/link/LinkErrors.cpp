#include "link/LinkErrors.h"

#include "link/PacketBuffer.h"
#include "link/Transport.h"

namespace quvane {

QString commandForMessage(const QByteArray &command)
{
    constexpr int shown = 24;
    if (command.size() <= shown)
        return QStringLiteral("\"%1\"").arg(QString::fromLatin1(command));
    return QStringLiteral("\"%1...\"").arg(QString::fromLatin1(command.left(shown)));
}

QuvaneError timeoutError(const QByteArray &command, int timeoutMs)
{
    return QuvaneError(ErrorNumber::CommunicationsTimeout,
                       QStringLiteral("Communications timeout: no reply to %1 within %2 s")
                           .arg(commandForMessage(command))
                           .arg(timeoutMs / 1000.0));
}

QuvaneError linkLostError(const QByteArray &command, const QString &reason)
{
    return QuvaneError(
        ErrorNumber::LinkLost,
        QStringLiteral("Link lost while sending %1: %2").arg(commandForMessage(command), reason));
}

QuvaneError overlongReplyError(const QByteArray &command)
{
    return QuvaneError(ErrorNumber::MalformedPacket,
                       QStringLiteral("Malformed packet: the reply to %1 is longer than %2 "
                                      "characters")
                           .arg(commandForMessage(command))
                           .arg(MaxPacketLength));
}

QuvaneError malformedReplyError(const QByteArray &command, const QString &why)
{
    return QuvaneError(ErrorNumber::MalformedPacket,
                       QStringLiteral("Malformed packet: the reply to %1 %2")
                           .arg(commandForMessage(command), why));
}

QuvaneError refusedError(const QByteArray &command, int code)
{
    return QuvaneError(ErrorNumber::InstrumentRefused,
                       QStringLiteral("The instrument refused %1 (code %2)")
                           .arg(commandForMessage(command))
                           .arg(code));
}

void expectEnd(const PacketBuffer &packet, const QByteArray &command)
{
    const qsizetype after = packet.reply().size() - packet.position();
    if (after > 0)
        throw QuvaneError::lineError(QStringLiteral("Malformed packet: the reply to %1 has %2 "
                                                    "characters after its fields, from "
                                                    "character %3")
                                         .arg(commandForMessage(command))
                                         .arg(after)
                                         .arg(packet.position() + 1));
}

void expectEcho(const QByteArray &command, const char *what, qint64 asked, qint64 got)
{
    if (asked != got)
        throw QuvaneError::lineError(
            QStringLiteral("Malformed packet: the reply to %1 holds %2 %3, not %2 %4")
                .arg(commandForMessage(command), QLatin1String(what))
                .arg(got)
                .arg(asked));
}

} // namespace quvane
