#include "store/SetupVerdicts.h"

#include "link/QuvaneError.h"
#include "records/DatalogRecord.h"
#include "records/QVSetup.h"
#include "records/SetupTolerance.h"
#include "store/HistoryStore.h"

#include <map>
#include <optional>

namespace quvane {

void SetupVerdicts::add(const DatalogRecord &record)
{
    m_records.append({record.number, record.taken, record.setupNumber, record.spectrum});
    ++m_count;
}

int SetupVerdicts::judge(SensorControl &sensor, HistoryStore &store,
                         const QString &instrument) const
{
    std::map<int, std::optional<QVSetup>> setups;
    QList<HistoryStore::SetupVerdict> verdicts;
    for (const Kept &record : m_records) {
        auto known = setups.find(record.setup);
        if (known == setups.end()) {
            std::optional<QVSetup> setup;
            try {
                setup.emplace(sensor);
                setup->Read(qint16(record.setup));
            } catch (const QuvaneError &) {
                setup.reset();
            }
            known = setups.emplace(record.setup, std::move(setup)).first;
        }
        if (!known->second)
            continue;
        if (const auto verdict = setupVerdict(*known->second, record.spectrum))
            verdicts.append({record.number, record.taken, int(*verdict)});
    }
    store.setSetupVerdicts(instrument, verdicts);
    return int(verdicts.size());
}

} // namespace quvane
