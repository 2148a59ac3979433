#include "InstrumentOperations.h"
#include "ProgramControl.h"
#include "QuvaneError.h"
#include "ScriptedPrompter.h"
#include "SensorControl.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A quvane-sim process serving one instrument; its first line of output names the link.
class SimProcess
{
public:
    explicit SimProcess(QStringList arguments)
    {
        m_process.setProgram(QStringLiteral(QUVANE_SIM_PATH));
        m_process.setArguments(arguments);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        const int at = line.lastIndexOf(QLatin1Char(' '));
        if (line.startsWith(QLatin1String("quvane-sim:")) && at > 0)
            m_port = line.mid(at + 1);
    }

    ~SimProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

class TransportTest : public ::testing::Test
{
protected:
    void connectTo(const QString &port)
    {
        ASSERT_FALSE(port.isEmpty()) << "quvane-sim did not start";
        qputenv("QUVANE_PORT", port.toLocal8Bit());
        sensor.ConnectOption = 5;
        sensor.Connect();
        qunsetenv("QUVANE_PORT");
        ASSERT_TRUE(sensor.IsConnected()) << sensor.connectionError().toStdString();
    }

    ScriptedPrompter prompts;
    SensorControl sensor;
    InstrumentOperations operations{sensor};
};

TEST_F(TransportTest, TcpCarriesTheProtocolAndLosesTheLinkWhenDropped)
{
    SimProcess sim(
        {"--tcp", "127.0.0.1:0", "--records", "12", "--serial", "SIM-TCP", "--drop-at", "5"});
    connectTo(sim.port());
    EXPECT_EQ(sensor.SerialNumber(), QStringLiteral("SIM-TCP"));
    EXPECT_EQ(operations.DatalogCount(), 12);
    operations.ClearDatalog();
    EXPECT_EQ(operations.DatalogCount(), 0);
    try {
        sensor.SendCommand("D0001");
        ADD_FAILURE() << "the dropped link still answered";
    } catch (const QuvaneError &e) {
        EXPECT_EQ(e.number(), ErrorNumber::LinkLost);
    }
}

TEST_F(TransportTest, TcpTimeoutDoesNotMistakeALateReplyForTheNext)
{
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", "--silent", "1", "--flavor", "2"});
    // The first command (identify) goes unanswered, so connecting fails once.
    qputenv("QUVANE_PORT", sim.port().toLocal8Bit());
    sensor.setTimeout(300);
    sensor.ConnectOption = 5;
    sensor.Connect();
    EXPECT_FALSE(sensor.IsConnected());
    EXPECT_TRUE(sensor.connectionError().contains(QLatin1String("timeout"), Qt::CaseInsensitive));
    connectTo(sim.port());
    EXPECT_EQ(sensor.Flavor(), 2);
    EXPECT_EQ(operations.DatalogCount(), 3);
}

TEST_F(TransportTest, SerialPortOnAPseudoTerminal)
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.json"));
    {
        SimProcess sim({"--pty", "--records", "7", "--state", state});
        connectTo(sim.port());
        EXPECT_EQ(operations.DatalogCount(), 7);
        sensor.ReadBlack();
        EXPECT_EQ(sensor.LastError(), 0);
        operations.ClearDatalog();
        sensor.Disconnect();
    }
    // The state file carries the cleared datalog into the next run.
    SimProcess sim({"--pty", "--state", state, "--baud", "115200"});
    connectTo(sim.port());
    EXPECT_EQ(operations.DatalogCount(), 0);
}

TEST(TransportConnect, NothingListeningMeansNotConnected)
{
    SensorControl sensor;
    qputenv("QUVANE_PORT", "tcp://127.0.0.1:1");
    sensor.ConnectOption = 5;
    sensor.Connect();
    qunsetenv("QUVANE_PORT");
    EXPECT_FALSE(sensor.IsConnected());
    EXPECT_FALSE(sensor.connectionError().isEmpty());
}

} // namespace
