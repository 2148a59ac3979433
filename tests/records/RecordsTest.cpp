#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "records/DatalogRecord.h"
#include "records/Measurement.h"
#include "records/QVLog.h"
#include "records/QVMeasure.h"
#include "records/QVSetup.h"
#include "records/SetupText.h"
#include "records/SetupTolerance.h"
#include "support/Files.h"
#include "support/QtPrinting.h"
#include "support/SimFixture.h"

using namespace quvane;

namespace {

class RecordsTest : public SimFixture
{
protected:
    void SetUp() override { connectSensor(sensor); }

    SensorControl sensor;
};

TEST_F(RecordsTest, MeasurementAndDatalogRecordsReadTheirFields)
{
    Reflectance half;
    half.fill(50.0f);
    half[30] = 12.5f;
    sim->placeSample(half);
    QVMeasure measurement(sensor);
    measurement.Measure();
    EXPECT_EQ(std::tuple(measurement.Spectrum(1), measurement.Spectrum(31),
                         measurement.ScaleData(3), measurement.IndexData(),
                         measurement.SetupNumber),
              std::tuple(50.0f, 12.5f, 0.0f, 0.0f, 0));
    for (auto read : std::initializer_list<std::function<void()>>{
             [&] { measurement.Spectrum(0); }, [&] { measurement.Spectrum(32); },
             [&] { measurement.ScaleData(4); }, [&] { measurement.ScaleData(0); }})
        EXPECT_EQ(errorNumberOf(read), ErrorNumber::SubscriptOutOfRange);

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
    EXPECT_EQ(commands, (QByteArrayList{"H", "K0001"}));
    EXPECT_EQ(std::tuple(record.RecordNumber, record.SetupNumber, record.IsStandard,
                         record.PassFail, record.MeasurementDate, record.MeasurementTime),
              std::tuple(2, 42, true, 1, QStringLiteral("12/31/2009"), QStringLiteral("23:59:58")));
    EXPECT_EQ(
        std::tuple(record.ScaleData(2), record.IndexData(), record.Spectral, record.Spectrum(31)),
        std::tuple(-1.25f, 7.5f, true, 50.0f));
    // As a value it is the same measurement as the bulk capture's record of it.
    PacketBuffer packet;
    packet.SetReply(sim->captureLine(1));
    const Measurement fromRecord = record.measurement();
    const Measurement fromCapture =
        Measurement::fromDatalog(DatalogRecord::decode(packet), MeasurementSource::Capture);
    for (const Measurement &m : {fromRecord, fromCapture}) {
        EXPECT_EQ(std::tuple(m.recordNumber, m.setupNumber, m.isStandard, m.sampleId, m.taken,
                             m.spectrum, m.colorScale, m.scaleData[1], m.indexData, m.passFail),
                  std::tuple(2, 42, true, r.sampleId,
                             QDateTime(QDate(2009, 12, 31), QTime(23, 59, 58)), r.spectrum, 1,
                             -1.25f, 7.5f, std::optional<int>(1)));
    }
    EXPECT_EQ(fromRecord.instrumentSerial, sensor.SerialNumber());
    // Without a scale or an index the four values are skipped; what follows is read from the
    // same places.
    r.colorScale = r.colorIndex = 0;
    r.isStandard = r.spectral = false;
    r.passFail = 1;
    record.GetRecord(1);
    EXPECT_EQ(std::tuple(record.ScaleData(1), record.IndexData(), record.Spectral,
                         record.Spectrum(1), record.IsStandard, record.PassFail),
              std::tuple(0.0f, 0.0f, false, 50.0f, false, 0));
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

namespace {

QList<qint16> choices(const QVSetup &setup, qint32 item)
{
    QList<qint16> list(QVSetup::ChoiceListSize);
    setup.GetListOfChoices(item, list);
    return list.mid(0, setup.GetNumberOfChoices(item));
}

TEST(QVSetupChoices, FollowTheOtherItems)
{
    QVSetup s;
    s.ColorScale = 1;
    EXPECT_EQ(choices(s, 7), (QList<qint16>{0, 21, 22, 20}));
    s.ColorScale = 0;
    EXPECT_EQ(choices(s, 7), (QList<qint16>{0}));
    s.ColorIndex = 13;
    s.ColorScale = 4;
    s.setColorDiffScale(4);
    EXPECT_EQ(choices(s, 7), (QList<qint16>{0, 13, 21, 22, 7, 8, 11, 18, 19}));
    s.setColorDiffScale(7);
    EXPECT_EQ(s.ColorDiffIndex(), 10);
    EXPECT_EQ(choices(s, 7), (QList<qint16>{10}));
    s.setColorDiffIndex(3); // stored alone
    EXPECT_EQ(s.ColorDiffScale(), 7);

    s.StandardType = 3;
    s.ColorScale = 8;
    EXPECT_EQ(choices(s, 1), (QList<qint16>{0, 1, 2, 3, 4}));
    s.ColorScale = 1;
    EXPECT_EQ(choices(s, 1), (QList<qint16>{0, 1, 3, 4}));
    for (qint32 scale : {6, 7, 9}) {
        s.ColorScale = scale;
        EXPECT_EQ(s.GetNumberOfChoices(6), 0) << scale;
    }
    EXPECT_EQ(s.GetNumberOfChoices(0), 4);
    EXPECT_EQ(s.GetNumberOfChoices(8), 0);

    QList<qint16> tooShort(2);
    EXPECT_THROW(s.GetListOfChoices(0, tooShort), QuvaneError);
    EXPECT_EQ(tooShort, (QList<qint16>{0, 0})); // nothing written
    EXPECT_THROW(s.Spectrum(32), QuvaneError);
    EXPECT_THROW(s.setScaleData(0, 1.0f), QuvaneError);
}

// The texts the editor lists and quvane setup prints (tests/golden/code-texts.txt): the datalog's
// words where they name the same thing, the CIE's otherwise.
TEST(SetupTexts, EveryCodeOfEveryItemAndTheValueLabels)
{
    int texts = 0;
    for (const QStringList &f : fieldsOf(QStringLiteral(QUVANE_GOLDEN_DIR "/code-texts.txt"))) {
        if (f[0] == QLatin1String("setup") && ++texts) {
            EXPECT_EQ(SetupChoiceText(f[1].toInt(), f[2].toInt()), f[3]) << f.join(' ');
        }
    }
    EXPECT_EQ(texts, 87);

    const QStringList scaleLabels[] = {{},
                                       {"L*", "a*", "b*"},
                                       {"L*", "C*", "h"},
                                       {"L", "a", "b"},
                                       {"X", "Y", "Z"},
                                       {"Y", "x", "y"}};
    for (int scale = 1; scale <= 5; ++scale) {
        for (int component = 1; component <= 3; ++component)
            EXPECT_EQ(ScaleLabel(scale, component), scaleLabels[scale][component - 1]);
    }
    EXPECT_EQ(ScaleLabel(8, 3), QStringLiteral("v*"));
    EXPECT_EQ(ScaleLabel(1, 4), QString());
    EXPECT_EQ(DiffScaleLabel(2, 3), QStringLiteral("dH*"));
    EXPECT_EQ(DiffScaleLabel(7, 1), QStringLiteral("Str"));
    EXPECT_EQ(DiffScaleLabel(6, 2), QStringLiteral("dC"));
    EXPECT_EQ(IndexLabel(13), QStringLiteral("Tint"));
    EXPECT_EQ(DiffIndexLabel(11), QStringLiteral("dEcmc"));
    EXPECT_EQ(IndexLabel(0), QString());
}

class QVSetupTransfer : public SimFixture
{
protected:
    void SetUp() override { connectSensor(sensor); }
    SensorControl sensor;
};

TEST_F(QVSetupTransfer, ReadAndReplaceKeepTheFieldsOfTheRecord)
{
    QVSetup setup(sensor);
    setup.Read(1);
    EXPECT_EQ(commands.value(commands.size() - 1), "P0000" + QByteArray(381, '0'));
    EXPECT_EQ(setup.SetupNumber, 1);
    EXPECT_EQ(setup.ProductName, sim->setups()[0].name);

    for (qint16 bad : {qint16(0), qint16(101)})
        EXPECT_THROW(setup.Replace(bad), QuvaneError);
    EXPECT_EQ(commands.size(), 1);

    setup.CommercialFactor = 0.25f; // tenths half to even: 2
    setup.l2cRatio = 1.0f;
    setup.setSpectrum(1, 50.0f);
    setup.setColorDiffScale(7);
    setup.setColorDiffIndex(3);
    setup.Replace(100);
    EXPECT_TRUE(commands.value(commands.size() - 1).startsWith("P0063T"));
    QVSetup back(sensor);
    back.Read(100);
    EXPECT_FLOAT_EQ(back.CommercialFactor, 0.2f);
    EXPECT_FLOAT_EQ(back.l2cRatio, 1.0f);
    EXPECT_FLOAT_EQ(back.Spectrum(1), 50.0f);
    EXPECT_EQ(back.ColorDiffScale(), 7);
    EXPECT_EQ(back.ColorDiffIndex(), 3); // Read does not force 10
    EXPECT_EQ(back.SetupNumber, 100);

    // Set-up number 0 asks for index -1, which the instrument answers with the active one.
    sim->setActiveSetup(41);
    back.Read(0);
    EXPECT_TRUE(commands.value(commands.size() - 1).startsWith("PFFFF"));
    EXPECT_EQ(back.SetupNumber, 42);

    setup.CommercialFactor = 5000.0f; // 50000 tenths: no Integer
    const int sent = static_cast<int>(commands.size());
    EXPECT_THROW(setup.Replace(5), QuvaneError);
    EXPECT_EQ(commands.size(), sent);
}

} // namespace

// The instrument judges each datalog record against its set-up's standard and tolerances; the
// program, reading the record and the set-up it names as the viewer does, reaches the same
// verdict (a warning is a pass to the instrument), and none where the instrument has none.
TEST_F(QVSetupTransfer, TheProgramJudgesEachRecordAsTheInstrumentDoes)
{
    sim->seedDatalog(400);
    std::map<qint16, QVSetup> setups;
    int verdicts[3] = {}, unjudged = 0;
    for (qint16 n = 0; n < 400; ++n) { // "K" counts the records from 0
        QVLog record(sensor);
        record.GetRecord(n);
        if (!setups.contains(record.SetupNumber)) {
            QVSetup setup(sensor);
            setup.Read(record.SetupNumber);
            setups.emplace(record.SetupNumber, setup);
        }
        const std::optional<Colour::Verdict> ours =
            setupVerdict(setups.at(record.SetupNumber), record.spectrum());
        SCOPED_TRACE(std::to_string(n) + " set-up " + std::to_string(record.SetupNumber));
        ASSERT_EQ(ours.has_value(), record.PassFail != -1);
        if (!ours) {
            ++unjudged;
            continue;
        }
        ++verdicts[int(*ours)];
        EXPECT_EQ(record.PassFail, *ours == Colour::Verdict::Fail ? 0 : 1); // 1: passed
    }
    // Enough of each for the comparison to mean something.
    EXPECT_GT(verdicts[0], 20);
    EXPECT_GT(verdicts[1], 5);
    EXPECT_GT(verdicts[2], 20);
    EXPECT_GT(unjudged, 20);
}
