#include "app/ColourPanel.h"
#include "app/frmSampleID.h"
#include "app/frmUtility.h"
#include "policy/Preferences.h"
#include "records/QVLog.h"
#include "records/QVSetup.h"
#include "support/UiFixture.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QXYSeries>

using namespace quvane;

namespace {

class MeasureTest : public UiFixture
{
protected:
    void SetUp() override
    {

        PreferencesStore().SavePreference("Sample ID", "No");
        PreferencesStore().SavePreference("Delimiter", "Tab");
        window.Form_Load();
        commands.clear();
    }

    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString cell(int row, int column) { return window.fgSpectrum->item(row, column)->text(); }
    int plotted()
    {
        const auto series = window.cwgSpectrum->chart()->series();
        return series.size() == 1 ? static_cast<int>(static_cast<QXYSeries *>(series[0])->count())
                                  : -1;
    }
    QByteArray logText()
    {
        QFile file(window.logFileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    frmUtility window{prompts, link};
};

TEST_F(MeasureTest, StandardizePromptsByFlavorAndRetriesWithoutLimit)
{
    for (auto [flavor, prompt] : {std::pair{0, "Mount Black Glass"},
                                  {1, "Mount Light Trap"},
                                  {2, "Mount Black Glass"},
                                  {3, "Mount Light Trap"}}) {
        sim->identity().flavor = flavor;
        window.qvSensor.Connect(link);
        prompts.messages.clear();
        prompts.answer(MsgAnswer::Cancel);
        window.session().Standardize();
        EXPECT_EQ(prompts.texts(), QStringList{QString::fromLatin1(prompt)});
    }
    EXPECT_FALSE(commands.contains("B"));

    sim->faults().failBlack = 3;
    sim->faults().failWhite = 1;
    prompts.messages.clear();
    prompts.answer(MsgAnswer::OK)
        .answer(MsgAnswer::Retry)
        .answer(MsgAnswer::Retry)
        .answer(MsgAnswer::Retry)
        .answer(MsgAnswer::OK)
        .answer(MsgAnswer::Retry)
        .answer(MsgAnswer::OK);
    window.session().Standardize();
    EXPECT_EQ(prompts.texts(),
              (QStringList{"Mount Light Trap", "Black Standardization Failed",
                           "Black Standardization Failed", "Black Standardization Failed",
                           "Mount White Tile", "White Standardization Failed",
                           "Standardization Completed"}));
    EXPECT_EQ(prompts.message(1).icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompts.message(1).buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(prompts.message(6).title, QStringLiteral("Quvane QV45 Utility"));
}

TEST_F(MeasureTest, CancelledBlackReadingEndsWithoutTheWhiteTile)
{
    sim->faults().failBlack = 1;
    prompts.answer(MsgAnswer::OK).answer(MsgAnswer::Cancel);
    window.mnuMeasureItem_Click(0);
    EXPECT_EQ(prompts.texts(), (QStringList{"Mount Black Glass", "Black Standardization Failed"}));
    EXPECT_FALSE(commands.contains("W"));
}

TEST_F(MeasureTest, SampleShowsTheSpectrumInTheLocaleFormatAndClearEmptiesIt)
{
    Reflectance r;
    r.fill(45.5f);
    r[30] = 7.0f;
    sim->placeSample(r);
    window.mnuMeasureItem_Click(1);
    EXPECT_TRUE(prompts.dialogTitles.empty());
    EXPECT_EQ(cell(0, 0), QStringLiteral("w/l"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("%R"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("400"));
    EXPECT_EQ(cell(31, 0), QStringLiteral("700"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("45.50"));
    EXPECT_EQ(cell(31, 1), QStringLiteral("7.00"));
    EXPECT_EQ(plotted(), 31);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(cell(1, 1), QStringLiteral("45,50"));

    window.mnuMeasureItem_Click(2);
    for (int row = 0; row < 32; ++row) {
        EXPECT_TRUE(cell(row, 0).isEmpty());
        EXPECT_TRUE(cell(row, 1).isEmpty());
    }
    EXPECT_EQ(window.fgSpectrum->rowCount(), 32);
    EXPECT_EQ(plotted(), 0);
    EXPECT_EQ(window.Spectrum[0], 45.5f);
}

TEST_F(MeasureTest, RecordWithoutSpectrumEmptiesOnlyTheGraph)
{
    sim->seedDatalog(2);
    sim->datalog()[0].spectral = false;
    window.mnuMeasureItem_Click(1);
    const QString shown = cell(5, 1);
    QVLog record(window.qvSensor);
    record.GetRecord(1);
    window.ViewDatalogRecord(record);
    EXPECT_EQ(plotted(), 31);
    record.GetRecord(0);
    window.ViewDatalogRecord(record);
    EXPECT_EQ(plotted(), 0);
    EXPECT_EQ(cell(5, 1), shown);
}

TEST_F(MeasureTest, TimeoutDuringSampleRetriesTheMeasurementAndLogsOnce)
{
    QTemporaryDir dir;
    prompts.chooseFile(dir.filePath("log.txt"));
    window.mnuFileItem_Click(0);
    sim->faults().silent = sim->commandsReceived() + 1;
    prompts.answer(MsgAnswer::Retry);
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(commands, (QByteArrayList{"H", "H"}));
    EXPECT_EQ(logText(), QByteArray("\r\n"));
    EXPECT_EQ(prompts.GetMousePointer(), MousePointer::Default);
}

TEST_F(MeasureTest, SampleIdFollowsEverySampleWhenSwitchedOn)
{
    ASSERT_EQ(window.mnuMeasureItem.size(), 7);
    window.mnuMeasureItem[6]->trigger(); // as from the menu, where Qt toggles the item itself
    EXPECT_TRUE(window.SampleIDPrompt);
    EXPECT_TRUE(window.mnuMeasureItem[6]->isChecked());
    EXPECT_EQ(PreferencesStore().GetPreference("Sample ID", ""), QStringLiteral("Yes"));

    PreferencesStore().SavePreference("Autostore", "Yes");
    prompts.onDialog([](QDialog &dialog) {
        auto &sampleId = static_cast<frmSampleID &>(dialog);
        EXPECT_EQ(sampleId.windowTitle(), QStringLiteral("Sample ID - Quvane QV45"));
        EXPECT_TRUE(sampleId.ui.chkAutostore->isChecked());
        sampleId.ui.chkAutostore->setChecked(false); // cancelled: not taken
        sampleId.ui.cmdCancel->click();
    });
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(PreferencesStore().GetPreference("Autostore", ""), QStringLiteral("Yes"));

    prompts.onDialog([](QDialog &dialog) {
        auto &sampleId = static_cast<frmSampleID &>(dialog);
        sampleId.ui.chkAutostore->setChecked(false);
        sampleId.ui.cmdOK->click();
    });
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(PreferencesStore().GetPreference("Autostore", ""), QStringLiteral("No"));
    EXPECT_EQ(commands, (QByteArrayList{"H", "H"}));

    window.mnuMeasureItem[6]->trigger();
    EXPECT_FALSE(window.SampleIDPrompt);
    EXPECT_FALSE(window.mnuMeasureItem[6]->isChecked());
    EXPECT_EQ(PreferencesStore().GetPreference("Sample ID", ""), QStringLiteral("No"));
}

TEST_F(MeasureTest, NewLogFileOverwritesAppendsOrAsksAgain)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("existing.txt");
    const auto fill = [&] {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept\r\n");
    };
    fill();

    // No: appended to.
    prompts.chooseFile(existing).answer(MsgAnswer::No);
    window.mnuFileItem_Click(0);
    EXPECT_EQ(prompts.messages.back().text,
              existing + " already exists.\n\nPress Yes to overwrite the file\nPress No to "
                         "append to the file\nPress Cancel to select another filename");
    EXPECT_EQ(prompts.messages.back().buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(window.windowTitle(), "Quvane QV45 Utility - " + existing);
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(logText(), QByteArray("kept\r\n\r\n"));

    // Yes: emptied at once.
    prompts.chooseFile(existing).answer(MsgAnswer::Yes);
    window.mnuFileItem_Click(0);
    EXPECT_EQ(logText(), QByteArray());

    // Cancel, then the dialog cancelled: the previous log stays.
    fill();
    const QString other = dir.filePath("other.txt");
    prompts.chooseFile(other);
    window.mnuFileItem_Click(0);
    EXPECT_FALSE(QFile::exists(other)); // nothing is created before the first write
    prompts.chooseFile(existing).answer(MsgAnswer::Cancel).chooseFile(QString());
    window.mnuFileItem_Click(0);
    EXPECT_EQ(window.logFileName(), other);
    EXPECT_TRUE(prompts.fileDialogs.back().fileName.isEmpty());
    EXPECT_EQ(prompts.fileDialogs.back().title, QStringLiteral("New"));

    window.mnuFileItem_Click(2);
    EXPECT_TRUE(window.logFileName().isEmpty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quvane QV45 Utility"));
    QGuiApplication::clipboard()->setText("something else");
    window.mnuMeasureItem_Click(1);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_FALSE(QFile::exists(other));
}

TEST_F(MeasureTest, TheColourPanelShowsTheSamplesValuesAndItsDifferenceFromAStandard)
{
    ColourPanel &panel = *window.ui.colour;
    panel.ui.cboIlluminant->setCurrentIndex(4); // D65
    panel.ui.cboObserver->setCurrentIndex(1);   // 10 degree
    panel.ui.cboScale->setCurrentIndex(0);      // CIE L*a*b*
    window.mnuMeasureItem_Click(1);             // Sample
    const Colour::Colorimeter meter(Colour::Illuminant::D65, Colour::Observer::TenDegree);
    Colour::Spectrum spectrum;
    std::copy(window.Spectrum.begin(), window.Spectrum.end(), spectrum.begin());
    const Colour::Lab lab = meter.lab(spectrum);
    EXPECT_EQ(panel.ui.lblValue1->text(), QLocale().toString(lab.L, 'f', 2));
    EXPECT_EQ(panel.ui.lblValue3->text(), QLocale().toString(lab.b, 'f', 2));
    EXPECT_EQ(panel.ui.lblName2->text(), QStringLiteral("a*"));

    // The sample as its own standard passes with no difference; the next one is compared.
    panel.ui.cmdSetStandard->click();
    EXPECT_EQ(panel.ui.lblVerdict->text(), QStringLiteral("Pass"));
    EXPECT_TRUE(panel.ui.lblDeltas->text().contains(QLatin1String("D65/10: dL* 0.00")));
    panel.ui.spnTolerance->setValue(0.01);
    sim->placeSample(2);
    window.mnuMeasureItem_Click(1);
    EXPECT_EQ(panel.ui.lblVerdict->text(), QStringLiteral("Fail"));

    // A product set-up's standard: its spectrum, and its tolerance where its difference index is
    // dE 2000 (code 9), never a scale's tolerance.
    QVSetup judged;
    judged.ProductName = QStringLiteral("JUDGED");
    judged.Spectral = true;
    for (int i = 1; i <= 31; ++i)
        judged.setSpectrum(qint16(i), 40.0f + float(i));
    judged.setColorDiffIndex(9);
    judged.setIndexTolerance(1.75f);
    judged.setScaleTolerance(1, 0.4f);
    sim->setups()[3] = {judged.ProductName, judged.recordFields()};
    judged.setColorDiffIndex(1); // dE*ab: its tolerance is not the panel's
    judged.setIndexTolerance(3.5f);
    sim->setups()[4] = {judged.ProductName, judged.recordFields()};
    const auto fromSetup = [&](int number) {
        prompts.onDialog([number](QDialog &dialog) {
            auto &ask = static_cast<QInputDialog &>(dialog);
            ask.setIntValue(number);
            ask.accept();
        });
        panel.ui.cmdStandardFromSetup->click();
    };
    fromSetup(4);
    EXPECT_EQ(panel.ui.lblStandard->text(), QStringLiteral("Standard: set-up 4, JUDGED"));
    EXPECT_DOUBLE_EQ(panel.ui.spnTolerance->value(), 1.75);
    EXPECT_FALSE(panel.ui.spnTolerance->isEnabled()); // the set-up's own
    EXPECT_FALSE(panel.ui.lblVerdict->text().isEmpty());
    fromSetup(5);
    EXPECT_DOUBLE_EQ(panel.ui.spnTolerance->value(), 1.75);
    EXPECT_TRUE(panel.ui.spnTolerance->isEnabled());

    // A set-up of L*a*b* values for D50/2 judges the sample that matches them under D50/2,
    // whatever the panel shows (under D65/10 the same values would be a dE 2000 of several).
    QVSetup numeric;
    numeric.ProductName = QStringLiteral("NUMERIC");
    numeric.ColorScale = 1;
    numeric.Illuminant = 2; // D50
    numeric.Observer = 0;   // 2 degree
    std::copy(window.Spectrum.begin(), window.Spectrum.end(), spectrum.begin());
    const Colour::Lab own =
        Colour::Colorimeter(Colour::Illuminant::D50, Colour::Observer::TwoDegree).lab(spectrum);
    numeric.setScaleData(1, float(own.L));
    numeric.setScaleData(2, float(own.a));
    numeric.setScaleData(3, float(own.b));
    sim->setups()[5] = {numeric.ProductName, numeric.recordFields()};
    fromSetup(6);
    EXPECT_EQ(panel.ui.lblVerdict->text(), QStringLiteral("Pass"));
    EXPECT_TRUE(panel.ui.lblDeltas->text().contains(QLatin1String("under D50/2")));
    EXPECT_TRUE(panel.ui.lblDeltas->text().contains(QLatin1String("D50/2: dL* 0.00")));

    // The choice of scale is remembered; Clear empties the panel.
    panel.ui.cboScale->setCurrentIndex(1);
    EXPECT_EQ(panel.ui.lblName3->text(), QStringLiteral("h"));
    EXPECT_EQ(QSettings(QStringLiteral("Quvane"), QStringLiteral("QUVA USW"))
                  .value(QStringLiteral("Colour/Scale"))
                  .toInt(),
              1);
    window.mnuMeasureItem_Click(2);
    EXPECT_TRUE(panel.ui.lblValue1->text().isEmpty());
    EXPECT_TRUE(panel.ui.lblVerdict->text().isEmpty());
}

} // namespace
