// Throughput of the bulk transfers against the in-process simulated instrument:
//   build/default/bench/transfer_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include "link/PacketBuffer.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "sim/SimInstrument.h"
#include "transfer/BulkTransfers.h"
#include "transfer/DatalogSinks.h"
#include "transfer/TextFormat.h"
#include "transfer/TransferProgress.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quvane;

namespace {

struct Bench
{
    Bench()
    {
        sim->seedDatalog(800);
        sensor.ConnectOption = SensorControl::ConnectByOptions;
        sensor.Connect(LinkOptions{QStringLiteral("sim"), {}, [this] { return sim; }});
    }

    std::shared_ptr<SimInstrument> sim = std::make_shared<SimInstrument>();
    SensorControl sensor;
    SilentProgress progress;
    BulkTransfers transfers{{&sensor, "\t", TextFormat(), {}}, progress};
    QTemporaryDir dir;
};

Bench &bench()
{
    static Bench instance;
    return instance;
}

void CaptureInProcess(benchmark::State &state)
{
    Bench &b = bench();
    const QString out = b.dir.filePath(QStringLiteral("capture.txt"));
    for (auto _ : state)
        b.transfers.UploadDatalog(800, {out});
    state.SetItemsProcessed(state.iterations() * 800);
}
BENCHMARK(CaptureInProcess)->Unit(benchmark::kMillisecond);

// A DATALOG.QV3 of 100,000 records: the simulator's 800 records repeated.
QString bigDatalog(qint64 &bytes)
{
    Bench &b = bench();
    const QString path = b.dir.filePath(QStringLiteral("DATALOG.QV3"));
    if (!QFile::exists(path)) {
        QByteArray block;
        for (int i = 0; i < 800; ++i)
            block += b.sim->captureLine(i) + "\r\n";
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("# benchmark datalog\r\n");
        for (int i = 0; i < 125; ++i)
            file.write(block);
    }
    bytes = QFile(path).size();
    return path;
}

// The conversion of the big datalog, as delimited text or as CGATS.17.
void convertHundredThousandRecords(benchmark::State &state, DatalogFormat format,
                                   const QString &outName)
{
    qint64 bytes = 0;
    const QString source = bigDatalog(bytes);
    const QString out = bench().dir.filePath(outName);
    for (auto _ : state)
        bench().transfers.ConvertDatalog(source, {out, format});
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * 100000);
}

void ConvertHundredThousandRecords(benchmark::State &state)
{
    convertHundredThousandRecords(state, DatalogFormat::DelimitedText,
                                  QStringLiteral("converted.txt"));
}
BENCHMARK(ConvertHundredThousandRecords)->Unit(benchmark::kMillisecond);

void ConvertHundredThousandRecordsToCgats(benchmark::State &state)
{
    convertHundredThousandRecords(state, DatalogFormat::Cgats, QStringLiteral("converted.ti3"));
}
BENCHMARK(ConvertHundredThousandRecordsToCgats)->Unit(benchmark::kMillisecond);

// One capture reply decoded into a record and written as a line.
void FormatOneRecordLine(benchmark::State &state)
{
    const QByteArray record = bench().sim->captureLine(7);
    const TextFormat text;
    const DatalogLineFormat format{text, "\t", "/"};
    PacketBuffer packet;
    QByteArray line;
    for (auto _ : state) {
        packet.SetReply(record);
        line.truncate(0);
        appendDatalogLine(DatalogRecord::decode(packet), format, line);
        benchmark::DoNotOptimize(line.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FormatOneRecordLine);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
