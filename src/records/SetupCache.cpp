#include "records/SetupCache.h"

#include "link/QuvaneError.h"

namespace quvane {

const QVSetup *SetupCache::setup(qint16 number)
{
    auto known = m_setups.find(number);
    if (known == m_setups.end()) {
        std::optional<QVSetup> read;
        try {
            read.emplace(*m_sensor);
            read->Read(number);
        } catch (const QuvaneError &) {
            read.reset();
        }
        known = m_setups.emplace(number, std::move(read)).first;
    }
    return known->second ? &*known->second : nullptr;
}

} // namespace quvane
