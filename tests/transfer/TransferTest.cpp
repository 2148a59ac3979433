#include "link/InstrumentOperations.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "policy/TransferMessages.h"
#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"
#include "records/SetupText.h"
#include "support/Files.h"
#include "support/QtPrinting.h"
#include "support/SimFixture.h"
#include "transfer/BulkTransfers.h"
#include "transfer/CodeText.h"
#include "transfer/DatalogSinks.h"
#include "transfer/OutputFile.h"
#include "transfer/RemovableDrives.h"
#include "transfer/TextFiles.h"
#include "transfer/TextFormat.h"
#include "transfer/TransferProgress.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <map>

using namespace quvane;

namespace {

// Records what a transfer shows, and presses Cancel when a chosen message appears.
class RecordingProgress : public TransferProgress
{
public:
    void start(const QString &c, int maximum) override
    {
        caption = c;
        this->maximum = maximum;
        value = 0;
        cancel = false;
        running = true;
    }
    void setMessage(const QString &text) override
    {
        messages << text;
        if (text == cancelAt)
            cancel = true;
    }
    void setValue(int v) override { value = v; }
    void yield() override { ++yields; }
    bool cancelRequested() const override { return cancel; }
    void finish() override { running = false; }

    QString caption, cancelAt;
    QStringList messages;
    int maximum = -1, value = -1, yields = 0;
    bool cancel = false, running = false;
};

QList<QByteArray> linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << "line without CR LF";
        line.chop(1);
    }
    return lines;
}

class TransferTest : public SimFixture
{
protected:
    void SetUp() override
    {
        connectSensor(sensor);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // The transfers as a front end sets them up: the locale's text format at this moment, and
    // a timeout answered by the next of retryAnswers (Cancel when none is left).
    BulkTransfers transfers()
    {
        auto retry = [this](const QuvaneError &) {
            return !retryAnswers.isEmpty() && retryAnswers.takeFirst();
        };
        return BulkTransfers({&sensor, delimiter, TextFormat(), retry, fileFaults}, progress);
    }
    // A further sink (as the history is) that notes the numbers of the records it was given.
    struct NumberSink : DatalogSink
    {
        void add(const DatalogRecord &record) override
        {
            numbers.append(record.number);
            ++m_count;
        }
        QList<qint64> numbers;
    };
    TransferOutcome capture(const QString &file, NumberSink *more = nullptr)
    {
        return transfers().UploadDatalog(operations.DatalogCount(), {file},
                                         more ? QList<DatalogSink *>{more}
                                              : QList<DatalogSink *>{});
    }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Writes the lines with the given line end and returns the file's path.
    QString write(const char *name, const QList<QByteArray> &lines, const char *end = "\r\n")
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QByteArray &line : lines)
            file.write(line + end);
        return path(name);
    }
    QString exportedDatalog()
    {
        QString error;
        EXPECT_TRUE(sim->exportDatalog(dir.path(), error)) << error.toStdString();
        return dir.filePath(QStringLiteral("DATALOG.QV3"));
    }

    QTemporaryDir dir;
    SensorControl sensor;
    InstrumentOperations operations{sensor};
    RecordingProgress progress;
    QByteArray delimiter = "\t";
    QList<bool> retryAnswers;
    OutputFileFaults fileFaults;
};

TEST_F(TransferTest, CaptureWritesOneLineOfFiftyOneFieldsPerRecord)
{
    sim->seedDatalog(1);
    EXPECT_EQ(capture(path("one.txt")).result, TransferResult::Completed);
    const auto lines = linesOf(path("one.txt"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].split('\t').size(), 51);
    EXPECT_TRUE(lines[0].startsWith("1\t"));
    EXPECT_EQ(progress.caption, QStringLiteral("Capturing Datalog..."));
    EXPECT_EQ(progress.messages, QStringList{"1 / 1"});
    EXPECT_EQ(progress.value, progress.maximum);
    EXPECT_FALSE(progress.running);
    EXPECT_EQ(commands, (QByteArrayList{"D0001", "Q100000000"}));
}

// A transfer that does not end normally: the file named is written (a new one) or left as it
// was (an earlier one), the part goes beside it, and the outcome says which, counting from the
// disk. Cancel, a dropped link and a full disk, each where its policy differs.
TEST_F(TransferTest, AStoppedTransferKeepsItsPartAndNeverAnEarlierFile)
{
    sim->seedDatalog(10);
    const struct
    {
        const char *name;
        bool earlier;     // an earlier file of the name
        const char *kind; // cancel, drop or full
        TransferResult result;
        int targetLines, partialLines; // -1: no such file
        const char *failure, *kept;    // %1: the file named
    } cases[] = {
        {"new.txt", false, "cancel", TransferResult::Cancelled, 3, -1, "", ""},
        {"old.txt", true, "cancel", TransferResult::Cancelled, 1, 3, "",
         "%1 was left as it was. %1.partial holds the 3 records captured before Cancel."},
        {"lost.txt", false, "drop", TransferResult::Failed, -1, 4,
         "The datalog capture stopped at record 5 of 10.",
         "%1 was not written. %1.partial holds the 4 records captured before the failure."},
        {"full.txt", true, "full", TransferResult::Failed, 1, -1,
         "The captured datalog could not be saved.", "%1 was left as it was."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        connectSensor(sensor); // again after a dropped link
        const QString target = path(c.name);
        if (c.earlier)
            write(c.name, {"an earlier capture"});
        progress.cancelAt = c.kind == std::string("cancel") ? QStringLiteral("3 / 10") : QString();
        sim->faults().dropAt =
            c.kind == std::string("drop") ? sim->commandsReceived() + 6 : 0; // count, 4 records
        fileFaults.failFlush = c.kind == std::string("full");
        NumberSink more;
        const TransferOutcome outcome = capture(target, &more);
        EXPECT_EQ(outcome.result, c.result);
        // The further sink has what the file has, each record once, in order.
        EXPECT_EQ(outcome.records, more.numbers.size());
        EXPECT_EQ(outcome.delivered, QList<int>{outcome.records});
        for (qsizetype k = 0; k < more.numbers.size(); ++k)
            EXPECT_EQ(more.numbers[k], k + 1);
        const TransferMessage said = describe(outcome);
        EXPECT_EQ(said.failure, QString::fromLatin1(c.failure));
        EXPECT_EQ(said.kept, QString::fromLatin1(c.kept).arg(QDir::toNativeSeparators(target)));
        if (c.kind == std::string("full")) {
            EXPECT_EQ(outcome.reason, QStringLiteral("Cannot write to %1: No space left on device")
                                          .arg(QDir::toNativeSeparators(target)));
        }
        EXPECT_EQ(QFile::exists(target) ? linesOf(target).size() : -1, c.targetLines);
        if (c.earlier) {
            EXPECT_EQ(linesOf(target), QList<QByteArray>{"an earlier capture"});
        }
        const QString partial = OutputFile::partialPath(target);
        EXPECT_EQ(QFile::exists(partial) ? linesOf(partial).size() : -1, c.partialLines);
        EXPECT_FALSE(progress.running);
    }
    sim->faults() = {};
    fileFaults = {};
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::Hidden | QDir::Files)
                  .filter(QRegularExpression(QStringLiteral("^\\."))),
              QStringList()); // no temporary file left

    // A folder is refused before anything is sent; a conversion onto its own source too.
    const qsizetype sent = commands.size();
    const TransferOutcome folder = transfers().UploadSetups(dir.path());
    EXPECT_EQ(folder.result, TransferResult::Failed);
    EXPECT_EQ(describe(folder).failure, QStringLiteral("The product set-ups were not archived."));
    EXPECT_TRUE(folder.reason.contains(QLatin1String("it is a folder")));
    EXPECT_EQ(commands.size(), sent);
    const QString source = exportedDatalog();
    QFile original(source);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    EXPECT_EQ(
        transfers().ConvertDatalog(source, {dir.path() + QStringLiteral("/./DATALOG.QV3")}).result,
        TransferResult::Refused);
    original.seek(0);
    EXPECT_EQ(original.readAll(), bytes);
}

TEST_F(TransferTest, ConversionMatchesCaptureButForTheSequencePair)
{
    sim->seedDatalog(3);
    sim->datalog()[1].sequence = 2;
    sim->datalog()[1].sequenceOf = 7;
    // A record at midnight shows its date alone.
    sim->datalog()[2].timestamp =
        modGlobals::DateToSeconds(modGlobals::ToPcDate(QDateTime(QDate(2026, 3, 1), QTime(0, 0))));
    capture(path("capture.txt"));
    const QString source = exportedDatalog();
    EXPECT_EQ(transfers().ConvertDatalog(source, {path("converted.txt")}).result,
              TransferResult::Completed);
    EXPECT_EQ(progress.caption, QStringLiteral("Converting Datalog..."));
    EXPECT_EQ(progress.messages.last(), QStringLiteral("5")); // two comment lines, three records

    const auto captured = linesOf(path("capture.txt"));
    const auto converted = linesOf(path("converted.txt"));
    ASSERT_EQ(converted.size(), 4);
    EXPECT_EQ(converted[0].count('\t'), 50);
    EXPECT_TRUE(converted[0].endsWith("indexdata\t"));
    for (int i = 0; i < 3; ++i) {
        QList<QByteArray> a = captured[i].split('\t'), b = converted[i + 1].split('\t');
        ASSERT_EQ(b.size(), 51);
        EXPECT_EQ(a[6], QByteArray(b[6]).replace("::", "/"));
        a.removeAt(6);
        b.removeAt(6);
        EXPECT_EQ(a, b);
    }
    EXPECT_EQ(converted[2].split('\t')[6], QByteArray("2::7"));
    EXPECT_EQ(captured[1].split('\t')[6], QByteArray("2/7"));
    EXPECT_EQ(captured[2].split('\t')[8], QByteArray("3/1/2026"));
}

// The datalog's texts of tests/golden/code-texts.txt, and none outside its items.
TEST(CodeText, TheTablesAsTheDatalogFilesWriteThem)
{
    int texts = 0;
    for (const QStringList &f : fieldsOf(QStringLiteral(QUVANE_GOLDEN_DIR "/code-texts.txt"))) {
        if (f[0] == QLatin1String("datalog") && ++texts) {
            EXPECT_EQ(GetCodeText(f[1].toInt(), qint16(f[2].toInt())), f[3]) << f.join(' ');
        }
    }
    EXPECT_EQ(texts, 59);
    EXPECT_EQ(GetCodeText(5, 0), QString());
    EXPECT_EQ(GetCodeText(-1, 1), QString());
}

// Each code means what its text says, in the set-up's numbering and in the datalog's.
TEST(InstrumentCodes, EachCodeMeansWhatItsTextSays)
{
    using Colour::Index, Colour::Scale;
    const std::map<QString, Scale> scales = {
        {"CIE Lab", Scale::Lab}, {"CIE LCh", Scale::LCh}, {"Hunter Lab", Scale::HunterLab},
        {"XYZ", Scale::Xyz},     {"Yxy", Scale::Yxy},     {"CIE Luv", Scale::Luv}};
    const std::map<QString, Index> indices = {{"Y", Index::Y},
                                              {"YI D1925", Index::YellownessD1925},
                                              {"YI E313", Index::YellownessE313},
                                              {"WI E313", Index::WhitenessE313},
                                              {"Tint", Index::TintE313},
                                              {"Z%", Index::ZPercent}};
    int mapped[4] = {};
    for (qint16 code = -1; code <= 40; ++code) {
        SCOPED_TRACE(code);
        const auto scale = scales.find(SetupChoiceText(SetupItem::ColorScale, code));
        EXPECT_EQ(Codes::scale(code),
                  scale == scales.end() ? std::nullopt : std::optional(scale->second));
        const auto index = indices.find(SetupChoiceText(SetupItem::ColorIndex, code));
        EXPECT_EQ(Codes::index(code),
                  index == indices.end() ? std::nullopt : std::optional(index->second));
        const auto logged = indices.find(GetCodeText(IndexTable, code));
        EXPECT_EQ(Codes::datalogIndex(code),
                  logged == indices.end() ? std::nullopt : std::optional(logged->second));
        const auto conditions = Codes::datalogConditions(code);
        EXPECT_EQ(conditions ? Colour::illuminantName(conditions->illuminant) +
                                   (conditions->observer == Colour::Observer::TwoDegree
                                        ? QStringLiteral("/2")
                                        : QStringLiteral("/10"))
                             : QString::number(code),
                  GetCodeText(ConditionsTable, code));
        mapped[0] += Codes::scale(code).has_value();
        mapped[1] += Codes::index(code).has_value();
        mapped[2] += Codes::datalogIndex(code).has_value();
        mapped[3] += conditions.has_value();
    }
    EXPECT_EQ(std::vector<int>(mapped, mapped + 4), (std::vector<int>{6, 6, 6, 18}));
}

// The Linux rule for removable drives, on a system tree laid out like /proc/mounts, /dev and
// /sys/class/block: removable when the kernel flags the disk (or the disk of a partition), or
// when it hangs off a USB bus; ready when its mount point is a folder.
TEST(RemovableDrives, TheKernelsFlagOrAUsbBusAndAMountedFolder)
{
    QTemporaryDir tree;
    QDir root(tree.path());
    const auto make = [&root](const QString &path, const QByteArray &content = {}) {
        root.mkpath(QFileInfo(root.filePath(path)).path());
        QFile file(root.filePath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    const auto link = [&root](const QString &target, const QString &name) {
        root.mkpath(QFileInfo(root.filePath(name)).path());
        ASSERT_TRUE(QFile::link(root.filePath(target), root.filePath(name)));
    };
    // sda: a fixed disk. sdb: a USB stick without the removable flag, partition sdb1. sdc: a
    // card reader that sets the flag. sdd: flagged, but its mount point is gone.
    make("devices/pci/ata1/sda/removable", "0\n");
    make("devices/pci/ata1/sda/sda1/partition", "1\n");
    make("devices/pci/usb1/1-1/sdb/removable", "0\n");
    make("devices/pci/usb1/1-1/sdb/sdb1/partition", "1\n");
    make("devices/pci/mmc/sdc/removable", "1\n");
    make("devices/pci/mmc/sdd/removable", "1\n");
    link("devices/pci/ata1/sda/sda1", "sys/sda1");
    link("devices/pci/usb1/1-1/sdb/sdb1", "sys/sdb1");
    link("devices/pci/mmc/sdc", "sys/sdc");
    link("devices/pci/mmc/sdd", "sys/sdd");
    for (const char *node : {"sda1", "sdb1", "sdc", "sdd"})
        make(QStringLiteral("dev/%1").arg(QLatin1String(node)));
    link("dev/sdb1", "dev/disk/by-label/STICK");
    for (const char *folder : {"media/root", "media/my stick", "media/card"})
        root.mkpath(QLatin1String(folder));
    const QString media = root.filePath(QStringLiteral("media"));
    make("mounts", QStringLiteral("/dev/sda1 %1/root ext4 rw 0 0\n"
                                  "proc /proc proc rw 0 0\n"
                                  "/dev/disk/by-label/STICK %1/my\\040stick vfat rw 0 0\n"
                                  "/dev/sdc %1/card vfat rw 0 0\n"
                                  "/dev/sdd %1/gone vfat rw 0 0\n")
                       .arg(media)
                       .toLocal8Bit());

    const RemovableDrives::SystemTree system{root.filePath(QStringLiteral("mounts")),
                                             root.filePath(QStringLiteral("sys")),
                                             root.filePath(QStringLiteral("dev"))};
    const QStringList roots = RemovableDrives::roots(system);
    EXPECT_EQ(roots,
              (QStringList{media + QStringLiteral("/my stick"), media + QStringLiteral("/card")}));

    make("media/card/DATALOG.QV3");
    EXPECT_EQ(RemovableDrives::findFile(roots, QStringLiteral("DATALOG.QV3")),
              QDir::toNativeSeparators(media + QStringLiteral("/card/DATALOG.QV3")));
    EXPECT_EQ(RemovableDrives::findFile({}, QStringLiteral("DATALOG.QV3")), QString());
}

TEST(TextFormat, LocaleNumbersAndGeneralDatesInLatin1WithoutQuestionMarks)
{
    const struct
    {
        const char *locale;
        const char *number; // -1234.5 with 3 decimals
        const char *date;   // 2026-03-01 14:05:09
    } cases[] = {
        {"en_US", "-1,234.500", "3/1/2026 2:05:09 PM"},
        {"C", "-1,234.500", "3/1/2026 2:05:09 PM"},
        {"de_DE", "-1.234,500", "01.03.2026 14:05:09"},
        // clang-format off
        {"sv_SE", "-1\xA0" "234,500", "2026-03-01 14:05:09"},
        {"fr_FR", "-1\xA0" "234,500", "01/03/2026 14:05:09"},
        // clang-format on
        {"de_CH", "-1'234.500", "01.03.2026 14:05:09"},
        {"es_ES", "-1.234,500", "1/3/2026 14:05:09"},
        {"ja_JP", "-1,234.500", "2026/03/01 14:05:09"},
        {"ar_EG", "-1.234,500", "1/3/2026 14:05:09"},
    };
    const QDateTime afternoon(QDate(2026, 3, 1), QTime(14, 5, 9));
    for (const auto &c : cases) {
        const TextFormat format{QLocale(QString::fromLatin1(c.locale))};
        QByteArray line;
        format.appendFixed(line, -1234.5, 3);
        EXPECT_EQ(line, QByteArray(c.number)) << c.locale;
        line.clear();
        format.appendGeneralDate(line, afternoon);
        EXPECT_EQ(line, QByteArray(c.date)) << c.locale;
        format.appendFixed(line, 0.0004, 3);
        format.appendGeneralDate(line, QDateTime(QDate(2009, 12, 31), QTime(0, 0)));
        EXPECT_FALSE(line.contains('?')) << c.locale << ": " << line.constData();
    }

    // The locale of each category as the C library takes it: LC_ALL, the category's own, LANG.
    const struct
    {
        LocaleSettings settings;
        const char *number, *date;
    } categories[] = {
        {{{}, "de_DE.UTF-8", {}, {}}, "-1.234,500", "3/1/2026 2:05:09 PM"},
        {{{}, {}, "de_DE.UTF-8@euro", {}}, "-1,234.500", "01.03.2026 14:05:09"},
        {{{}, "POSIX", {}, "de_DE.UTF-8"}, "-1,234.500", "01.03.2026 14:05:09"},
        {{"es_ES", "de_DE", "ja_JP", "C"}, "-1.234,500", "1/3/2026 14:05:09"},
    };
    for (const auto &c : categories) {
        const TextFormat format = textFormatFor(c.settings);
        QByteArray number;
        format.appendFixed(number, -1234.5, 3);
        EXPECT_EQ(number, QByteArray(c.number)) << c.settings.numeric;
        EXPECT_EQ(format.generalDate(afternoon), QString::fromLatin1(c.date)) << c.settings.time;
    }

    const TextFormat us(QLocale(QLocale::English, QLocale::UnitedStates));
    QByteArray line;
    us.appendFixed(line, 1234.5678, 3);
    line += ' ';
    us.appendFixed(line, -0.25, 4);
    line += ' ';
    us.appendFixed(line, -0.0001, 3);
    EXPECT_EQ(line, QByteArray("1,234.568 -0.2500 0.000"));
    EXPECT_EQ(us.generalDate(QDateTime(QDate(2009, 12, 31), QTime(0, 0))),
              QStringLiteral("12/31/2009"));
    EXPECT_EQ(TextFormat::latin1(QStringLiteral("caf\u00e9 \u2212?")), QByteArray("caf\xe9 -?"));
}

// The whole archive is checked before anything is sent, so that the instrument never holds half
// of a bad one; a set-up the instrument refuses is skipped and named.
TEST_F(TransferTest, RestoreSendsOnlyWhatAValidArchiveHolds)
{
    transfers().UploadSetups(path("setups.txt"));
    const auto lines = linesOf(path("setups.txt"));
    QList<QByteArray> lower = lines, longer = lines, bad = lines.mid(0, 6), odd = lines.mid(0, 4);
    lower[0] = "quvane product setups";
    longer.append(lines[1]);
    bad.insert(3, QByteArray()); // blank lines are ignored
    bad[5].chop(1);
    odd[2].replace(0, 4, "00C8"); // an index the instrument does not keep
    const struct
    {
        const char *name;
        QList<QByteArray> lines;
        TransferResult result;
        qsizetype sent;
        const char *failure;
    } cases[] = {
        {"cut.txt", lines.mid(0, 31), TransferResult::Completed, 30, ""},
        {"header.txt", lines.mid(0, 1), TransferResult::Completed, 0, ""},
        {"lower.txt", lower, TransferResult::Refused, 0, ""},
        {"long.txt", longer, TransferResult::Refused, 0, "more than 100 set-up lines"},
        {"bad.txt", bad, TransferResult::Refused, 0, "Line 6 of"},
        {"odd.txt", odd, TransferResult::Completed, 3, ""},
    };
    for (const auto &c : cases) {
        commands.clear();
        const TransferOutcome outcome = transfers().DownloadSetups(write(c.name, c.lines, "\n"));
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(commands.size(), c.sent) << c.name;
        EXPECT_TRUE(describe(outcome).failure.contains(QLatin1String(c.failure)))
            << describe(outcome).line().toStdString();
        EXPECT_EQ(outcome.refusedLines,
                  c.name == std::string("odd.txt") ? QList<int>{3} : QList<int>())
            << c.name;
    }
    // A damaged reply to line 4, not retried: three set-ups went out whole, two of them known
    // to be stored, and the message says the instrument may hold the third.
    sim->faults().corruptAt = sim->commandsReceived() + 3;
    retryAnswers = {false};
    const TransferOutcome damaged = transfers().DownloadSetups(path("setups.txt"));
    EXPECT_EQ(describe(damaged).failure,
              QStringLiteral("The set-up restore stopped at line 4 of %1.")
                  .arg(QDir::toNativeSeparators(path("setups.txt"))));
    EXPECT_EQ(describe(damaged).kept,
              QStringLiteral("2 set-ups were restored before it. The instrument's "
                             "reply to line 4 was damaged: it may hold that set-up "
                             "too."));
    sim->faults() = {};
}

TEST_F(TransferTest, DatalogFilesWithAnyLineEndConvertAlike)
{
    sim->seedDatalog(3);
    QFile exported(exportedDatalog());
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray crlf = exported.readAll();
    exported.close();
    transfers().ConvertDatalog(exported.fileName(), {path("crlf.txt")});
    const auto expected = linesOf(path("crlf.txt"));
    ASSERT_EQ(expected.size(), 4);

    for (const QByteArray &end : {QByteArray("\r"), QByteArray("\n"), QByteArray("\r\n\r\n")}) {
        QFile file(path("DATALOG.QV3"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(crlf).replace("\r\n", end));
        file.close();
        EXPECT_EQ(transfers().ConvertDatalog(file.fileName(), {path("other.txt")}).result,
                  TransferResult::Completed);
        EXPECT_EQ(linesOf(path("other.txt")), expected) << end.toHex().constData();
    }

    // Characters after a record are an error naming the line.
    QFile file(path("DATALOG.QV3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray twice = crlf;
    const qsizetype last = twice.lastIndexOf("\r\n", twice.size() - 3);
    twice.insert(twice.size() - 2, twice.mid(last + 2, twice.size() - last - 4));
    file.write(twice);
    file.close();
    const TransferOutcome outcome =
        transfers().ConvertDatalog(file.fileName(), {path("twice.txt")});
    EXPECT_EQ(outcome.result, TransferResult::Failed);
    EXPECT_TRUE(describe(outcome).failure.contains(QLatin1String("stopped at line 5 of")))
        << describe(outcome).line().toStdString();
    EXPECT_TRUE(outcome.reason.contains(QLatin1String("characters after the record")));
    EXPECT_EQ(linesOf(path("twice.txt.partial")).size(), 3); // the heading and two records
    // An over-long first line stops the conversion at line 1.
    const TransferOutcome first =
        transfers().ConvertDatalog(write("long.txt", {QByteArray(5000, '0')}), {path("none.txt")});
    EXPECT_TRUE(holds(describe(first).failure, "stopped at line 1 of"))
        << describe(first).line().toStdString();
}

// Every transfer with each fault at each exchange in turn (for the archive and restore, a
// sample of their hundred): a timeout, a garbled reply or the reply to another command answered
// with Retry gives exactly the clean result; a dropped link gives one failure, leaves the
// previous file as it was and keeps a partial file that is a prefix of the clean one, never
// shifted.
TEST_F(TransferTest, FaultMatrixEndsCorrectlyOrInOneFailureWithoutLoss)
{
    sim->seedDatalog(3);
    enum class Fault
    {
        Timeout,
        Drop,
        Garble,
        Stale
    };
    struct Operation
    {
        const char *name;
        std::function<TransferOutcome(const QString &)> run;
        QList<int> exchanges; // counted from 1 from the operation's first command
    };
    const QString archive = path("archive.txt");
    transfers().UploadSetups(archive);
    const Operation operations[] = {
        {"capture", [this](const QString &file) { return capture(file); }, {2, 3, 4}},
        {"archive",
         [this](const QString &file) { return transfers().UploadSetups(file); },
         {1, 2, 57, 100}},
        {"restore",
         [this, archive](const QString &) { return transfers().DownloadSetups(archive); },
         {1, 2, 57, 100}},
    };
    for (const Operation &op : operations) {
        const QString clean = path("clean.txt");
        ASSERT_EQ(op.run(clean).result, TransferResult::Completed) << op.name;
        const QList<QByteArray> cleanLines = linesOf(clean);
        for (int exchange : op.exchanges) {
            for (Fault fault : {Fault::Timeout, Fault::Drop, Fault::Garble, Fault::Stale}) {
                connectSensor(sensor); // a dropped link is connected again
                const std::string what = std::string(op.name) + " at " + std::to_string(exchange) +
                                         " fault " + std::to_string(static_cast<int>(fault));
                const QString out = path("out.txt");
                QFile::remove(OutputFile::partialPath(out));
                {
                    QFile previous(out);
                    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
                    previous.write("previous\r\n");
                }
                const int at = sim->commandsReceived() + exchange;
                sim->faults() = {};
                if (fault == Fault::Timeout)
                    sim->faults().silentAt = at;
                else if (fault == Fault::Drop)
                    sim->faults().dropAt = at;
                else if (fault == Fault::Garble)
                    sim->faults().corruptAt = at;
                else
                    sim->faults().staleAt = at;
                retryAnswers = {true};
                const TransferOutcome outcome = op.run(out);
                if (fault != Fault::Drop) {
                    EXPECT_TRUE(retryAnswers.isEmpty()) << what << ": Retry was not offered";
                    EXPECT_EQ(outcome.result, TransferResult::Completed) << what;
                    if (op.name != std::string("restore")) {
                        EXPECT_EQ(linesOf(out), cleanLines) << what;
                    }
                    continue;
                }
                EXPECT_EQ(outcome.result, TransferResult::Failed) << what;
                EXPECT_FALSE(describe(outcome).failure.isEmpty()) << what;
                if (op.name == std::string("restore"))
                    continue;
                EXPECT_EQ(linesOf(out), QList<QByteArray>{"previous"}) << what;
                const QList<QByteArray> partial = linesOf(OutputFile::partialPath(out));
                EXPECT_EQ(partial, cleanLines.mid(0, partial.size())) << what;
            }
        }
    }
    sim->faults() = {};
}

} // namespace
