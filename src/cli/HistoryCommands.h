#pragma once

#include "cli/MeasureCommand.h"
#include "records/Measurement.h"
#include "store/HistoryLocation.h"
#include "store/HistoryStore.h"
#include "transfer/TextFormat.h"

#include <QStringList>

#include <memory>

#include <optional>

class QCommandLineParser;
class SensorControl;

namespace quvane {

class DatalogSink;
class HistorySink;
class SetupVerdicts;
class TransferProgress;

// What the history commands, and the commands that store, run with.
struct HistoryRun
{
    // Where the history is; none when the preferences or --no-history keep it off.
    std::optional<HistoryLocation> location;
    Station station;
    const TextFormat &text;        // the locale's numbers and dates, for a delimited file
    const MeasureOptions &measure; // history show: the colour values asked for
};

// The history the run names, opened; none, with the error, when it is off or cannot be opened.
std::unique_ptr<HistoryStore> openStore(const HistoryRun &run, QString &error);

// quvane history import FILE...: capture files of any delimiter (with or without the heading),
// their CGATS, and DATALOG.QV3 files.
int importHistory(const HistoryRun &run, const QStringList &files, TransferProgress &progress);
// quvane history list [filters] [--format text|csv|cgats], or --format xlsx FILE.
int listHistory(const HistoryRun &run, const QCommandLineParser &parser, const QString &file = {});
int showHistory(const HistoryRun &run, const QString &id);
int deleteHistory(const HistoryRun &run, const QStringList &ids, bool confirmed);

// quvane standard add NAME (from --measurement ID, a CGATS --file, or a set-up read before),
// list, show NAME, rename OLD NEW, remove NAME.
int addStandard(const HistoryRun &run, const QString &name, const QCommandLineParser &parser,
                const std::optional<Standard> &fromSetup);
int listStandards(const HistoryRun &run);
int showStandard(const HistoryRun &run, const QString &name);
int renameStandard(const HistoryRun &run, const QString &name, const QString &newName);
// Marks the standard as a verification tile with its certificate, or (tile false) not.
int markVerification(const HistoryRun &run, const QString &name, bool tile,
                     const QString &certificate);
int removeStandard(const HistoryRun &run, const QString &name);

// The filters of history list and report (--since, --until, --product, --sample, --instrument,
// --source, --limit), and what they select in words.
HistoryFilter historyFilter(const QCommandLineParser &parser);
// A date as the filters take it: 2026-12-06 or 2026-12-06T14:30[:00]. A date alone is its first
// moment or (endOfDay) its last.
QDateTime filterTime(const QString &text, bool endOfDay);
QString filterText(const QCommandLineParser &parser);

// A usage error of history list's filters, or nothing.
QString checkHistoryFilters(const QCommandLineParser &parser);

// The history a capture, conversion or measurement stores into, opened before it starts: the
// transfer's further sink. Whatever goes wrong with the history never stops the command; what
// was not stored is said after it, as one line, and makes the exit status 1.
class StoringCommand
{
public:
    StoringCommand(const HistoryRun &run, MeasurementSource source, QString instrumentSerial = {});
    ~StoringCommand();

    // The sinks for the transfer: the history's, or none.
    QList<DatalogSink *> sinks();
    // After a capture: reads each set-up the stored records name, once, through the sensor,
    // and stores the program's verdict on each record against it. A set-up that cannot be read
    // leaves its records unjudged.
    void judgeBySetups(SensorControl &sensor);
    void store(const Measurement &measurement);
    void noteInstrument(const QString &serial, const QString &model, const QString &firmware);
    // Says what was not stored of the `transferred` records (and how to add them later from the
    // file) and returns the exit status: status as given when everything was stored.
    int finish(int status, int transferred, const QString &file = {});

private:
    const HistoryRun &m_run;
    MeasurementSource m_source;
    QString m_instrument;
    std::unique_ptr<HistoryStore> m_store;
    std::unique_ptr<HistorySink> m_sink;
    std::unique_ptr<SetupVerdicts> m_judged; // what judgeBySetups() needs of each record
    QString m_error;
    int m_notStored = 0;
};

} // namespace quvane
