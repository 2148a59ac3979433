#include "link/PacketBuffer.h"
#include "records/DatalogRecord.h"
#include "sim/SimInstrument.h"
#include "store/HistoryError.h"
#include "store/HistorySink.h"
#include "store/HistoryStore.h"
#include "support/PostgresServer.h"
#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

#include <csignal>
#include <unistd.h>

using namespace quvane;

namespace {

enum class Backend
{
    SQLite,
    PostgreSQL
};

// Every case runs against an SQLite file and against a database of the private PostgreSQL
// server the tests start.
class HistoryTest : public ::testing::Test
{
protected:
    explicit HistoryTest(Backend backend) : backend(backend) {}

    void SetUp() override
    {
        if (backend == Backend::PostgreSQL) {
            PostgresServer *server = PostgresServer::instance();
            if (!server)
                GTEST_SKIP() << "PostgreSQL: " << PostgresServer::skipReason().toStdString();
            locationText = server->newDatabase();
        } else {
            locationText = dir.filePath(QStringLiteral("h/history.sqlite"));
        }
        location = HistoryLocation::parse(locationText);
        sim.seedDatalog(40);
    }

    std::unique_ptr<HistoryStore> open(HistoryFaults faults = {})
    {
        return std::make_unique<HistoryStore>(location, Station{"bench-1", "ana"}, faults);
    }

    // The simulator's datalog records as a capture decodes them.
    QList<Measurement> records(int from, int to, MeasurementSource source, const QString &serial)
    {
        QList<Measurement> list;
        for (int i = from; i < to; ++i) {
            PacketBuffer packet;
            packet.SetReply(sim.captureLine(i));
            list << Measurement::fromDatalog(DatalogRecord::decode(packet), source, serial);
        }
        return list;
    }

    // A statement run on the history's own database, beside the store.
    void sql(const QString &statement)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(
                location.kind == HistoryLocation::Kind::SQLite ? "QSQLITE" : "QPSQL", "raw");
            db.setDatabaseName(location.kind == HistoryLocation::Kind::SQLite ? location.path
                                                                              : location.database);
            db.setHostName(location.host);
            db.setUserName(location.user);
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
        }
        QSqlDatabase::removeDatabase("raw");
    }

    // quvane, storing into this history.
    std::unique_ptr<QProcess> quvane(const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUVANE_HISTORY"), locationText);
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(QUVANE_PATH), arguments);
        return process;
    }

    const Backend backend;
    QTemporaryDir dir;
    QString locationText;
    HistoryLocation location;
    SimInstrument sim;
};

class StoreTest : public HistoryTest, public ::testing::WithParamInterface<Backend>
{
protected:
    StoreTest() : HistoryTest(GetParam()) {}
};

class PostgresHistoryTest : public HistoryTest
{
protected:
    PostgresHistoryTest() : HistoryTest(Backend::PostgreSQL) {}
};

class SqliteHistoryTest : public HistoryTest
{
protected:
    SqliteHistoryTest() : HistoryTest(Backend::SQLite) {}
};

TEST_P(StoreTest, KeepsEveryFieldAndAddsAMeasurementOnce)
{
    auto store = open();
    EXPECT_EQ(store->schemaVersion(), HistoryStore::SchemaVersion);
    Measurement live;
    live.source = MeasurementSource::Live;
    live.taken = QDateTime(QDate(2026, 12, 6), QTime(9, 30, 15, 250));
    live.instrumentSerial = "QV-1234";
    live.setupNumber = 7;
    // Texts with what a statement or a COPY must escape.
    live.product = "Tomato \\ red 'O\u00e9'";
    live.sampleId = "Batch\t12\r\n";
    live.isStandard = true;
    for (size_t i = 0; i < live.spectrum.size(); ++i)
        live.spectrum[i] = 3.0625f + float(i) * 2.5f;
    live.displayMode = 2;
    live.illuminant = 4;
    live.observer = 1;
    live.colorScale = 3;
    live.colorIndex = 5;
    live.scaleData = {41.25f, -3.5f, 27.125f};
    live.indexData = 12.75f;
    live.passFail = 0;
    live.readings = 3;
    Measurement other = live;
    other.passFail.reset();
    other.sampleId = "Batch 13";

    const HistoryStore::Added first = store->add({live, other});
    EXPECT_EQ(std::pair(first.added, first.known), std::pair(2, 0));
    const HistoryStore::Added again = store->add({live});
    EXPECT_EQ(std::pair(again.added, again.known), std::pair(0, 1));
    ASSERT_EQ(store->count(), 2);

    const QList<StoredMeasurement> rows = store->list({});
    ASSERT_EQ(rows.size(), 2);
    const StoredMeasurement &row = rows[0].value.sampleId == live.sampleId ? rows[0] : rows[1];
    const Measurement &m = row.value;
    EXPECT_EQ(std::tuple(m.source, m.taken, m.instrumentSerial, m.setupNumber, m.product,
                         m.sampleId, m.isStandard, m.spectrum),
              std::tuple(live.source, live.taken, live.instrumentSerial, live.setupNumber,
                         live.product, live.sampleId, live.isStandard, live.spectrum));
    EXPECT_EQ(std::tuple(m.displayMode, m.illuminant, m.observer, m.colorScale, m.colorIndex,
                         m.scaleData, m.indexData, m.passFail, m.readings),
              std::tuple(2, 4, 1, 3, 5, live.scaleData, 12.75f, std::optional<int>(0), 3));
    EXPECT_EQ(std::tuple(row.station, row.operatorLogin), std::tuple("bench-1", "ana"));
    EXPECT_LE(std::abs(row.stored.secsTo(QDateTime::currentDateTime())), 60);
    const StoredMeasurement &second = &row == &rows[0] ? rows[1] : rows[0];
    EXPECT_EQ(second.value.passFail, std::nullopt);
    ASSERT_TRUE(store->find(row.id));
    EXPECT_EQ(store->find(row.id)->value.sampleId, live.sampleId);
    EXPECT_FALSE(store->find(row.id + 1000));

    EXPECT_EQ(store->remove({row.id, row.id + 1000}), 1);
    EXPECT_EQ(store->count(), 1);
}

TEST_P(StoreTest, ARecaptureOrAConversionOfTheSameDatalogAddsNothing)
{
    auto store = open();
    // Captured from the instrument (its serial known), then the same records from its
    // DATALOG.QV3 (no serial) with ten more, then the capture again: the ten are the same
    // records as the conversion's.
    EXPECT_EQ(store->add(records(0, 30, MeasurementSource::Capture, "QV-1")).added, 30);
    const HistoryStore::Added converted =
        store->add(records(0, 40, MeasurementSource::Conversion, {}));
    EXPECT_EQ(std::pair(converted.added, converted.known), std::pair(10, 30));
    const HistoryStore::Added again =
        store->add(records(0, 40, MeasurementSource::Capture, "QV-1"));
    EXPECT_EQ(std::pair(again.added, again.known), std::pair(0, 40));
    // Another instrument's records at the same times are other measurements.
    EXPECT_EQ(store->add(records(0, 5, MeasurementSource::Capture, "QV-2")).added, 5);
    EXPECT_EQ(store->count(), 45);
}

TEST_P(StoreTest, ListsNewestFirstWithItsFiltersAndPages)
{
    auto store = open();
    QList<Measurement> batch = records(0, 40, MeasurementSource::Capture, "QV-1");
    for (int i = 0; i < batch.size(); ++i) {
        batch[i].product = i % 2 ? "Ivory" : "Navy";
        batch[i].sampleId = QStringLiteral("%1-%2").arg(i % 3 ? "lot" : "Lot").arg(i);
    }
    batch[3].source = MeasurementSource::Import;
    batch[4].instrumentSerial = "QV-9";
    store->add(batch);

    const auto ids = [&](const HistoryFilter &filter) {
        QList<int> records;
        for (const StoredMeasurement &row : store->list(filter))
            records << int(row.value.recordNumber);
        return records;
    };
    EXPECT_EQ(ids({.limit = 3}), (QList<int>{40, 39, 38}));
    EXPECT_EQ(ids({.product = "Ivory", .limit = 2}), (QList<int>{40, 38}));
    // Shell-style and case-sensitive: Lot-* is every third record from record 1.
    EXPECT_EQ(ids({.samplePattern = "Lot-?", .limit = 10}), (QList<int>{10, 7, 4, 1}));
    EXPECT_EQ(ids({.samplePattern = "lot-3[0-2]"}), (QList<int>{33, 32}));
    EXPECT_EQ(ids({.instrument = "QV-9"}), QList<int>{5});
    EXPECT_EQ(ids({.source = MeasurementSource::Import}), QList<int>{4});
    const QDateTime t10 = batch[9].taken, t12 = batch[11].taken;
    EXPECT_EQ(ids({.since = t10, .until = t12}), (QList<int>{12, 11, 10}));
    // The page after a row goes on from it.
    const QList<StoredMeasurement> page = store->list({.limit = 5});
    EXPECT_EQ(ids({.limit = 2, .after = std::pair(page.last().value.taken, page.last().id)}),
              (QList<int>{35, 34}));
}

TEST_P(StoreTest, AFailedBatchStoresNothingAndTheSinkSaysWhatWasNotStored)
{
    {
        auto store = open({.failBatch = 2});
        HistorySink sink(*store, MeasurementSource::Capture, "QV-1");
        for (const QByteArray &line : [&] {
                 QList<QByteArray> lines;
                 for (int i = 0; i < 40; ++i)
                     lines << sim.captureLine(i);
                 return lines;
             }()) {
            PacketBuffer packet;
            packet.SetReply(line);
            sink.add(DatalogRecord::decode(packet));
            if (sink.count() == 10)
                sink.finish(); // the first batch
        }
        sink.finish();
        EXPECT_EQ(std::tuple(sink.count(), sink.added(), sink.notStored()), std::tuple(40, 10, 30));
        EXPECT_TRUE(holds(sink.error(), "planted failure")) << sink.error();
        EXPECT_EQ(store->count(), 10);
    }
    // A newer program's history is refused, not changed.
    sql("UPDATE schema_version SET version = 99");
    try {
        open();
        ADD_FAILURE() << "a newer schema was opened";
    } catch (const HistoryError &error) {
        EXPECT_EQ(error.cause(), HistoryError::Cause::Newer);
        EXPECT_TRUE(holds(error.message(), "newer version")) << error.message();
    }
}

// Two programs importing the same DATALOG.QV3 at once (into a history neither has made yet)
// store each record once; a program killed while it imports leaves a history that opens and
// holds whole batches only.
TEST_P(StoreTest, ProgramsStoringAtOnceOrKilledLoseAndDuplicateNothing)
{
    SimInstrument full(SimIdentity{}, 7);
    full.seedDatalog(800);
    QString error;
    QDir().mkpath(dir.filePath(QStringLiteral("usb")));
    ASSERT_TRUE(full.exportDatalog(dir.filePath(QStringLiteral("usb")), error))
        << error.toStdString();
    const QString file = dir.filePath(QStringLiteral("usb/DATALOG.QV3"));
    auto first = quvane({"history", "import", file});
    auto second = quvane({"history", "import", file});
    int added = 0;
    for (QProcess *process : {first.get(), second.get()}) {
        ASSERT_TRUE(process->waitForFinished(60000));
        const QString said = QString::fromLocal8Bit(process->readAllStandardError());
        EXPECT_EQ(process->exitCode(), 0) << said.toStdString();
        const QRegularExpressionMatch counts =
            QRegularExpression(QStringLiteral("800 records, (\\d+) new")).match(said);
        ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
        added += counts.captured(1).toInt();
    }
    EXPECT_EQ(added, 800);
    EXPECT_EQ(open()->count(), 800);

    open()->remove([&] {
        QList<qint64> ids;
        for (const StoredMeasurement &row : open()->list({}))
            ids << row.id;
        return ids;
    }());
    auto killed = quvane({"history", "import", file});
    ASSERT_TRUE(killed->waitForStarted());
    QThread::msleep(60);
    ::kill(pid_t(killed->processId()), SIGKILL);
    killed->waitForFinished();
    const qint64 kept = open()->count();
    EXPECT_TRUE(kept % HistorySink::BatchSize == 0 || kept == 800) << kept;
}

// The history's own failures, for real: a PostgreSQL server that stops between two batches
// (the first is kept, the sink says what was not stored), and a wrong password.
TEST_F(PostgresHistoryTest, AServerThatStopsOrRefusesTheLoginIsSaid)
{
    PostgresServer *server = PostgresServer::instance();
    {
        auto store = open();
        HistorySink sink(*store, MeasurementSource::Capture, "QV-1");
        for (int i = 0; i < 40; ++i) {
            PacketBuffer packet;
            packet.SetReply(sim.captureLine(i));
            sink.add(DatalogRecord::decode(packet));
            if (i == 9) {
                sink.finish();
                server->stop();
            }
        }
        sink.finish();
        server->start();
        EXPECT_EQ(std::tuple(sink.added(), sink.notStored()), std::tuple(10, 30));
        EXPECT_FALSE(sink.error().isEmpty());
    }
    EXPECT_EQ(open()->count(), 10);

    HistoryLocation lab = location;
    lab.user = QStringLiteral("lab");
    qputenv("PGPASSWORD", "wrong");
    try {
        HistoryStore refused(lab, {});
        ADD_FAILURE() << "a wrong password was taken";
    } catch (const HistoryError &error) {
        EXPECT_EQ(error.cause(), HistoryError::Cause::Unavailable);
        EXPECT_TRUE(holds(error.message(), "password authentication failed")) << error.message();
    }
    qputenv("PGPASSWORD", "right");
    EXPECT_EQ(HistoryStore(lab, {}).count(), 10);
    qunsetenv("PGPASSWORD");
}

// SQLite on a full disk and on a read-only one (small file systems this test mounts, so as
// root only): the batch that does not fit is not stored, the ones before it are, and the file
// still opens.
TEST_F(SqliteHistoryTest, AFullOrReadOnlyDiskKeepsWhatWasStored)
{
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QDir().mkpath(disk);
    if (::geteuid() != 0 ||
        QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=400k", "tmpfs", disk}) != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
    location = HistoryLocation::parse(disk + QStringLiteral("/history.sqlite"));
    int stored = 0;
    try {
        auto store = open();
        for (int batch = 0; batch < 100; ++batch) {
            store->add(
                records(0, 40, MeasurementSource::Capture, QStringLiteral("QV-%1").arg(batch)));
            stored += 40;
        }
        ADD_FAILURE() << "400 KB held 4,000 measurements";
    } catch (const HistoryError &error) {
        EXPECT_EQ(error.cause(), HistoryError::Cause::WriteFailed);
        EXPECT_TRUE(holds(error.message(), "full")) << error.message();
    }
    ASSERT_GT(stored, 0);
    EXPECT_EQ(open()->count(), stored);

    ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,ro", disk}), 0);
    try {
        open()->add(records(0, 1, MeasurementSource::Capture, QStringLiteral("QV-new")));
        ADD_FAILURE() << "a read-only disk was written";
    } catch (const HistoryError &error) {
        EXPECT_TRUE(holds(error.message(), "readonly") || holds(error.message(), "read-only"))
            << error.message();
    }
}

TEST_P(StoreTest, StandardsKeepTheirValuesAndConditionsByName)
{
    auto store = open();
    Standard spectral;
    spectral.name = QStringLiteral("Navy");
    spectral.origin = Standard::Origin::Measurement;
    spectral.measurement = 12;
    spectral.spectrum.fill(7.25f);
    spectral.spectrum[30] = 61.5f;
    store->addStandard(spectral);
    Standard lab;
    lab.name = QStringLiteral("Ivory");
    lab.origin = Standard::Origin::Setup;
    lab.instrument = QStringLiteral("QV-1");
    lab.setup = 9;
    lab.spectral = false;
    lab.illuminant = Colour::Illuminant::D50;
    lab.observer = Colour::Observer::TwoDegree;
    lab.lab = {91.25, -0.5, 7.125};
    lab.tolerance = Colour::ToleranceSet::fromText("method=cmc limit=1.4 weights=1.5:1:1");
    store->addStandard(lab);
    EXPECT_THROW(store->addStandard(lab), HistoryError);

    const QList<Standard> all = store->standards();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].name, QStringLiteral("Ivory")); // by name
    EXPECT_EQ(std::tuple(all[0].spectral, all[0].illuminant, all[0].observer, all[0].lab,
                         all[0].origin, all[0].instrument, all[0].setup, all[0].revision),
              std::tuple(false, Colour::Illuminant::D50, Colour::Observer::TwoDegree, lab.lab,
                         Standard::Origin::Setup, QStringLiteral("QV-1"), 9, 1));
    EXPECT_EQ(std::tuple(all[1].spectrum, all[1].measurement), std::tuple(spectral.spectrum, 12));
    // A tolerance set read back whole; none is the default, under the standard's conditions.
    EXPECT_EQ(all[0].tolerance, lab.tolerance);
    EXPECT_EQ(all[1].tolerance, std::nullopt);
    Colour::ToleranceSet box = Colour::ToleranceSet::forMethod(Colour::ToleranceMethod::BoxLch);
    box.secondaries = {{{Colour::Illuminant::A, Colour::Observer::TenDegree}, 2}};
    store->setTolerance(QStringLiteral("Navy"), box);
    EXPECT_EQ(store->standard(QStringLiteral("Navy"))->tolerance, box);

    store->renameStandard(QStringLiteral("Navy"), QStringLiteral("Navy 2"));
    ASSERT_TRUE(store->standard(QStringLiteral("Navy 2")));
    EXPECT_EQ(store->standard(QStringLiteral("Navy 2"))->revision, 3);
    EXPECT_THROW(store->renameStandard(QStringLiteral("Navy"), QStringLiteral("X")), HistoryError);

    // A verification tile: an instrument's newest measurement named after it is its last check.
    QList<Measurement> checks = records(0, 4, MeasurementSource::Capture, "QV-1");
    ASSERT_LT(checks[1].taken, checks[2].taken);
    const QStringList names{"Navy 2", "Navy 2", "Ivory", "Navy 2"};
    for (qsizetype i = 0; i < names.size(); ++i)
        checks[i].sampleId = names[i];
    checks[3].instrumentSerial = "QV-2";
    store->add(checks);
    EXPECT_EQ(store->lastCheck("QV-1"), std::nullopt); // no tile yet
    store->setVerification(QStringLiteral("Navy 2"), true, QStringLiteral("NPL 2026-118"));
    EXPECT_EQ(std::pair(store->lastCheck("QV-1"), store->lastCheck("QV-2")),
              std::pair(std::optional(checks[1].taken), std::optional(checks[3].taken)));
    const std::optional<Standard> tile = store->standard(QStringLiteral("Navy 2"));
    EXPECT_EQ(std::tuple(tile->verification, tile->certificate, tile->revision),
              std::tuple(true, QStringLiteral("NPL 2026-118"), 4));
    store->setVerification(QStringLiteral("Navy 2"), false, QStringLiteral("ignored"));
    EXPECT_EQ(store->lastCheck("QV-1"), std::nullopt);
    EXPECT_EQ(store->standard(QStringLiteral("Navy 2"))->certificate, QString());
    store->removeStandard(QStringLiteral("Ivory"));
    EXPECT_FALSE(store->standard(QStringLiteral("Ivory")));
    EXPECT_THROW(store->removeStandard(QStringLiteral("Ivory")), HistoryError);
}

// Another program holds the write lock of a history not yet made, as when two start at once:
// SQLite refuses the change to WAL at once there, without its busy handler; opening waits.
TEST_F(SqliteHistoryTest, OpeningANewHistoryWaitsForAnotherProgramsLock)
{
    QDir().mkpath(QFileInfo(location.path).absolutePath());
    std::promise<void> locked;
    std::thread other([&] {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            db.setDatabaseName(location.path);
            QSqlQuery query(db);
            EXPECT_TRUE(db.open() && query.exec("BEGIN IMMEDIATE"));
            locked.set_value();
            QThread::msleep(300);
            query.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("other");
    });
    locked.get_future().wait();
    EXPECT_NO_THROW(open());
    other.join();
}

// A history of the first version, as that version wrote it (checked in), is copied to
// NAME.v1 and brought up to date with its measurements.
TEST_F(SqliteHistoryTest, AnEarlierVersionIsCopiedThenBroughtUpToDate)
{
    const QString file = dir.filePath(QStringLiteral("old.sqlite"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUVANE_GOLDEN_DIR "/history-v1.sqlite"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    location = HistoryLocation::parse(file);
    auto store = open();
    EXPECT_EQ(store->schemaVersion(), HistoryStore::SchemaVersion);
    EXPECT_EQ(store->count(), 41);
    EXPECT_TRUE(store->standards().isEmpty());
    {
        // The copy is the first version's, whole.
        QSqlDatabase copy = QSqlDatabase::addDatabase("QSQLITE", "copy");
        copy.setDatabaseName(file + QStringLiteral(".v1"));
        ASSERT_TRUE(copy.open());
        QSqlQuery query(copy);
        ASSERT_TRUE(query.exec("SELECT (SELECT version FROM schema_version), COUNT(*) FROM "
                               "measurements") &&
                    query.next());
        EXPECT_EQ(std::pair(query.value(0).toInt(), query.value(1).toInt()), std::pair(1, 41));
    }
    QSqlDatabase::removeDatabase("copy");
    EXPECT_EQ(store->list({.limit = 1}).first().value.sampleId, QString());
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) {
                             return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
                         });

TEST(HistoryLocation, FilesAndPostgresAddresses)
{
    const HistoryLocation pg = HistoryLocation::parse("postgresql://lab@db.example:5433/colour");
    EXPECT_EQ(std::tuple(pg.kind, pg.user, pg.host, pg.port, pg.database),
              std::tuple(HistoryLocation::Kind::PostgreSQL, "lab", "db.example", 5433, "colour"));
    const HistoryLocation socket = HistoryLocation::parse("postgresql://%2Ftmp%2Fpg/colour");
    EXPECT_EQ(std::tuple(socket.host, socket.port, socket.shown()),
              std::tuple("/tmp/pg", 0, "postgresql://%2Ftmp%2Fpg/colour"));
    EXPECT_EQ(HistoryLocation::parse("/var/h.sqlite").path, "/var/h.sqlite");
    for (const char *bad :
         {"postgresql://lab:secret@db/colour", "postgresql://db/", "http://x/y", ""}) {
        EXPECT_THROW(HistoryLocation::parse(QString::fromLatin1(bad)), HistoryError) << bad;
    }
}

} // namespace
