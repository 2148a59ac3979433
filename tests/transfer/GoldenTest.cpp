// The external formats pinned by files and strings written by hand (tests/golden, and the
// replies below), decoded and encoded by the program without the simulated instrument, so that
// a fault shared by the codec and the simulator cannot hide.
#include "link/InstrumentOperations.h"
#include "link/LinkOptions.h"
#include "link/PacketBuffer.h"
#include "link/PacketHandler.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "policy/TransferMessages.h"
#include "records/DatalogRecord.h"
#include "records/QVLog.h"
#include "records/QVMeasure.h"
#include "support/Files.h"
#include "transfer/BulkTransfers.h"
#include "transfer/DatalogSinks.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFormat.h"
#include "transfer/TransferProgress.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/QtPrinting.h"

using namespace quvane;

namespace {

QString golden(const char *name)
{
    return QStringLiteral(QUVANE_GOLDEN_DIR "/") + QString::fromLatin1(name);
}

// An instrument that answers from a table of replies; anything else is refused.
class ReplayInstrument : public PacketHandler
{
public:
    HandlerResult handle(const QByteArray &command) override
    {
        received.append(command);
        return HandlerResult::answer(replies.value(command, QByteArrayLiteral("!0001")));
    }
    QHash<QByteArray, QByteArray> replies;
    QByteArrayList received;
};

class GoldenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        instrument->replies["I"] = "0451563435" // "QV45"
                                   "03322E31"   // "2.1"
                                   "024131"     // "A1"
                                   "02";        // flavor 2
        sensor.ConnectOption = SensorControl::ConnectByOptions;
        sensor.Connect(LinkOptions{QStringLiteral("sim"), {}, [this] { return instrument; }});
        ASSERT_TRUE(sensor.IsConnected()) << sensor.connectionError().toStdString();
    }

    BulkTransfers transfers(const char *locale, const QByteArray &delimiter)
    {
        return BulkTransfers(
            {&sensor, delimiter, TextFormat(QLocale(QString::fromLatin1(locale))), {}}, progress);
    }

    std::shared_ptr<ReplayInstrument> instrument = std::make_shared<ReplayInstrument>();
    SensorControl sensor;
    SilentProgress progress;
    QTemporaryDir dir;
};

const struct
{
    const char *locale;
    const char *delimiterName;
    QByteArray delimiter;
} Conversions[] = {{"en_US", "tab", "\t"}, {"de_DE", "comma", ","}, {"sv_SE", "tab", "\t"}},
  Captures[] = {{"en_US", "comma", ","}, {"de_DE", "tab", "\t"}, {"sv_SE", "comma", ","}};

TEST_F(GoldenTest, ConversionAndCaptureWriteTheCheckedFilesByteForByte)
{
    for (const auto &c : Conversions) {
        const QString out = dir.filePath(QStringLiteral("converted.txt"));
        ASSERT_EQ(
            transfers(c.locale, c.delimiter).ConvertDatalog(golden("DATALOG.QV3"), {out}).result,
            TransferResult::Completed);
        const QString name = QStringLiteral("convert-%1-%2.txt")
                                 .arg(QLatin1String(c.locale), QLatin1String(c.delimiterName));
        EXPECT_EQ(contentOf(out), contentOf(golden(name.toLatin1().constData())))
            << name.toStdString();
    }

    // The capture's replies are the datalog file's record lines.
    const QList<QByteArray> lines = contentOf(golden("DATALOG.QV3")).split('\n');
    for (int i = 0; i < 3; ++i)
        instrument->replies[QByteArray("Q1") + QByteArray::number(i, 16).rightJustified(8, '0')] =
            lines[i + 2].trimmed();
    for (const auto &c : Captures) {
        const QString out = dir.filePath(QStringLiteral("captured.txt"));
        ASSERT_EQ(transfers(c.locale, c.delimiter).UploadDatalog(3, {out}).result,
                  TransferResult::Completed);
        const QString name = QStringLiteral("capture-%1-%2.txt")
                                 .arg(QLatin1String(c.locale), QLatin1String(c.delimiterName));
        EXPECT_EQ(contentOf(out), contentOf(golden(name.toLatin1().constData())))
            << name.toStdString();
    }
    EXPECT_EQ(instrument->received.mid(1, 3),
              (QByteArrayList{"Q100000000", "Q100000001", "Q100000002"}));
}

// A reply is decoded once, and the one record feeds both sinks: the delimited line is the checked
// capture's, and the CGATS row carries the same record and spectrum, its numbers ungrouped.
TEST_F(GoldenTest, OneDecodedRecordFeedsEverySink)
{
    PacketBuffer packet;
    packet.SetReply(contentOf(golden("DATALOG.QV3")).split('\n')[2].trimmed());
    const DatalogRecord record = DatalogRecord::decode(packet);
    OutputFile text(dir.filePath(QStringLiteral("line.txt")));
    OutputFile cgats(dir.filePath(QStringLiteral("row.ti3")));
    const QLocale german(QStringLiteral("de_DE"));
    const TextFormat format(german);
    DelimitedTextSink line(text, {format, "\t", "/"});
    CgatsSink row(cgats);
    for (DatalogSink *sink : std::initializer_list<DatalogSink *>{&line, &row}) {
        sink->add(record);
        sink->finish();
        EXPECT_EQ(sink->count(), 1);
    }
    text.commit();
    cgats.commit();
    const QByteArray written = contentOf(dir.filePath(QStringLiteral("line.txt")));
    EXPECT_EQ(written, contentOf(golden("capture-de_DE-tab.txt")).split('\n')[0] + '\n');
    const QList<QByteArray> rows = contentOf(dir.filePath(QStringLiteral("row.ti3"))).split('\n');
    const qsizetype at = rows.indexOf("BEGIN_DATA\r") + 1;
    ASSERT_EQ(rows.value(at + 1), "END_DATA\r");
    QStringList cells; // a quoted text is one cell
    static const QRegularExpression cell(QStringLiteral("\"[^\"]*\"|\\S+"));
    for (const auto &match : cell.globalMatch(QString::fromLatin1(rows[at])))
        cells << match.captured();
    const QList<QByteArray> fields = written.trimmed().split('\t');
    ASSERT_EQ(cells.size(), 47);
    EXPECT_EQ(cells[1], '"' + QString::fromLatin1(fields[1]) + '"');
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(cells[5 + i].toDouble(), german.toDouble(QString::fromLatin1(fields[12 + i])))
            << cells[5 + i].toStdString();
    }
}

TEST_F(GoldenTest, RepliesOfEveryCommandDecodeAsWritten)
{
    EXPECT_EQ(std::tuple(sensor.InstrumentName(), sensor.FirmwareVersion(), sensor.SerialNumber()),
              std::tuple(QStringLiteral("QV45"), QStringLiteral("2.1"), QStringLiteral("A1")));
    EXPECT_TRUE(sensor.Flavor() == 2 && sensor.FirmwareSupported());

    // Last standardization 1600000000 (2020-09-13 12:26:40), clock, capacity 800, 42 records.
    instrument->replies["D0001"] = QByteArray("5F5E1000") + "5F5E2000" + "00000320" + "0000002A";
    InstrumentOperations operations(sensor);
    EXPECT_EQ(operations.DatalogCount(), 42);
    EXPECT_EQ(modGlobals::FromPcDate(operations.StdzTimestamp()),
              QDateTime(QDate(2020, 9, 13), QTime(12, 26, 40), Qt::UTC));

    instrument->replies["B"] = "0000";
    instrument->replies["W"] = "0003";
    sensor.ReadBlack();
    EXPECT_EQ(sensor.LastError(), 0);
    sensor.ReadWhite();
    EXPECT_EQ(sensor.LastError(), 3);

    // Status, then 31 fractions: 0.25, then 0.5 thirty times.
    instrument->replies["H"] =
        "0000" + QByteArray("3E800000") + QByteArray("3F000000").repeated(30);
    QVMeasure measurement(sensor);
    measurement.Measure();
    EXPECT_FLOAT_EQ(measurement.Spectrum(1), 25.0f);
    EXPECT_FLOAT_EQ(measurement.Spectrum(31), 50.0f);
    EXPECT_EQ(measurement.instrumentSerial(), QStringLiteral("A1"));
    EXPECT_LE(std::abs(measurement.taken().secsTo(QDateTime::currentDateTime())), 5);

    // clang-format off
    instrument->replies["K0003"] = "0004" "0002"      // record 4, set-up index 2
                                   "01" "04" "01"     // display mode, illuminant, observer
                                   "0001" "0002"      // scale, index
                                   "F" "X" "0000"     // flag false (a standard), skipped, pass/fail 0
                                   "00000000"         // skipped
                                   "0830332F30312F3236" "0531343A3035" "025331" // 03/01/26 14:05 S1
                                   "42280000" "BFC00000" "3F800000" // scale data 42, -1.5, 1
                                   "40000000" "T"     // index data 2, with a spectrum
                                   + QByteArray("3F000000").repeated(31);
    // clang-format on
    QVLog record(sensor);
    record.GetRecord(3);
    EXPECT_EQ(std::tuple(record.RecordNumber, record.SetupNumber, record.DisplayMode,
                         record.Illuminant, record.Observer, record.ColorScale, record.ColorIndex,
                         record.IsStandard, record.PassFail, record.Spectral),
              std::tuple(4, 3, 1, 4, 1, 1, 2, true, 1, true));
    EXPECT_EQ(
        std::tuple(record.MeasurementDate, record.MeasurementTime, record.ID),
        std::tuple(QStringLiteral("03/01/2026"), QStringLiteral("14:05"), QStringLiteral("S1")));
    EXPECT_EQ(record.taken(), QDateTime(QDate(2026, 3, 1), QTime(14, 5)));
    EXPECT_EQ(std::tuple(record.ScaleData(2), record.IndexData(), record.Spectrum(31)),
              std::tuple(-1.5f, 2.0f, 50.0f));

    // The clock: "X000" and the PC time; clearing: the literal command.
    instrument->replies["X000FFFFFFFF01"] = "0000";
    operations.ClearDatalog();
    EXPECT_EQ(instrument->received.last(), QByteArray("X000FFFFFFFF01"));

    // A reply that holds more than its fields, or another record than asked for, is the reply
    // to something else: a line error, offered Retry, never data.
    const auto lineErrorOf = [](auto &&run) {
        try {
            run();
        } catch (const QuvaneError &error) {
            return error.isLineError() ? error.description() : QStringLiteral("not a line error");
        }
        return QStringLiteral("no error");
    };
    instrument->replies["X000FFFFFFFF01"] = "000000";
    EXPECT_TRUE(lineErrorOf([&] {
                    operations.ClearDatalog();
                }).contains(QLatin1String("2 characters after its fields")));
    instrument->replies["K0002"] = instrument->replies["K0003"];
    EXPECT_TRUE(lineErrorOf([&] {
                    record.GetRecord(2);
                }).contains(QLatin1String("holds record 4, not record 3")));

    // The identify reply at connection gets the same checks: nothing after its fields.
    instrument->replies["I"] += "00";
    sensor.Connect(LinkOptions{QStringLiteral("sim"), {}, [this] { return instrument; }});
    EXPECT_FALSE(sensor.IsConnected());
    EXPECT_TRUE(sensor.connectionError().contains(QLatin1String("characters after its fields")))
        << sensor.connectionError().toStdString();
}

TEST_F(GoldenTest, ArchiveAndRestoreCarryTheInstrumentsLinesUnchanged)
{
    // A set-up record: index 0, name "A", 381 characters of fields.
    const QByteArray fields = QByteArray("00000000") + QByteArray("0000").repeated(7) +
                              QByteArray("00000000").repeated(12) + "T" +
                              QByteArray("3F000000").repeated(31);
    ASSERT_EQ(fields.size(), 381);
    for (int i = 0; i < 100; ++i)
        instrument->replies[QByteArray("P1") +
                            QByteArray::number(i, 16).toUpper().rightJustified(8, '0')] =
            QByteArray::number(i, 16).toUpper().rightJustified(4, '0') + "0141" + fields;
    const QString archive = dir.filePath(QStringLiteral("setups.txt"));
    ASSERT_EQ(transfers("C", "\t").UploadSetups(archive).result, TransferResult::Completed);
    const QByteArray written = contentOf(archive);
    EXPECT_TRUE(written.startsWith("Quvane Product Setups\r\n0000"
                                   "0141" +
                                   fields + "\r\n0001"));
    EXPECT_EQ(written.count("\r\n"), 101);

    for (int i = 0; i < 100; ++i)
        instrument->replies[QByteArray("P0") +
                            QByteArray::number(i, 16).toUpper().rightJustified(4, '0') + "0141" +
                            fields] = QByteArray::number(i, 16).toUpper().rightJustified(8, '0');
    instrument->received.clear();
    const TransferOutcome restored = transfers("C", "\t").DownloadSetups(archive);
    EXPECT_EQ(restored.result, TransferResult::Completed)
        << describe(restored).line().toStdString();
    EXPECT_EQ(instrument->received.size(), 100);
    EXPECT_TRUE(restored.refusedLines.isEmpty());
}

} // namespace
