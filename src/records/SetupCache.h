#pragma once

#include "records/QVSetup.h"

#include <map>
#include <optional>

class SensorControl;

namespace quvane {

// The product set-ups of the connected instrument, each read once when first asked for; one
// that cannot be read (a link error, a set-up refused) is none, and is not asked for again.
class SetupCache
{
public:
    explicit SetupCache(SensorControl &sensor) : m_sensor(&sensor) {}
    const QVSetup *setup(qint16 number);

private:
    SensorControl *m_sensor;
    std::map<qint16, std::optional<QVSetup>> m_setups;
};

} // namespace quvane
