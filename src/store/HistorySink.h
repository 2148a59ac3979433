#pragma once

#include "records/Measurement.h"
#include "store/HistoryStore.h"
#include "transfer/DatalogSinks.h"

#include <QList>
#include <QString>

namespace quvane {

// Feeds a capture or a conversion into the history, a batch at a time, after the transfer's
// file has each record. A history that cannot be written never stops the transfer: the sink
// stops storing, keeps the error, and says how many records were stored and how many were not.
class HistorySink : public DatalogSink
{
public:
    static constexpr int BatchSize = 500;

    HistorySink(HistoryStore &store, MeasurementSource source, QString instrumentSerial = {});
    void add(const DatalogRecord &record) override;
    void finish() override;

    int added() const { return m_added; }
    int known() const { return m_known; }
    // The records that were not stored (the history's error ended the storing).
    int notStored() const { return count() - m_added - m_known; }
    // The error that ended the storing; empty when none did.
    const QString &error() const { return m_error; }

private:
    void flush();

    HistoryStore &m_store;
    MeasurementSource m_source;
    QString m_serial;
    QList<Measurement> m_batch;
    int m_added = 0, m_known = 0;
    QString m_error;
};

} // namespace quvane
