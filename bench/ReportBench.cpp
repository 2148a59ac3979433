// Reports and trends of a long history: a period report of 10,000 measurements of one standard
// (read from an SQLite history, judged, drawn as a PDF), and the trend of 100,000 as the History
// window draws it (read, judged, its statistics and control limits, plotted in the three charts
// and painted).
//   QT_QPA_PLATFORM=offscreen build/default/bench/report_bench [RUNS]
// default: 5 runs; medians are printed
#include "app/TrendCharts.h"
#include "link/PacketBuffer.h"
#include "records/DatalogRecord.h"
#include "report/HistoryReport.h"
#include "sim/SimInstrument.h"
#include "store/HistorySink.h"
#include "store/HistoryStore.h"

#include <QElapsedTimer>
#include <QApplication>
#include <QChartView>
#include <QImage>
#include <QPainter>
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

// A history of `count` datalog records of one product, ten minutes apart: the simulator's
// records of set-up 3 over and over.
void fill(const HistoryLocation &location, int count)
{
    SimInstrument sim;
    sim.seedDatalog(800);
    std::vector<DatalogRecord> decoded;
    for (int i = 0; i < 800; ++i) {
        PacketBuffer packet;
        packet.SetReply(sim.captureLine(i));
        decoded.push_back(DatalogRecord::decode(packet));
    }
    HistoryStore store(location, {"bench", "bench"});
    HistorySink sink(store, MeasurementSource::Capture, QStringLiteral("SIM00421"));
    for (int i = 0; i < count; ++i) {
        DatalogRecord r = decoded[size_t(i % 800)];
        r.number = i + 1;
        r.product = QStringLiteral("BENCH");
        r.taken = QDateTime(QDate(2025, 1, 1), QTime(0, 0)).addSecs(qint64(i) * 600);
        sink.add(r);
    }
    sink.finish();
    Standard standard;
    standard.name = QStringLiteral("Bench");
    standard.spectrum = decoded.front().spectrum;
    store.addStandard(standard);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TrendCharts charts;
    charts.resize(760, 480);
    charts.show();
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir dir;
    for (const int count : {10000, 100000}) {
        const HistoryLocation location =
            HistoryLocation::parse(dir.filePath(QStringLiteral("h%1.sqlite").arg(count)));
        fill(location, count);
        HistoryStore store(location, {"bench", "bench"});
        std::vector<double> times;
        qsizetype bytes = 0;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            const Standard standard = *store.standard(QStringLiteral("Bench"));
            const HistoryFilter filter{.product = QStringLiteral("BENCH")};
            if (count == 10000) {
                const HistoryReport report({standard, store.list(filter), QStringLiteral("bench")});
                bytes = report.pdf(QPageSize::A4).size();
            } else {
                const QList<Colour::TrendPoint> trend = trendOf(standard, store.spectra(filter));
                const Colour::TrendStatistics statistics = Colour::trendStatistics(trend);
                charts.plot(trend, standard.toleranceSet(),
                            Colour::controlLimits(trend, {}, trend[statistics.count / 2].taken));
                QCoreApplication::processEvents(); // the charts lay themselves out
                QImage image(charts.size(), QImage::Format_ARGB32_Premultiplied);
                QPainter painter(&image);
                charts.render(&painter);
                bytes = trend.size();
            }
            times.push_back(double(clock.nsecsElapsed()) / 1e9);
        }
        if (count == 10000)
            std::printf("period report of 10,000 measurements (read, judged, drawn as a PDF of "
                        "%lld bytes): median %.3f s (%d runs)\n",
                        static_cast<long long>(bytes), median(times), runs);
        else
            std::printf("trend of 100,000 measurements (read, judged and drawn, %lld points): "
                        "median %.3f s (%d runs)\n",
                        static_cast<long long>(bytes), median(times), runs);
    }
    return 0;
}
