#include "sim/SimCommandLine.h"
#include "link/Licence.h"

#include "sim/SimEndpoints.h"
#include "sim/SimInstrument.h"
#include "sim/SimStateFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace quvane {

namespace {

// One message to standard output or error, whole and at once, in the locale's encoding.
template <typename... Pieces> void say(FILE *stream, const Pieces &...pieces)
{
    QString text;
    QTextStream line(&text);
    (line << ... << pieces);
    line.flush();
    std::fprintf(stream, "%s", text.toLocal8Bit().constData());
    std::fflush(stream);
}

int usageError(const QString &message)
{
    say(stderr, "quvane-sim: ", message, "\nTry 'quvane-sim --help'.\n");
    return 2;
}

bool readCount(const QCommandLineParser &parser, const QString &name, int &value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toInt(&ok);
    return ok && value >= 0;
}

} // namespace

int runSimulator(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated Quvane spectrophotometer. Answers the instrument's wire protocol on a TCP "
        "port or on a pseudo-terminal, so the utility can be run and tested without hardware.\n"
        "Point the utility at it with QUVANE_PORT=tcp://HOST:PORT or QUVANE_PORT=<pty path>.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"tcp",
         "Serve on a TCP address (loopback unless --allow-remote). Port 0 picks a free port.",
         "HOST:PORT"},
        {"pty", "Serve on a new pseudo-terminal and print its device path."},
        {"allow-remote", "Allow --tcp on an address other than loopback."},
        {"records", "Fill the datalog with N plausible records (at most 800).", "N"},
        {"seed", "Seed of the simulator's randomness (default 1).", "S"},
        {"model", "Model name the instrument reports.", "NAME"},
        {"serial", "Serial number the instrument reports.", "TEXT"},
        {"firmware", "Firmware version the instrument reports (1.x is refused by the utility).",
         "VERSION"},
        {"flavor", "Geometry and aperture code 0 to 3.", "F"},
        {"baud", "Answer at the speed of a serial line at this rate (8N1).", "RATE"},
        {"state", "Keep set-ups, datalog and clock in this file between runs.", "FILE"},
        {"log", "Record every command and reply in this file.", "FILE"},
        {"export-datalog",
         "Write DATALOG.QV3 into DIR, as the instrument writes it to a USB drive, and exit "
         "(unless --tcp or --pty is given too).",
         "DIR"},
    });
    for (const SimFaultPlan::Option &fault : SimFaultPlan::options())
        parser.addOption({QString::fromLatin1(fault.name), QString::fromLatin1(fault.description),
                          QString::fromLatin1(fault.valueName)});
    // An option it does not know is bad usage (2), said as quvane says it.
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version")) {
        say(stdout, "quvane-sim " QUVANE_VERSION "\n", LicenceLines);
        return 0;
    }

    const bool exportOnly =
        parser.isSet("export-datalog") && !parser.isSet("tcp") && !parser.isSet("pty");
    if (!exportOnly && parser.isSet("tcp") == parser.isSet("pty"))
        return usageError("give exactly one of --tcp HOST:PORT and --pty");

    int records = -1, seed = 1, flavor = 0, baud = 0;
    if (!readCount(parser, "records", records) || !readCount(parser, "seed", seed) ||
        !readCount(parser, "flavor", flavor) || !readCount(parser, "baud", baud))
        return usageError("counts, rates, seeds and flavors are whole numbers of 0 or more");
    if (records > SimInstrument::DatalogCapacity)
        return usageError("--records takes at most 800, what the datalog holds");
    SimFaultPlan faults;
    for (const SimFaultPlan::Option &fault : SimFaultPlan::options()) {
        const QString name = QString::fromLatin1(fault.name);
        QString error;
        if (parser.isSet(name) && !faults.set(name, parser.value(name), error))
            return usageError(error);
    }
    if (flavor > 3)
        return usageError("--flavor takes 0 to 3");

    SimIdentity identity;
    if (parser.isSet("model"))
        identity.model = parser.value("model");
    if (parser.isSet("serial"))
        identity.serialNumber = parser.value("serial");
    if (parser.isSet("firmware"))
        identity.firmware = parser.value("firmware");
    identity.flavor = flavor;
    SimInstrument instrument(identity, static_cast<quint32>(seed));

    const QString statePath = parser.value("state");
    // A FIFO or a device would hang the read, or take the state away: a regular file or none.
    if (!statePath.isEmpty() && QFileInfo::exists(statePath) && !QFileInfo(statePath).isFile()) {
        say(stderr, "quvane-sim: the state file ", statePath, " is not a regular file\n");
        return 1;
    }
    if (!statePath.isEmpty() && QFile::exists(statePath)) {
        QString error;
        if (!SimStateFile::load(statePath, instrument, error)) {
            say(stderr, "quvane-sim: cannot read state file ", statePath, ": ", error, "\n");
            return 1;
        }
    }
    if (records >= 0) {
        instrument.datalog().clear();
        instrument.seedDatalog(records);
    }
    if (!statePath.isEmpty()) {
        // A state file that cannot be written at start ends the run; later, each failure is said
        // at once (the state of the exchange before stays in the file).
        QString error;
        if (!SimStateFile::save(statePath, instrument, error)) {
            say(stderr, "quvane-sim: cannot write state file ", statePath, ": ", error, "\n");
            return 1;
        }
        instrument.onStateChanged = [&instrument, statePath] {
            QString error;
            if (!SimStateFile::save(statePath, instrument, error))
                say(stderr, "quvane-sim: cannot write state file ", statePath, ": ", error, "\n");
        };
    }

    if (parser.isSet("export-datalog")) {
        QString error;
        const QString folder = parser.value("export-datalog");
        QDir().mkpath(folder); // a folder that does not exist yet is made
        if (!instrument.exportDatalog(folder, error)) {
            say(stderr, "quvane-sim: cannot write DATALOG.QV3 in ", folder, ": ", error, "\n");
            return 1;
        }
        if (exportOnly)
            return 0;
    }

    instrument.faults() = faults;
    instrument.setBaud(baud);

    QFile logFile(parser.value("log"));
    if (parser.isSet("log") && !logFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
        say(stderr, "quvane-sim: cannot open log file ", logFile.fileName(), "\n");
        return 1;
    }
    if (logFile.isOpen()) {
        instrument.onExchange = [&logFile](const QByteArray &command, const QByteArray &reply) {
            logFile.write(command + '\t' + reply + '\n');
            logFile.flush();
        };
    }

    QString error;
    if (parser.isSet("tcp")) {
        const QString tcpAddress = parser.value("tcp");
        const int colon = tcpAddress.lastIndexOf(':');
        bool portOk = false;
        const int port = tcpAddress.mid(colon + 1).toInt(&portOk);
        const QHostAddress address(colon > 0 ? tcpAddress.left(colon)
                                             : QStringLiteral("127.0.0.1"));
        if (colon < 0 || !portOk || port < 0 || port > 65535 || address.isNull())
            return usageError("--tcp takes HOST:PORT, for example 127.0.0.1:4001");
        if (!address.isLoopback() && !parser.isSet("allow-remote"))
            return usageError("--tcp serves on loopback only unless --allow-remote is given");
        auto *endpoint = new SimTcpEndpoint(instrument, &app);
        if (!endpoint->listen(address, static_cast<quint16>(port), error)) {
            say(stderr, "quvane-sim: cannot listen on ", tcpAddress, ": ", error, "\n");
            return 1;
        }
        say(stdout, "quvane-sim: listening on tcp://", address.toString(), ":", endpoint->port(),
            "\n");
    } else {
        QString device;
        auto *endpoint = new SimPtyEndpoint(instrument, &app);
        if (!endpoint->open(device, error)) {
            say(stderr, "quvane-sim: cannot open a pseudo-terminal: ", error, "\n");
            return 1;
        }
        say(stdout, "quvane-sim: serving on ", device, "\n");
        QObject::connect(endpoint, &SimPtyEndpoint::hungUp, &app,
                         [] { QCoreApplication::exit(0); });
    }
    return app.exec();
}

} // namespace quvane
