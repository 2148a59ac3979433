// quvane, quvane-sim and the utility as processes: what the shell sees of them (exit statuses,
// messages, standard streams, signals) and the files they leave.
#include "support/Files.h"
#include "support/LittleCms.h"
#include "support/QtPrinting.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace quvane;

namespace {

struct CliRun
{
    int exitCode;
    QString out;
    QString err;
    QByteArray bytes = {}; // standard output as it came
};

// The environment quvane runs in: the instrument at port, the C locale.
QProcessEnvironment cliEnvironment(const QString &port = QStringLiteral("sim"))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUVANE_PORT"), port);
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

// Where quvane runs: a folder of this run's own, so that a file a fault leaves there cannot
// fail a later run.
QString workingFolder()
{
    static const QTemporaryDir folder;
    return folder.path();
}

CliRun run(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder());
    process.start(program, arguments);
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromLocal8Bit(out),
            QString::fromLocal8Bit(process.readAllStandardError()), out};
}

CliRun quvane(const QStringList &arguments, const QString &port = QStringLiteral("sim"),
              const QString &configHome = {})
{
    QProcessEnvironment environment = cliEnvironment(port);
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return run(QStringLiteral(QUVANE_PATH), arguments, environment);
}

CliRun simulator(const QStringList &arguments)
{
    return run(QStringLiteral(QUVANE_SIM_PATH), arguments, cliEnvironment());
}

TEST(QuvaneCli, CommandsSucceedAndSayWhatFailed)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.csv");
    CliRun result = quvane({"capture", capture, "--delimiter", "comma"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(lineCount(capture), 40);
    // The C locale writes no commas in numbers below a thousand.
    EXPECT_EQ(contentOf(capture).split('\n')[0].split(',').size(), 51);

    // Where the comma is the decimal separator the file is written as asked, with a warning:
    // LC_NUMERIC alone makes it so, as it does for a C program (and LC_MESSAGES does not).
    QProcessEnvironment german = cliEnvironment();
    german.remove(QStringLiteral("LC_ALL"));
    german.insert(QStringLiteral("LC_NUMERIC"), QStringLiteral("de_DE.UTF-8"));
    german.insert(QStringLiteral("LC_MESSAGES"), QStringLiteral("fr_FR.UTF-8"));
    result = run(QStringLiteral(QUVANE_PATH), {"capture", capture, "--delimiter", "comma"}, german);
    EXPECT_TRUE(result.exitCode == 0 && holds(result.err, "also the decimal separator"));
    const QList<QByteArray> german0 = contentOf(capture).split('\n')[0].split(',');
    EXPECT_GT(german0.size(), 51);
    EXPECT_TRUE(german0[8].contains('/')) << german0[8].constData(); // the date, in C's form

    const QString archive = dir.filePath("setups.txt");
    EXPECT_EQ(quvane({"archive", archive}).exitCode, 0);
    EXPECT_EQ(lineCount(archive), 101);
    EXPECT_EQ(quvane({"restore", archive}).exitCode, 0);
    put(dir.filePath("empty.txt"), "Quvane Product Setups\r\n");
    result = quvane({"restore", dir.filePath("empty.txt")});
    EXPECT_TRUE(result.exitCode == 1 && holds(result.err, "holds no product set-ups"));
    put(archive, "q" + contentOf(archive).mid(1));
    result = quvane({"restore", archive});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(holds(result.err, "not a product set-up archive"));

    result = quvane({"identify"});
    EXPECT_TRUE(result.exitCode == 0 && holds(result.out, "Datalog:              40  (5% full)"));
    result = quvane({"setup", "3"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith(QLatin1String("SetupNumber         3\n"))) << result.out;
    EXPECT_TRUE(holds(result.out, "\nColorScale          "));
    result = quvane({"identify"}, QStringLiteral("tcp://127.0.0.1:1"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(holds(result.err, "Instrument not connected or turned off"));
}

// The delimiter the utility stored, read from the user's preferences file as it lies on the
// disk (typed in here: folder, name, section and key) when no --delimiter is given.
TEST(QuvaneCli, TheStoredDelimiterComesFromTheUsersPreferencesFile)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Quvane")));
    for (const auto &[stored, delimiter] : // ; starts a comment unless quoted
         {std::pair{"\"Custom:;\"", ';'}, {"Comma", ','}, {"Tab", '\t'}}) {
        put(home.filePath(QStringLiteral("Quvane/QUVA USW.conf")),
            QByteArray("[Preferences]\nDelimiter=") + stored + "\n");
        const CliRun result = quvane({"capture", "-"}, QStringLiteral("sim"), home.path());
        EXPECT_EQ(result.bytes.left(result.bytes.indexOf('\n')).count(delimiter), 50) << stored;
    }
}

// Where quvane's own policy meets a failure of the link (the transfers themselves are proven
// in the core's fault matrix): one line on standard error, exit status 1, no target written,
// and the part kept beside it, at the first exchange and in the middle of each command.
TEST(QuvaneCli, ALinkFaultEndsWithOneLineAndKeepsThePartialFile)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("archive.txt");
    ASSERT_EQ(quvane({"archive", archive}).exitCode, 0);
    const QString out = dir.filePath("out.txt");
    const struct
    {
        QStringList arguments;
        const char *fault;
        int at;        // the exchange broken (1 is the identify of connecting)
        int linesKept; // in out.txt.partial; -1: none
    } cases[] = {
        {{"capture", out}, "--drop-at", 1, -1},
        {{"capture", out}, "--drop-at", 5, 2},
        {{"capture", out}, "--corrupt-at", 3, -1},
        {{"archive", out}, "--stale-at", 60, 59},
        {{"archive", out}, "--drop-at", 101, 100},
        {{"restore", archive}, "--drop-at", 101, -1},
        {{"clear-datalog", "--yes"}, "--drop-at", 2, -1},
        {{"set-clock"}, "--corrupt-at", 2, -1},
        {{"identify"}, "--drop-at", 3, -1},
        {{"screen", out}, "--stale-at", 2, -1},
    };
    for (const auto &c : cases) {
        QFile::remove(out + ".partial");
        SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", QString::fromLatin1(c.fault),
                        QString::number(c.at)});
        const CliRun result = quvane(c.arguments, sim.port());
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + c.fault + " " +
                     std::to_string(c.at) + ": " + result.err.toStdString());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err.count('\n'), 1);
        EXPECT_TRUE(result.err.startsWith(QLatin1String("quvane: ")));
        EXPECT_FALSE(result.err.contains(QLatin1String("Fatal Error")));
        EXPECT_FALSE(QFile::exists(out)); // a failed transfer writes no target
        EXPECT_EQ(lineCount(out + ".partial"), c.linesKept);
    }
}

TEST(QuvaneCli, InstrumentTextsAreEscapedAndAFullOutputFails)
{
    SimProcess sim({"--tcp", "127.0.0.1:0", "--model", "QV\x1b[2J45"});
    const CliRun result = quvane({"identify"}, sim.port());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(holds(result.out, "Model:                QV\\x1b[2J45\n"));
    SimProcess old({"--tcp", "127.0.0.1:0", "--firmware", "1.9\x1b[2J"});
    const CliRun refused = quvane({"identify"}, old.port());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(holds(refused.err, "firmware 1.9\\x1b[2J "));

    QProcess process;
    process.setProcessEnvironment(cliEnvironment());
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(QUVANE_PATH), {"identify"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("No space left on device"));
}

TEST(QuvaneCli, MeasureShowsTheSpectrumAndItsColourValues)
{
    const CliRun text = quvane({"measure", "--illuminant", "f11", "--observer", "2"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_TRUE(holds(text.out, "Illuminant/observer:  F11/2\n"));
    EXPECT_TRUE(holds(text.out, "L* a* b*:"));
    EXPECT_EQ(text.out.count(QLatin1String(" nm ")), 31);
    EXPECT_TRUE(holds(quvane({"measure", "--format", "cgats"}).out,
                      "SPEC_700\tXYZ_X\tXYZ_Y\tXYZ_Z\tLAB_L\tLAB_A\tLAB_B\n"));
    EXPECT_EQ(quvane({"measure", "--observer", "5"}).exitCode, 2);
    EXPECT_EQ(quvane({"measure", "--scale", "rgb"}).exitCode, 2);
}

// Every CGATS file the programs write is read by Little CMS, with one line end throughout and
// the number of rows it holds (a failed capture's part too); the datalog's is read by Argyll's
// spec2cie, whose L*a*b* under D65/10 from the spectra agree with the instrument's own values.
TEST(QuvaneCli, EveryCgatsFileIsReadByLittleCmsAndArgyll)
{
    QTemporaryDir dir;
    const QString captured = dir.filePath("datalog.ti3");
    ASSERT_EQ(quvane({"capture", captured, "--format", "cgats"}).exitCode, 0);
    ASSERT_EQ(simulator({"--export-datalog", dir.filePath("usb"), "--records", "3"}).exitCode, 0);
    const QString converted = dir.filePath("converted.ti3");
    ASSERT_EQ(quvane({"convert", dir.filePath("usb/DATALOG.QV3"), converted, "--format", "cgats"})
                  .exitCode,
              0);
    SimProcess failing({"--tcp", "127.0.0.1:0", "--records", "3", "--drop-at", "5"});
    const CliRun part =
        quvane({"capture", dir.filePath("p.ti3"), "--format", "cgats"}, failing.port());
    EXPECT_TRUE(holds(part.err, "holds the 2 records captured before"));
    const struct
    {
        QByteArray bytes;
        int sets;
        const char *lineEnd;
    } files[] = {
        {contentOf(captured), 40, "\r\n"},
        {contentOf(converted), 3, "\r\n"},
        {contentOf(dir.filePath("p.ti3.partial")), 2, "\r\n"},
        {quvane({"measure", "--format", "cgats"}).bytes, 1, "\n"},
    };
    for (const auto &f : files) {
        const LittleCmsTable table = readWithLittleCms(f.bytes);
        EXPECT_EQ(table.errors, QStringList());
        EXPECT_EQ(table.sets, f.sets);
        EXPECT_EQ(f.bytes.count('\n'), f.bytes.count(f.lineEnd)) << f.sets;
        const qsizetype spectrum = table.fields.indexOf("SPEC_400");
        ASSERT_GE(spectrum, 0);
        ASSERT_EQ(table.fields.indexOf("SPEC_700"), spectrum + 30);
        for (const auto &row : table.rows)
            for (qsizetype k = spectrum; k <= spectrum + 30; ++k)
                EXPECT_TRUE(row[size_t(k)] > 0 && row[size_t(k)] <= 100) << row[size_t(k)];
    }

    const QString spec2cie = QStandardPaths::findExecutable(QStringLiteral("spec2cie"));
    if (spec2cie.isEmpty())
        GTEST_SKIP() << "spec2cie (Debian package argyll) is not installed";
    const QString result = dir.filePath("result.ti3");
    const CliRun argyll =
        run(spec2cie, {"-n", "-i", "D65", "-o", "1964_10", captured, result}, cliEnvironment());
    ASSERT_EQ(argyll.exitCode, 0) << argyll.err;
    const LittleCmsTable theirs = readWithLittleCms(contentOf(result));
    const qsizetype theirL = theirs.fields.indexOf("D65LAB_L"),
                    ourL = theirs.fields.indexOf("QUVANE_SCALE_1");
    ASSERT_TRUE(theirL >= 0 && ourL >= 0);
    ASSERT_EQ(theirs.rows.size(), 40u);
    for (const auto &row : theirs.rows)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row[size_t(theirL + c)], row[size_t(ourL + c)], 0.2);
}

TEST(QuvaneCli, BadUsageExitsWithTwoBeforeAnyInstrumentIsLookedFor)
{
    const QString nowhere = QStringLiteral("tcp://127.0.0.1:1");
    EXPECT_TRUE(quvane({"--version"}).out.startsWith(QLatin1String("quvane ")));
    EXPECT_TRUE(holds(quvane({"--version"}).out, "\nLicense GPLv3+: GNU GPL version 3 or later"));
    EXPECT_EQ(simulator({"--records", "900", "--export-datalog", workingFolder()}).exitCode, 2);
    const CliRun help = quvane({"--help"});
    EXPECT_TRUE(help.exitCode == 0 && holds(help.out, "clear-datalog --yes"));
    const CliRun sim = simulator({"--no-such-option"});
    EXPECT_TRUE(sim.exitCode == 2 && holds(sim.err, "Try 'quvane-sim --help'."));
    // The utility answers --version and --help without a display.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(QString::fromLatin1(name));
    EXPECT_TRUE(run(QStringLiteral(QUVANE_UTILITY_PATH), {"--version"}, bare)
                    .out.startsWith(QLatin1String("quvane-utility ")));
    EXPECT_TRUE(run(QStringLiteral(QUVANE_UTILITY_PATH), {"--help"}, bare)
                    .out.startsWith(QLatin1String("Usage: quvane-utility")));
    bare.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const CliRun utility = run(QStringLiteral(QUVANE_UTILITY_PATH), {"--bogus"}, bare);
    EXPECT_TRUE(utility.exitCode == 2 && holds(utility.err, "unknown option --bogus"));

    const QStringList bad[] = {
        {},
        {"capture"},
        {"clear-datalog"},
        {"capture", "x", "--delimiter", "ab"},
        {"identify", "--illuminant", "A"}, // an option of another command
        // Only a printable ISO-8859-1 character can be written to the single-byte files.
        {"capture", "x", "--delimiter", "\x01"},
        {"capture", "x", "--delimiter", QStringLiteral("\u20ac")},
    };
    for (const QStringList &arguments : bad)
        EXPECT_EQ(quvane(arguments, nowhere).exitCode, 2) << arguments.join(' ').toStdString();
    for (const char *number : {"101", "abc", "0"}) {
        const CliRun setup = quvane({"setup", number}, nowhere);
        EXPECT_EQ(setup.exitCode, 2) << number;
        EXPECT_TRUE(setup.err.startsWith(QLatin1String("quvane: Invalid Product Setup # ")))
            << setup.err;
    }
    // A file name that starts with a dash is one unknown option, with the way out.
    CliRun dash = quvane({"capture", "-dash2.txt"});
    EXPECT_EQ(dash.exitCode, 2);
    EXPECT_EQ(dash.err, QStringLiteral("quvane: unknown option -dash2.txt; put -- before a file "
                                       "name that starts with -\nTry 'quvane --help'.\n"));
    dash = quvane({"capture", "--dash2"});
    EXPECT_TRUE(dash.exitCode == 2 &&
                dash.err.startsWith(QLatin1String("quvane: unknown option --dash2\n")));
}

// Ctrl-C, SIGTERM and SIGHUP stop a capture after the record in hand: the earlier file stays,
// each run's part gets a name of its own, and the shell learns which signal it was. SIGKILL
// leaves no temporary file behind.
TEST(QuvaneCli, StopSignalsEndATransferAfterTheRecordInHandAndKeepAnEarlierFile)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "200", "--baud", "19200", "--log", log});
    const QString capture = dir.filePath("capture.txt");
    put(capture, "earlier\r\n");
    const QString parts[] = {".partial", ".partial.1", ".partial.2", ""};
    int run = 0;
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(number);
        QProcess process;
        process.setProcessEnvironment(cliEnvironment(sim.port()));
        const int before = lineCount(log);
        process.start(QStringLiteral(QUVANE_PATH), {"capture", capture});
        // Once the instrument has sent a few records (quvane takes the signals from before the
        // first exchange).
        for (int i = 0; i < 3000 && lineCount(log) < before + 6; ++i)
            QThread::msleep(10);
        ASSERT_GE(lineCount(log), before + 6);
        ::kill(static_cast<pid_t>(process.processId()), number);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(contentOf(capture), "earlier\r\n");
        if (number == SIGKILL)
            break;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 128 + number); // as shells report it
        EXPECT_TRUE(holds(QString::fromLocal8Bit(process.readAllStandardError()),
                          "capture.txt was left as it was. " + capture + parts[run] + " holds"));
        const int lines = lineCount(capture + parts[run++]);
        EXPECT_TRUE(lines >= 3 && lines < 200) << lines;
    }
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".capture")),
        QStringList());

    // A Ctrl-C the shell set to be ignored (a background job's) stays ignored.
    const QString slowLog = dir.filePath("slow.log");
    SimProcess slow(
        {"--tcp", "127.0.0.1:0", "--records", "12", "--baud", "19200", "--log", slowLog});
    QProcess job;
    job.setProcessEnvironment(cliEnvironment(slow.port()));
    job.start(QStringLiteral("/bin/sh"), {"-c", "trap '' INT; exec \"$0\" capture \"$1\"",
                                          QStringLiteral(QUVANE_PATH), dir.filePath("job.txt")});
    for (int i = 0; i < 3000 && lineCount(slowLog) < 4; ++i)
        QThread::msleep(10);
    ::kill(static_cast<pid_t>(job.processId()), SIGINT);
    ASSERT_TRUE(job.waitForFinished(30000));
    EXPECT_EQ(job.exitCode(), 0) << job.readAllStandardError().constData();
    EXPECT_EQ(lineCount(dir.filePath("job.txt")), 12);
}

TEST(QuvaneCli, TheFileIsCheckedBeforeTheInstrumentAndNamesAreTakenAsGiven)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimProcess sim({"--tcp", "127.0.0.1:0", "--log", log});
    const CliRun result = quvane({"capture", dir.path()}, sim.port());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(holds(result.err, "it is a folder"));
    EXPECT_EQ(lineCount(log), 0); // not even the identify was sent

    // A name in Latin-1 bytes does not decode in UTF-8: refused, never written as another name.
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start(QStringLiteral("/bin/sh"),
                {"-c", "LC_ALL=C.UTF-8 QUVANE_PORT=sim \"$0\" archive \"$(printf 'caf\\351.txt')\"",
                 QStringLiteral(QUVANE_PATH)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 2) << shell.readAllStandardError().constData();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sim.log"});
}

// Ctrl-C and SIGTERM close the utility as its close button does, and the shell learns why.
TEST(QuvaneUtility, StopSignalsCloseTheWindow)
{
    QTemporaryDir runtime; // its own single-instance lock
    for (const int number : {SIGINT, SIGTERM}) {
        QProcess utility;
        QProcessEnvironment environment = cliEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path());
        utility.setProcessEnvironment(environment);
        utility.start(QStringLiteral(QUVANE_UTILITY_PATH));
        ASSERT_TRUE(utility.waitForStarted(10000));
        // Its lock says it is running; it takes the signals from before it makes the lock.
        for (int i = 0; i < 3000 && QDir(runtime.path()).entryList(QDir::Files).isEmpty(); ++i)
            QThread::msleep(10);
        ::kill(static_cast<pid_t>(utility.processId()), number);
        ASSERT_TRUE(utility.waitForFinished(10000));
        EXPECT_EQ(utility.exitStatus(), QProcess::NormalExit) << number;
        EXPECT_EQ(utility.exitCode(), 128 + number);
    }
}

// "-" is standard output for what a command writes and standard input for what it reads, so
// that the tool works in a pipe; the bytes are those a file of the same command gets.
TEST(QuvaneCli, DashIsStandardOutputAndInput)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.txt");
    // One instrument for both captures: its records keep their times.
    SimProcess instrument({"--tcp", "127.0.0.1:0", "--records", "12"});
    ASSERT_EQ(quvane({"capture", capture}, instrument.port()).exitCode, 0);
    const CliRun piped = quvane({"capture", "-"}, instrument.port());
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.bytes, contentOf(capture));
    EXPECT_FALSE(QFile::exists(workingFolder() + QStringLiteral("/-")));
    {
        // A transfer that fails on the way has sent its complete lines, and says so.
        SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", "--drop-at", "5"});
        const CliRun failed = quvane({"capture", "-"}, sim.port());
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.out.count(QLatin1Char('\n')), 2);
        EXPECT_TRUE(holds(failed.err,
                          "The 2 records captured before the failure went to standard output."));
    }

    // The display shows the clock: the rows above it (the file's last) are the same.
    const QString screen = dir.filePath("screen.bmp");
    ASSERT_EQ(quvane({"screen", screen}).exitCode, 0);
    const QByteArray bitmap = contentOf(screen);
    ASSERT_EQ(bitmap.size(), 2110);
    EXPECT_EQ(quvane({"screen", "-"}).bytes.right(25 * 16), bitmap.right(25 * 16));
    // ... but not onto a terminal (script(1) gives it one).
    if (!QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty()) {
        const CliRun terminal =
            run(QStringLiteral("script"),
                {"-qec", QStringLiteral(QUVANE_PATH " screen -"), "/dev/null"}, cliEnvironment());
        EXPECT_TRUE(terminal.exitCode == 2 && holds(terminal.out, "not to a terminal"));
    }

    // A closed pipe ends the command quietly, by SIGPIPE as the shell expects, over TCP too
    // (enough records that quvane writes after head has gone).
    SimProcess many({"--tcp", "127.0.0.1:0", "--records", "800"});
    QProcess shell;
    shell.setProcessEnvironment(cliEnvironment(many.port()));
    shell.start(QStringLiteral("/bin/bash"),
                {"-c", "\"$0\" capture - | head -1 >/dev/null; echo ${PIPESTATUS[0]}",
                 QStringLiteral(QUVANE_PATH)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.readAllStandardError(), QByteArray());
    EXPECT_EQ(shell.readAllStandardOutput(), QByteArray("141\n"));

    // A name of standard output, opened by the shell to append to, is appended to.
    put(dir.filePath("log.txt"), "earlier\n");
    shell.setProcessEnvironment(cliEnvironment());
    shell.start(QStringLiteral("/bin/sh"), {"-c", "\"$0\" archive /dev/stdout >> \"$1\"",
                                            QStringLiteral(QUVANE_PATH), dir.filePath("log.txt")});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().constData();
    EXPECT_TRUE(
        contentOf(dir.filePath("log.txt")).startsWith("earlier\nQuvane Product Setups\r\n"));
    EXPECT_EQ(lineCount(dir.filePath("log.txt")), 102);

    // archive - | restore -, and a conversion from standard input to standard output.
    const QString export_ = dir.filePath("usb");
    ASSERT_EQ(simulator({"--export-datalog", export_, "--records", "3"}).exitCode, 0);
    const auto pipe = [](const QStringList &first, const QStringList &second, const QString &in) {
        QProcess writer, reader;
        writer.setProcessEnvironment(cliEnvironment());
        reader.setProcessEnvironment(cliEnvironment());
        if (!in.isEmpty())
            writer.setStandardInputFile(in);
        writer.setStandardOutputProcess(&reader);
        writer.start(QStringLiteral(QUVANE_PATH), first);
        reader.start(QStringLiteral(QUVANE_PATH), second);
        EXPECT_TRUE(writer.waitForFinished(30000) && reader.waitForFinished(30000));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().constData();
        return CliRun{reader.exitCode(), QString::fromLocal8Bit(reader.readAllStandardOutput()),
                      QString::fromLocal8Bit(reader.readAllStandardError())};
    };
    CliRun result = pipe({"archive", "-"}, {"restore", "-"}, {});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    result = pipe({"identify"}, {"restore", "-"}, {});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, QStringLiteral("quvane: standard input is not a product set-up archive; "
                                         "nothing was restored\n"));
    result = pipe({"convert", "-", "-", "--delimiter", "comma"}, {"restore", "-"},
                  export_ + "/DATALOG.QV3");
    EXPECT_TRUE(holds(result.err, "not a product set-up archive"));
    const CliRun converted = quvane({"convert", export_ + "/DATALOG.QV3", "-"});
    EXPECT_EQ(converted.exitCode, 0);
    EXPECT_EQ(converted.out.count(QLatin1Char('\n')), 4); // the heading and three records
}

// Every message is the tool's: the trace file's too. The trace is a file of the user's own,
// readable by the user alone, never reached through a link.
TEST(QuvaneCli, ATraceFileThatCannotBeOpenedIsSaidAndTheCommandGoesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(dir.filePath("notes.txt"), dir.filePath("link.log")));
    const struct
    {
        QString trace;
        const char *why;
    } cases[] = {{"/nonexistent/trace.log", "No such file or directory"},
                 {dir.filePath("link.log"), "it is a symbolic link"},
                 {dir.filePath("trace.log"), ""}};
    for (const auto &c : cases) {
        QProcessEnvironment environment = cliEnvironment();
        environment.insert(QStringLiteral("QUVANE_TRACE"), c.trace);
        const CliRun result = run(QStringLiteral(QUVANE_PATH), {"identify"}, environment);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, *c.why ? QStringLiteral("quvane: cannot open the trace file %1: %2 "
                                                      "(QUVANE_TRACE); going on without a trace\n")
                                           .arg(c.trace, QLatin1String(c.why))
                                     : QString());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("notes.txt")));
    EXPECT_GT(lineCount(dir.filePath("trace.log")), 1);
    const QFileDevice::Permissions mode = QFile::permissions(dir.filePath("trace.log"));
    EXPECT_TRUE((mode & QFileDevice::WriteOwner) && !(mode & 0x0077)) << mode; // 0600
}

} // namespace

namespace {

// quvane with its history where the test says, and the rows `history list --format csv` gives.
CliRun withHistory(const QString &history, QStringList arguments, const QString &locale = "C")
{
    QProcessEnvironment environment = cliEnvironment();
    environment.insert(QStringLiteral("QUVANE_HISTORY"), history);
    environment.insert(QStringLiteral("LC_ALL"), locale);
    return run(QStringLiteral(QUVANE_PATH), arguments, environment);
}

QStringList historyRows(const QString &history, QStringList filters = {})
{
    const CliRun listed =
        withHistory(history, QStringList{"history", "list", "--format", "csv"} + filters);
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    QStringList rows = listed.out.split('\n', Qt::SkipEmptyParts);
    if (!rows.isEmpty())
        rows.removeFirst(); // the heading
    return rows;
}

} // namespace

// The history as a user meets it: a capture, the same capture again, the instrument's own
// DATALOG.QV3 of those records, and the files written from them imported again add every
// record once; a Sample adds one more; the filters pick from them; a history that cannot be
// written costs neither the file nor the records, which an import adds later.
TEST(QuvaneCli, TheHistoryHoldsEachMeasurementOnceWhereverItCameFrom)
{
    QTemporaryDir dir;
    const QString history = dir.filePath("h.sqlite");
    const QString capture = dir.filePath("capture.txt");
    ASSERT_EQ(withHistory(history, {"capture", capture}).exitCode, 0);
    EXPECT_EQ(historyRows(history).size(), 40);
    EXPECT_TRUE(historyRows(history).first().startsWith("40,2026-11-30T17:00:00,SIM"))
        << historyRows(history).first().toStdString();
    // The heading names the fields a spreadsheet reads.
    EXPECT_TRUE(withHistory(history, {"history", "list", "--format", "csv", "--limit", "1"})
                    .out.startsWith("ID,TAKEN,INSTRUMENT,SOURCE,RECORD,SETUP,PRODUCT,SAMPLE_ID,"));

    ASSERT_EQ(simulator({"--export-datalog", dir.filePath("usb"), "--records", "40"}).exitCode, 0);
    ASSERT_EQ(
        withHistory(history, {"capture", dir.filePath("again.ti3"), "--format", "cgats"}).exitCode,
        0);
    ASSERT_EQ(
        withHistory(history, {"convert", dir.filePath("usb/DATALOG.QV3"), dir.filePath("c.txt")})
            .exitCode,
        0);
    // The capture written in a German locale with semicolons, imported in that locale.
    const QString german = dir.filePath("de.txt");
    ASSERT_EQ(withHistory(history, {"capture", german, "--delimiter", ";"}, "de_DE.UTF-8").exitCode,
              0);
    const CliRun imported = withHistory(
        history,
        {"history", "import", capture, german, dir.filePath("again.ti3"), dir.filePath("c.txt")},
        "de_DE.UTF-8");
    EXPECT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.err.count("40 records, 0 new, 40 already in the history"), 4)
        << imported.err.toStdString();
    ASSERT_EQ(withHistory(history, {"measure"}).exitCode, 0);
    EXPECT_EQ(withHistory(history, {"measure", "--no-history"}).exitCode, 0);
    EXPECT_EQ(historyRows(history).size(), 41);

    EXPECT_EQ(historyRows(history, {"--source", "live"}).size(), 1);
    EXPECT_EQ(historyRows(history, {"--sample", "S003?", "--limit", "3"}),
              historyRows(history, {"--until", "2026-11-30T17:00", "--limit", "4"}).mid(1));
    EXPECT_EQ(historyRows(history, {"--since", "2026-11-30T16:30"}).size(), 3); // and the Sample
    const QString id = historyRows(history, {"--limit", "1"}).first().section(',', 0, 0);
    EXPECT_TRUE(
        holds(withHistory(history, {"history", "show", id, "--scale", "lch"}).out, "L* C* h:"));
    // Standards from a measurement and from a set-up that keeps its L*a*b* values alone.
    ASSERT_EQ(withHistory(history, {"standard", "add", "Navy", "--measurement", id}).exitCode, 0);
    ASSERT_EQ(withHistory(history, {"standard", "add", "Tomato", "--setup", "3"}).exitCode, 0);
    EXPECT_EQ(withHistory(history, {"standard", "add", "Navy", "--setup", "3"}).exitCode, 1);
    EXPECT_EQ(withHistory(history, {"standard", "list"}).out.split('\n', Qt::SkipEmptyParts).size(),
              2);
    EXPECT_TRUE(holds(withHistory(history, {"standard", "show", "Tomato"}).out, "set-up 3 of SIM"));
    EXPECT_EQ(withHistory(history, {"history", "delete", id}).exitCode, 1); // not confirmed
    EXPECT_EQ(withHistory(history, {"history", "delete", id, "--yes"}).exitCode, 0);
    EXPECT_EQ(historyRows(history).size(), 40);

    // A history that cannot be opened: the capture is written whole, and said.
    const QString blocked = dir.filePath("blocked.txt");
    put(dir.filePath("file"), "not a folder");
    const CliRun lost = withHistory(dir.filePath("file/h.sqlite"), {"capture", blocked});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_TRUE(holds(lost.err, "40 records were not stored in the history")) << lost.err;
    EXPECT_TRUE(holds(lost.err, "quvane history import " + blocked + " adds them later"));
    EXPECT_EQ(lineCount(blocked), 40);
    const QString fresh = dir.filePath("fresh.sqlite");
    EXPECT_EQ(withHistory(fresh, {"history", "import", blocked}).exitCode, 0);
    EXPECT_EQ(historyRows(fresh).size(), 40);

    // A line whose record number no record has stops the import there; the lines before stay.
    for (const QByteArray number : {"1e30", "inf", "2.5"}) {
        QList<QByteArray> lines = contentOf(blocked).split('\n');
        const qsizetype tab = lines[5].indexOf('\t');
        lines[5] = number + lines[5].mid(tab);
        const QString damaged = dir.filePath("damaged.txt");
        put(damaged, lines.join('\n'));
        const CliRun run =
            withHistory(dir.filePath("damaged.sqlite"), {"history", "import", damaged});
        EXPECT_EQ(run.exitCode, 1) << number.constData();
        EXPECT_TRUE(holds(run.err, "Line 6: Malformed packet: the record number is not a whole "
                                   "number it can hold; the 5 records before it were imported"))
            << run.err;
    }
}

// A standard judges with its tolerance set: measure --standard prints each condition's
// differences and verdict and exits 3 on FAIL alone; history list --standard adds the columns.
TEST(QuvaneCli, AStandardJudgesByItsToleranceAndAFailExitsWithThree)
{
    QTemporaryDir dir;
    const QString history = dir.filePath("h.sqlite");
    ASSERT_EQ(withHistory(history, {"measure"}).exitCode, 0);
    const QString id = historyRows(history).first().section(',', 0, 0);
    ASSERT_EQ(withHistory(history, {"standard", "add", "Red", "--measurement", id}).exitCode, 0);
    const auto tolerance = [&history](QStringList options) {
        return withHistory(history, QStringList{"standard", "tolerance", "Red"} + options);
    };
    // The same sample again lies within a generous limit and beyond one of nothing.
    ASSERT_EQ(tolerance({"--method", "cmc", "--limit", "5", "--secondary", "A/10"}).exitCode, 0);
    CliRun judged = withHistory(history, {"measure", "--standard", "Red"});
    EXPECT_EQ(judged.exitCode, 0) << judged.err;
    EXPECT_TRUE(holds(judged.out, "Tolerance:            dE CMC (2:1) within 5.00"));
    EXPECT_TRUE(holds(judged.out, "\nA/10:  ")) << judged.out;
    EXPECT_TRUE(holds(judged.out, "Verdict:              PASS\n"));
    // Against the black glass of set-up 2, by its own tolerances.
    ASSERT_EQ(withHistory(history, {"standard", "add", "Glass", "--setup", "2"}).exitCode, 0);
    judged = withHistory(history, {"measure", "--standard", "Glass"});
    EXPECT_EQ(judged.exitCode, 3);
    EXPECT_TRUE(holds(judged.out, "Verdict:              FAIL\n"));
    EXPECT_EQ(withHistory(history, {"measure", "--standard", "Blue"}).exitCode, 1);
    ASSERT_EQ(tolerance({"--method", "de2000", "--secondary", "F11/2:2"}).exitCode, 0);
    EXPECT_TRUE(holds(withHistory(history, {"standard", "show", "Red"}).out, "(revision 3)"));
    const CliRun listed = withHistory(
        history, {"history", "list", "--format", "csv", "--standard", "Red", "--source", "live"});
    const QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(",SPEC_700,DL,DA,DB,DC,DH,DE,VERDICT,DE_F11_2,MI_F11_2"));
    // The measurement it was made from lies on it, under every condition.
    const QString own = lines.filter(QRegularExpression("^" + id + ",")).value(0);
    EXPECT_TRUE(own.endsWith(",0.0000,0.0000,0.0000,0.0000,0.0000,0.0000,PASS,0.0000,0.0000"))
        << own;

    for (const QStringList &bad :
         {QStringList{"--method", "box-lab", "--limit", "1"},
          {"--method", "de76"},
          {"--method", "cmc", "--limits", "1,1"},
          {"--limit", "1"},
          {"--method", "deab", "--secondary", "A/10", "--secondary", "C/2", "--secondary", "F2/2"}})
        EXPECT_EQ(tolerance(bad).exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_EQ(withHistory(history, {"measure", "--standard", "Red", "--format", "cgats"}).exitCode,
              2);

    // Three readings: each stored, and their mean, which says so; their spread is shown.
    const CliRun averaged = withHistory(history, {"measure", "--average", "3"});
    EXPECT_TRUE(holds(averaged.out, "Readings:             3, their mean above\n"));
    EXPECT_TRUE(holds(averaged.out, "Largest dE*ab:        "));
    const QStringList newest = historyRows(history, {"--limit", "4"});
    ASSERT_EQ(newest.size(), 4);
    EXPECT_EQ(newest[0].section(',', 10, 10), "3");
    EXPECT_EQ(newest[1].section(',', 10, 10), "1");
    EXPECT_EQ(withHistory(history, {"measure", "--average", "26"}).exitCode, 2);
}

// A datalog captured into the history is judged against the set-ups its records name, read
// once each after the transfer, as the instrument judged it (a warning is its pass).
TEST(QuvaneCli, ACapturedDatalogIsJudgedByItsSetupsAsTheInstrumentJudgedIt)
{
    QTemporaryDir dir;
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "800"});
    QProcessEnvironment environment = cliEnvironment(sim.port());
    environment.insert(QStringLiteral("QUVANE_HISTORY"), dir.filePath("h.sqlite"));
    ASSERT_EQ(run(QUVANE_PATH, {"capture", dir.filePath("c.txt")}, environment).exitCode, 0);
    const CliRun listed =
        run(QUVANE_PATH, {"history", "list", "--by-setup", "--format", "csv"}, environment);
    QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 801);
    EXPECT_TRUE(lines.takeFirst().endsWith(",SPEC_700,SETUP_VERDICT,INSTRUMENT_VERDICT"));
    std::map<QString, int> pairs;
    for (const QString &line : lines) {
        const QString ours = line.section(',', -2, -2), theirs = line.section(',', -1);
        ++pairs[ours + "/" + theirs];
        EXPECT_EQ(ours == "WARN" ? QStringLiteral("PASS") : ours, theirs) << line.toStdString();
    }
    for (const char *pair : {"PASS/PASS", "WARN/PASS", "FAIL/FAIL", "/"})
        EXPECT_GT(pairs[pair], 20) << pair;
}

// A report is a PDF a reader other than ours reads: of one measurement a batch report with its
// verdict, of more a period report whose counts are those history list gives, on the paper of
// the locale.
TEST(QuvaneCli, AReportSaysWhatTheHistoryListSaysOnThePapersOfTheLocale)
{
    QTemporaryDir dir;
    const QString history = dir.filePath("h.sqlite");
    ASSERT_EQ(withHistory(history, {"capture", dir.filePath("c.txt")}).exitCode, 0);
    ASSERT_EQ(withHistory(history, {"standard", "add", "Tomato", "--setup", "3"}).exitCode, 0);
    const QStringList rows =
        historyRows(history, {"--product", "TOMATO RED", "--standard", "Tomato"});
    ASSERT_GE(rows.size(), 3);
    const QString station = QSysInfo::machineHostName(); // which stored them
    EXPECT_EQ(historyRows(history, {"--product", "TOMATO RED", "--standard", "Tomato", "--station",
                                    station}),
              rows);
    EXPECT_EQ(historyRows(history, {"--station", station + "-other"}), QStringList());
    std::map<QString, int> verdicts;
    for (const QString &row : rows)
        ++verdicts[row.section(',', -1)];

    const QString period = dir.filePath("period.pdf");
    const CliRun made =
        withHistory(history, {"report", "--standard", "Tomato", "--product", "TOMATO RED", period});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(holds(poppler("pdfinfo", period), "(A4)"));
    const QString text = poppler("pdftotext", period);
    EXPECT_TRUE(holds(text, "Period report: Tomato"));
    EXPECT_TRUE(holds(text, QStringLiteral("%1 measurements").arg(rows.size())));
    const auto share = [&](const char *verdict) {
        const int n = verdicts[verdict];
        return QStringLiteral("%1 (%2 %)").arg(n).arg(100.0 * n / rows.size(), 0, 'f', 1);
    };
    EXPECT_TRUE(holds(text, QStringLiteral("Pass %1, Warn %2, Fail %3")
                                .arg(share("PASS"), share("WARN"), share("FAIL"))));
    // Every measurement is a row of the table, with its own dE.
    for (const QString &row : rows)
        EXPECT_TRUE(text.contains(QRegularExpression(
            "\\b" + row.section(',', 0, 0) + "\\s+S\\d+\\s+SIM\\S*(\\s+\\S+){3}\\s+" +
            QString::number(row.section(',', -2, -2).toDouble(), 'f', 2))))
            << row;
    // A base period of the two oldest: the control chart's lines are theirs.
    const QString based = dir.filePath("based.pdf");
    ASSERT_EQ(
        withHistory(history, {"report", "--standard", "Tomato", "--product", "TOMATO RED",
                              "--base-until", rows[rows.size() - 2].section(',', 1, 1), based})
            .exitCode,
        0);
    EXPECT_TRUE(holds(poppler("pdftotext", based).simplified(), ", 2 measurements); "));
    // Of a verification tile, a report is of its checks: measurements named after it.
    ASSERT_EQ(withHistory(history, {"standard", "verification", "Tomato"}).exitCode, 0);
    EXPECT_TRUE(holds(withHistory(history, {"report", "--standard", "Tomato", based}).err,
                      "no measurement of the history is selected"));
    ASSERT_EQ(withHistory(history, {"standard", "verification", "Tomato", "--off"}).exitCode, 0);

    const QString batch = dir.filePath("batch.pdf");
    const QString last = rows.first();
    ASSERT_EQ(
        withHistory(history,
                    {"report", "--standard", "Tomato", "--sample", last.section(',', 7, 7), batch},
                    "en_US.UTF-8")
            .exitCode,
        0);
    const QString info = poppler("pdfinfo", batch);
    EXPECT_TRUE(holds(info, "Pages:           1"));
    EXPECT_TRUE(holds(info, "(letter)"));
    const QString verdict = last.section(',', -1);
    EXPECT_TRUE(holds(poppler("pdftotext", batch),
                      "Verdict: " + verdict.left(1) + verdict.mid(1).toLower()));

    // The same listing as a spreadsheet, read by openpyxl: numbers as numbers, times as dates.
    const QString book = dir.filePath("tomato.xlsx");
    ASSERT_EQ(withHistory(history, {"history", "list", "--product", "TOMATO RED", "--standard",
                                    "Tomato", "--format", "xlsx", book})
                  .exitCode,
              0);
    QProcess reader;
    reader.start("/usr/bin/python3",
                 {"-c",
                  "import openpyxl, sys\n"
                  "for r in openpyxl.load_workbook(sys.argv[1]).active.iter_rows("
                  "min_row=2, values_only=True):\n"
                  "    print(r[0], r[1].isoformat(), '%.3f' % r[19], '%.4f' % r[-2], r[-1])",
                  book});
    ASSERT_TRUE(reader.waitForFinished(30000));
    QStringList expected;
    for (const QString &row : rows)
        expected << QStringList{row.section(',', 0, 1), row.section(',', 16, 16),
                                row.section(',', -2, -1)}
                        .join(' ')
                        .replace(',', ' ');
    EXPECT_EQ(QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
              expected)
        << reader.readAllStandardError();
    EXPECT_EQ(withHistory(history, {"history", "list", "--format", "xlsx"}).exitCode, 2);

    EXPECT_EQ(withHistory(history, {"report", period}).exitCode, 2);
    EXPECT_EQ(withHistory(history, {"report", "--standard", "Tomato", "--sample", "none", period})
                  .exitCode,
              1);
}

// Standards travel as CxF3 with their tolerances: imported into an empty history that then
// takes the same records, they judge every record as they did.
TEST(QuvaneCli, StandardsExportedAsCxfJudgeTheSameWayWhereTheyAreImported)
{
    QTemporaryDir dir;
    const QString history = dir.filePath("h.sqlite"), capture = dir.filePath("c.txt");
    ASSERT_EQ(withHistory(history, {"capture", capture}).exitCode, 0);
    const QString id = historyRows(history, {"--limit", "1"}).first().section(',', 0, 0);
    ASSERT_EQ(withHistory(history, {"standard", "add", "Red", "--measurement", id}).exitCode, 0);
    ASSERT_EQ(withHistory(history, {"standard", "tolerance", "Red", "--method", "cmc", "--limit",
                                    "40", "--secondary", "A/10:30"})
                  .exitCode,
              0);
    ASSERT_EQ(withHistory(history, {"standard", "add", "Tomato", "--setup", "3"}).exitCode, 0);
    ASSERT_EQ(
        withHistory(history, {"standard", "verification", "Tomato", "--certificate", "BCRA 4471"})
            .exitCode,
        0);
    const QString cxf = dir.filePath("standards.cxf");
    ASSERT_EQ(withHistory(history, {"standard", "export", "Red", "Tomato", cxf}).exitCode, 0);
    QProcess xmllint;
    xmllint.start("xmllint", {"--noout", cxf});
    ASSERT_TRUE(xmllint.waitForFinished(30000));
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError();

    const QString fresh = dir.filePath("fresh.sqlite");
    EXPECT_EQ(withHistory(fresh, {"standard", "import", cxf}).exitCode, 0);
    EXPECT_EQ(withHistory(fresh, {"standard", "import", cxf}).exitCode, 1); // held already
    EXPECT_TRUE(holds(withHistory(fresh, {"standard", "show", "Tomato"}).out,
                      "Verification a tile, certificate BCRA 4471"));
    ASSERT_EQ(withHistory(fresh, {"history", "import", capture}).exitCode, 0);
    // The measurements as CxF3 Trial objects, into a third history: whole spectra, same times.
    const QString trials = dir.filePath("trials.cxf"), third = dir.filePath("third.sqlite");
    ASSERT_EQ(withHistory(history, {"history", "list", "--format", "cxf", trials}).exitCode, 0);
    xmllint.start("xmllint", {"--noout", trials});
    ASSERT_TRUE(xmllint.waitForFinished(30000));
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError();
    ASSERT_EQ(withHistory(third, {"standard", "import", cxf}).exitCode, 0);
    ASSERT_EQ(withHistory(third, {"history", "import", trials}).exitCode, 0);
    EXPECT_TRUE(holds(withHistory(third, {"history", "import", trials}).err, "0 new, 40 already"));
    for (const char *standard : {"Red", "Tomato"}) {
        const auto judged = [standard](const QString &in) {
            QStringList verdicts;
            // The import reads the capture's rounded values: the verdicts are the same.
            static const QRegularExpression verdict(",(PASS|WARN|FAIL)(,|$)");
            for (const QString &row : historyRows(in, {"--standard", standard}))
                verdicts << row.section(',', 1, 1) + verdict.match(row).captured(1);
            return verdicts;
        };
        const QStringList before = judged(history);
        EXPECT_EQ(before.size(), 40);
        EXPECT_EQ(judged(fresh), before) << standard;
        EXPECT_EQ(judged(third), before) << standard;
        EXPECT_GT(before.filter("PASS").size(), 0) << standard;
    }
    put(dir.filePath("bad.cxf"), "<CxF/>");
    EXPECT_EQ(withHistory(fresh, {"standard", "import", dir.filePath("bad.cxf")}).exitCode, 1);

    // Another maker's file starts at 380 nm; a value that is no number is not read as 0.
    QByteArray other = contentOf(cxf).replace("StartWL=\"400\">", "StartWL=\"380\">0.9 0.8 ");
    put(dir.filePath("other.cxf"), other);
    const QString fourth = dir.filePath("fourth.sqlite");
    ASSERT_EQ(withHistory(fourth, {"standard", "import", dir.filePath("other.cxf")}).exitCode, 0);
    const auto shown = [](const QString &history) { // from the tolerance on: not the times
        return withHistory(history, {"standard", "show", "Red"}).out.section("\nTolerance", 1);
    };
    EXPECT_EQ(shown(fourth), shown(fresh));
    put(dir.filePath("other.cxf"), other.replace("0.9 0.8 ", "0.9 n/a "));
    EXPECT_TRUE(holds(
        withHistory(dir.filePath("fifth.sqlite"), {"standard", "import", dir.filePath("other.cxf")})
            .err,
        "the spectrum of Red holds \"n/a\", not a number"));
}
