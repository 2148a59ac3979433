#include "cli/QuvaneCli.h"
#include "link/Licence.h"

#include "cli/MeasureCommand.h"
#include "cli/TerminalProgress.h"
#include "link/InstrumentOperations.h"
#include "link/InstrumentSession.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "records/QVMeasure.h"
#include "records/QVSetup.h"
#include "records/ScreenBitmap.h"
#include "records/SetupText.h"
#include "transfer/BulkTransfers.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>

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

const char *const Usage =
    "Usage: quvane COMMAND [ARGUMENTS] [--delimiter tab|comma|CHAR]\n"
    "\n"
    "Commands:\n"
    "  capture FILE         capture the instrument's datalog into a delimited text\n"
    "                       file (--format cgats: CGATS.17 text, as Argyll CMS\n"
    "                       reads it)\n"
    "  convert SOURCE FILE  convert a DATALOG.QV3 file into a delimited text file\n"
    "  archive FILE         archive the 100 product set-ups into a file\n"
    "  restore FILE         restore the product set-ups of an archive file\n"
    "  clear-datalog --yes  clear the instrument's datalog\n"
    "  set-clock            set the instrument's clock to this computer's clock\n"
    "  identify             show the instrument's identification\n"
    "  screen FILE          save the instrument's display as a 128 x 128 bitmap file\n"
    "  setup N              show product set-up N (1 to 100) as text\n"
    "  measure              measure once; show the spectrum and its colour values\n"
    "                       [--illuminant D65] [--observer 10] [--scale lab]\n"
    "                       [--format text|cgats]\n"
    "\n"
    "The instrument is the one QUVANE_PORT names (sim, tcp://HOST:PORT or a serial\n"
    "port), as for the utility. The delimiter is the utility's stored preference\n"
    "unless --delimiter is given. Numbers and dates follow the locale of the\n"
    "environment. A FILE or SOURCE of \"-\" is standard output (standard input for\n"
    "restore and convert's SOURCE); put -- before a file name that starts with -.\n"
    "Ctrl-C stops a capture, archive or restore after the record in transfer and\n"
    "keeps what was transferred; a second Ctrl-C ends at once.\n"
    "\n"
    "Options:\n"
    "  --delimiter DELIMITER  field delimiter: tab, comma or one character\n"
    "  --yes                  confirm clear-datalog\n"
    "  --illuminant NAME      measure: A, C, D50, D55, D65 (default), D75, F2, F7\n"
    "                         or F11\n"
    "  --observer DEGREES     measure: 2 or 10 (default)\n"
    "  --scale SCALE          measure: lab (default), lch, hunter, xyz, yxy or luv\n"
    "  --format FORMAT        measure, capture, convert: text (default) or cgats\n"
    "  -h, --help             show this help\n"
    "  -v, --version          show the version\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 bad usage, 130 stopped by Ctrl-C\n"
    "(143 by SIGTERM, 129 as the terminal closed).\n";

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
        if (!outcome.kept.isEmpty())
            fail(QStringLiteral("%1. %2").arg(by, outcome.kept));
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
    return fail(outcome.line());
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

} // namespace

int runCli(QCoreApplication &app, const LinkOptions &link, const CliEnvironment &environment)
{
    QCommandLineParser parser;
    parser.addOptions({
        {{"h", "help"}, "Show this help."},
        {{"v", "version"}, "Show the version."},
        {"delimiter", "Field delimiter: tab, comma or one character.", "DELIMITER"},
        {"yes", "Confirm clear-datalog."},
        {"illuminant", "measure: A, C, D50, D55, D65 (default), D75, F2, F7 or F11.", "NAME"},
        {"observer", "measure: 2 or 10 (default) degrees.", "DEGREES"},
        {"scale", "measure: lab (default), lch, hunter, xyz, yxy or luv.", "SCALE"},
        {"format", "measure, capture, convert: text (default) or cgats.", "FORMAT"},
    });
    parser.addPositionalArgument("command", "The command to run.");
    // "-dash.txt" is one unknown option, not the short options d, a, s, h, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(app.arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return usageError(parser.errorText());
        // The argument as it was typed.
        const QString &name = unknown.first();
        QString typed = QStringLiteral("--") + name;
        for (const QString &argument : app.arguments().mid(1)) {
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
    if (parser.isSet("help")) {
        std::fputs(Usage, stdout);
        return Success;
    }
    if (parser.isSet("version")) {
        std::printf("quvane %s\n%s", QUVANE_VERSION, LicenceLines);
        return Success;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    const struct
    {
        const char *name;
        int arguments;
    } commands[] = {{"capture", 1},       {"convert", 2},   {"archive", 1},  {"restore", 1},
                    {"clear-datalog", 0}, {"set-clock", 0}, {"identify", 0}, {"screen", 1},
                    {"setup", 1},         {"measure", 0}};
    int expected = -1;
    for (const auto &c : commands) {
        if (command == QLatin1String(c.name))
            expected = c.arguments;
    }
    if (expected < 0)
        return usageError(QStringLiteral("unknown command '%1'").arg(command));
    if (args.size() - 1 != expected)
        return usageError(QStringLiteral("%1 takes %2 argument(s)").arg(command).arg(expected));
    // An option of another command is bad usage, not silently ignored.
    const struct
    {
        const char *option;
        QStringList commands;
    } owners[] = {{"delimiter", {"capture", "convert"}},
                  {"yes", {"clear-datalog"}},
                  {"illuminant", {"measure"}},
                  {"observer", {"measure"}},
                  {"scale", {"measure"}},
                  {"format", {"measure", "capture", "convert"}}};
    for (const auto &owner : owners) {
        if (parser.isSet(QLatin1String(owner.option)) && !owner.commands.contains(command))
            return usageError(QStringLiteral("--%1 is an option of %2, not of %3")
                                  .arg(QLatin1String(owner.option),
                                       owner.commands.join(QStringLiteral(" and ")), command));
    }
    // A name whose bytes do not decode in the locale's encoding would become another name.
    for (const QString &operand : args.mid(1)) {
        if (operand.contains(QChar::ReplacementCharacter))
            return usageError(QStringLiteral("the file name '%1' is not valid in the locale's "
                                             "character set; rename the file")
                                  .arg(operand));
    }
    QString delimiterText;
    if (!delimiterOf(parser, environment.delimiter, delimiterText))
        return usageError(
            QStringLiteral("--delimiter takes tab, comma or one printable ISO-8859-1 character"));
    if (command == QLatin1String("clear-datalog") && !parser.isSet("yes"))
        return usageError(QStringLiteral("clear-datalog erases the datalog; confirm with --yes"));
    if (command == QLatin1String("setup") && setupNumber(args[1]) == 0)
        return usageError(QStringLiteral("Invalid Product Setup # %1 (1 to 100)").arg(args[1]));
    // "-" is standard output for what is written, standard input for what is read.
    const bool toStandardOutput = args.size() > 1 && args.last() == QLatin1String("-") &&
                                  command != QLatin1String("restore") &&
                                  command != QLatin1String("setup");
    // A bitmap on a terminal is noise that may reprogram it.
    if (toStandardOutput && command == QLatin1String("screen") && ::isatty(STDOUT_FILENO) == 1)
        return usageError(QStringLiteral("screen - writes a bitmap, not to a terminal; redirect "
                                         "standard output or give a file name"));

    const QByteArray delimiter = delimiterText.toLatin1();
    InstrumentSession session;
    SensorControl &sensor = session.sensor();
    InstrumentOperations &operations = session.operations();

    QString measureError;
    const std::optional<MeasureOptions> measureOptions = MeasureOptions::parse(
        parser.value(QStringLiteral("illuminant")), parser.value(QStringLiteral("observer")),
        parser.value(QStringLiteral("scale")), parser.value(QStringLiteral("format")),
        measureError);
    if (!measureOptions)
        return usageError(measureError);
    // The delimited text writes numbers as the locale does: a delimiter that is the locale's
    // decimal separator makes fields that cannot be told apart. The file is written as asked.
    if ((command == QLatin1String("capture") || command == QLatin1String("convert")) &&
        !measureOptions->cgats && delimiter == environment.textFormat.decimalPoint())
        fail(QStringLiteral("warning: the delimiter %1 is also the decimal separator of the "
                            "locale's numbers, so the fields cannot be told apart again; "
                            "--delimiter tab keeps them apart")
                 .arg(delimiterText));

    if (command == QLatin1String("convert")) {
        // A conversion needs no instrument. It reads to the end once started (a second Ctrl-C
        // ends it at once).
        TerminalProgress progress(true, !environment.dumbTerminal);
        BulkTransfers transfers(
            {nullptr, delimiter, environment.textFormat, {}, {}, measureOptions->cgats, true},
            progress);
        return exitStatus(transfers.ConvertDatalog(args[1], args[2]), args[2]);
    }

    // The file a command writes is checked before anything is sent to the instrument.
    if (!toStandardOutput &&
        (command == QLatin1String("capture") || command == QLatin1String("archive") ||
         command == QLatin1String("screen"))) {
        try {
            OutputFile::check(args[1]);
        } catch (const QuvaneError &error) {
            return fail(error.description());
        }
    }
    if (!connectInstrument(session, link))
        return Failure;
    // Qt's sockets set SIGPIPE aside when the link is TCP (they write with MSG_NOSIGNAL): a
    // closed pipe on standard output ends the command quietly again, as the shell expects of
    // `quvane capture - | head -1`, whatever the link.
    std::signal(SIGPIPE, SIG_DFL);

    // Ctrl-C stops a transfer after the item in hand; it ends any other command at once.
    const bool transfer = command == QLatin1String("capture") ||
                          command == QLatin1String("archive") ||
                          command == QLatin1String("restore");
    TerminalProgress progress(transfer, !environment.dumbTerminal);
    // Nobody is there to answer Retry: a timeout ends the transfer.
    BulkTransfers transfers(
        {&sensor, delimiter, environment.textFormat, {}, {}, measureOptions->cgats, true},
        progress);
    try {
        if (command == QLatin1String("identify"))
            return identify(session);
        if (command == QLatin1String("set-clock")) {
            operations.SetDateAndTime();
            return Success;
        }
        if (command == QLatin1String("setup"))
            return showSetup(sensor, setupNumber(args[1]));
        if (command == QLatin1String("measure")) {
            QVMeasure measurement(sensor);
            measurement.Measure();
            Colour::Spectrum spectrum;
            for (int i = 1; i <= 31; ++i)
                spectrum[static_cast<size_t>(i - 1)] = measurement.Spectrum(i);
            return print(measurementText(spectrum, *measureOptions));
        }
        if (command == QLatin1String("screen")) {
            const QByteArray bitmap = ScreenBitmap::header() + ScreenBitmap::readBits(sensor);
            std::optional<OutputFile> file;
            if (toStandardOutput)
                file.emplace(OutputFile::StandardOutput);
            else
                file.emplace(args[1]);
            file->write(bitmap);
            file->commit();
            return Success;
        }
        if (command == QLatin1String("clear-datalog")) {
            operations.ClearDatalog();
            return Success;
        }
        if (command == QLatin1String("capture")) {
            const qint16 count = operations.DatalogCount();
            if (count <= 0) {
                std::fputs("quvane: Datalog is empty\n", stderr);
                return Success;
            }
            const TransferOutcome outcome = transfers.UploadDatalog(count, args[1]);
            return exitStatus(outcome, args[1], progress.stopSignal());
        }
    } catch (const QuvaneError &error) {
        return fail(error.description());
    }
    if (command == QLatin1String("archive")) {
        const TransferOutcome outcome = transfers.UploadSetups(args[1]);
        return exitStatus(outcome, args[1], progress.stopSignal());
    }
    const TransferOutcome restored = transfers.DownloadSetups(args[1]);
    if (restored.result == TransferResult::Refused && restored.failure.isEmpty())
        return fail(
            QStringLiteral("%1 is not a product set-up archive; nothing was restored")
                .arg(args[1] == QLatin1String("-") ? QStringLiteral("standard input") : args[1]));
    if (restored.result == TransferResult::Completed && restored.archived == 0)
        return fail(
            QStringLiteral("%1 holds no product set-ups; nothing was restored")
                .arg(args[1] == QLatin1String("-") ? QStringLiteral("standard input") : args[1]));
    if (!restored.refusedLines.isEmpty() && restored.result != TransferResult::Failed) {
        QStringList lines;
        for (int line : restored.refusedLines)
            lines << QString::number(line);
        return fail(QStringLiteral("the instrument refused the set-ups of %1 %2 of %3; the others "
                                   "were restored")
                        .arg(lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                             lines.join(QStringLiteral(", ")), args[1]));
    }
    return exitStatus(restored, {}, progress.stopSignal());
}

} // namespace quvane
