#pragma once

#include "records/Measurement.h"
#include "store/HistoryLocation.h"
#include "store/Standard.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QVariant>

#include <memory>
#include <optional>

struct sqlite3;

namespace quvane {

// Who stores: the station's host name and the operator's login, given by the front end.
struct Station
{
    QString host;
    QString login;
};

// A measurement as the history holds it.
struct StoredMeasurement
{
    qint64 id = 0;
    QDateTime stored; // by the storing station's clock
    QString station;
    QString operatorLogin;
    Measurement value;
};

// Which measurements a listing gives, newest first (by the instrument's time, then the order
// they were stored in).
struct HistoryFilter
{
    // Every member has its default here, so that a filter is written with the members it
    // sets alone ({.product = "Navy", .limit = 100}).
    QDateTime since = {}, until = {}; // inclusive; invalid: no bound
    QString product = {};             // the set-up's name, exactly
    QString samplePattern = {};       // shell-style: * and ? (and [...]) over the sample ID
    QString instrument = {};          // a serial
    QString station = {};             // the storing station's host name
    std::optional<MeasurementSource> source = {};
    int limit = 0; // 0: all
    // The page after a row: only what comes after it in the listing's order (by time).
    std::optional<std::pair<QDateTime, qint64>> after = {};
    // Another order than the newest first, and the rows it skips (a window's pages).
    enum class Order
    {
        Taken,
        Product,
        SampleId,
        Source,
        Record,
        Setup,
        Instrument,
        Station
    };
    Order order = Order::Taken;
    bool descending = true;
    int offset = 0;
};

// Failures planted in the history's writes, for tests.
struct HistoryFaults
{
    int failBatch = 0; // the add() call, counted from 1, whose statement fails
};

// The history of measurements: an SQLite file (created on first use, in WAL mode) or a
// PostgreSQL database, of a versioned schema migrated on open (docs/store.md). Every method
// raises HistoryError; nothing here shows a message or reads the environment.
//
// A measurement is the same as one already held when its instrument time, datalog record number
// and sample ID are the same and the instruments are the same or either is not known (a
// DATALOG.QV3 or a delimited file names none); such a measurement adds nothing. Writers are
// serialised (SQLite's write lock, a PostgreSQL advisory lock), so that stations storing at
// once duplicate nothing.
class HistoryStore
{
public:
    static constexpr int SchemaVersion = 7;
    // How long a write waits for another station's before it is refused as busy.
    static constexpr int BusyTimeoutMs = 10000;

    HistoryStore(const HistoryLocation &location, Station station, HistoryFaults faults = {});
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    const HistoryLocation &location() const { return m_location; }
    int schemaVersion() const;

    // Notes the instrument's model and firmware under its serial (the first ones seen are kept
    // and the latest firmware).
    void noteInstrument(const QString &serial, const QString &model, const QString &firmware);

    struct Added
    {
        int added = 0; // new measurements
        int known = 0; // measurements the history held already
    };
    // Stores a batch in one transaction: all of it or, on an error, none of it.
    Added add(const QList<Measurement> &batch);

    // The program's verdicts on datalog records of an instrument against their set-ups, by
    // record number and time (records that name no instrument match too), in one transaction.
    struct SetupVerdict
    {
        qint64 record;
        QDateTime taken;
        int verdict; // Colour::Verdict
    };
    void setSetupVerdicts(const QString &instrument, const QList<SetupVerdict> &verdicts);

    QList<StoredMeasurement> list(const HistoryFilter &filter) const;
    // What a trend needs of each measurement the filter selects, read faster than all of it.
    struct SpectrumRow
    {
        qint64 id;
        QDateTime taken;
        Colour::Spectrum spectrum;
    };
    QList<SpectrumRow> spectra(const HistoryFilter &filter) const;
    std::optional<StoredMeasurement> find(qint64 id) const;
    qint64 count() const;
    // Deletes the measurements; how many there were.
    int remove(const QList<qint64> &ids);

    // The standards, by name (which is unique: adding a name held raises).
    void addStandard(const Standard &standard);
    QList<Standard> standards() const;
    std::optional<Standard> standard(const QString &name) const;
    // Raise NotFound for a name the history does not hold.
    void renameStandard(const QString &name, const QString &newName);
    void setTolerance(const QString &name, const Colour::ToleranceSet &tolerance);
    // Marks the standard as a verification tile with its certificate, or not (which clears
    // the certificate).
    void setVerification(const QString &name, bool tile, const QString &certificate);
    // When the instrument was last checked: the time of its newest measurement whose sample ID
    // is the name of a verification tile; none when it never was.
    std::optional<QDateTime> lastCheck(const QString &instrument) const;
    void removeStandard(const QString &name);

private:
    void open();
    void migrate();
    int readVersion() const;
    void begin();
    void commit();
    void rollback() noexcept;
    template <typename Take>
    void select(const HistoryFilter &filter, const QString &columns, Take take) const;
    // SQLite's own connection under Qt's driver.
    sqlite3 *sqliteHandle() const;
    // SQLite: the batch through its own prepared statement, bound value by value.
    Added addToSqlite(const QList<Measurement> &batch);
    Added addToPostgres(const QList<Measurement> &batch);
    // Sets columns of a standard, which counts as a revision.
    void changeStandard(const QString &name, const QList<std::pair<QString, QVariant>> &values);

    HistoryLocation m_location;
    Station m_station;
    HistoryFaults m_faults;
    QString m_connection;
    int m_batches = 0;
    QTimeZone m_zone = QTimeZone::systemTimeZone(); // of the times read
    struct SqliteInsert;
    std::unique_ptr<SqliteInsert> m_sqliteInsert;
};

// The source's name in the history and in listings: live, capture, conversion, import.
QString sourceName(MeasurementSource source);
std::optional<MeasurementSource> sourceFromName(const QString &name);

} // namespace quvane
