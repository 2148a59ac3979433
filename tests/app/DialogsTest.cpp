#include "app/QtPrompter.h"
#include "app/frmUtility.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBitmap.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmDatalog.h"
#include "dialogs/frmDateTime.h"
#include "link/PacketBuffer.h"
#include "records/ScreenBitmap.h"
#include "support/UiFixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace quvane;

namespace {

class DialogsTest : public UiFixture
{
protected:
    void SetUp() override
    {
        window.Form_Load();
        commands.clear();
    }

    // Opens a dialog through its launcher and runs the script on it.
    template <typename Dialog, typename Script> void open(void (frmUtility::*show)(), Script script)
    {
        prompts.onDialog([&script](QDialog &dialog) { script(static_cast<Dialog &>(dialog)); });
        (window.*show)();
    }

    // The temporary bitmap files in the system's temporary folder.
    static QStringList temporaryBitmaps()
    {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("BMP*")}, QDir::Files);
    }

    frmUtility window{prompts, link};
};

TEST_F(DialogsTest, IdentificationShowsWhatTheInstrumentReports)
{
    for (auto [count, text] : {std::pair{0, "0  (0% full)"},
                               {4, "4  (1% full)"},
                               {200, "200  (25% full)"},
                               {400, "400  (50% full)"},
                               {800, "800  (100% full)"},
                               {801, "801  (100% full)"}}) {
        sim->faults().reportedCount = count;
        open<frmConfig>(&frmUtility::showIdentification, [text = text](frmConfig &dialog) {
            EXPECT_EQ(dialog.ui.lblLogCount->text(), QString::fromLatin1(text));
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configuration - Quvane QV45"));
            EXPECT_EQ(dialog.ui.lblFirmware->text(), QStringLiteral("Firmware: 2.14"));
            EXPECT_EQ(dialog.ui.lblFlavor->text(), QStringLiteral("45/0 LAV"));
        });
    }
    EXPECT_EQ(InstrumentOperations::GeometryText(2, false), QStringLiteral("45/0"));

    sim->identity().firmware.clear();
    window.qvSensor.Connect(link);
    open<frmConfig>(&frmUtility::showIdentification, [](frmConfig &dialog) {
        EXPECT_EQ(dialog.ui.lblFirmware->text(), QStringLiteral("Firmware: "));
        dialog.ui.cmdOK->click();
    });
    EXPECT_EQ(prompts.GetMousePointer(), MousePointer::Default);

    // The instrument's texts are shown as they are, never as markup.
    sim->identity().firmware = QStringLiteral("2.14<font color=red size=6>");
    sim->identity().serialNumber = QStringLiteral("<table bgcolor=yellow>");
    window.qvSensor.Connect(link);
    open<frmConfig>(&frmUtility::showIdentification, [](frmConfig &dialog) {
        EXPECT_EQ(dialog.ui.lblSerialNumber->text(), QStringLiteral("<table bgcolor=yellow>"));
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    });
}

TEST_F(DialogsTest, ClockSetsThePcTimeOfThePressAndEscSendsNothing)
{
    open<frmDateTime>(&frmUtility::showClock, [](frmDateTime &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Clock - Quvane QV45"));
        EXPECT_EQ(dialog.tmrTimer.interval(), 300);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(commands.isEmpty());

    // A timeout on Set, answered with Retry, sends again with the time of the retry.
    sim->setClockOffset(-5000);
    sim->faults().silentAt = sim->commandsReceived() + 1;
    prompts.answer(MsgAnswer::Retry);
    open<frmDateTime>(&frmUtility::showClock,
                      [](frmDateTime &dialog) { QTest::keyClick(&dialog, Qt::Key_Return); });
    ASSERT_EQ(commands.size(), 2);
    EXPECT_TRUE(commands.value(1).startsWith("X000"));
    EXPECT_EQ(commands.value(1).size(), 12);
    EXPECT_LE(std::abs(sim->clockOffset()), 1);
    EXPECT_EQ(prompts.texts(), QStringList{"Communications Timeout"});
}

TEST_F(DialogsTest, ViewerFetchesValidNumbersAndRefusesTheRest)
{
    sim->seedDatalog(5);
    QTemporaryDir dir;
    prompts.chooseFile(dir.filePath(QStringLiteral("log.txt")));
    window.mnuFileItem_Click(0);
    const QStringList invalid = {"", "abc", "0", "-3", "40000"};
    for (int i = 0; i < invalid.size(); ++i)
        prompts.answer(MsgAnswer::OK);
    open<frmDatalog>(&frmUtility::showDatalogViewer, [&](frmDatalog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Datalog - Quvane QV45"));
        for (const QString &text : invalid) {
            dialog.ui.txtNumber->setText(text);
            dialog.ui.cmdGet->click();
        }
        dialog.ui.txtNumber->setText(QStringLiteral("1"));
        emit dialog.ui.spnNumber->down();
        EXPECT_EQ(dialog.ui.txtNumber->text(), QStringLiteral("1"));
        dialog.ui.txtNumber->setText(QStringLiteral("999"));
        emit dialog.ui.spnNumber->up();
        EXPECT_EQ(dialog.ui.txtNumber->text(), QStringLiteral("999"));
        emit dialog.ui.spnNumber->down();
        EXPECT_EQ(dialog.ui.txtNumber->text(), QStringLiteral("998"));
        dialog.ui.txtNumber->setText(QStringLiteral("1"));
        QTest::keyClick(dialog.ui.txtNumber, Qt::Key_Return); // Get is the default button
        // The instrument's values beside those computed from the spectrum: they agree.
        const QString comparison = dialog.ui.lblComparison->text();
        EXPECT_TRUE(comparison.contains(QLatin1String("L*"))) << comparison.toStdString();
        EXPECT_TRUE(comparison.contains(QLatin1String("YI E313")));
        EXPECT_EQ(comparison.count(QLatin1Char('*')), 4) // L*, a*, b* and the legend
            << comparison.toStdString();
        // ... and the instrument's pass or fail beside the verdict against its set-up, alike.
        EXPECT_TRUE(comparison.contains(QLatin1String("Pass/fail"))) << comparison.toStdString();
        EXPECT_FALSE(comparison.contains(QLatin1String("  *")));
        // A record whose stored value disagrees with its spectrum is marked.
        sim->datalog()[1].scaleData[0] += 1.0f;
        sim->datalog()[1].passFail = sim->datalog()[1].passFail == 1 ? 0 : 1; // and its verdict
        dialog.ui.txtNumber->setText(QStringLiteral("2"));
        dialog.ui.cmdGet->click();
        EXPECT_EQ(dialog.ui.lblComparison->text().count(QLatin1String("  *")), 2)
            << dialog.ui.lblComparison->text().toStdString();
    });
    EXPECT_EQ(prompts.texts(), QStringList(invalid.size(), "Invalid record number!"));
    // Each record, then the set-up it names, once.
    ASSERT_EQ(commands.size(), 4);
    EXPECT_EQ(std::pair(commands[0], commands[2]),
              std::pair(QByteArray("K0000"), QByteArray("K0001")));
    EXPECT_TRUE(commands[1].startsWith("P00") && commands[3].startsWith("P00"));
    EXPECT_EQ(window.Spectrum[0], sim->datalog()[1].spectrum[0]);

    sim->datalog().clear();
    prompts.answer(MsgAnswer::OK);
    EXPECT_FALSE(window.session().GetDatalogRecord(0));
    EXPECT_EQ(prompts.lastText(), QStringLiteral("The Datalog is empty"));
}

TEST_F(DialogsTest, ScreenCaptureSavesTheDisplayAndLeavesNoTemporaryFile)
{
    const QStringList before = temporaryBitmaps();
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("screen.bmp"));
    prompts.chooseFile(saved);
    open<frmBitmap>(&frmUtility::showScreenCapture, [&](frmBitmap &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Screen Capture - Quvane QV45"));
        EXPECT_TRUE(QFile::exists(dialog.sTempFile));
        dialog.ui.cmdSave->click();
    });
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bitmap = file.readAll();
    ASSERT_EQ(bitmap.size(), 2110);
    // The 62 header bytes of a 128 x 128 one-bit bitmap, little-endian, field by field.
    const QByteArray header = QByteArray::fromHex("424D"       // "BM"
                                                  "3E080000"   // file size 2110
                                                  "00000000"   // reserved
                                                  "3E000000"   // pixel data at 62
                                                  "28000000"   // info header size 40
                                                  "80000000"   // width 128
                                                  "80000000"   // height 128
                                                  "0100"       // planes 1
                                                  "0100"       // 1 bit per pixel
                                                  "00000000"   // no compression
                                                  "00080000"   // image size 2048
                                                  "3A160000"   // 5690 pixels per metre
                                                  "3A160000"   // 5690 pixels per metre
                                                  "00000000"   // colours used
                                                  "00000000"   // important colours
                                                  "00000000"   // palette 0: black
                                                  "FFFFFF00"); // palette 1: white
    ASSERT_EQ(header.size(), 62);
    EXPECT_EQ(bitmap.left(62), header);
    // The display's top rows (the frame and the model's name, which the clock below does not
    // change), as Qt's bitmap reader shows the file: rows are stored bottom-up, so the display's
    // top row is the file's last, and palette entry 1 is white.
    const QImage image(saved);
    EXPECT_EQ(image.size(), QSize(128, 128));
    EXPECT_EQ(image.depth(), 1);
    const QByteArray display = sim->display().rows(); // top row first, leftmost pixel in bit 7
    int white = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 128; ++x) {
            const bool lit = (uchar(display[y * 16 + x / 8]) >> (7 - x % 8)) & 1;
            white += lit;
            ASSERT_EQ(image.pixelColor(x, y) == Qt::white, lit) << x << ", " << y;
        }
        EXPECT_EQ(bitmap.mid(62 + (127 - y) * 16, 16), display.mid(y * 16, 16)) << y;
    }
    EXPECT_GT(white, 200);
    EXPECT_LT(white, 25 * 128 - 200); // and the letters
    EXPECT_EQ(commands, (QByteArrayList{"S00", "S01", "S02", "S03"}));

    // Cancel in the save dialog, Cancel, and the title bar: nothing written, nothing left.
    prompts.chooseFile(QString());
    open<frmBitmap>(&frmUtility::showScreenCapture,
                    [](frmBitmap &dialog) { dialog.ui.cmdSave->click(); });
    open<frmBitmap>(&frmUtility::showScreenCapture,
                    [](frmBitmap &dialog) { dialog.ui.cmdCancel->click(); });
    open<frmBitmap>(&frmUtility::showScreenCapture, [](frmBitmap &dialog) { dialog.close(); });
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"screen.bmp"});
    EXPECT_EQ(temporaryBitmaps(), before);
}

TEST_F(DialogsTest, AboutShowsTheProjectVersionAndNoSystemInfoHere)
{
    prompts.answer(MsgAnswer::OK);
    open<frmAbout>(&frmUtility::showAbout, [](frmAbout &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Quvane QV45 Utility"));
        EXPECT_EQ(dialog.ui.lblTitle->text(), QStringLiteral("Quvane QV45 Utility"));
        EXPECT_EQ(dialog.ui.lblVersion->text(), QStringLiteral("Version " QUVANE_PROJECT_VERSION));
        EXPECT_FALSE(dialog.ui.picIcon->pixmap().isNull());
        dialog.ui.cmdSysInfo->click();
    });
    EXPECT_EQ(prompts.texts(), QStringList{"System Information Is Unavailable At This Time"});
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::Exclamation);
}

TEST(QtTexts, QtsOwnDialogsSpeakTheLocalesLanguage)
{
    ASSERT_TRUE(QtPrompter::translateQtTexts(QLocale(QLocale::German, QLocale::Germany)))
        << "qt6-translations-l10n is missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
}

} // namespace
