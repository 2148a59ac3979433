#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct CliRun
{
    int exitCode;
    QString out;
    QString err;
};

CliRun quvane(const QStringList &arguments, const QString &port = QStringLiteral("sim"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUVANE_PORT"), port);
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUVANE_PATH), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
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

    run = quvane({"identify"}, QStringLiteral("tcp://127.0.0.1:1"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("Instrument not connected or turned off")));
}

TEST(QuvaneCli, BadUsageExitsWithTwo)
{
    EXPECT_EQ(quvane({}).exitCode, 2);
    EXPECT_EQ(quvane({"capture"}).exitCode, 2);
    EXPECT_EQ(quvane({"clear-datalog"}).exitCode, 2);
    EXPECT_EQ(quvane({"capture", "x", "--delimiter", "ab"}).exitCode, 2);
    const CliRun help = quvane({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("clear-datalog --yes")));
}

TEST(QuvaneCli, InterruptStopsACaptureAfterTheRecordInHand)
{
    QTemporaryDir dir;
    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH),
              {"--tcp", "127.0.0.1:0", "--records", "200", "--baud", "19200"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed().section(' ', -1);

    const QString capture = dir.filePath("capture.txt");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUVANE_PORT"), port);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUVANE_PATH), {"capture", capture});
    // Wait until a few records are in the file, then press Ctrl-C.
    for (int i = 0; i < 200 && lineCount(capture) < 3; ++i)
        QThread::msleep(20);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 1);
    const int lines = lineCount(capture);
    EXPECT_GE(lines, 3);
    EXPECT_LT(lines, 200);
    sim.kill();
    sim.waitForFinished();
}

} // namespace
