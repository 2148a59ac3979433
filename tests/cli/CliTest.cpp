#include "support/SimProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <lcms2.h>

#include <csignal>
#include <string>
#include <vector>

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

CliRun quvane(const QStringList &arguments, const QString &port = QStringLiteral("sim"),
             const QString &configHome = {})
{
    QProcess process;
    QProcessEnvironment environment = cliEnvironment(port);
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder());
    process.start(QStringLiteral(QUVANE_PATH), arguments);
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromLocal8Bit(out),
            QString::fromLocal8Bit(process.readAllStandardError()), out};
}

int lineCount(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : -1;
}

TEST(QuvaneCli, CommandsSucceedAndSayWhatFailed)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.csv");
    CliRun run = quvane({"capture", capture, "--delimiter", "comma"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(lineCount(capture), 40);
    {
        // The delimiter asked for is the one in the file (the C locale writes no commas in
        // numbers below a thousand).
        QFile file(capture);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray first = file.readLine();
        EXPECT_EQ(first.split(',').size(), 51) << first.constData();
        EXPECT_FALSE(first.contains('\t'));
    }

    const QString archive = dir.filePath("setups.txt");
    EXPECT_EQ(quvane({"archive", archive}).exitCode, 0);
    EXPECT_EQ(lineCount(archive), 101);
    EXPECT_EQ(quvane({"restore", archive}).exitCode, 0);

    QFile file(archive);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("q");
    file.close();
    run = quvane({"restore", archive});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("not a product set-up archive")));

    run = quvane({"identify"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QLatin1String("Datalog:              40  (5% full)")));

    run = quvane({"setup", "3"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith(QLatin1String("SetupNumber         3\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("\nColorScale          ")));

    run = quvane({"identify"}, QStringLiteral("tcp://127.0.0.1:1"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("Instrument not connected or turned off")));
}

// The delimiter the utility stored, read from the user's preferences file as it lies on the
// disk (typed in here: folder, name, section and key) when no --delimiter is given.
TEST(QuvaneCli, TheStoredDelimiterComesFromTheUsersPreferencesFile)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Quvane")));
    for (const auto &[stored, delimiter] :
         {std::pair{"\"Custom:;\"", ';'}, {"Comma", ','}, {"Tab", '\t'}}) { // ; starts a comment
        QFile file(home.filePath(QStringLiteral("Quvane/QUVA USW.conf")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("[Preferences]\nDelimiter=") + stored + "\n");
        file.close();
        const CliRun run = quvane({"capture", "-"}, QStringLiteral("sim"), home.path());
        const QByteArray first = run.bytes.left(run.bytes.indexOf('\n'));
        EXPECT_EQ(first.count(delimiter), 50) << stored << ": " << first.constData();
    }
}

TEST(QuvaneCli, LinkFaultAtAnyExchangeEndsWithOneLineAndKeepsThePartialFile)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("archive.txt");
    ASSERT_EQ(quvane({"archive", archive}).exitCode, 0);
    const QString out = dir.filePath("out.txt");
    // Each command with the exchanges to break (1 is the identify of connecting), and the
    // lines the output file keeps when the link drops at that exchange (-1: no file).
    const struct
    {
        QStringList arguments;
        int dropAt;
        int linesKept;
    } cases[] = {
        {{"capture", out}, 1, -1},       {{"capture", out}, 2, -1},
        {{"capture", out}, 3, -1},       {{"capture", out}, 5, 2},
        {{"archive", out}, 2, 1},        {{"archive", out}, 60, 59},
        {{"archive", out}, 101, 100},    {{"restore", archive}, 2, -1},
        {{"restore", archive}, 101, -1}, {{"clear-datalog", "--yes"}, 2, -1},
        {{"set-clock"}, 2, -1},          {{"identify"}, 2, -1},
        {{"identify"}, 3, -1},           {{"screen", out}, 2, -1},
        {{"screen", out}, 5, -1},
    };
    // A dropped link, a reply garbled on the line (its checksum fails) and the reply to the
    // command before end alike.
    for (const char *fault : {"--drop-at", "--corrupt-at", "--stale-at"})
        for (const auto &c : cases) {
            // Both exchanges of identify ask "D0001", and the four of screen read alike: the
            // reply to the one before is the right reply there.
            if (fault == std::string("--stale-at") &&
                (c.arguments.first() == QLatin1String("identify") ||
                 c.arguments.first() == QLatin1String("screen")) &&
                c.dropAt > 2)
                continue;
            QFile::remove(out);
            QFile::remove(out + ".partial");
            SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", QString::fromLatin1(fault),
                            QString::number(c.dropAt)});
            const CliRun run = quvane(c.arguments, sim.port());
            const std::string what =
                (c.arguments.first() + " at " + QString::number(c.dropAt) + ": " + run.err)
                    .toStdString();
            EXPECT_EQ(run.exitCode, 1) << what;
            EXPECT_EQ(run.err.count('\n'), 1) << what;
            EXPECT_TRUE(run.err.startsWith(QLatin1String("quvane: "))) << what;
            EXPECT_FALSE(run.err.contains(QLatin1String("Fatal Error"))) << what;
            EXPECT_FALSE(QFile::exists(out)) << what; // a failed transfer writes no target
            EXPECT_EQ(lineCount(out + ".partial"), c.linesKept) << what;
        }
}

TEST(QuvaneCli, IdentifyEscapesInstrumentTextsAndFailsOnAFullOutput)
{
    SimProcess sim({"--tcp", "127.0.0.1:0", "--model", "QV\x1b[2J45"});
    const CliRun run = quvane({"identify"}, sim.port());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QLatin1String("Model:                QV\\x1b[2J45\n")))
        << run.out.toStdString();

    // The display as a bitmap file, as the utility's screen capture saves it.
    QTemporaryDir dir;
    const QString screen = dir.filePath("screen.bmp");
    EXPECT_EQ(quvane({"screen", screen}, sim.port()).exitCode, 0);
    EXPECT_EQ(QFile(screen).size(), 2110);

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
    EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QLatin1String("Illuminant/observer:  F11/2\n")));
    EXPECT_TRUE(text.out.contains(QLatin1String("L* a* b*:")));
    EXPECT_EQ(text.out.count(QLatin1String(" nm ")), 31);

    const CliRun cgats = quvane({"measure", "--format", "cgats"});
    EXPECT_EQ(cgats.exitCode, 0);
    EXPECT_TRUE(cgats.out.startsWith(QLatin1String("CGATS.17\n")));
    const QStringList lines = cgats.out.split(QLatin1Char('\n'));
    const qsizetype format = lines.indexOf(QStringLiteral("BEGIN_DATA_FORMAT"));
    const qsizetype data = lines.indexOf(QStringLiteral("BEGIN_DATA"));
    ASSERT_GT(format, 0);
    ASSERT_GT(data, format);
    const QStringList fields = lines[format + 1].split(QLatin1Char('\t'));
    const QStringList values = lines[data + 1].split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 38);
    ASSERT_EQ(values.size(), 38);
    EXPECT_EQ(fields[1], QStringLiteral("SPEC_400"));
    EXPECT_EQ(fields[31], QStringLiteral("SPEC_700"));
    EXPECT_EQ(fields.mid(32), (QStringList{"XYZ_X", "XYZ_Y", "XYZ_Z", "LAB_L", "LAB_A", "LAB_B"}));

    EXPECT_EQ(quvane({"measure", "--observer", "5"}).exitCode, 2);
    EXPECT_EQ(quvane({"measure", "--scale", "rgb"}).exitCode, 2);
}

// What Little CMS's CGATS reader makes of a file: its errors, and the table it read.
struct LittleCmsTable
{
    QStringList errors;
    int sets = -1;
    QList<QByteArray> fields;
    std::vector<std::vector<double>> rows; // the numeric fields, in order
};

QStringList littleCmsErrors;

LittleCmsTable readWithLittleCms(const QByteArray &bytes)
{
    littleCmsErrors.clear();
    cmsSetLogErrorHandler([](cmsContext, cmsUInt32Number, const char *text) {
        littleCmsErrors << QString::fromLatin1(text);
    });
    LittleCmsTable table;
    cmsHANDLE it8 = cmsIT8LoadFromMem(nullptr, bytes.constData(), cmsUInt32Number(bytes.size()));
    if (it8) {
        table.sets = int(cmsIT8GetPropertyDbl(it8, "NUMBER_OF_SETS"));
        char **names = nullptr;
        const int count = cmsIT8EnumDataFormat(it8, &names);
        for (int f = 0; f < count; ++f)
            table.fields << QByteArray(names[f]);
        for (int r = 0; r < table.sets; ++r) {
            std::vector<double> row;
            for (int f = 0; f < count; ++f)
                row.push_back(cmsIT8GetDataRowColDbl(it8, r, f));
            table.rows.push_back(row);
        }
        cmsIT8Free(it8);
    }
    table.errors = littleCmsErrors;
    return table;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every CGATS file the programs write is read by Little CMS, with one line end throughout and
// the number of rows it holds; the datalog's is read by Argyll's spec2cie too, whose L*a*b*
// under D65/10 from the spectra agree with the instrument's own values in each row.
TEST(QuvaneCli, EveryCgatsFileIsReadByLittleCmsAndArgyll)
{
    QTemporaryDir dir;
    const QString captured = dir.filePath("datalog.ti3");
    ASSERT_EQ(quvane({"capture", captured, "--format", "cgats"}).exitCode, 0);
    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH),
              {"--export-datalog", dir.filePath("usb"), "--records", "3"});
    ASSERT_TRUE(sim.waitForFinished(10000));
    const QString converted = dir.filePath("converted.ti3");
    ASSERT_EQ(quvane({"convert", dir.filePath("usb/DATALOG.QV3"), converted, "--format", "cgats"})
                  .exitCode,
              0);
    QString partial;
    {
        // A capture that fails at its third record keeps the two before as a whole file.
        SimProcess failing({"--tcp", "127.0.0.1:0", "--records", "3", "--drop-at", "5"});
        const CliRun run =
            quvane({"capture", dir.filePath("part.ti3"), "--format", "cgats"}, failing.port());
        EXPECT_TRUE(run.err.contains(QLatin1String("holds the 2 records captured before")))
            << run.err.toStdString();
        partial = dir.filePath("part.ti3.partial");
    }
    const struct
    {
        QByteArray bytes;
        int sets;
        const char *lineEnd;
    } files[] = {
        {contentOf(captured), 40, "\r\n"},
        {contentOf(converted), 3, "\r\n"},
        {contentOf(partial), 2, "\r\n"},
        {quvane({"measure", "--format", "cgats"}).bytes, 1, "\n"},
    };
    for (const auto &f : files) {
        const LittleCmsTable table = readWithLittleCms(f.bytes);
        EXPECT_TRUE(table.errors.isEmpty()) << table.errors.join(' ').toStdString();
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
    QProcess run;
    run.start(spec2cie, {"-n", "-i", "D65", "-o", "1964_10", captured, result});
    ASSERT_TRUE(run.waitForFinished(30000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().constData();
    const LittleCmsTable theirs = readWithLittleCms(contentOf(result));
    const qsizetype theirL = theirs.fields.indexOf("D65LAB_L"),
                    ourL = theirs.fields.indexOf("QUVANE_SCALE_1");
    ASSERT_GE(theirL, 0);
    ASSERT_GE(ourL, 0);
    ASSERT_EQ(theirs.rows.size(), 40u);
    for (const auto &row : theirs.rows)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row[size_t(theirL + c)], row[size_t(ourL + c)], 0.2);
}

TEST(QuvaneCli, BadUsageExitsWithTwo)
{
    // The version, and the simulator's own usage errors as quvane says them.
    const CliRun version = quvane({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QLatin1String("quvane "))) << version.out.toStdString();
    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH), {"--no-such-option"});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 2);
    EXPECT_TRUE(sim.readAllStandardError().contains("Try 'quvane-sim --help'."));
    // The utility answers --version and --help without a display.
    QProcess utility;
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove(QStringLiteral("DISPLAY"));
    bare.remove(QStringLiteral("WAYLAND_DISPLAY"));
    bare.remove(QStringLiteral("QT_QPA_PLATFORM"));
    utility.setProcessEnvironment(bare);
    for (const char *option : {"--version", "--help"}) {
        utility.start(QStringLiteral(QUVANE_UTILITY_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(utility.waitForFinished(10000));
        EXPECT_EQ(utility.exitCode(), 0) << option;
        EXPECT_TRUE(utility.readAllStandardOutput().startsWith(
            option == std::string("--version") ? "quvane-utility " : "Usage: quvane-utility"));
    }
    // The export makes its folder.
    QTemporaryDir dir;
    const QString folder = dir.filePath("usb/stick");
    sim.start(QStringLiteral(QUVANE_SIM_PATH), {"--export-datalog", folder, "--records", "2"});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().constData();
    EXPECT_EQ(lineCount(folder + "/DATALOG.QV3"), 4); // two comment lines, two records

    EXPECT_EQ(quvane({}).exitCode, 2);
    EXPECT_EQ(quvane({"capture"}).exitCode, 2);
    // Out of range is bad usage, said before any instrument is looked for.
    for (const char *number : {"101", "abc", "0"}) {
        const CliRun setup = quvane({"setup", number}, QStringLiteral("tcp://127.0.0.1:1"));
        EXPECT_EQ(setup.exitCode, 2) << number;
        EXPECT_TRUE(setup.err.startsWith(QLatin1String("quvane: Invalid Product Setup # ")))
            << setup.err.toStdString();
    }
    // A file name that starts with a dash is one unknown option, with the way out.
    CliRun dash = quvane({"capture", "-dash2.txt"});
    EXPECT_EQ(dash.exitCode, 2);
    EXPECT_EQ(dash.err, QStringLiteral("quvane: unknown option -dash2.txt; put -- before a file "
                                       "name that starts with -\nTry 'quvane --help'.\n"));
    dash = quvane({"capture", "--dash2"});
    EXPECT_EQ(dash.exitCode, 2);
    EXPECT_TRUE(dash.err.startsWith(QLatin1String("quvane: unknown option --dash2\n")));
    EXPECT_EQ(quvane({"clear-datalog"}).exitCode, 2);
    EXPECT_EQ(quvane({"capture", "x", "--delimiter", "ab"}).exitCode, 2);
    // Only a printable ISO-8859-1 character can be written to the single-byte files.
    for (const QString &delimiter : {QStringLiteral("\x01"), QStringLiteral("\u20ac")})
        EXPECT_EQ(quvane({"capture", "x", "--delimiter", delimiter}).exitCode, 2);
    const CliRun help = quvane({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("clear-datalog --yes")));
}

TEST(QuvaneCli, InterruptStopsACaptureAfterTheRecordInHandAndKeepsAnEarlierFile)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "200", "--baud", "19200", "--log", log});
    const QString capture = dir.filePath("capture.txt");
    {
        QFile earlier(capture);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\r\n");
    }
    QProcess process;
    process.setProcessEnvironment(cliEnvironment(sim.port()));
    process.start(QStringLiteral(QUVANE_PATH), {"capture", capture});
    // Wait until the instrument has sent a few records (quvane takes Ctrl-C from before the
    // first exchange), then press Ctrl-C.
    for (int i = 0; i < 3000 && lineCount(log) < 6; ++i)
        QThread::msleep(10);
    ASSERT_GE(lineCount(log), 6);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130); // as shells report an interrupted program
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(err.contains(QLatin1String("capture.txt was left as it was.")))
        << err.toStdString();
    EXPECT_EQ(lineCount(capture), 1);
    const int lines = lineCount(capture + ".partial");
    EXPECT_GE(lines, 3);
    EXPECT_LT(lines, 200);
}

TEST(QuvaneCli, TheFileIsCheckedBeforeTheInstrumentAndNamesAreTakenAsGiven)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimProcess sim({"--tcp", "127.0.0.1:0", "--log", log});
    CliRun run = quvane({"capture", dir.path()}, sim.port());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("it is a folder"))) << run.err.toStdString();
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

    // An instrument's firmware text reaches the terminal escaped.
    SimProcess old({"--tcp", "127.0.0.1:0", "--firmware", "1.9\x1b[2J"});
    run = quvane({"identify"}, old.port());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("firmware 1.9\\x1b[2J "))) << run.err.toStdString();
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
    QFile file(capture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CliRun piped = quvane({"capture", "-"}, instrument.port());
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.bytes, file.readAll());
    EXPECT_FALSE(QFile::exists(workingFolder() + QStringLiteral("/-")));
    {
        // A transfer that fails on the way has sent its complete lines, and says so.
        SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", "--drop-at", "5"});
        const CliRun failed = quvane({"capture", "-"}, sim.port());
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.out.count(QLatin1Char('\n')), 2);
        EXPECT_TRUE(failed.err.contains(
            QLatin1String("The 2 records captured before the failure went to standard output.")))
            << failed.err.toStdString();
    }

    // The display shows the clock: the rows above it (the file's last) are the same.
    const QString screen = dir.filePath("screen.bmp");
    ASSERT_EQ(quvane({"screen", screen}).exitCode, 0);
    const QByteArray piece = contentOf(screen);
    ASSERT_EQ(piece.size(), 2110);
    EXPECT_EQ(quvane({"screen", "-"}).bytes.right(25 * 16), piece.right(25 * 16));
    // ... but not onto a terminal (script(1) gives it one).
    if (!QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty()) {
        QProcess terminal;
        terminal.setProcessEnvironment(cliEnvironment());
        terminal.start(QStringLiteral("script"),
                       {"-qec", QStringLiteral(QUVANE_PATH " screen -"), "/dev/null"});
        ASSERT_TRUE(terminal.waitForFinished(30000));
        EXPECT_EQ(terminal.exitCode(), 2);
        EXPECT_TRUE(terminal.readAllStandardOutput().contains("not to a terminal"));
    }

    // archive - | restore -, and a conversion from standard input to standard output.
    const QString export_ = dir.filePath("usb");
    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH), {"--export-datalog", export_, "--records", "3"});
    ASSERT_TRUE(sim.waitForFinished(10000));
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
    CliRun run = pipe({"archive", "-"}, {"restore", "-"}, {});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = pipe({"identify"}, {"restore", "-"}, {});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("quvane: standard input is not a product set-up archive; "
                                      "nothing was restored\n"));
    run = pipe({"convert", "-", "-", "--delimiter", "comma"}, {"restore", "-"},
               export_ + "/DATALOG.QV3");
    EXPECT_TRUE(run.err.contains(QLatin1String("not a product set-up archive")));
    const CliRun converted = quvane({"convert", export_ + "/DATALOG.QV3", "-"});
    EXPECT_EQ(converted.exitCode, 0);
    EXPECT_EQ(converted.out.count(QLatin1Char('\n')), 4); // the heading and three records
}

// Every message is the tool's: the trace file's too.
TEST(QuvaneCli, ATraceFileThatCannotBeOpenedIsSaidAndTheCommandGoesOn)
{
    QProcess process;
    QProcessEnvironment environment = cliEnvironment();
    environment.insert(QStringLiteral("QUVANE_TRACE"), QStringLiteral("/nonexistent/trace.log"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUVANE_PATH), {"identify"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(err.startsWith(
        QLatin1String("quvane: cannot open the trace file /nonexistent/trace.log: ")))
        << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1);
}

} // namespace
