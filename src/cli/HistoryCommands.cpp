#include "cli/HistoryCommands.h"

#include "cli/JudgeCommands.h"
#include "policy/VerdictText.h"
#include "store/SetupVerdicts.h"

#include "link/QuvaneError.h"
#include "store/HistoryError.h"
#include "store/HistorySink.h"
#include "store/HistoryWorkbook.h"
#include "store/StandardExchange.h"
#include "transfer/DatalogReaders.h"
#include "transfer/DatalogSinks.h"
#include "transfer/OutputFile.h"
#include "transfer/TransferProgress.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace quvane {

namespace {

int say(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
    return 1;
}

int print(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
                       size_t(bytes.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : say(QStringLiteral("cannot write to standard output"));
}

QString iso(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A measurement as the datalog's record, for the CGATS the captures write.
DatalogRecord asRecord(const Measurement &m)
{
    DatalogRecord r;
    r.number = m.recordNumber;
    r.product = m.product;
    r.sampleId = m.sampleId;
    r.setupNumber = m.setupNumber;
    r.displayMode = qint16(m.displayMode);
    r.isStandard = m.isStandard;
    r.taken = m.taken;
    r.illuminantObserver = qint16(m.illuminant);
    r.colorScale = qint16(m.colorScale);
    r.colorIndex = qint16(m.colorIndex);
    r.spectrum = m.spectrum;
    std::copy(m.scaleData.begin(), m.scaleData.end(), r.scaleData.begin());
    r.indexData[0] = m.indexData;
    return r;
}

} // namespace

// A date as the filters take it: 2026-12-06 or 2026-12-06T14:30[:00]. A date alone is its first
// moment (--since) or its last (--until).
QDateTime filterTime(const QString &text, bool endOfDay)
{
    const QDate date = text.size() == 10 ? QDate::fromString(text, Qt::ISODate) : QDate();
    if (date.isValid())
        return endOfDay ? QDateTime(date, QTime(23, 59, 59, 999)) : QDateTime(date, QTime(0, 0));
    return QDateTime::fromString(text, Qt::ISODate);
}

std::unique_ptr<HistoryStore> openStore(const HistoryRun &run, QString &error)
{
    if (!run.location) {
        error = QStringLiteral("the history is turned off in the preferences");
        return {};
    }
    try {
        return std::make_unique<HistoryStore>(*run.location, run.station);
    } catch (const HistoryError &e) {
        error = e.message();
    }
    return {};
}

QString checkHistoryFilters(const QCommandLineParser &parser)
{
    for (const char *name : {"since", "until", "base-since", "base-until"}) {
        const QString value = parser.value(QLatin1String(name));
        if (!value.isEmpty() && !filterTime(value, false).isValid())
            return QStringLiteral("--%1 takes a date as 2026-12-06 or 2026-12-06T14:30")
                .arg(QLatin1String(name));
    }
    const QString source = parser.value(QStringLiteral("source"));
    if (!source.isEmpty() && !sourceFromName(source))
        return QStringLiteral("--source takes live, capture, conversion or import");
    const QString limit = parser.value(QStringLiteral("limit"));
    bool ok = true;
    if (!limit.isEmpty() && (limit.toInt(&ok) <= 0 || !ok))
        return QStringLiteral("--limit takes a number of measurements, 1 or more");
    const QString format = parser.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != QLatin1String("text") && format != QLatin1String("csv") &&
        format != QLatin1String("cgats") && format != QLatin1String("xlsx") &&
        format != QLatin1String("cxf"))
        return QStringLiteral("history list --format takes text, csv, cgats, xlsx or cxf");
    return {};
}

namespace {

// A CxF3 file's measurements (its Trial objects), stored in one transaction.
int importCxf(HistoryStore &store, const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return say(QStringLiteral("%1: %2").arg(file, in.errorString()));
    QString error;
    const QList<Measurement> trials = measurementsFromCxf(in.readAll(), &error);
    if (!error.isEmpty())
        return say(QStringLiteral("%1: %2; nothing was imported").arg(file, error));
    try {
        const HistoryStore::Added added = store.add(trials);
        std::fprintf(stderr, "quvane: %s: %lld measurements, %d new, %d already in the history\n",
                     qPrintable(file), static_cast<long long>(trials.size()), added.added,
                     added.known);
    } catch (const HistoryError &e) {
        return say(QStringLiteral("%1: %2").arg(file, e.message()));
    }
    return 0;
}

} // namespace

int importHistory(const HistoryRun &run, const QStringList &files, TransferProgress &progress)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    int status = 0;
    DatalogFileReader reader(run.text);
    progress.start(QStringLiteral("Importing"), int(files.size()));
    for (qsizetype i = 0; i < files.size() && !progress.cancelRequested(); ++i) {
        const QString &file = files[i];
        progress.setMessage(QFileInfo(file).fileName());
        if (QFileInfo(file).suffix().compare(QLatin1String("cxf"), Qt::CaseInsensitive) == 0) {
            status = std::max(status, importCxf(*store, file));
            progress.setValue(int(i + 1));
            continue;
        }
        HistorySink sink(*store, MeasurementSource::Import);
        try {
            reader.read(file, [&](const DatalogRecord &record, int) {
                sink.add(record);
                if (sink.count() % HistorySink::BatchSize == 0)
                    progress.yield();
            });
            sink.finish();
        } catch (const QuvaneError &e) {
            // The records before the bad line are whole: they are kept.
            sink.finish();
            status = say(QStringLiteral("%1: %2; the %3 records before it were imported")
                             .arg(file, e.description())
                             .arg(sink.added() + sink.known()));
            progress.setValue(int(i + 1));
            continue;
        }
        progress.setValue(int(i + 1));
        if (!sink.error().isEmpty()) {
            status = say(QStringLiteral("%1: %2 of its %3 records were not stored: %4")
                             .arg(file)
                             .arg(sink.notStored())
                             .arg(sink.count())
                             .arg(sink.error()));
            continue;
        }
        std::fprintf(stderr, "quvane: %s: %d records, %d new, %d already in the history\n",
                     qPrintable(file), sink.count(), sink.added(), sink.known());
    }
    progress.finish();
    return status;
}

HistoryFilter historyFilter(const QCommandLineParser &parser)
{
    HistoryFilter filter;
    if (parser.isSet(QStringLiteral("since")))
        filter.since = filterTime(parser.value(QStringLiteral("since")), false);
    if (parser.isSet(QStringLiteral("until")))
        filter.until = filterTime(parser.value(QStringLiteral("until")), true);
    filter.product = parser.value(QStringLiteral("product"));
    filter.samplePattern = parser.value(QStringLiteral("sample"));
    filter.instrument = parser.value(QStringLiteral("instrument"));
    filter.station = parser.value(QStringLiteral("station"));
    filter.source = sourceFromName(parser.value(QStringLiteral("source")));
    filter.limit = parser.value(QStringLiteral("limit")).toInt();
    return filter;
}

QString filterText(const QCommandLineParser &parser)
{
    QStringList words;
    const auto add = [&](const char *option, const QString &text) {
        if (parser.isSet(QLatin1String(option)))
            words << text.arg(parser.value(QLatin1String(option)));
    };
    add("since", QStringLiteral("taken on or after %1"));
    add("until", QStringLiteral("taken on or before %1"));
    add("product", QStringLiteral("of the product %1"));
    add("sample", QStringLiteral("sample IDs %1"));
    add("instrument", QStringLiteral("of the instrument %1"));
    add("station", QStringLiteral("stored by the station %1"));
    add("source", QStringLiteral("from %1"));
    add("limit", QStringLiteral("the newest %1"));
    return words.isEmpty() ? QStringLiteral("every measurement of the history")
                           : words.join(QStringLiteral(", "));
}

int listHistory(const HistoryRun &run, const QCommandLineParser &parser, const QString &file)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    QList<StoredMeasurement> rows;
    try {
        rows = store->list(historyFilter(parser));
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    // Judged against a standard: its differences and verdict as further columns.
    std::optional<Standard> standard;
    if (parser.isSet(QStringLiteral("standard"))) {
        try {
            standard = store->standard(parser.value(QStringLiteral("standard")));
        } catch (const HistoryError &e) {
            return say(e.message());
        }
        if (!standard)
            return say(QStringLiteral("the history holds no standard named \"%1\"")
                           .arg(parser.value(QStringLiteral("standard"))));
    }
    const Colour::ToleranceSet tolerance =
        standard ? standard->toleranceSet() : Colour::ToleranceSet();
    // --by-setup: the program's verdict against the record's set-up beside the instrument's own.
    const bool bySetup = parser.isSet(QStringLiteral("by-setup"));
    const auto judged = [&standard, &tolerance, bySetup](const Measurement &m) {
        QStringList fields =
            standard ? judgementFields(Colour::judge(standard->colour(), m.spectrum, tolerance))
                     : QStringList();
        if (bySetup)
            fields << (m.setupVerdict ? Colour::verdictWord(Colour::Verdict(*m.setupVerdict))
                                      : QString())
                   << (!m.passFail || *m.passFail < 0 ? QString()
                       : *m.passFail                  ? QStringLiteral("PASS")
                                                      : QStringLiteral("FAIL"));
        return fields;
    };
    QStringList judgedColumns = standard ? judgementColumns(tolerance) : QStringList();
    if (bySetup)
        judgedColumns << QStringLiteral("SETUP_VERDICT") << QStringLiteral("INSTRUMENT_VERDICT");
    const QString format = parser.value(QStringLiteral("format"));
    if (format == QLatin1String("xlsx")) {
        try {
            writeHistoryWorkbook(file, rows, judgedColumns,
                                 [&](const StoredMeasurement &row) { return judged(row.value); });
        } catch (const QuvaneError &e) {
            return say(e.description());
        }
        return 0;
    }
    if (format == QLatin1String("cxf")) {
        try {
            OutputFile out(file);
            out.write(cxfDocument(standard ? QList<Standard>{*standard} : QList<Standard>{}, rows,
                                  QDateTime::currentDateTime()));
            out.commit();
        } catch (const QuvaneError &e) {
            return say(e.description());
        }
        return 0;
    }
    if (format == QLatin1String("cgats")) {
        try {
            OutputFile out(OutputFile::StandardOutput);
            CgatsSink sink(out);
            for (const StoredMeasurement &row : rows)
                sink.add(asRecord(row.value));
            sink.finish();
            out.commit();
        } catch (const QuvaneError &e) {
            return say(e.description());
        }
        return 0;
    }
    QString text;
    if (format == QLatin1String("csv")) {
        text = QStringLiteral("ID,TAKEN,INSTRUMENT,SOURCE,RECORD,SETUP,PRODUCT,SAMPLE_ID,STANDARD,"
                              "PASS_FAIL,READINGS");
        for (int nm = 400; nm <= 700; nm += 10)
            text += QStringLiteral(",SPEC_%1").arg(nm);
        for (const QString &column : judgedColumns)
            text += QLatin1Char(',') + column;
        text += QLatin1Char('\n');
        for (const StoredMeasurement &row : rows) {
            const Measurement &m = row.value;
            QStringList fields{QString::number(row.id),
                               iso(m.taken),
                               csvField(m.instrumentSerial),
                               sourceName(m.source),
                               QString::number(m.recordNumber),
                               QString::number(m.setupNumber),
                               csvField(m.product),
                               csvField(m.sampleId),
                               m.isStandard ? QStringLiteral("1") : QStringLiteral("0"),
                               m.passFail ? QString::number(*m.passFail) : QString(),
                               QString::number(m.readings)};
            for (float value : m.spectrum)
                fields << QString::number(double(value), 'f', 3);
            fields << judged(m);
            text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
        return print(text);
    }
    // The judgement's columns before the sample ID, which may hold anything.
    const auto judgedText = [](const QStringList &fields) {
        QString text;
        for (const QString &field : fields)
            text += QStringLiteral("%1  ").arg(field, 8);
        return text;
    };
    text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8%9\n")
               .arg(QStringLiteral("ID"), 6)
               .arg(QStringLiteral("TAKEN"), -19)
               .arg(QStringLiteral("INSTRUMENT"), -12)
               .arg(QStringLiteral("SOURCE"), -10)
               .arg(QStringLiteral("RECORD"), 6)
               .arg(QStringLiteral("SETUP"), 5)
               .arg(QStringLiteral("PRODUCT"), -20)
               .arg(judgedText(judgedColumns), QStringLiteral("SAMPLE ID"));
    for (const StoredMeasurement &row : rows) {
        const Measurement &m = row.value;
        text +=
            QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8%9\n")
                .arg(row.id, 6)
                .arg(iso(m.taken), -19)
                .arg(m.instrumentSerial.isEmpty() ? QStringLiteral("-") : m.instrumentSerial, -12)
                .arg(sourceName(m.source), -10)
                .arg(m.recordNumber == 0 ? QStringLiteral("-") : QString::number(m.recordNumber), 6)
                .arg(m.setupNumber == 0 ? QStringLiteral("-") : QString::number(m.setupNumber), 5)
                .arg(m.product, -20)
                .arg(judgedText(judged(m)), m.sampleId);
    }
    return print(text);
}

int showHistory(const HistoryRun &run, const QString &idText)
{
    bool ok = false;
    const qint64 id = idText.toLongLong(&ok);
    if (!ok || id <= 0)
        return say(QStringLiteral("%1 is not a measurement's ID").arg(idText));
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    std::optional<StoredMeasurement> row;
    try {
        row = store->find(id);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    if (!row)
        return say(QStringLiteral("the history holds no measurement %1").arg(id));
    const Measurement &m = row->value;
    QString text;
    const auto line = [&text](const char *name, const QString &value) {
        text += QStringLiteral("%1%2\n").arg(QLatin1String(name), -13).arg(value);
    };
    line("ID", QString::number(row->id));
    line("Taken", iso(m.taken));
    line("Stored",
         QStringLiteral("%1 at %2 by %3").arg(iso(row->stored), row->station, row->operatorLogin));
    line("Instrument",
         m.instrumentSerial.isEmpty() ? QStringLiteral("not known") : m.instrumentSerial);
    line("Source",
         m.recordNumber
             ? QStringLiteral("%1, record %2").arg(sourceName(m.source)).arg(m.recordNumber)
             : sourceName(m.source));
    line("Set-up",
         m.setupNumber ? QStringLiteral("%1 %2").arg(m.setupNumber).arg(m.product) : m.product);
    line("Sample ID", m.sampleId);
    line("Standard", m.isStandard ? QStringLiteral("yes") : QStringLiteral("no"));
    if (m.passFail)
        line("Pass/fail", *m.passFail ? QStringLiteral("pass") : QStringLiteral("fail"));
    if (m.readings > 1)
        line("Readings", QStringLiteral("the mean of %1").arg(m.readings));
    return print(text + QLatin1Char('\n') + measurementText(m.spectrum, run.measure));
}

int deleteHistory(const HistoryRun &run, const QStringList &idTexts, bool confirmed)
{
    QList<qint64> ids;
    for (const QString &text : idTexts) {
        bool ok = false;
        const qint64 id = text.toLongLong(&ok);
        if (!ok || id <= 0)
            return say(QStringLiteral("%1 is not a measurement's ID").arg(text));
        ids << id;
    }
    if (!confirmed) {
        if (::isatty(STDIN_FILENO) != 1)
            return say(QStringLiteral("history delete erases measurements; confirm with --yes"));
        std::fprintf(stderr, "Delete %lld measurement(s) from the history? [y/N] ",
                     static_cast<long long>(ids.size()));
        char answer[16] = {};
        if (!std::fgets(answer, sizeof answer, stdin) || (answer[0] != 'y' && answer[0] != 'Y'))
            return say(QStringLiteral("nothing was deleted"));
    }
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    try {
        const int removed = store->remove(ids);
        if (removed != ids.size())
            return say(QStringLiteral("%1 of the %2 measurements were deleted; the history holds "
                                      "none of the others")
                           .arg(removed)
                           .arg(ids.size()));
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return 0;
}

StoringCommand::StoringCommand(const HistoryRun &run, MeasurementSource source,
                               QString instrumentSerial)
    : m_run(run), m_source(source), m_instrument(instrumentSerial)
{
    if (!run.location)
        return;
    m_store = openStore(run, m_error);
    if (m_store)
        m_sink = std::make_unique<HistorySink>(*m_store, source, std::move(instrumentSerial));
}

StoringCommand::~StoringCommand() = default;

QList<DatalogSink *> StoringCommand::sinks()
{
    if (!m_sink)
        return {};
    if (!m_judged && m_source == MeasurementSource::Capture)
        m_judged = std::make_unique<SetupVerdicts>();
    return m_judged ? QList<DatalogSink *>{m_sink.get(), m_judged.get()}
                    : QList<DatalogSink *>{m_sink.get()};
}

void StoringCommand::judgeBySetups(SensorControl &sensor)
{
    if (!m_judged || !m_store || !m_error.isEmpty() || !m_sink->error().isEmpty())
        return;
    try {
        m_judged->judge(sensor, *m_store, m_instrument);
    } catch (const HistoryError &e) {
        m_error = e.message();
    }
}

void StoringCommand::noteInstrument(const QString &serial, const QString &model,
                                    const QString &firmware)
{
    if (!m_store)
        return;
    try {
        m_store->noteInstrument(serial, model, firmware);
    } catch (const HistoryError &e) {
        m_error = e.message();
    }
}

void StoringCommand::store(const Measurement &measurement)
{
    if (!m_store || !m_error.isEmpty()) {
        m_notStored = 1;
        return;
    }
    try {
        m_store->add({measurement});
    } catch (const HistoryError &e) {
        m_error = e.message();
        m_notStored = 1;
    }
}

int StoringCommand::finish(int status, int transferred, const QString &file)
{
    if (!m_run.location)
        return status;
    QString error = m_error;
    int notStored = transferred;
    if (m_sink) {
        notStored = m_sink->notStored();
        if (error.isEmpty())
            error = m_sink->error();
    } else if (m_store) {
        notStored = m_notStored;
    }
    if (error.isEmpty() || notStored == 0)
        return status;
    QString what = m_source == MeasurementSource::Live ? QStringLiteral("the measurement was")
                   : notStored == 1                    ? QStringLiteral("1 record was")
                                    : QStringLiteral("%1 records were").arg(notStored);
    QString later;
    if (!file.isEmpty() && file != QLatin1String("-"))
        later = QStringLiteral("; quvane history import %1 adds them later").arg(file);
    say(QStringLiteral("%1 not stored in the history: %2%3").arg(what, error, later));
    return status == 0 ? 1 : status;
}

int addStandard(const HistoryRun &run, const QString &name, const QCommandLineParser &parser,
                const std::optional<Standard> &fromSetup)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    Standard standard;
    if (fromSetup) {
        standard = *fromSetup;
    } else if (parser.isSet(QStringLiteral("measurement"))) {
        bool ok = false;
        const qint64 id = parser.value(QStringLiteral("measurement")).toLongLong(&ok);
        std::optional<StoredMeasurement> row;
        try {
            row = ok ? store->find(id) : std::nullopt;
        } catch (const HistoryError &e) {
            return say(e.message());
        }
        if (!row)
            return say(QStringLiteral("the history holds no measurement %1")
                           .arg(parser.value(QStringLiteral("measurement"))));
        standard.origin = Standard::Origin::Measurement;
        standard.measurement = row->id;
        standard.instrument = row->value.instrumentSerial;
        standard.spectrum = row->value.spectrum;
    } else {
        const QString file = parser.value(QStringLiteral("file"));
        std::optional<DatalogRecord> first;
        try {
            DatalogFileReader(run.text).read(file, [&first](const DatalogRecord &record, int) {
                if (!first)
                    first = record;
            });
        } catch (const QuvaneError &e) {
            return say(QStringLiteral("%1: %2").arg(file, e.description()));
        }
        if (!first)
            return say(QStringLiteral("%1 holds no measurement").arg(file));
        standard.origin = Standard::Origin::File;
        standard.spectrum = first->spectrum;
    }
    standard.name = name;
    try {
        store->addStandard(standard);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return 0;
}

int listStandards(const HistoryRun &run)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    QString text;
    try {
        for (const Standard &s : store->standards())
            text +=
                QStringLiteral("%1  %2  %3%4\n")
                    .arg(s.name, -24)
                    .arg(s.spectral ? QStringLiteral("spectrum")
                                    : QStringLiteral("L*a*b* %1/%2")
                                          .arg(Colour::illuminantName(s.illuminant))
                                          .arg(s.observer == Colour::Observer::TwoDegree ? 2 : 10),
                         -16)
                    .arg(originName(s.origin),
                         s.verification ? QStringLiteral("  verification tile") : QString());
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return print(text);
}

int showStandard(const HistoryRun &run, const QString &name)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    std::optional<Standard> s;
    try {
        s = store->standard(name);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    if (!s)
        return say(QStringLiteral("the history holds no standard named \"%1\"").arg(name));
    QString text;
    const auto line = [&text](const char *label, const QString &value) {
        text += QStringLiteral("%1%2\n").arg(QLatin1String(label), -13).arg(value);
    };
    line("Name", s->name);
    line("Origin", s->origin == Standard::Origin::Setup
                       ? QStringLiteral("set-up %1 of %2").arg(s->setup).arg(s->instrument)
                   : s->origin == Standard::Origin::Measurement && s->measurement > 0
                       ? QStringLiteral("measurement %1").arg(s->measurement)
                   : s->origin == Standard::Origin::Measurement
                       ? QStringLiteral("a measurement shown in the utility")
                       : QStringLiteral("a file"));
    line("Created", iso(s->created));
    line("Changed", QStringLiteral("%1 (revision %2)").arg(iso(s->changed)).arg(s->revision));
    line("Tolerance", toleranceText(s->toleranceSet()) +
                          (s->tolerance ? QString() : QStringLiteral(" (the default)")));
    if (s->verification)
        line("Verification", s->certificate.isEmpty()
                                 ? QStringLiteral("a tile (no certificate named)")
                                 : QStringLiteral("a tile, certificate %1").arg(s->certificate));
    if (!s->spectral) {
        line("Conditions", QStringLiteral("%1/%2")
                               .arg(Colour::illuminantName(s->illuminant))
                               .arg(s->observer == Colour::Observer::TwoDegree ? 2 : 10));
        line("L* a* b*", QStringLiteral("%1 %2 %3")
                             .arg(s->lab[0], 0, 'f', 2)
                             .arg(s->lab[1], 0, 'f', 2)
                             .arg(s->lab[2], 0, 'f', 2));
        return print(text);
    }
    return print(text + QLatin1Char('\n') + measurementText(s->spectrum, run.measure));
}

int renameStandard(const HistoryRun &run, const QString &name, const QString &newName)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    try {
        store->renameStandard(name, newName);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return 0;
}

int markVerification(const HistoryRun &run, const QString &name, bool tile,
                     const QString &certificate)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    try {
        store->setVerification(name, tile, certificate);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return 0;
}

int removeStandard(const HistoryRun &run, const QString &name)
{
    QString error;
    const std::unique_ptr<HistoryStore> store = openStore(run, error);
    if (!store)
        return say(error);
    try {
        store->removeStandard(name);
    } catch (const HistoryError &e) {
        return say(e.message());
    }
    return 0;
}

} // namespace quvane
