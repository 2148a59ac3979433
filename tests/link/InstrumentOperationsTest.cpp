#include "link/InstrumentOperations.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "support/SimFixture.h"

#include <QFile>
#include <QTemporaryDir>

using namespace quvane;

namespace {

class InstrumentOperationsTest : public SimFixture
{
protected:
    void SetUp() override { connectSensor(sensor); }

    // The error number a call raises, or 0.
    template <typename Call> int raised(Call &&call)
    {
        try {
            call();
        } catch (const QuvaneError &error) {
            lastError = error.description();
            return error.number();
        }
        return 0;
    }

    SensorControl sensor;
    InstrumentOperations operations{sensor};
    QString lastError;
};

TEST_F(InstrumentOperationsTest, ConnectReadsTheIdentification)
{
    EXPECT_EQ(sensor.InstrumentName(), sim->identity().model);
    EXPECT_EQ(sensor.SerialNumber(), QStringLiteral("SIM00421"));
    EXPECT_TRUE(sensor.FirmwareSupported());

    for (auto [firmware, supported] :
         {std::pair{"1.99", false}, {"10.0", true}, {"2", true}, {"v2.1", false}, {"", false}}) {
        sim->identity().firmware = QString::fromLatin1(firmware);
        sim->identity().flavor = 3;
        connectSensor(sensor);
        EXPECT_EQ(sensor.FirmwareSupported(), supported) << firmware;
        EXPECT_EQ(sensor.Flavor(), 3);
    }

    sensor.ConnectOption = 4;
    sensor.Connect(link);
    EXPECT_FALSE(sensor.IsConnected());
}

TEST_F(InstrumentOperationsTest, DatalogCountReadsTheFourthFieldAndRaisesOverflow)
{
    sim->seedDatalog(12);
    EXPECT_EQ(operations.DatalogCount(), 12);
    sim->faults().reportedCount = 32767;
    EXPECT_EQ(operations.DatalogCount(), 32767);
    sim->faults().reportedCount = 32768;
    EXPECT_EQ(raised([&] { operations.DatalogCount(); }), ErrorNumber::Overflow);
}

TEST_F(InstrumentOperationsTest, BrokenLinksAndRepliesRaiseNamedErrors)
{
    sim->corruptNextReply();
    EXPECT_EQ(raised([&] { operations.DatalogCount(); }), ErrorNumber::MalformedPacket);
    EXPECT_TRUE(lastError.contains(QLatin1String("at character"))) << lastError.toStdString();

    sim->faults().silent = sim->commandsReceived() + 1;
    EXPECT_EQ(raised([&] { operations.ClearDatalog(); }), ErrorNumber::CommunicationsTimeout);

    sim->dropNextCommand();
    EXPECT_EQ(raised([&] { operations.ClearDatalog(); }), ErrorNumber::LinkLost);
    EXPECT_TRUE(lastError.contains(QLatin1String("X000FFFFFFFF01")));
    EXPECT_EQ(raised([&] { sensor.SendCommand("Q"); }), ErrorNumber::LinkLost);
}

TEST_F(InstrumentOperationsTest, RefusalsAndStandardizationResultsSetLastError)
{
    EXPECT_EQ(raised([&] { sensor.SendCommand("Z9"); }), ErrorNumber::InstrumentRefused);
    EXPECT_TRUE(lastError.contains(QLatin1String("\"Z9\"")));
    EXPECT_EQ(sensor.LastError(), SimRefusal::UnknownCommand);

    sim->faults().failBlack = 1;
    sensor.ReadBlack();
    EXPECT_GT(sensor.LastError(), 0);
    sensor.ReadBlack();
    EXPECT_EQ(sensor.LastError(), 0);
    sensor.ReadWhite();
    EXPECT_EQ(sensor.LastError(), 0);
    EXPECT_EQ(commands, (QByteArrayList{"Z9", "B", "B", "W"}));
}

TEST_F(InstrumentOperationsTest, ClockIsSetToThePcTimeAndStandardizationTimeIsRead)
{
    sim->setClockOffset(-7200);
    operations.SetDateAndTime();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands.value(0).size(), 12);
    EXPECT_TRUE(commands.value(0).startsWith("X000"));
    EXPECT_LE(std::abs(sim->clockOffset()), 1);

    sim->setLastStandardization(1700000000);
    EXPECT_EQ(operations.StdzTimestamp(), modGlobals::SecondsToDate(1700000000));
}

TEST_F(InstrumentOperationsTest, HeldLinkRefusesEveryOtherExchange)
{
    {
        SensorControl::Hold hold(sensor);
        EXPECT_EQ(raised([&] { operations.DatalogCount(); }), ErrorNumber::LinkBusy);
        EXPECT_TRUE(lastError.contains(QLatin1String("D0001")));
        EXPECT_FALSE(hold.SendCommand("D0001").isEmpty());
    }
    EXPECT_EQ(commands, QByteArrayList{"D0001"});
    EXPECT_EQ(raised([&] { operations.DatalogCount(); }), 0);
}

TEST_F(InstrumentOperationsTest, TraceRecordsEveryExchange)
{
    QTemporaryDir dir;
    link.tracePath = dir.filePath(QStringLiteral("trace.txt"));
    connectSensor(sensor);
    operations.DatalogCount();
    sim->faults().silent = sim->commandsReceived() + 1;
    raised([&] { operations.ClearDatalog(); });
    operations.ClearDatalog();

    QFile file(link.tracePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains("\tI\t"));
    EXPECT_TRUE(lines[1].contains("\tD0001\t"));
    EXPECT_TRUE(lines[2].endsWith("\tX000FFFFFFFF01\ttimeout"));
    EXPECT_TRUE(lines[3].endsWith("\tX000FFFFFFFF01\t0000"));
}

} // namespace
