#pragma once

#include "colour/Colorimetry.h"
#include "transfer/DatalogSinks.h"

#include <QDateTime>
#include <QList>

class SensorControl;

namespace quvane {

class HistoryStore;

// A capture's further sink that keeps what judging its records needs; after the transfer,
// judge() reads each product set-up the records name, once, through the sensor (after the
// datalog's own exchanges), judges each record against it and stores the verdicts beside the
// records in the history. A set-up that cannot be read leaves its records unjudged; a history
// that cannot be written raises HistoryError.
class SetupVerdicts : public DatalogSink
{
public:
    void add(const DatalogRecord &record) override;
    // How many records were judged.
    int judge(SensorControl &sensor, HistoryStore &store, const QString &instrument) const;

private:
    struct Kept
    {
        qint64 number;
        QDateTime taken;
        int setup;
        Colour::Spectrum spectrum;
    };
    QList<Kept> m_records;
};

} // namespace quvane
