#pragma once

#include "link/PacketHandler.h"

#include <QString>

#include <functional>
#include <memory>

namespace quvane {

// How to reach the instrument. Each program's main() fills it in (from QUVANE_PORT and
// QUVANE_TRACE) and hands it to SensorControl::Connect.
struct LinkOptions
{
    // "sim" (an instrument in this process), "tcp://HOST:PORT" or a serial device. Empty: every
    // serial port is probed with the identify command and the first that answers is taken.
    QString port;
    // A file to append one line per exchange to; empty for none.
    QString tracePath;
    // The instrument "sim" connects to; without one, "sim" finds no instrument.
    std::function<std::shared_ptr<PacketHandler>()> inProcessInstrument;
};

} // namespace quvane
