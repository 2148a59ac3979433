#include "link/LoopbackTransport.h"

#include "link/LinkErrors.h"

#include <QThread>

namespace quvane {

LoopbackTransport::LoopbackTransport(std::shared_ptr<PacketHandler> instrument)
    : m_instrument(std::move(instrument))
{}

bool LoopbackTransport::open(QString &errorText)
{
    if (!m_instrument) {
        errorText = QStringLiteral("no in-process instrument is available");
        return false;
    }
    m_open = true;
    return true;
}

void LoopbackTransport::close()
{
    m_open = false;
}

QByteArray LoopbackTransport::exchange(const QByteArray &command, int timeoutMs)
{
    if (!m_open)
        throw linkLostError(command, QStringLiteral("the link is closed"));
    HandlerResult result = m_instrument->handle(command);
    switch (result.kind) {
    case HandlerResult::Kind::Drop:
        m_open = false;
        throw linkLostError(command, QStringLiteral("the instrument closed the connection"));
    case HandlerResult::Kind::Silent:
        // Nothing will ever arrive: there is no point waiting out the timeout in-process.
        throw timeoutError(command, timeoutMs);
    case HandlerResult::Kind::Reply:
        break;
    }
    if (result.delayMs > timeoutMs)
        throw timeoutError(command, timeoutMs);
    if (result.delayMs > 0)
        QThread::msleep(static_cast<unsigned long>(result.delayMs));
    // Without a line there is no checksum to catch the damage: the codec meets it in the last
    // field, which every reader reads.
    if (result.noise != LineNoise::None && !result.reply.isEmpty())
        result.reply[result.reply.size() - 1] = 'G';
    if (result.reply.size() > MaxPacketLength)
        throw overlongReplyError(command);
    return result.reply;
}

} // namespace quvane
