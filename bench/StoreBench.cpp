// The history's speed on SQLite and on a private PostgreSQL server started here (as the tests
// start theirs): storing 100,000 datalog records in the capture's batches, and the newest page
// of 100 of one product out of 1,000,000 measurements.
//   build/default/bench/store_bench [RUNS [sqlite|postgresql]]   default: 5 runs, both;
//   medians are printed
#include "link/PacketBuffer.h"
#include "records/DatalogRecord.h"
#include "sim/SimInstrument.h"
#include "store/HistorySink.h"
#include "store/HistoryStore.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quvane;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// 100,000 datalog records: the simulator's 800 over and over, half a minute apart, as a
// datalog's times follow each other.
std::vector<DatalogRecord> records()
{
    SimInstrument sim;
    sim.seedDatalog(800);
    std::vector<DatalogRecord> decoded;
    for (int i = 0; i < 800; ++i) {
        PacketBuffer packet;
        packet.SetReply(sim.captureLine(i));
        decoded.push_back(DatalogRecord::decode(packet));
    }
    std::vector<DatalogRecord> all;
    all.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        DatalogRecord r = decoded[size_t(i % 800)];
        r.number = i + 1;
        r.taken = QDateTime(QDate(2025, 1, 1), QTime(0, 0)).addSecs(qint64(i) * 30);
        all.push_back(r);
    }
    return all;
}

// Seconds to store the records through the capture's sink into an empty history.
double import(const HistoryLocation &location, const std::vector<DatalogRecord> &all)
{
    HistoryStore store(location, {"bench", "bench"});
    HistorySink sink(store, MeasurementSource::Capture, QStringLiteral("SIM00421"));
    QElapsedTimer clock;
    clock.start();
    for (const DatalogRecord &record : all)
        sink.add(record);
    sink.finish();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (sink.added() != int(all.size())) {
        std::fprintf(stderr, "stored %d of %zu: %s\n", sink.added(), all.size(),
                     qPrintable(sink.error()));
        std::exit(1);
    }
    return seconds;
}

// Fills a history with a million measurements of ten products, in the database itself.
void fillMillion(const HistoryLocation &location)
{
    {
        HistoryStore made(location, {});
    }
    const bool postgres = location.kind == HistoryLocation::Kind::PostgreSQL;
    QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? "QPSQL" : "QSQLITE", "fill");
    db.setDatabaseName(postgres ? location.database : location.path);
    db.setHostName(location.host);
    db.setUserName(location.user);
    db.open();
    QString spectrum, values;
    for (int nm = 400; nm <= 700; nm += 10) {
        spectrum += QStringLiteral(", spec_%1").arg(nm);
        values += QStringLiteral(", 50.0");
    }
    const QString series = postgres ? QStringLiteral("SELECT n FROM generate_series(1, 1000000) n")
                                    : QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL "
                                                     "SELECT n + 1 FROM s WHERE n < 1000000) "
                                                     "SELECT n FROM s");
    const QString taken =
        postgres ? QStringLiteral("to_char(timestamp '2020-01-01' + n * interval '1 minute', "
                                  "'YYYY-MM-DD\"T\"HH24:MI:SS.MS')")
                 : QStringLiteral("strftime('%Y-%m-%dT%H:%M:%f', '2020-01-01', n || ' minutes')");
    QSqlQuery query(db);
    const QString statement =
        QStringLiteral("INSERT INTO measurements (taken, stored, station, operator, instrument, "
                       "source, record, setup, product, sample_id, is_standard, display_mode, "
                       "illuminant, observer, color_scale, color_index, scale_1, scale_2, "
                       "scale_3, index_value%1) SELECT %2, '', 'bench', 'bench', 'SIM', "
                       "'capture', n, 1, 'Product ' || (n %% 10), 'S' || n, 0, 0, 0, 0, 0, 0, "
                       "0, 0, 0, 0%3 FROM (%4) AS numbers")
            .arg(spectrum, taken, values, series);
    if (!query.exec(QString(statement).replace(QStringLiteral("%%"), QStringLiteral("%"))))
        std::fprintf(stderr, "fill: %s\n", qPrintable(query.lastError().text()));
    if (postgres)
        query.exec(QStringLiteral("ANALYZE measurements"));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("fill");
}

// Milliseconds for the newest 100 of one product, or of all.
std::vector<double> newestPage(const HistoryLocation &location, int runs, const QString &product)
{
    HistoryStore store(location, {});
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QList<StoredMeasurement> page = store.list({.product = product, .limit = 100});
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (page.size() != 100)
            std::fprintf(stderr, "page of %lld\n", static_cast<long long>(page.size()));
    }
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const QString only = argc > 2 ? QString::fromLatin1(argv[2]) : QString();
    const std::vector<DatalogRecord> all = records();
    QTemporaryDir dir;
    std::vector<std::pair<const char *, std::function<HistoryLocation()>>> backends;
    if (only != QLatin1String("postgresql"))
        backends.push_back({"SQLite", [&dir] {
                                static int n = 0;
                                return HistoryLocation::parse(
                                    dir.filePath(QStringLiteral("h%1.sqlite").arg(++n)));
                            }});
    if (only == QLatin1String("sqlite"))
        ;
    else if (PostgresServer *server = PostgresServer::instance())
        backends.push_back({"PostgreSQL (local, Unix socket)",
                            [server] { return HistoryLocation::parse(server->newDatabase()); }});
    else
        std::printf("PostgreSQL skipped: %s\n", qPrintable(PostgresServer::skipReason()));
    for (const auto &[name, fresh] : backends) {
        std::vector<double> rates;
        for (int i = 0; i < runs; ++i)
            rates.push_back(double(all.size()) / import(fresh(), all));
        const HistoryLocation million = fresh();
        fillMillion(million);
        const std::vector<double> page = newestPage(million, runs * 4, "Product 7"),
                                  all = newestPage(million, runs * 4, {});
        std::printf("%s: storing 100,000 records: median %.0f records/s (%d runs); newest 100 "
                    "in 1,000,000: of one product median %.2f ms, of all %.2f ms (%d runs)\n",
                    name, median(rates), runs, median(page), median(all), runs * 4);
    }
    return 0;
}
