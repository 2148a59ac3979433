#include "store/SetupVerdicts.h"

#include "records/DatalogRecord.h"
#include "records/SetupCache.h"
#include "records/SetupTolerance.h"
#include "store/HistoryStore.h"

namespace quvane {

void SetupVerdicts::add(const DatalogRecord &record)
{
    m_records.append({record.number, record.taken, record.setupNumber, record.spectrum});
    ++m_count;
}

int SetupVerdicts::judge(SensorControl &sensor, HistoryStore &store,
                         const QString &instrument) const
{
    SetupCache setups(sensor);
    QList<HistoryStore::SetupVerdict> verdicts;
    for (const Kept &record : m_records) {
        const QVSetup *setup = setups.setup(qint16(record.setup));
        if (!setup)
            continue;
        if (const auto verdict = setupVerdict(*setup, record.spectrum))
            verdicts.append({record.number, record.taken, int(*verdict)});
    }
    store.setSetupVerdicts(instrument, verdicts);
    return int(verdicts.size());
}

} // namespace quvane
