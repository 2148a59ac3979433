#include "cli/QuvaneCli.h"
#include "link/Licence.h"

#include "cli/HistoryCommands.h"
#include "cli/JudgeCommands.h"
#include "cli/MeasureCommand.h"
#include "cli/TerminalProgress.h"
#include "link/InstrumentOperations.h"
#include "link/InstrumentSession.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "policy/TransferMessages.h"
#include "records/QVMeasure.h"
#include "records/QVSetup.h"
#include "records/ScreenBitmap.h"
#include "records/SetupText.h"
#include "store/HistoryError.h"
#include "transfer/BulkTransfers.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace quvane {

namespace {

constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int BadUsage = 2;

// The options: each with the commands it belongs to (none: every command), in the order the
// message for a misplaced one names them.
struct Option
{
    const char *name;
    const char *shortName; // or nullptr
    const char *valueName; // nullptr for a switch
    const char *description;
    const char *help; // the help's text beside it; a line break continues it below
    QStringList commands;
};
const Option Options[] = {
    {"delimiter",
     nullptr,
     "DELIMITER",
     "Field delimiter: tab, comma or one character.",
     "field delimiter: tab, comma or one character",
     {"capture", "convert"}},
    {"yes",
     nullptr,
     nullptr,
     "Confirm clear-datalog and history delete.",
     "confirm clear-datalog and history delete",
     {"clear-datalog", "history delete"}},
    {"illuminant",
     nullptr,
     "NAME",
     "measure: A, C, D50, D55, D65 (default), D75, F2, F7 or F11.",
     "measure: A, C, D50, D55, D65 (default), D75, F2, F7\nor F11; standard tolerance: the "
     "primary condition's\n(the standard's own by default)",
     {"measure", "history show", "standard show", "standard tolerance"}},
    {"observer",
     nullptr,
     "DEGREES",
     "measure: 2 or 10 (default) degrees.",
     "measure: 2 or 10 (default)",
     {"measure", "history show", "standard show", "standard tolerance"}},
    {"scale",
     nullptr,
     "SCALE",
     "measure: lab (default), lch, hunter, xyz, yxy or luv.",
     "measure: lab (default), lch, hunter, xyz, yxy or luv",
     {"measure", "history show", "standard show"}},
    {"format",
     nullptr,
     "FORMAT",
     "measure, capture, convert: text (default) or cgats; history list: text, csv, cgats, "
     "xlsx or cxf.",
     "measure, capture, convert: text (default) or cgats;\nhistory list: text, csv, cgats, xlsx "
     "or cxf",
     {"measure", "capture", "convert", "history list"}},
    {"history",
     nullptr,
     "LOCATION",
     "The history: a file, or postgresql://[USER@]HOST[:PORT]/DATABASE.",
     "the history: a file, or\npostgresql://[USER@]HOST[:PORT]/DATABASE",
     {"capture", "convert", "measure", "history import", "history list", "history show",
      "history delete", "standard add", "standard list", "standard show", "standard rename",
      "standard remove", "standard tolerance", "standard export", "standard import",
      "standard verification", "report"}},
    {"no-history",
     nullptr,
     nullptr,
     "Do not store in the history.",
     "capture, convert, measure: do not store in the history",
     {"capture", "convert", "measure"}},
    {"since",
     nullptr,
     "DATE",
     "history list: taken on or after DATE.",
     "history list: taken on or after DATE (2026-12-06)",
     {"history list", "report"}},
    {"until",
     nullptr,
     "DATE",
     "history list: taken on or before DATE.",
     "history list: taken on or before DATE",
     {"history list", "report"}},
    {"product",
     nullptr,
     "TEXT",
     "history list: of the product set-up named TEXT.",
     "history list: of the product set-up named TEXT",
     {"history list", "report"}},
    {"sample",
     nullptr,
     "PATTERN",
     "history list: sample IDs matching PATTERN (* and ?).",
     "history list: sample IDs matching PATTERN (* and ?)",
     {"history list", "report"}},
    {"instrument",
     nullptr,
     "SERIAL",
     "history list: of the instrument SERIAL.",
     "history list: of the instrument SERIAL",
     {"history list", "report"}},
    {"station",
     nullptr,
     "HOST",
     "history list: stored by the station HOST.",
     "history list: stored by the station HOST",
     {"history list", "report"}},
    {"certificate",
     nullptr,
     "TEXT",
     "standard verification: the tile's certificate.",
     "standard verification: the tile's certificate",
     {"standard verification"}},
    {"off",
     nullptr,
     nullptr,
     "standard verification: the standard is no verification tile.",
     "standard verification: no verification tile",
     {"standard verification"}},
    {"base-since",
     nullptr,
     "DATE",
     "report: the control chart's base period from DATE.",
     "report: the control chart's base period from DATE",
     {"report"}},
    {"base-until",
     nullptr,
     "DATE",
     "report: the control chart's base period until DATE.",
     "report: the control chart's base period until DATE",
     {"report"}},
    {"source",
     nullptr,
     "SOURCE",
     "history list: live, capture, conversion or import.",
     "history list: live, capture, conversion or import",
     {"history list", "report"}},
    {"limit",
     nullptr,
     "N",
     "history list: the newest N; standard tolerance: the formula's limit.",
     "history list: the newest N; standard tolerance: the\nformula's limit (1)",
     {"history list", "standard tolerance", "report"}},
    {"measurement",
     nullptr,
     "ID",
     "standard add: from the history's measurement ID.",
     "standard add: from the history's measurement ID",
     {"standard add"}},
    {"setup",
     nullptr,
     "N",
     "standard add: from the instrument's set-up N.",
     "standard add: from the instrument's set-up N",
     {"standard add"}},
    {"file",
     nullptr,
     "FILE",
     "standard add: from a capture or CGATS file's first record.",
     "standard add: from a capture or CGATS file's first\nrecord",
     {"standard add"}},
    {"standard",
     nullptr,
     "NAME",
     "Judge against the history's standard NAME.",
     "measure, history list, report: judge against the\nstandard NAME",
     {"measure", "history list", "report"}},
    {"by-setup",
     nullptr,
     nullptr,
     "history list: each datalog record's verdict against its set-up beside the instrument's.",
     "history list: SETUP_VERDICT, a datalog record's verdict\nagainst its set-up, beside "
     "INSTRUMENT_VERDICT",
     {"history list"}},
    {"average",
     nullptr,
     "N",
     "measure: the mean of N readings (1 to 25), each stored, with their spread.",
     "measure: the mean of N readings (1 to 25), each stored,\nwith their spread",
     {"measure"}},
    {"method",
     nullptr,
     "METHOD",
     "standard tolerance: de2000, cmc, de94, deab, hunter, box-lab or box-lch.",
     "standard tolerance: de2000, cmc, de94, deab, hunter,\nbox-lab or box-lch",
     {"standard tolerance"}},
    {"limits",
     nullptr,
     "MINUS,PLUS",
     "standard tolerance: a box's limits, for all three differences or six, each's.",
     "standard tolerance: a box's limits, MINUS,PLUS for all\nthree differences or six, each's",
     {"standard tolerance"}},
    {"warn",
     nullptr,
     "F",
     "standard tolerance: a warning above F of a limit (0.8).",
     "standard tolerance: a warning above F of a limit (0.8)",
     {"standard tolerance"}},
    {"l",
     nullptr,
     "L",
     "standard tolerance: CMC's l, or kL of de94 and de2000.",
     "standard tolerance: CMC's l (2), kL of de94, de2000 (1)",
     {"standard tolerance"}},
    {"c",
     nullptr,
     "C",
     "standard tolerance: CMC's c, or kC of de94 and de2000.",
     "standard tolerance: CMC's c, kC of de94, de2000 (1)",
     {"standard tolerance"}},
    {"secondary",
     nullptr,
     "ILL/OBS[:LIMIT]",
     "standard tolerance: a secondary condition (up to two).",
     "standard tolerance: a secondary condition, A/10 or\nA/10:2 (up to two)",
     {"standard tolerance"}},
    {"help", "h", nullptr, "Show this help.", "show this help", {}},
    {"version", "v", nullptr, "Show the version.", "show the version", {}},
};

// A line of the help: the name column, then the text, its further lines below it.
QString helpEntry(const QString &name, int width, const char *text)
{
    QString entry = QStringLiteral("  %1").arg(name, -width);
    const QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    entry += lines.join(QLatin1Char('\n') + QString(width + 2, QLatin1Char(' ')));
    return entry + QLatin1Char('\n');
}

// An instrument's text as a terminal shows it safely: control characters (C0, DEL and C1) as
// \xNN, so that no escape sequence reaches the terminal.
QString escaped(const QString &text)
{
    QString out;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == '\\')
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// Messages go to a terminal escaped: a file name or an instrument's text may hold anything.
int fail(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(escaped(message)));
    return Failure;
}

int usageError(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\nTry 'quvane --help'.\n", qPrintable(escaped(message)));
    return BadUsage;
}

// The delimiter --delimiter names, or else the utility's stored preference; false for a value
// that names none.
bool delimiterOf(const QCommandLineParser &parser, const DelimiterSettings &stored,
                 QString &delimiter)
{
    DelimiterSettings settings = stored;
    if (parser.isSet(QStringLiteral("delimiter"))) {
        const QString value = parser.value(QStringLiteral("delimiter"));
        if (value == QLatin1String("tab"))
            settings = {true, false, {}};
        else if (value == QLatin1String("comma"))
            settings = {false, false, {}};
        else if (value.size() == 1 && modGlobals::IsDelimiterCharacter(value.at(0)))
            settings = {false, true, value};
        else
            return false;
    }
    delimiter = modGlobals::GetDelimiter(settings);
    return true;
}

// Connects as the utility does at start-up; false (with the reason printed) when no usable
// instrument answers.
bool connectInstrument(InstrumentSession &session, const LinkOptions &link)
{
    SensorControl &sensor = session.sensor();
    sensor.ConnectOption = SensorControl::ConnectByOptions;
    sensor.Connect(link);
    if (!sensor.traceError().isEmpty())
        fail(sensor.traceError() + QStringLiteral(" (QUVANE_TRACE); going on without a trace"));
    if (!sensor.IsConnected()) {
        fail(QStringLiteral("Instrument not connected or turned off (%1)")
                 .arg(sensor.connectionError()));
        return false;
    }
    if (!sensor.FirmwareSupported()) {
        fail(QStringLiteral("the firmware %1 of the attached instrument is not compatible with "
                            "this program; please contact Velmora to obtain upgrade information")
                 .arg(sensor.FirmwareVersion()));
        return false;
    }
    session.readIdentity();
    return true;
}

// written: the file the transfer wrote, empty for a restore; stop: the signal that stopped it.
int exitStatus(const TransferOutcome &outcome, const QString &written = {}, int stop = SIGINT)
{
    stop = stop != 0 ? stop : SIGINT;
    switch (outcome.result) {
    case TransferResult::Completed:
        return Success;
    case TransferResult::Cancelled: {
        const QString by = stop == SIGTERM  ? QStringLiteral("stopped by SIGTERM")
                           : stop == SIGHUP ? QStringLiteral("stopped as the terminal closed")
                                            : QStringLiteral("stopped by Ctrl-C");
        const QString kept = describe(outcome).kept;
        if (!kept.isEmpty())
            fail(QStringLiteral("%1. %2").arg(by, kept));
        else if (written == QLatin1String("-"))
            fail(by + QStringLiteral("; what was transferred before went to standard output"));
        else if (!written.isEmpty())
            fail(QStringLiteral("%1; %2 holds what was transferred before").arg(by, written));
        else
            fail(by + QStringLiteral("; the set-ups sent before it were restored"));
        return 128 + stop; // as a shell reports a program that the signal ended
    }
    case TransferResult::Refused:
    case TransferResult::Failed:
        break;
    }
    return fail(describe(outcome).line());
}

// Writes text to standard output; a failed write (a full disk, a closed pipe) is a failure.
int print(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0)
        return fail(QStringLiteral("cannot write to standard output: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return Success;
}

// The set-up number of "setup N", 0 when it names none.
int setupNumber(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= 100 ? n : 0;
}

// One product set-up, a member a line, with the texts of its codes.
int showSetup(SensorControl &sensor, int n)
{
    QVSetup setup(sensor);
    setup.Read(static_cast<qint16>(n));
    const TextFormat format;
    auto number4 = [&format](float value) {
        QByteArray text;
        format.appendFixed(text, value, 4);
        return QString::fromLatin1(text);
    };
    auto coded = [](qint32 item, qint32 code) {
        return QStringLiteral("%1 (%2)").arg(SetupChoiceText(item, code)).arg(code);
    };
    QString text;
    auto line = [&text](const char *name, const QString &value) {
        text += QStringLiteral("%1%2\n").arg(QLatin1String(name), -20).arg(value);
    };
    line("SetupNumber", QString::number(setup.SetupNumber));
    line("ProductName", escaped(setup.ProductName));
    line("StandardType", coded(SetupItem::StandardType, setup.StandardType));
    line("DisplayMode", coded(SetupItem::DisplayMode, setup.DisplayMode));
    line("Illuminant", coded(SetupItem::Illuminant, setup.Illuminant));
    line("Observer", coded(SetupItem::Observer, setup.Observer));
    line("ColorScale", coded(SetupItem::ColorScale, setup.ColorScale));
    line("ColorIndex", coded(SetupItem::ColorIndex, setup.ColorIndex));
    line("ColorDiffScale", coded(SetupItem::ColorDiffScale, setup.ColorDiffScale()));
    line("ColorDiffIndex", coded(SetupItem::ColorDiffIndex, setup.ColorDiffIndex()));
    line("AverageCount", QString::number(setup.AverageCount));
    line("CommercialFactor", number4(setup.CommercialFactor));
    line("l2cRatio", number4(setup.l2cRatio));
    line("Spectral", setup.Spectral ? QStringLiteral("True") : QStringLiteral("False"));
    QStringList values;
    for (qint16 i = 1; i <= 3; ++i)
        values << number4(setup.ScaleData(i));
    line("ScaleData", values.join(QLatin1Char(' ')));
    line("IndexData", number4(setup.IndexData()));
    values.clear();
    for (qint16 i = 1; i <= 3; ++i)
        values << number4(setup.ScaleTolerance(i));
    line("ScaleTolerance", values.join(QLatin1Char(' ')));
    line("IndexTolerance", number4(setup.IndexTolerance()));
    values.clear();
    for (qint16 i = 1; i <= 3; ++i)
        values << number4(setup.ScaleHitch(i));
    line("ScaleHitch", values.join(QLatin1Char(' ')));
    line("IndexHitch", number4(setup.IndexHitch()));
    values.clear();
    for (qint16 i = 1; i <= 31; ++i)
        values << number4(setup.Spectrum(i));
    line("Spectrum", values.join(QLatin1Char(' ')));
    return print(text);
}

int identify(InstrumentSession &session)
{
    const SensorControl &sensor = session.sensor();
    InstrumentOperations &operations = session.operations();
    const TextFormat format;
    const double stdz = operations.StdzTimestamp();
    const qint16 count = operations.DatalogCount();
    const QString text =
        QStringLiteral("Model:                %1\n"
                       "Firmware:             %2\n"
                       "Serial number:        %3\n"
                       "Geometry:             %4\n"
                       "Last standardization: %5\n"
                       "Datalog:              %6\n")
            .arg(escaped(sensor.InstrumentName()), escaped(sensor.FirmwareVersion()),
                 escaped(sensor.SerialNumber()),
                 InstrumentOperations::GeometryText(sensor.Flavor(), session.identity().type),
                 format.generalDate(modGlobals::FromPcDate(stdz)),
                 InstrumentOperations::DatalogFillText(count));
    return print(text);
}

// What a command runs with, once its arguments are checked.
struct CommandRun
{
    const QStringList &operands; // its own arguments
    const MeasureOptions &measure;
    bool toStandardOutput; // its last operand is "-", and it writes
    InstrumentSession &session;
    BulkTransfers &transfers;
    DatalogFormat format; // of a capture's or a conversion's file
    TerminalProgress &progress;
    const HistoryRun &history;
    const QCommandLineParser &parser;
    const LinkOptions &link;
    const CliEnvironment &environment;
};

// The name a message gives an operand: "-" read is standard input.
QString inputName(const QString &operand)
{
    return operand == QLatin1String("-") ? QStringLiteral("standard input") : operand;
}

int runConvert(CommandRun &run)
{
    StoringCommand history(run.history, MeasurementSource::Conversion);
    const TransferOutcome outcome = run.transfers.ConvertDatalog(
        run.operands[0], {run.operands[1], run.format}, history.sinks());
    return history.finish(exitStatus(outcome, run.operands[1]), outcome.records, run.operands[1]);
}

int runCapture(CommandRun &run)
{
    const qint16 count = run.session.operations().DatalogCount();
    if (count <= 0) {
        std::fputs("quvane: Datalog is empty\n", stderr);
        return Success;
    }
    const SensorControl &sensor = run.session.sensor();
    StoringCommand history(run.history, MeasurementSource::Capture, sensor.SerialNumber());
    history.noteInstrument(sensor.SerialNumber(), sensor.InstrumentName(),
                           sensor.FirmwareVersion());
    // The outcome first: the signal that stopped the transfer is known after it.
    const TransferOutcome outcome =
        run.transfers.UploadDatalog(count, {run.operands[0], run.format}, history.sinks());
    // The records stored, judged against their set-ups once the datalog is in (not after a
    // stop signal, which asks to end).
    if (outcome.result != TransferResult::Failed && run.progress.stopSignal() == 0)
        history.judgeBySetups(run.session.sensor());
    return history.finish(exitStatus(outcome, run.operands[0], run.progress.stopSignal()),
                          outcome.records, run.operands[0]);
}

int runArchive(CommandRun &run)
{
    const TransferOutcome outcome = run.transfers.UploadSetups(run.operands[0]);
    return exitStatus(outcome, run.operands[0], run.progress.stopSignal());
}

int runRestore(CommandRun &run)
{
    const QString &archive = run.operands[0];
    const TransferOutcome restored = run.transfers.DownloadSetups(archive);
    if (restored.stage == TransferStage::NotAnArchive)
        return fail(QStringLiteral("%1 is not a product set-up archive; nothing was restored")
                        .arg(inputName(archive)));
    if (restored.result == TransferResult::Completed && restored.archived == 0)
        return fail(QStringLiteral("%1 holds no product set-ups; nothing was restored")
                        .arg(inputName(archive)));
    if (!restored.refusedLines.isEmpty() && restored.result != TransferResult::Failed) {
        QStringList lines;
        for (int line : restored.refusedLines)
            lines << QString::number(line);
        return fail(QStringLiteral("the instrument refused the set-ups of %1 %2 of %3; the others "
                                   "were restored")
                        .arg(lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                             lines.join(QStringLiteral(", ")), archive));
    }
    return exitStatus(restored, {}, run.progress.stopSignal());
}

int runClearDatalog(CommandRun &run)
{
    run.session.operations().ClearDatalog();
    return Success;
}

int runSetClock(CommandRun &run)
{
    run.session.operations().SetDateAndTime();
    return Success;
}

int runIdentify(CommandRun &run)
{
    return identify(run.session);
}

int runScreen(CommandRun &run)
{
    const QByteArray bitmap = ScreenBitmap::header() + ScreenBitmap::readBits(run.session.sensor());
    std::optional<OutputFile> file;
    if (run.toStandardOutput)
        file.emplace(OutputFile::StandardOutput);
    else
        file.emplace(run.operands[0]);
    file->write(bitmap);
    file->commit();
    return Success;
}

int runSetup(CommandRun &run)
{
    return showSetup(run.session.sensor(), setupNumber(run.operands[0]));
}

int runMeasure(CommandRun &run)
{
    // The standard first: a name the history does not hold is said before anything is measured.
    std::optional<Standard> standard;
    if (run.parser.isSet(QStringLiteral("standard"))) {
        QString error;
        standard = loadStandard(run.history, run.parser.value(QStringLiteral("standard")), error);
        if (!standard)
            return fail(error);
    }
    const SensorControl &sensor = run.session.sensor();
    const int count = run.parser.isSet(QStringLiteral("average"))
                          ? run.parser.value(QStringLiteral("average")).toInt()
                          : 1;
    // Each reading is stored as it is taken; then, of several, their mean.
    StoringCommand history(run.history, MeasurementSource::Live, sensor.SerialNumber());
    history.noteInstrument(sensor.SerialNumber(), sensor.InstrumentName(),
                           sensor.FirmwareVersion());
    QList<Colour::Spectrum> readings;
    Measurement last;
    for (int i = 0; i < count; ++i) {
        QVMeasure measurement(run.session.sensor());
        measurement.Measure();
        const QDateTime previous = last.taken;
        last = measurement.measurement();
        // Readings of one millisecond would be one measurement to the history.
        if (previous.isValid() && last.taken <= previous)
            last.taken = previous.addMSecs(1);
        history.store(last);
        readings << last.spectrum;
    }
    const Colour::Colorimeter meter(run.measure.illuminant, run.measure.observer);
    const Colour::Repeatability spread = Colour::averageReadings(readings, meter);
    QString text = measurementText(spread.mean, run.measure);
    if (count > 1) {
        Measurement mean = last;
        mean.spectrum = spread.mean;
        mean.readings = count;
        mean.taken = last.taken.addMSecs(1); // after its readings, and not one of them
        history.store(mean);
        if (!run.measure.cgats)
            text += QStringLiteral("\nReadings:             %1, their mean above\n"
                                   "Deviation (%2):  L* %3  a* %4  b* %5\n"
                                   "Largest dE*ab:        %6 from the mean\n")
                        .arg(count)
                        .arg(Colour::conditionName({meter.illuminant(), meter.observer()}), -6)
                        .arg(spread.deviation.L, 0, 'f', 2)
                        .arg(spread.deviation.a, 0, 'f', 2)
                        .arg(spread.deviation.b, 0, 'f', 2)
                        .arg(spread.largestDeltaE, 0, 'f', 2);
    }
    bool failed = false;
    if (standard) {
        const Colour::Judgement judgement =
            Colour::judge(standard->colour(), spread.mean, standard->toleranceSet());
        text += QLatin1Char('\n') + judgementText(*standard, judgement);
        failed = judgement.judged() && judgement.overall == Colour::Verdict::Fail;
    }
    // A FAIL is the exit status even when the history could not take the measurement.
    const int status = history.finish(print(text), 1);
    return failed ? FailedVerdict : status;
}

int runStandardAdd(CommandRun &run)
{
    std::optional<Standard> fromSetup;
    if (run.parser.isSet(QStringLiteral("setup"))) {
        // The one command that needs the instrument only with one of its options.
        if (!connectInstrument(run.session, run.link))
            return Failure;
        QVSetup setup(run.session.sensor());
        setup.Read(qint16(setupNumber(run.parser.value(QStringLiteral("setup")))));
        fromSetup = Standard::fromSetup(setup, run.session.sensor().SerialNumber());
        if (!fromSetup)
            return fail(QStringLiteral("set-up %1 keeps neither its standard's spectrum nor its "
                                       "CIE L*a*b* values")
                            .arg(setup.SetupNumber));
    }
    return addStandard(run.history, run.operands[0], run.parser, fromSetup);
}

int runStandardExport(CommandRun &run)
{
    return exportStandards(run.history, run.operands.mid(0, run.operands.size() - 1),
                           run.operands.last());
}

int runStandardImport(CommandRun &run)
{
    return importStandards(run.history, run.operands[0]);
}

int runStandardList(CommandRun &run)
{
    return listStandards(run.history);
}

int runStandardShow(CommandRun &run)
{
    return showStandard(run.history, run.operands[0]);
}

int runStandardTolerance(CommandRun &run)
{
    return setStandardTolerance(run.history, run.operands[0], run.parser);
}

int runStandardRename(CommandRun &run)
{
    return renameStandard(run.history, run.operands[0], run.operands[1]);
}

int runStandardVerification(CommandRun &run)
{
    return markVerification(run.history, run.operands[0], !run.parser.isSet(QStringLiteral("off")),
                            run.parser.value(QStringLiteral("certificate")));
}

int runStandardRemove(CommandRun &run)
{
    return removeStandard(run.history, run.operands[0]);
}

int runHistoryImport(CommandRun &run)
{
    return importHistory(run.history, run.operands, run.progress);
}

int runHistoryList(CommandRun &run)
{
    return listHistory(run.history, run.parser, run.operands.value(0));
}

int runHistoryShow(CommandRun &run)
{
    return showHistory(run.history, run.operands[0]);
}

int runReport(CommandRun &run)
{
    if (!run.environment.writeReport)
        return fail(QStringLiteral("reports are drawn by quvane-report, which is not installed "
                                   "(it comes with the package quvane-utility)"));
    return run.environment.writeReport(run.history, run.operands[0], run.parser,
                                       run.environment.letterPaper);
}

int runHistoryDelete(CommandRun &run)
{
    return deleteHistory(run.history, run.operands, run.parser.isSet(QStringLiteral("yes")));
}

// A usage error of a command's own arguments, or nothing.
using UsageCheck = QString (*)(const QStringList &operands, const QCommandLineParser &parser);

QString confirmed(const QStringList &, const QCommandLineParser &parser)
{
    return parser.isSet(QStringLiteral("yes"))
               ? QString()
               : QStringLiteral("clear-datalog erases the datalog; confirm with --yes");
}

QString validSetupNumber(const QStringList &operands, const QCommandLineParser &)
{
    return setupNumber(operands[0]) != 0
               ? QString()
               : QStringLiteral("Invalid Product Setup # %1 (1 to 100)").arg(operands[0]);
}

QString historyFilters(const QStringList &operands, const QCommandLineParser &parser)
{
    const QString format = parser.value(QStringLiteral("format"));
    const bool toFile = format == QLatin1String("xlsx") || format == QLatin1String("cxf");
    if (toFile != (operands.size() == 1))
        return toFile
                   ? QStringLiteral("history list --format %1 takes the FILE it writes").arg(format)
                   : QStringLiteral("history list takes a FILE with --format xlsx or cxf alone");
    return checkHistoryFilters(parser);
}

QString reportOptions(const QStringList &, const QCommandLineParser &parser)
{
    if (!parser.isSet(QStringLiteral("standard")))
        return QStringLiteral("report takes --standard NAME, the standard it judges against");
    return checkHistoryFilters(parser);
}

QString namesAndFile(const QStringList &operands, const QCommandLineParser &)
{
    return operands.size() < 2 ? QStringLiteral("standard export takes the standards' names, then "
                                                "the FILE it writes")
                               : QString();
}

QString standardSource(const QStringList &, const QCommandLineParser &parser)
{
    const int given = int(parser.isSet(QStringLiteral("measurement"))) +
                      int(parser.isSet(QStringLiteral("setup"))) +
                      int(parser.isSet(QStringLiteral("file")));
    if (given != 1)
        return QStringLiteral("standard add takes one of --measurement ID, --setup N and --file "
                              "FILE");
    if (parser.isSet(QStringLiteral("setup")) &&
        setupNumber(parser.value(QStringLiteral("setup"))) == 0)
        return QStringLiteral("Invalid Product Setup # %1 (1 to 100)")
            .arg(parser.value(QStringLiteral("setup")));
    return {};
}

QString judgedAsText(const QStringList &, const QCommandLineParser &parser)
{
    bool ok = false;
    const int average = parser.value(QStringLiteral("average")).toInt(&ok);
    if (parser.isSet(QStringLiteral("average")) && (!ok || average < 1 || average > 25))
        return QStringLiteral("--average takes a number of readings from 1 to 25");
    return parser.isSet(QStringLiteral("standard")) &&
                   parser.value(QStringLiteral("format")) == QLatin1String("cgats")
               ? QStringLiteral("measure --standard prints its verdict as text, not with "
                                "--format cgats")
               : QString();
}

QString validTolerance(const QStringList &, const QCommandLineParser &parser)
{
    return checkTolerance(parser);
}

QString notToATerminal(const QStringList &operands, const QCommandLineParser &)
{
    // A bitmap on a terminal is noise that may reprogram it.
    return operands[0] == QLatin1String("-") && ::isatty(STDOUT_FILENO) == 1
               ? QStringLiteral("screen - writes a bitmap, not to a terminal; redirect standard "
                                "output or give a file name")
               : QString();
}

constexpr int OneOrMore = -1, AtMostOne = -2;

// The commands, in the help's order.
struct Command
{
    const char *name;
    const char *usage; // the help's name column
    int operands;      // how many, or OneOrMore, AtMostOne
    const char *help;  // beside it; a line break continues it below
    bool instrument;   // it talks to the instrument
    bool writes;       // its last operand is a file it writes ("-": standard output)
    bool transfer;     // Ctrl-C stops it after the item in hand
    bool delimited;    // it writes delimited text
    UsageCheck check;
    int (*run)(CommandRun &);
};
const Command Commands[] = {
    {"capture", "capture FILE", 1,
     "capture the instrument's datalog into a delimited text\nfile (--format cgats: CGATS.17 "
     "text, as Argyll CMS\nreads it)",
     true, true, true, true, nullptr, runCapture},
    {"convert", "convert SOURCE FILE", 2, "convert a DATALOG.QV3 file into a delimited text file",
     false, true, true, true, nullptr, runConvert},
    {"archive", "archive FILE", 1, "archive the 100 product set-ups into a file", true, true, true,
     false, nullptr, runArchive},
    {"restore", "restore FILE", 1, "restore the product set-ups of an archive file", true, false,
     true, false, nullptr, runRestore},
    {"clear-datalog", "clear-datalog --yes", 0, "clear the instrument's datalog", true, false,
     false, false, confirmed, runClearDatalog},
    {"set-clock", "set-clock", 0, "set the instrument's clock to this computer's clock", true,
     false, false, false, nullptr, runSetClock},
    {"identify", "identify", 0, "show the instrument's identification", true, false, false, false,
     nullptr, runIdentify},
    {"screen", "screen FILE", 1, "save the instrument's display as a 128 x 128 bitmap file", true,
     true, false, false, notToATerminal, runScreen},
    {"setup", "setup N", 1, "show product set-up N (1 to 100) as text", true, false, false, false,
     validSetupNumber, runSetup},
    {"measure", "measure", 0,
     "measure once; show the spectrum and its colour values\n[--illuminant D65] [--observer 10] "
     "[--scale lab]\n[--format text|cgats] [--standard NAME] [--average N]",
     true, false, false, false, judgedAsText, runMeasure},
    {"history import", "history import FILE...", -1,
     "add capture, CGATS, DATALOG.QV3 and CxF3 files to the\nhistory", false, false, true, false,
     nullptr, runHistoryImport},
    {"history list", "history list [FILE]", AtMostOne,
     "list the history, newest first [--since DATE]\n[--until DATE] [--product TEXT] [--sample "
     "PATTERN]\n[--instrument SERIAL] [--station HOST] [--source SOURCE]\n[--limit N] "
     "[--format text|csv|cgats|xlsx|cxf]\n[--standard NAME] [--by-setup]; xlsx, cxf: to FILE",
     false, false, false, false, historyFilters, runHistoryList},
    {"history show", "history show ID", 1,
     "show one measurement with its colour values (the\nmeasure options apply)", false, false,
     false, false, nullptr, runHistoryShow},
    {"standard add", "standard add NAME", 1,
     "add a standard to the history, from --measurement ID,\n--setup N or --file FILE", false,
     false, false, false, standardSource, runStandardAdd},
    {"standard list", "standard list", 0, "list the history's standards", false, false, false,
     false, nullptr, runStandardList},
    {"standard show", "standard show NAME", 1,
     "show a standard with its colour values (the measure\noptions apply)", false, false, false,
     false, nullptr, runStandardShow},
    {"standard rename", "standard rename OLD NEW", 2, "rename a standard", false, false, false,
     false, nullptr, runStandardRename},
    {"standard tolerance", "standard tolerance NAME", 1,
     "set how a standard judges: --method, its --limit or\n--limits, --warn, --l and --c, the "
     "primary\n--illuminant and --observer, --secondary",
     false, false, false, false, validTolerance, runStandardTolerance},
    {"standard verification", "standard verification NAME", 1,
     "mark a standard as a verification tile [--certificate\nTEXT], or not (--off)", false, false,
     false, false, nullptr, runStandardVerification},
    {"standard remove", "standard remove NAME", 1, "remove a standard from the history", false,
     false, false, false, nullptr, runStandardRemove},
    {"standard export", "standard export NAME... FILE", OneOrMore,
     "write standards with their tolerances as CxF3", false, true, false, false, namesAndFile,
     runStandardExport},
    {"standard import", "standard import FILE", 1,
     "add the standards of a CxF3 file to the history", false, false, false, false, nullptr,
     runStandardImport},
    {"report", "report FILE", 1,
     "a PDF report of --standard NAME's measurements: of\none a batch report, else a period "
     "report with\ntrends and statistics [--since DATE] [--until DATE]\n[--sample PATTERN] "
     "[--product TEXT] [--instrument\nSERIAL] [--station HOST] [--source SOURCE] [--limit\nN] "
     "[--base-since DATE] [--base-until DATE]",
     false, true, false, false, reportOptions, runReport},
    {"history delete", "history delete ID...", -1,
     "delete measurements from the history (--yes, or asked)", false, false, false, false, nullptr,
     runHistoryDelete},
};

QString usage()
{
    QString text = QStringLiteral("Usage: quvane COMMAND [ARGUMENTS] [--delimiter tab|comma|CHAR]\n"
                                  "\n"
                                  "Commands:\n");
    for (const Command &command : Commands)
        text += helpEntry(QLatin1String(command.usage), 21, command.help);
    text += QStringLiteral(
        "\n"
        "The instrument is the one QUVANE_PORT names (sim, tcp://HOST:PORT or a serial\n"
        "port), as for the utility. The delimiter is the utility's stored preference\n"
        "unless --delimiter is given. Numbers and dates follow the locale of the\n"
        "environment. A FILE or SOURCE of \"-\" is standard output (standard input for\n"
        "restore and convert's SOURCE); put -- before a file name that starts with -.\n"
        "Ctrl-C stops a capture, archive or restore after the record in transfer and\n"
        "keeps what was transferred; a second Ctrl-C ends at once.\n"
        "Capture, convert and measure also store what they read in the history: the\n"
        "one --history names, else QUVANE_HISTORY, else the utility's preference, else\n"
        "~/.local/share/Quvane/history.sqlite. What the history could not take is\n"
        "said, and the exit status is 1; the file is written all the same.\n"
        "\n"
        "Options:\n");
    for (const Option &option : Options) {
        QString name = QStringLiteral("--") + QLatin1String(option.name);
        if (option.shortName)
            name = QStringLiteral("-%1, ").arg(QLatin1String(option.shortName)) + name;
        if (option.valueName)
            name += QLatin1Char(' ') + QLatin1String(option.valueName);
        text += helpEntry(name, 23, option.help);
    }
    return text + QStringLiteral("\n"
                                 "Exit status: 0 success, 1 failure, 2 bad usage, 3 measured FAIL "
                                 "against\n--standard, 130 stopped by Ctrl-C\n"
                                 "(143 by SIGTERM, 129 as the terminal closed).\n");
}

// The option as it was typed, for the message about an unknown one.
int unknownOption(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return usageError(parser.errorText());
    const QString &name = unknown.first();
    QString typed = QStringLiteral("--") + name;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1Char('-') + name ||
            argument.startsWith(QLatin1Char('-') + name + QLatin1Char('='))) {
            typed = argument;
            break;
        }
    }
    if (typed.startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("unknown option %1").arg(typed));
    return usageError(
        QStringLiteral("unknown option %1; put -- before a file name that starts with -")
            .arg(typed));
}

} // namespace

bool drawsPages(const QStringList &arguments)
{
    // The command is the first argument that is neither an option nor an option's value.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--"))
            return i + 1 < arguments.size() && arguments[i + 1] == QLatin1String("report");
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            return argument == QLatin1String("report");
        if (argument.contains(QLatin1Char('=')))
            continue;
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const auto option = std::find_if(std::begin(Options), std::end(Options),
                                         [&name](const Option &o) { return name == o.name; });
        if (option != std::end(Options) && option->valueName)
            ++i;
    }
    return false;
}

int runCli(QCoreApplication &app, const LinkOptions &link, const CliEnvironment &environment)
{
    QCommandLineParser parser;
    for (const Option &option : Options) {
        QStringList names;
        if (option.shortName)
            names << QLatin1String(option.shortName);
        names << QLatin1String(option.name);
        parser.addOption(option.valueName
                             ? QCommandLineOption(names, QLatin1String(option.description),
                                                  QLatin1String(option.valueName))
                             : QCommandLineOption(names, QLatin1String(option.description)));
    }
    parser.addPositionalArgument("command", "The command to run.");
    // "-dash.txt" is one unknown option, not the short options d, a, s, h, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(app.arguments()))
        return unknownOption(parser, app.arguments());
    if (parser.isSet("help")) {
        std::fputs(qPrintable(usage()), stdout);
        return Success;
    }
    if (parser.isSet("version")) {
        std::printf("quvane %s\n%s", QUVANE_VERSION, LicenceLines);
        return Success;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    // A command of two words (history list) before one of one.
    QString name = args.first();
    QStringList operands = args.mid(1);
    if (name == QLatin1String("history") || name == QLatin1String("standard")) {
        if (operands.isEmpty())
            return usageError(name == QLatin1String("history")
                                  ? QStringLiteral("history takes import, list, show or delete")
                                  : QStringLiteral("standard takes add, list, show, tolerance, "
                                                   "rename, remove, export or import"));
        name += QLatin1Char(' ') + operands.takeFirst();
    }
    const auto known = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&name](const Command &c) { return name == c.name; });
    if (known == std::end(Commands))
        return usageError(QStringLiteral("unknown command '%1'").arg(name));
    const Command &command = *known;
    if (command.operands == OneOrMore   ? operands.isEmpty()
        : command.operands == AtMostOne ? operands.size() > 1
                                        : operands.size() != command.operands)
        return usageError(
            command.operands == OneOrMore
                ? QStringLiteral("%1 takes one or more arguments").arg(name)
            : command.operands == AtMostOne
                ? QStringLiteral("%1 takes one argument at most").arg(name)
                : QStringLiteral("%1 takes %2 argument(s)").arg(name).arg(command.operands));
    // An option of another command is bad usage, not silently ignored.
    for (const Option &option : Options) {
        if (!option.commands.isEmpty() && parser.isSet(QLatin1String(option.name)) &&
            !option.commands.contains(name))
            return usageError(QStringLiteral("--%1 is an option of %2, not of %3")
                                  .arg(QLatin1String(option.name),
                                       option.commands.join(QStringLiteral(" and ")), name));
    }
    // A name whose bytes do not decode in the locale's encoding would become another name.
    for (const QString &operand : operands) {
        if (operand.contains(QChar::ReplacementCharacter))
            return usageError(QStringLiteral("the file name '%1' is not valid in the locale's "
                                             "character set; rename the file")
                                  .arg(operand));
    }
    QString delimiterText;
    if (!delimiterOf(parser, environment.delimiter, delimiterText))
        return usageError(
            QStringLiteral("--delimiter takes tab, comma or one printable ISO-8859-1 character"));
    if (command.check) {
        const QString problem = command.check(operands, parser);
        if (!problem.isEmpty())
            return usageError(problem);
    }
    // "-" is standard output for what is written, standard input for what is read.
    const bool toStandardOutput = command.writes && operands.last() == QLatin1String("-");

    QString measureError;
    // history list's formats are its own.
    const std::optional<MeasureOptions> measureOptions = MeasureOptions::parse(
        parser.value(QStringLiteral("illuminant")), parser.value(QStringLiteral("observer")),
        parser.value(QStringLiteral("scale")),
        name == QLatin1String("history list") ? QString() : parser.value(QStringLiteral("format")),
        measureError);
    if (!measureOptions)
        return usageError(measureError);
    const QByteArray delimiter = delimiterText.toLatin1();
    // The delimited text writes numbers as the locale does: a delimiter that is the locale's
    // decimal separator makes fields that cannot be told apart. The file is written as asked.
    if (command.delimited && !measureOptions->cgats &&
        delimiter == environment.textFormat.decimalPoint())
        fail(QStringLiteral("warning: the delimiter %1 is also the decimal separator of the "
                            "locale's numbers, so the fields cannot be told apart again; "
                            "--delimiter tab keeps them apart")
                 .arg(delimiterText));

    InstrumentSession session;
    if (command.instrument) {
        // The file a command writes is checked before anything is sent to the instrument.
        if (command.writes && !toStandardOutput) {
            try {
                OutputFile::check(operands.last());
            } catch (const QuvaneError &error) {
                return fail(error.description());
            }
        }
        if (!connectInstrument(session, link))
            return Failure;
        // Qt's sockets set SIGPIPE aside when the link is TCP (they write with MSG_NOSIGNAL): a
        // closed pipe on standard output ends the command quietly again, as the shell expects
        // of `quvane capture - | head -1`, whatever the link.
        std::signal(SIGPIPE, SIG_DFL);
    }
    // Ctrl-C stops a transfer after the item in hand (a conversion reads to the end once
    // started; a second Ctrl-C ends it at once); it ends any other command at once.
    TerminalProgress progress(command.transfer, !environment.dumbTerminal);
    // Nobody is there to answer Retry: a timeout ends the transfer.
    BulkTransfers transfers({command.instrument ? &session.sensor() : nullptr,
                             delimiter,
                             environment.textFormat,
                             {},
                             {},
                             true},
                            progress);
    // The history: --history, else QUVANE_HISTORY or the preference (both read by main()); off
    // with --no-history, or when the preference turns it off and --history does not name one.
    HistoryRun history{std::nullopt, environment.station, environment.textFormat, *measureOptions};
    const bool named = parser.isSet(QStringLiteral("history"));
    if (!parser.isSet(QStringLiteral("no-history")) && (named || environment.historyOn)) {
        try {
            history.location = HistoryLocation::parse(
                named ? parser.value(QStringLiteral("history")) : environment.history);
        } catch (const HistoryError &error) {
            return usageError(error.message());
        }
    }
    CommandRun run{operands,
                   *measureOptions,
                   toStandardOutput,
                   session,
                   transfers,
                   measureOptions->cgats ? DatalogFormat::Cgats : DatalogFormat::DelimitedText,
                   progress,
                   history,
                   parser,
                   link,
                   environment};
    try {
        return command.run(run);
    } catch (const QuvaneError &error) {
        return fail(error.description());
    }
}

} // namespace quvane
