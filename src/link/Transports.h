#pragma once

#include "link/LinkOptions.h"
#include "link/Transport.h"

#include <memory>

namespace quvane {

// The transport a port string names, from a table tried in order: the in-process instrument
// ("sim"), TCP ("tcp://HOST:PORT"), and last the serial port, which takes any other name.
std::unique_ptr<Transport> makeTransport(const QString &port, const LinkOptions &options);

} // namespace quvane
