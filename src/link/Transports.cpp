#include "link/Transports.h"

#include "link/DeviceTransport.h"
#include "link/LoopbackTransport.h"

#include <QUrl>

namespace quvane {

namespace {

struct TransportKind
{
    bool (*names)(const QString &port);
    std::unique_ptr<Transport> (*make)(const QString &port, const LinkOptions &options);
};

const TransportKind Kinds[] = {
    {[](const QString &port) { return port == QLatin1String("sim"); },
     [](const QString &, const LinkOptions &options) -> std::unique_ptr<Transport> {
         return std::make_unique<LoopbackTransport>(
             options.inProcessInstrument ? options.inProcessInstrument() : nullptr);
     }},
    {[](const QString &port) { return port.startsWith(QLatin1String("tcp://")); },
     [](const QString &port, const LinkOptions &) -> std::unique_ptr<Transport> {
         const QUrl url(port);
         return std::make_unique<TcpTransport>(url.host(), static_cast<quint16>(url.port(0)));
     }},
    // Last: any other name is a serial device.
    {[](const QString &) { return true; },
     [](const QString &port, const LinkOptions &) -> std::unique_ptr<Transport> {
         return std::make_unique<SerialTransport>(port);
     }},
};

} // namespace

std::unique_ptr<Transport> makeTransport(const QString &port, const LinkOptions &options)
{
    for (const TransportKind &kind : Kinds) {
        if (kind.names(port))
            return kind.make(port, options);
    }
    return nullptr; // not reached: the serial kind takes every name
}

} // namespace quvane
