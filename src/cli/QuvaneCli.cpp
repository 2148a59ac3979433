#include "QuvaneCli.h"

#include "BulkTransfers.h"
#include "ConsolePrompter.h"
#include "InstrumentOperations.h"
#include "QuvaneError.h"
#include "SensorControl.h"
#include "SimInstrument.h"
#include "TerminalProgress.h"
#include "TextFormat.h"
#include "modGlobals.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cmath>
#include <cstdio>

namespace {

constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int BadUsage = 2;

const char *const Usage =
    "Usage: quvane COMMAND [ARGUMENTS] [--delimiter tab|comma|CHAR]\n"
    "\n"
    "Commands:\n"
    "  capture FILE           capture the instrument's datalog into a delimited text file\n"
    "  convert SOURCE FILE    convert a DATALOG.QV3 file into a delimited text file\n"
    "  archive FILE           archive the 100 product set-ups into a file\n"
    "  restore FILE           restore the product set-ups of an archive file\n"
    "  clear-datalog --yes    clear the instrument's datalog\n"
    "  set-clock              set the instrument's clock to this computer's clock\n"
    "  identify               show the instrument's identification\n"
    "\n"
    "The instrument is the one QUVANE_PORT names (sim, tcp://HOST:PORT or a serial port),\n"
    "as for the utility. The delimiter is the utility's stored preference unless --delimiter\n"
    "is given. Numbers and dates follow the locale of the environment. Ctrl-C stops a\n"
    "capture, archive or restore after the record in transfer.\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 bad usage.\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
    return Failure;
}

int usageError(const QString &message)
{
    std::fprintf(stderr, "quvane: %s\nTry 'quvane --help'.\n", qPrintable(message));
    return BadUsage;
}

bool setDelimiter(const QCommandLineParser &parser)
{
    if (!parser.isSet(QStringLiteral("delimiter"))) {
        const auto stored = modGlobals::DecodeDelimiterPreference(
            modGlobals::GetPreference(QStringLiteral("Delimiter"), QStringLiteral("Tab")));
        modGlobals::SetDelimiter(stored.TabDelimiter, stored.CustomDelimiter, stored.Delimiter);
        return true;
    }
    const QString value = parser.value(QStringLiteral("delimiter"));
    if (value == QLatin1String("tab"))
        modGlobals::SetDelimiter(true, false, {});
    else if (value == QLatin1String("comma"))
        modGlobals::SetDelimiter(false, false, {});
    else if (value.size() == 1 && value.at(0).unicode() <= 0xFF)
        modGlobals::SetDelimiter(false, true, value);
    else
        return false;
    return true;
}

// Connects as the utility does at start-up; false (with the reason printed) when no usable
// instrument answers.
bool connectInstrument(SensorControl &sensor, InstrumentOperations &operations)
{
    sensor.ConnectOption = 5;
    sensor.Connect();
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
    operations.GetInstrumentName();
    operations.GetInstrumentType();
    modGlobals::MainTitle = modGlobals::InstrumentName + QStringLiteral(" Utility");
    return true;
}

int exitStatus(TransferResult result, bool nothingIsFailure)
{
    switch (result) {
    case TransferResult::Completed:
        return Success;
    case TransferResult::Cancelled:
        return fail(QStringLiteral("stopped by Ctrl-C; what was transferred before is kept"));
    case TransferResult::Nothing:
        return nothingIsFailure ? Failure : Success;
    case TransferResult::Failed:
        break;
    }
    return Failure;
}

int identify(SensorControl &sensor, InstrumentOperations &operations)
{
    const TextFormat format;
    const double stdz = operations.StdzTimestamp();
    const qint16 count = operations.DatalogCount();
    std::printf("Model:                %s\n", qPrintable(sensor.InstrumentName()));
    std::printf("Firmware:             %s\n", qPrintable(sensor.FirmwareVersion()));
    std::printf("Serial number:        %s\n", qPrintable(sensor.SerialNumber()));
    std::printf("Geometry:             %s\n", qPrintable(InstrumentOperations::GeometryText(
                                                  sensor.Flavor(), modGlobals::InstrumentType)));
    std::printf("Last standardization: %s\n",
                qPrintable(format.generalDate(modGlobals::FromPcDate(stdz))));
    std::printf(
        "Datalog:              %d  (%d%% full)\n", count,
        static_cast<int>(std::lround(count * 100.0 / InstrumentOperations::DatalogCapacity)));
    return Success;
}

} // namespace

int runCli(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.addOptions({
        {{"h", "help"}, "Show this help."},
        {"delimiter", "Field delimiter: tab, comma or one character.", "DELIMITER"},
        {"yes", "Confirm clear-datalog."},
    });
    parser.addPositionalArgument("command", "The command to run.");
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet("help")) {
        std::fputs(Usage, stdout);
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
    } commands[] = {{"capture", 1},       {"convert", 2},   {"archive", 1}, {"restore", 1},
                    {"clear-datalog", 0}, {"set-clock", 0}, {"identify", 0}};
    int expected = -1;
    for (const auto &c : commands) {
        if (command == QLatin1String(c.name))
            expected = c.arguments;
    }
    if (expected < 0)
        return usageError(QStringLiteral("unknown command '%1'").arg(command));
    if (args.size() - 1 != expected)
        return usageError(QStringLiteral("%1 takes %2 argument(s)").arg(command).arg(expected));
    if (!setDelimiter(parser))
        return usageError(QStringLiteral("--delimiter takes tab, comma or one character"));
    if (command == QLatin1String("clear-datalog") && !parser.isSet("yes"))
        return usageError(QStringLiteral("clear-datalog erases the datalog; confirm with --yes"));

    ConsolePrompter prompter;
    setPrompter(&prompter);
    // QUVANE_PORT=sim: an instrument inside this process, as in the utility.
    SensorControl::setInProcessInstrument([] {
        auto instrument = std::make_shared<SimInstrument>();
        instrument->seedDatalog(40);
        return instrument;
    });
    SensorControl sensor;
    InstrumentOperations operations(sensor);

    if (command == QLatin1String("convert")) {
        // A conversion needs no instrument.
        TerminalProgress progress(false);
        BulkTransfers transfers(operations, progress);
        return exitStatus(transfers.ConvertDatalog(args[1], args[2]), true);
    }
    if (!connectInstrument(sensor, operations))
        return Failure;

    try {
        if (command == QLatin1String("identify"))
            return identify(sensor, operations);
        if (command == QLatin1String("set-clock")) {
            operations.SetDateAndTime();
            return Success;
        }
        if (command == QLatin1String("clear-datalog")) {
            operations.ClearDatalog();
            return Success;
        }
    } catch (const QuvaneError &error) {
        return fail(error.description());
    }

    TerminalProgress progress(true);
    BulkTransfers transfers(operations, progress);
    if (command == QLatin1String("capture"))
        return exitStatus(transfers.UploadDatalog(args[1]), false);
    if (command == QLatin1String("archive"))
        return exitStatus(transfers.UploadSetups(args[1]), true);
    const TransferResult restored = transfers.DownloadSetups(args[1]);
    if (restored == TransferResult::Nothing)
        return fail(QStringLiteral("%1 is not a product set-up archive, or holds too many "
                                   "set-ups; nothing was restored")
                        .arg(args[1]));
    return exitStatus(restored, true);
}
