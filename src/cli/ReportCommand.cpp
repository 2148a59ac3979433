#include "cli/ReportCommand.h"

#include "cli/JudgeCommands.h"
#include "link/QuvaneError.h"
#include "report/HistoryReport.h"
#include "store/HistoryError.h"
#include "transfer/OutputFile.h"

#include <QCommandLineParser>
#include <QDateTime>

#include <cstdio>

namespace quvane {

namespace {

int say(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
    return 1;
}

// Writes the bytes to the file (or standard output for "-") through the one writer.
int writeFile(const QString &file, const QByteArray &bytes)
{
    try {
        std::unique_ptr<OutputFile> out =
            file == QLatin1String("-") ? std::make_unique<OutputFile>(OutputFile::StandardOutput)
                                       : std::make_unique<OutputFile>(file);
        out->write(bytes);
        out->commit();
    } catch (const QuvaneError &e) {
        return say(e.description());
    }
    return 0;
}

} // namespace

int writeReport(const HistoryRun &run, const QString &file, const QCommandLineParser &parser,
                bool letter)
{
    if (file != QLatin1String("-")) {
        try {
            OutputFile::check(file);
        } catch (const QuvaneError &e) {
            return say(e.description());
        }
    }
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    const QString name = parser.value(QStringLiteral("standard"));
    ReportInput input;
    try {
        const std::optional<Standard> standard = store->standard(name);
        if (!standard)
            return say(QStringLiteral("the history holds no standard named \"%1\"").arg(name));
        input.standard = *standard;
        HistoryFilter filter = historyFilter(parser);
        // A verification tile's report is of its checks, unless the sample IDs are chosen.
        if (standard->verification && filter.samplePattern.isEmpty())
            filter.samplePattern = checkPattern(standard->name);
        input.measurements = store->list(filter);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    if (input.measurements.isEmpty())
        return say(QStringLiteral("no measurement of the history is selected (%1)")
                       .arg(filterText(parser)));
    input.selection = filterText(parser);
    if (parser.isSet(QStringLiteral("base-since")))
        input.baseFrom = filterTime(parser.value(QStringLiteral("base-since")), false);
    if (parser.isSet(QStringLiteral("base-until")))
        input.baseUntil = filterTime(parser.value(QStringLiteral("base-until")), true);
    input.made = QDateTime::currentDateTime();
    input.station = run.station.host;
    const HistoryReport report(std::move(input));
    if (report.trend().isEmpty())
        return say(QStringLiteral("the standard \"%1\" has no values under its tolerance's "
                                  "condition, so it judges none of the %2 measurements")
                       .arg(name)
                       .arg(report.input().measurements.size()));
    const int status = writeFile(file, report.pdf(letter ? QPageSize::Letter : QPageSize::A4));
    if (status == 0 && file != QLatin1String("-"))
        std::fprintf(stderr, "quvane: %s: a %s report of %lld measurement(s)\n", qPrintable(file),
                     report.isBatch() ? "batch" : "period",
                     static_cast<long long>(report.trend().size()));
    return status;
}

} // namespace quvane
