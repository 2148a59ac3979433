#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "records/QVLog.h"
#include "records/QVMeasure.h"
#include "support/SimFixture.h"

using namespace quvane;

namespace {

int errorNumberOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const QuvaneError &e) {
        return e.number();
    }
    return 0;
}

class RecordsTest : public SimFixture
{
protected:
    void SetUp() override { connectSensor(sensor); }

    SensorControl sensor;
};

TEST_F(RecordsTest, MeasurementReadsTheSpectrumInPercent)
{
    Reflectance half;
    half.fill(50.0f);
    half[30] = 12.5f;
    sim->placeSample(half);
    QVMeasure measurement(sensor);
    measurement.Measure();
    EXPECT_EQ(commands, QByteArrayList{"H"});
    EXPECT_EQ(measurement.Spectrum(1), 50.0f);
    EXPECT_EQ(measurement.Spectrum(31), 12.5f);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(measurement.ScaleData(i), 0.0f);
    EXPECT_EQ(measurement.IndexData(), 0.0f);
    EXPECT_EQ(measurement.SetupNumber, 0);

    for (auto read : std::initializer_list<std::function<void()>>{
             [&] { measurement.Spectrum(0); }, [&] { measurement.Spectrum(32); },
             [&] { measurement.ScaleData(4); }, [&] { measurement.ScaleData(0); }})
        EXPECT_EQ(errorNumberOf(read), ErrorNumber::SubscriptOutOfRange);
}

TEST_F(RecordsTest, DatalogRecordConvertsItsFields)
{
    sim->seedDatalog(3);
    SimLogRecord &r = sim->datalog()[1];
    r.setupIndex = 41;
    r.isStandard = true;
    r.passFail = 0;
    r.colorScale = 1;
    r.colorIndex = 2;
    r.scaleData = {91.5f, -1.25f, 3.0f, 0, 0, 0};
    r.indexData = {7.5f, 0};
    r.spectrum.fill(50.0f);
    r.timestamp = modGlobals::DateToSeconds(
        modGlobals::ToPcDate(QDateTime(QDate(2009, 12, 31), QTime(23, 59, 58))));

    QVLog record(sensor);
    record.GetRecord(1);
    EXPECT_EQ(commands, QByteArrayList{"K0001"});
    EXPECT_EQ(record.RecordNumber, 2);
    EXPECT_EQ(record.SetupNumber, 42);
    EXPECT_TRUE(record.IsStandard);
    EXPECT_EQ(record.PassFail, 1);
    EXPECT_EQ(record.MeasurementDate, QStringLiteral("12/31/2009"));
    EXPECT_EQ(record.MeasurementTime, QStringLiteral("23:59:58"));
    EXPECT_EQ(record.ScaleData(2), -1.25f);
    EXPECT_EQ(record.IndexData(), 7.5f);
    EXPECT_TRUE(record.Spectral);
    EXPECT_EQ(record.Spectrum(31), 50.0f);

    // Without a scale or an index the four values are skipped; what follows is read from the
    // same places.
    r.colorScale = 0;
    r.colorIndex = 0;
    r.isStandard = false;
    r.passFail = 1;
    r.spectral = false;
    record.GetRecord(1);
    EXPECT_EQ(record.ScaleData(1), 0.0f);
    EXPECT_EQ(record.IndexData(), 0.0f);
    EXPECT_FALSE(record.Spectral);
    EXPECT_EQ(record.Spectrum(1), 50.0f);
    EXPECT_FALSE(record.IsStandard);
    EXPECT_EQ(record.PassFail, 0);

    r.passFail = -1;
    record.GetRecord(1);
    EXPECT_EQ(record.PassFail, -1);
}

TEST(DatalogDate, TwoDigitYearsWidenAroundNinetyFive)
{
    EXPECT_EQ(QVLog::FourDigitYearDate("12/31/09"), QStringLiteral("12/31/2009"));
    EXPECT_EQ(QVLog::FourDigitYearDate("01/02/95"), QStringLiteral("01/02/1995"));
    EXPECT_EQ(QVLog::FourDigitYearDate("07/04/94"), QStringLiteral("07/04/2094"));
    EXPECT_EQ(errorNumberOf([] { QVLog::FourDigitYearDate("07/04/9x"); }),
              ErrorNumber::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { QVLog::FourDigitYearDate("07/04/"); }), ErrorNumber::TypeMismatch);
}

} // namespace
