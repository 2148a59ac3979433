#include "link/DeviceTransport.h"
#include "link/Framing.h"
#include "link/InstrumentOperations.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "sim/SimInstrument.h"
#include "sim/SimStateFile.h"
#include "support/SimProcess.h"

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace quvane;

namespace {

class TransportTest : public ::testing::Test
{
protected:
    void connectTo(const QString &port)
    {
        ASSERT_FALSE(port.isEmpty()) << "quvane-sim did not start";
        sensor.ConnectOption = SensorControl::ConnectByOptions;
        sensor.Connect(LinkOptions{port, {}, {}});
        ASSERT_TRUE(sensor.IsConnected()) << sensor.connectionError().toStdString();
    }

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

TEST_F(TransportTest, TcpSilenceIsATimeoutAndALateReplyIsNotTakenForTheNext)
{
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "3", "--silent", "1", "--flavor", "2",
                    "--late-at", "3"});
    // The first command (identify) goes unanswered, so connecting fails once.
    sensor.setTimeout(300);
    sensor.ConnectOption = SensorControl::ConnectByOptions;
    sensor.Connect(LinkOptions{sim.port(), {}, {}});
    EXPECT_FALSE(sensor.IsConnected());
    EXPECT_TRUE(sensor.connectionError().contains(QLatin1String("timeout"), Qt::CaseInsensitive));
    connectTo(sim.port());
    EXPECT_EQ(sensor.Flavor(), 2);

    // Command 3's reply comes after the timeout (only once the next command is sent, however
    // slow the machine); the next command must get its own reply.
    try {
        operations.DatalogCount();
        ADD_FAILURE() << "the late reply was not a timeout";
    } catch (const QuvaneError &e) {
        EXPECT_TRUE(e.isTimeout());
    }
    EXPECT_EQ(sensor.SendCommand("I").left(2), QByteArray("0B")); // a String of the model name
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
    SimProcess sim({"--pty", "--state", state, "--baud", "115200", "--drop-at", "3"});
    connectTo(sim.port());
    EXPECT_EQ(operations.DatalogCount(), 0);
    // The third command hangs the pseudo-terminal up: a lost link, said as such.
    try {
        operations.DatalogCount();
        ADD_FAILURE() << "a hung-up port still answered";
    } catch (const QuvaneError &e) {
        EXPECT_EQ(e.number(), ErrorNumber::LinkLost);
        EXPECT_TRUE(e.description().contains(QLatin1String("hung up")))
            << e.description().toStdString();
    }
}

TEST(SimState, ValuesThatCannotTravelAreRefusedWithTheirPlace)
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.json"));
    SimInstrument instrument;
    instrument.seedDatalog(3);
    instrument.datalog()[1].illuminant = 4000; // a Byte field
    QString error;
    ASSERT_TRUE(SimStateFile::save(state, instrument, error)) << error.toStdString();

    QProcess sim;
    sim.start(QStringLiteral(QUVANE_SIM_PATH), {"--state", state, "--export-datalog", dir.path()});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 1);
    EXPECT_TRUE(sim.readAllStandardError().contains("datalog record 2"));

    // A FIFO as the state file is refused, not waited on; a state file that cannot be written
    // ends an export-only run with a failure.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    for (const QString &path : {dir.filePath("fifo"), dir.filePath("missing/state.json")}) {
        sim.start(QStringLiteral(QUVANE_SIM_PATH),
                  {"--state", path, "--export-datalog", dir.filePath("usb")});
        ASSERT_TRUE(sim.waitForFinished(10000));
        EXPECT_EQ(sim.exitCode(), 1) << path.toStdString();
        EXPECT_TRUE(sim.readAllStandardError().contains("state file")) << path.toStdString();
    }

    // A clock time far from now is refused, not overflowed.
    SimInstrument clock;
    PacketBuffer packet;
    packet.PutText(QByteArrayView("X000"));
    packet.PutTimestamp(std::numeric_limits<qint32>::min());
    EXPECT_TRUE(clock.handle(packet.GetCommand()).reply.startsWith('!'));
}

// Talks to quvane-sim byte for byte, without the link code.
TEST(SimWire, RepliesEchoTheSequenceDigitAndBadLinesAreRefused)
{
    SimProcess sim({"--tcp", "127.0.0.1:0", "--records", "2", "--delay-at", "2:300"});
    const QString port = sim.port();
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"),
                         static_cast<quint16>(port.section(':', -1).toInt()));
    ASSERT_TRUE(socket.waitForConnected(3000));
    auto ask = [&socket](const QByteArray &line) {
        socket.write(line + '\r');
        QByteArray reply;
        while (!reply.endsWith('\r') && socket.waitForReadyRead(3000))
            reply += socket.readAll();
        return reply;
    };
    EXPECT_EQ(ask("I09C08"), QByteArray("0B517576616E65205156343504322E31340853494D3030343231000"
                                        "7793\r"));
    // Command 2 answers late: the reply still carries its own digit, 5.
    const QByteArray status = ask(Framing::frame("D0001", 5));
    QByteArray packet;
    int sequence = -1;
    ASSERT_EQ(Framing::unframe(status.chopped(1), packet, sequence), Framing::Check::Good);
    EXPECT_EQ(sequence, 5);
    EXPECT_EQ(packet.mid(24, 8), QByteArray("00000002"));

    // A bad checksum, a line without framing and an over-long line are refused with their codes.
    EXPECT_EQ(ask("I09C09"), QByteArray("!000406418\r"));
    EXPECT_EQ(ask("I"), QByteArray("!000406418\r"));
    EXPECT_EQ(ask(QByteArray(5000, 'P')), QByteArray("!000505729\r"));
}

TEST(TransportConnect, NoGroupIsNamedForAPortOfRootsOwnGroup)
{
    // /dev/null belongs to the group root: joining it is no advice to give.
    const QString text = SerialTransport::accessDeniedText(QStringLiteral("/dev/null"));
    EXPECT_FALSE(text.contains(QLatin1String("usermod"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("ask the administrator")));
}

} // namespace

namespace {

// Each set-up command has one reading; a write of set-up 6 and the restore of set-up 82 were
// the same bytes while a Boolean travelled as "1".
TEST(SimSetupCommands, EachFormReadsOneWay)
{
    SimInstrument sim;
    sim.setActiveSetup(41);
    const QByteArray fields = sim.setups()[0].fields;
    const QByteArray zeros(381, '0');
    PacketBuffer name;
    name.PutString(QStringLiteral("NEW"));
    const QByteArray newName = name.GetCommand();

    EXPECT_TRUE(sim.handle("P0005" + zeros).reply.startsWith("0005"));
    EXPECT_TRUE(sim.handle("PFFFF" + zeros).reply.startsWith("0029")); // -1: the active one
    EXPECT_EQ(sim.handle("P0005T" + newName + fields).reply, QByteArray("0005"));
    EXPECT_EQ(sim.setups()[5].name, QStringLiteral("NEW"));
    EXPECT_NE(sim.setups()[81].name, QStringLiteral("NEW"));

    EXPECT_EQ(sim.handle("P00051" + newName + fields).reply, QByteArray("00000051"));
    EXPECT_EQ(sim.setups()[81].name, QStringLiteral("NEW"));
    EXPECT_TRUE(sim.handle("P100000051").reply.startsWith("0051" + newName));
    EXPECT_TRUE(sim.handle("P0005" + QByteArray(380, '0')).reply.startsWith('!'));
}

} // namespace
