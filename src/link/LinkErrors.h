#pragma once

#include "link/QuvaneError.h"

#include <QByteArray>

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

} // namespace quvane
