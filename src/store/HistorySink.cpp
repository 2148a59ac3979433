#include "store/HistorySink.h"

#include "store/HistoryError.h"

namespace quvane {

HistorySink::HistorySink(HistoryStore &store, MeasurementSource source, QString instrumentSerial)
    : m_store(store), m_source(source), m_serial(std::move(instrumentSerial))
{
    m_batch.reserve(BatchSize);
}

void HistorySink::add(const DatalogRecord &record)
{
    ++m_count;
    if (!m_error.isEmpty())
        return;
    m_batch.append(Measurement::fromDatalog(record, m_source, m_serial));
    if (m_batch.size() == BatchSize)
        flush();
}

void HistorySink::finish()
{
    if (m_error.isEmpty())
        flush();
}

void HistorySink::flush()
{
    if (m_batch.isEmpty())
        return;
    try {
        const HistoryStore::Added added = m_store.add(m_batch);
        m_added += added.added;
        m_known += added.known;
    } catch (const HistoryError &error) {
        m_error = error.message();
    }
    m_batch.clear();
}

} // namespace quvane
