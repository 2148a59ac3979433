#include "InstrumentOperations.h"
#include "ProgramControl.h"
#include "QuvaneError.h"
#include "SimFixture.h"
#include "modGlobals.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class InstrumentOperationsTest : public SimFixture
{
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        connectSensor(sensor);
    }

    SensorControl sensor;
    InstrumentOperations operations{sensor};
};

TEST_F(InstrumentOperationsTest, ConnectReadsTheIdentification)
{
    EXPECT_EQ(sensor.InstrumentName(), sim->identity().model);
    EXPECT_EQ(sensor.SerialNumber(), QStringLiteral("SIM00421"));
    EXPECT_TRUE(sensor.FirmwareSupported());
    operations.GetInstrumentName();
    EXPECT_EQ(modGlobals::InstrumentName, sim->identity().model);

    for (auto [firmware, supported] :
         {std::pair{"1.99", false}, {"10.0", true}, {"2", true}, {"v2.1", false}, {"", false}}) {
        sim->identity().firmware = QString::fromLatin1(firmware);
        sim->identity().flavor = 3;
        connectSensor(sensor);
        EXPECT_EQ(sensor.FirmwareSupported(), supported) << firmware;
        EXPECT_EQ(operations.InstrumentFlavor(), 3);
    }

    sensor.ConnectOption = 4;
    sensor.Connect();
    EXPECT_FALSE(sensor.IsConnected());
}

TEST_F(InstrumentOperationsTest, DatalogCountReadsTheFourthField)
{
    sim->seedDatalog(12);
    EXPECT_EQ(operations.DatalogCount(), 12);
    sim->faults().reportedCount = 32767;
    EXPECT_EQ(operations.DatalogCount(), 32767);
    EXPECT_EQ(GetMousePointer(), MousePointer::Default);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(InstrumentOperationsTest, DatalogCountAboveAnIntegerIsFatalOverflow)
{
    sim->faults().reportedCount = 32768;
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(operations.DatalogCount(), ProgramEnded);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith(QLatin1String("Fatal Error #6\n\n")));
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.messages[0].buttons, MsgButtons::OK);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Quvane Utility"));
}

TEST_F(InstrumentOperationsTest, TimeoutRetrySendsTheCommandAgain)
{
    sim->seedDatalog(5);
    sim->faults().silentCommands = 1;
    prompts.answer(MsgAnswer::Retry);
    operations.ClearDatalog();

    ASSERT_EQ(prompts.texts(), QStringList{QStringLiteral("Communications Timeout")});
    EXPECT_EQ(prompts.messages[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.pointersAtMessages[0], MousePointer::Hourglass);
    EXPECT_EQ(commands, (QByteArrayList{"X000FFFFFFFF01", "X000FFFFFFFF01"}));
    EXPECT_TRUE(sim->datalog().isEmpty());
    EXPECT_EQ(GetMousePointer(), MousePointer::Default);
}

TEST_F(InstrumentOperationsTest, TimeoutCancelEndsWithoutClosingTheLink)
{
    sim->seedDatalog(5);
    sim->faults().silentCommands = 1;
    prompts.answer(MsgAnswer::Cancel);
    EXPECT_THROW(operations.ClearDatalog(), ProgramEnded);
    EXPECT_EQ(sim->datalog().size(), 5);
    EXPECT_TRUE(sensor.IsConnected());
    SetMousePointer(MousePointer::Default);
}

TEST_F(InstrumentOperationsTest, BrokenLinksAndRepliesAreFatalAndNamed)
{
    sim->faults().corruptNext = true;
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(operations.DatalogCount(), ProgramEnded);
    EXPECT_TRUE(prompts.messages.back().text.startsWith(QLatin1String("Fatal Error #-2147213403")));
    EXPECT_TRUE(prompts.messages.back().text.contains(QLatin1String("at character")));

    sim->faults().dropNext = true;
    prompts.answer(MsgAnswer::OK);
    EXPECT_THROW(operations.ClearDatalog(), ProgramEnded);
    EXPECT_TRUE(prompts.messages.back().text.startsWith(QLatin1String("Fatal Error #-2147213404")));
    EXPECT_TRUE(prompts.messages.back().text.contains(QLatin1String("X000FFFFFFFF01")));
    SetMousePointer(MousePointer::Default);

    try {
        sensor.SendCommand("Q");
        ADD_FAILURE() << "a closed link still answered";
    } catch (const QuvaneError &e) {
        EXPECT_EQ(e.number(), ErrorNumber::LinkLost);
    }
}

TEST_F(InstrumentOperationsTest, RefusalsAndStandardizationResultsSetLastError)
{
    try {
        sensor.SendCommand("Z9");
        ADD_FAILURE() << "an unknown command was not refused";
    } catch (const QuvaneError &e) {
        EXPECT_EQ(e.number(), ErrorNumber::InstrumentRefused);
        EXPECT_TRUE(e.description().contains(QLatin1String("\"Z9\"")));
    }
    EXPECT_EQ(sensor.LastError(), SimRefusal::UnknownCommand);

    sim->faults().failBlack = 1;
    operations.ReadBlack();
    EXPECT_GT(sensor.LastError(), 0);
    operations.ReadBlack();
    EXPECT_EQ(sensor.LastError(), 0);
    operations.ReadWhite();
    EXPECT_EQ(sensor.LastError(), 0);
    EXPECT_EQ(commands, (QByteArrayList{"Z9", "B", "B", "W"}));
}

TEST_F(InstrumentOperationsTest, ClockIsSetToThePcTimeAndStandardizationTimeIsRead)
{
    sim->setClockOffset(-7200);
    operations.SetDateAndTime();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0].size(), 12);
    EXPECT_TRUE(commands[0].startsWith("X000"));
    EXPECT_LE(std::abs(sim->clockOffset()), 1);

    sim->setLastStandardization(1700000000);
    EXPECT_EQ(operations.StdzTimestamp(), modGlobals::SecondsToDate(1700000000));
}

TEST_F(InstrumentOperationsTest, TraceRecordsEveryExchange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    qputenv("QUVANE_TRACE", path.toLocal8Bit());
    connectSensor(sensor);
    qunsetenv("QUVANE_TRACE");
    operations.DatalogCount();
    sim->faults().silentCommands = 1;
    prompts.answer(MsgAnswer::Retry);
    operations.ClearDatalog();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains("\tI\t"));
    EXPECT_TRUE(lines[1].contains("\tD0001\t"));
    EXPECT_TRUE(lines[2].endsWith("\tX000FFFFFFFF01\ttimeout"));
    EXPECT_TRUE(lines[3].endsWith("\tX000FFFFFFFF01\t0000"));
}

} // namespace
