#pragma once

#include "link/PacketHandler.h"
#include "link/Transport.h"

#include <memory>

namespace quvane {

// Talks to an instrument living in this process, without bytes on any line.
class LoopbackTransport : public Transport
{
public:
    explicit LoopbackTransport(std::shared_ptr<PacketHandler> instrument);

    bool open(QString &errorText) override;
    void close() override;
    QByteArray exchange(const QByteArray &command, int timeoutMs) override;
    QString name() const override { return QStringLiteral("sim"); }

private:
    std::shared_ptr<PacketHandler> m_instrument;
    bool m_open = false;
};

} // namespace quvane
