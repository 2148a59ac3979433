#include "app/ColourPanel.h"
#include "app/HistoryModel.h"
#include "app/TrendCharts.h"
#include "app/frmHistory.h"
#include "app/frmPreferences.h"
#include "app/frmSampleID.h"
#include "app/frmUtility.h"
#include "dialogs/frmCapture.h"
#include "link/QuvaneError.h"
#include "policy/OffThread.h"
#include "policy/Preferences.h"
#include "store/HistoryStore.h"
#include "store/StandardExchange.h"
#include "support/Files.h"
#include "support/QtPrinting.h"
#include "support/UiFixture.h"
#include "transfer/RemovableDrives.h"

#include <QApplication>
#include <QChartView>
#include <QFile>
#include <QInputDialog>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QXYSeries>

#include <atomic>

using namespace quvane;

namespace {

class LauncherTest : public UiFixture
{
protected:
    void SetUp() override
    {

        PreferencesStore().SavePreference("Delimiter", "Tab");
        window.Form_Load();
        commands.clear();
    }

    QString driveWithDatalog(const char *name, int records)
    {
        const QString root = dir.filePath(QString::fromLatin1(name));
        QDir().mkpath(root);
        SimInstrument instrument;
        instrument.seedDatalog(records);
        QString error;
        EXPECT_TRUE(instrument.exportDatalog(root, error));
        return root;
    }

    // Starts Capture from the menu into the file named, and counts the lines the file got
    // (-1 when there is none).
    int captureLines(const char *name)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        prompts.chooseFile(file);
        window.mnuDatalogItem_Click(0);
        QFile captured(file);
        return captured.open(QIODevice::ReadOnly) ? int(captured.readAll().count('\n')) : -1;
    }

    QTemporaryDir dir;
    frmUtility window{prompts, link};
};

TEST_F(LauncherTest, CancelledFileDialogsStartNothing)
{
    window.transfers().RemovableDriveRoots =
        ([this] { return QStringList{driveWithDatalog("usb", 1)}; });
    for (int i = 0; i < 4; ++i)
        prompts.chooseFile(QString());
    window.mnuSensorItem_Click(0);
    window.mnuSensorItem_Click(1);
    window.mnuDatalogItem_Click(0);
    window.mnuDatalogItem_Click(1);
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_TRUE(prompts.messages.empty());

    QStringList titles;
    for (const auto &request : prompts.fileDialogs) {
        titles << request.title;
        EXPECT_EQ(request.filter, QStringLiteral("All Files|*.*"));
        EXPECT_TRUE(request.fileName.isEmpty());
        EXPECT_EQ(request.overwritePrompt, request.kind == FileDialogRequest::Kind::Save);
        EXPECT_EQ(request.fileMustExist, request.kind == FileDialogRequest::Kind::Open);
    }
    EXPECT_EQ(titles, (QStringList{"Archive Product Setups", "Restore Product Setups",
                                   "Capture Datalog", "Convert Datalog File - Save As"}));
}

TEST_F(LauncherTest, CaptureRunsInTheProgressWindowAndLeavesTheLogAlone)
{
    sim->seedDatalog(4);
    EXPECT_EQ(captureLines("capture.txt"), 4);
    frmCapture &capture = window.progressWindow();
    EXPECT_FALSE(capture.isVisible());
    EXPECT_EQ(capture.ui.barCompleted->value(), 4);
    EXPECT_EQ(capture.ui.barCompleted->maximum(), 4);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(window.logFileName().isEmpty());

    // An empty datalog says so and writes nothing.
    sim->datalog().clear();
    prompts.chooseFile(dir.filePath("empty.txt")).answer(MsgAnswer::OK);
    window.mnuDatalogItem_Click(0);
    EXPECT_EQ(prompts.texts(), QStringList{"Datalog is empty"});
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.txt")));
}

TEST_F(LauncherTest, TransferOwnsTheLinkAndAWindowCloseWaitsForIt)
{
    sim->seedDatalog(40);
    int linkBusy = 0;
    bool enabledDuringTransfer = true;
    bool progressOverWindow = false;
    sim->onExchange = [&](const QByteArray &command, const QByteArray &) {
        if (command == "Q100000004") {
            // Another exchange started from the event loop while the transfer runs.
            QTimer::singleShot(0, &window, [&] {
                enabledDuringTransfer =
                    window.menuBar()->isEnabled() || window.centralWidget()->isEnabled();
                // A transient of the main window, which a window manager keeps over it (X11
                // marks a dialog's window so, not a plain window's).
                const QWindow *progress = window.progressWindow().windowHandle();
                progressOverWindow = progress && progress->type() == Qt::Dialog &&
                                     progress->transientParent() == window.windowHandle() &&
                                     window.progressWindow().isEnabled();
                // A click on the main window hands the keys on to the progress window.
                window.windowHandle()->requestActivate(); // as a window manager does
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                progressOverWindow =
                    progressOverWindow && QApplication::activeWindow() == &window.progressWindow();
                try {
                    window.qvSensor.SendCommand("D0001");
                } catch (const QuvaneError &error) {
                    linkBusy = error.number();
                }
            });
        }
        if (command == "Q100000009")
            QTimer::singleShot(0, &window, [&] { window.close(); });
    };
    EXPECT_EQ(captureLines("closed.txt"), 10); // every record up to the close
    EXPECT_EQ(linkBusy, ErrorNumber::LinkBusy);
    EXPECT_FALSE(enabledDuringTransfer);
    EXPECT_TRUE(progressOverWindow);
    EXPECT_TRUE(prompts.messages.empty()); // no link-lost message
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.qvSensor.IsConnected());
}

TEST_F(LauncherTest, EscInTheProgressWindowIsCancel)
{
    sim->seedDatalog(40);
    sim->onExchange = [&](const QByteArray &command, const QByteArray &) {
        if (command == "Q100000002") {
            QTimer::singleShot(0, &window, [&] {
                frmCapture &capture = window.progressWindow();
                EXPECT_EQ(capture.focusWidget(), capture.ui.cmdCancel);
                QTest::keyClick(&capture, Qt::Key_Escape);
            });
        }
    };
    EXPECT_EQ(captureLines("esc.txt"), 3);
    EXPECT_TRUE(window.menuBar()->isEnabled());
}

// A window manager that activates the progress window after a restore refused at its first line
// has already hidden it: the main window keeps the keys.
TEST_F(LauncherTest, TheMainWindowKeepsItsKeysAfterATransferThatEndsAtOnce)
{
    window.show();
    QApplication::setActiveWindow(&window);
    put(dir.filePath("lower.txt"), "quvane product setups\r\n");
    prompts.chooseFile(dir.filePath("lower.txt"));
    window.mnuSensorItem_Click(1);
    QApplication::setActiveWindow(&window.progressWindow());
    EXPECT_EQ(QApplication::activeWindow(), &window);
    QTest::keyClick(&window, Qt::Key_F2);
    EXPECT_EQ(commands, QByteArrayList{"H"});
}

TEST_F(LauncherTest, ConvertLooksForTheDriveUntilCancelled)
{
    window.transfers().RemovableDriveRoots = ([] { return QStringList{}; });
    prompts.answer(MsgAnswer::OK).answer(MsgAnswer::OK).answer(MsgAnswer::Cancel);
    window.mnuDatalogItem_Click(1);
    EXPECT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.message(0).text,
              QStringLiteral("Please connect the USB thumb drive containing the datalog file"));
    EXPECT_EQ(prompts.message(0).buttons, MsgButtons::OKCancel);
    EXPECT_EQ(prompts.message(0).icon, MsgIcon::Information);
    EXPECT_TRUE(prompts.fileDialogs.empty());

    // Plugged in after the first question: of two drives holding the file, the first is taken.
    int searches = 0;
    const QStringList drives{dir.filePath("empty"), driveWithDatalog("first", 2),
                             driveWithDatalog("second", 5)};
    window.transfers().RemovableDriveRoots =
        ([&] { return ++searches == 1 ? QStringList{} : drives; });
    prompts.messages.clear();
    const QString out = dir.filePath("converted.txt");
    prompts.answer(MsgAnswer::OK).chooseFile(out).answer(MsgAnswer::OK);
    window.mnuDatalogItem_Click(1);
    EXPECT_EQ(prompts.texts(), (QStringList{"Please connect the USB thumb drive containing the "
                                            "datalog file",
                                            "Conversion completed"}));
    // Said while the progress window still shows the operation.
    EXPECT_TRUE(prompts.windowsAtMessages.back().contains(QStringLiteral("Converting Datalog...")))
        << prompts.windowsAtMessages.back().join('|').toStdString();
    QFile converted(out);
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly));
    EXPECT_EQ(converted.readAll().count('\n'), 3); // heading and two records
}

// Work off the window's thread: the window's events go on meanwhile, what the work reports is
// shown on the window's thread, and a Cancel there reaches the work.
TEST(OffThread, ReportsCrossToTheWindowsThreadAndCancelComesBack)
{
    struct Shown : SilentProgress
    {
        void start(const QString &c, int) override
        {
            caption = c;
            onWindowThread = QThread::currentThread() == qApp->thread();
        }
        void setValue(int v) override { value = v; }
        bool cancelRequested() const override { return value == 1; } // Cancel once it shows 1
        QString caption;
        int value = 0;
        bool onWindowThread = false;
    } shown;
    std::atomic<bool> windowLive = false;
    QTimer::singleShot(0, [&windowLive] { windowLive = true; });
    const QThread *window = QThread::currentThread();
    bool offWindow = false;
    const int result = runOffThread<int>(shown, [&](TransferProgress &progress) {
        offWindow = QThread::currentThread() != window;
        progress.start(QStringLiteral("Converting"), 3);
        while (!windowLive)
            QThread::msleep(1);
        progress.setValue(1);
        while (!progress.cancelRequested())
            QThread::msleep(1);
        return 7;
    });
    EXPECT_TRUE(offWindow && shown.onWindowThread);
    EXPECT_EQ(std::tuple(result, shown.caption, shown.value),
              std::tuple(7, QStringLiteral("Converting"), 1));
}

} // namespace

namespace {

QList<StoredMeasurement> stored(const QString &history)
{
    return HistoryStore(HistoryLocation::parse(history), {}).list({});
}

} // namespace

// A Sample (with the ID the operator gives it), a capture and a conversion go to the history;
// one that cannot be written costs neither the file nor the display, and says so; with the
// history turned off in Preferences nothing goes there.
TEST_F(LauncherTest, SamplesCapturesAndConversionsGoToTheHistory)
{
    const QString history = dir.filePath("h.sqlite");
    window.setHistory(history, {"bench-2", "ana"});
    sim->seedDatalog(12);
    window.SampleIDPrompt = true;
    prompts.onDialog([](QDialog &dialog) {
        auto &sampleId = static_cast<frmSampleID &>(dialog);
        sampleId.ui.txtSampleID->setText(QStringLiteral("lot 7"));
        sampleId.ui.cmdOK->click();
    });
    window.mnuMeasureItem_Click(MeasureSample);
    EXPECT_EQ(captureLines("capture.txt"), 12);
    window.transfers().RemovableDriveRoots =
        ([this] { return QStringList{driveWithDatalog("usb", 3)}; });
    prompts.chooseFile(dir.filePath("converted.txt")).answer(MsgAnswer::OK);
    window.mnuDatalogItem_Click(DatalogConvert);
    EXPECT_EQ(prompts.texts(), QStringList{"Conversion completed"});
    const QList<StoredMeasurement> rows = stored(history);
    ASSERT_EQ(rows.size(), 1 + 12 + 3);
    const auto live = std::find_if(rows.begin(), rows.end(), [](const StoredMeasurement &row) {
        return row.value.source == MeasurementSource::Live;
    });
    ASSERT_NE(live, rows.end());
    EXPECT_EQ(std::tuple(live->value.sampleId, live->value.spectrum, live->station),
              std::tuple(QStringLiteral("lot 7"), window.Spectrum, QStringLiteral("bench-2")));
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [&](const StoredMeasurement &row) {
                                return row.value.source == MeasurementSource::Capture &&
                                       row.value.instrumentSerial == window.qvSensor.SerialNumber();
                            }),
              12);
    // Each captured record judged against its set-up as the instrument judged it.
    int judged = 0;
    for (const StoredMeasurement &row : rows) {
        if (row.value.source != MeasurementSource::Capture)
            continue;
        const Measurement &m = row.value;
        EXPECT_EQ(m.setupVerdict.has_value(), m.passFail.value_or(-1) >= 0) << m.recordNumber;
        if (m.setupVerdict) {
            EXPECT_EQ(*m.setupVerdict == int(Colour::Verdict::Fail), *m.passFail == 0);
            ++judged;
        }
    }
    EXPECT_GT(judged, 3);

    // Three readings a Sample, as the preferences say: each stored, then their mean, shown.
    prompts.onDialog([](QDialog &dialog) {
        auto &preferences = static_cast<frmPreferences &>(dialog);
        preferences.ui.spnReadings->setValue(3);
        preferences.ui.cmdOK->click();
    });
    window.mnuFileItem_Click(FilePreferences);
    EXPECT_EQ(PreferencesStore().readingsAveraged(), 3);
    window.SampleIDPrompt = false;
    window.mnuMeasureItem_Click(MeasureSample);
    EXPECT_TRUE(window.ui.colour->ui.lblReadings->text().startsWith("The mean of 3 readings"));
    const QList<StoredMeasurement> averaged = stored(history);
    ASSERT_EQ(averaged.size(), rows.size() + 4);
    EXPECT_EQ(std::pair(averaged.first().value.readings, averaged.first().value.spectrum),
              std::pair(3, window.Spectrum)); // the newest: the mean
    PreferencesStore().saveReadingsAveraged(1);

    // A history in a place that cannot be made.
    put(dir.filePath("file"), "not a folder");
    window.setHistory(dir.filePath("file/h.sqlite"), {});
    prompts.answer(MsgAnswer::OK).answer(MsgAnswer::OK);
    EXPECT_EQ(captureLines("lost.txt"), 12);
    EXPECT_TRUE(holds(prompts.lastText(), "12 records of " + dir.filePath("lost.txt") +
                                              " were not stored in the history."))
        << prompts.lastText();
    window.SampleIDPrompt = false;
    window.mnuMeasureItem_Click(MeasureSample);
    EXPECT_TRUE(holds(prompts.lastText(), "The measurement was not stored in the history."));

    // Turned off in Preferences.
    window.setHistory(history, {});
    prompts.onDialog([](QDialog &dialog) {
        auto &preferences = static_cast<frmPreferences &>(dialog);
        preferences.ui.chkHistory->setChecked(false);
        preferences.ui.cmdOK->click();
    });
    window.mnuFileItem_Click(FilePreferences);
    EXPECT_FALSE(PreferencesStore().historyOn());
    window.mnuMeasureItem_Click(MeasureSample);
    EXPECT_EQ(captureLines("off.txt"), 12);
    EXPECT_EQ(stored(history).size(), averaged.size());
    PreferencesStore().saveHistoryOn(true);
}

// The History window lists the newest first a page at a time, filters and sorts in the
// history itself, and Show puts the chosen measurement in the main window.
TEST_F(LauncherTest, TheHistoryWindowPagesFiltersSortsAndShows)
{
    const QString history = dir.filePath("h.sqlite");
    {
        QList<Measurement> batch;
        for (int i = 0; i < HistoryModel::PageSize + 50; ++i) {
            Measurement m;
            m.source = MeasurementSource::Capture;
            m.taken = QDateTime(QDate(2026, 11, 1), QTime(8, 0)).addSecs(60 * i);
            m.recordNumber = i + 1;
            m.product = i % 2 ? QStringLiteral("Ivory") : QStringLiteral("Navy");
            m.sampleId = QStringLiteral("B%1").arg(i, 3, 10, QLatin1Char('0'));
            m.spectrum.fill(float(i % 100));
            batch << m;
        }
        HistoryStore(HistoryLocation::parse(history), {}).add(batch);
    }
    window.setHistory(history, {});
    window.showHistory();
    frmHistory &shown = *window.historyWindow();
    HistoryModel &model = shown.model();
    // Pages are read on the model's own thread and arrive later.
    const auto read = [&model] { return QTest::qWaitFor([&] { return !model.reading(); }); };
    EXPECT_EQ(shown.ui.lblStatus->text(), QStringLiteral("Reading the history..."));
    ASSERT_TRUE(read());
    ASSERT_EQ(model.rowCount(), HistoryModel::PageSize);
    EXPECT_TRUE(model.canFetchMore({}));
    EXPECT_EQ(model.measurement(0).value.recordNumber, HistoryModel::PageSize + 50);
    model.fetchMore({});
    EXPECT_FALSE(model.canFetchMore({})); // one page at a time
    ASSERT_TRUE(read());
    EXPECT_EQ(model.rowCount(), HistoryModel::PageSize + 50);
    EXPECT_FALSE(model.canFetchMore({}));

    shown.ui.txtProduct->setText(QStringLiteral("Ivory"));
    emit shown.ui.txtProduct->editingFinished();
    shown.ui.tblMeasurements->sortByColumn(HistoryModel::SampleId, Qt::AscendingOrder);
    ASSERT_TRUE(read());
    EXPECT_EQ(model.rowCount(), (HistoryModel::PageSize + 50) / 2);
    EXPECT_EQ(model.measurement(0).value.sampleId, QStringLiteral("B001"));

    shown.ui.tblMeasurements->setCurrentIndex(model.index(2, 0)); // B005
    shown.ui.cmdShow->click();
    EXPECT_EQ(window.Spectrum[0], 5.0f);
    EXPECT_EQ(window.fgSpectrum->item(1, 1)->text(), QStringLiteral("5.00")); // 400 nm

    // Set as standard stores the measurement shown under the name given; Stored... takes it.
    ColourPanel &panel = *window.ui.colour;
    prompts.onDialog([](QDialog &dialog) {
        static_cast<QInputDialog &>(dialog).setTextValue(QStringLiteral("Ivory B005"));
        dialog.accept();
    });
    panel.ui.cmdSetStandard->click();
    const std::optional<Standard> stored =
        HistoryStore(HistoryLocation::parse(history), {}).standard(QStringLiteral("Ivory B005"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->spectrum, window.Spectrum);
    panel.ui.lblStandard->clear();
    prompts.onDialog([](QDialog &dialog) { dialog.accept(); }); // the first, and only, one
    panel.ui.cmdStoredStandard->click();
    EXPECT_EQ(panel.ui.lblStandard->text(), QStringLiteral("Standard: Ivory B005"))
        << prompts.dialogTitles.back().toStdString();

    // The window judges against a stored standard, and picks by verdict.
    shown.ui.cmdRefresh->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.ui.cboStandard->count() == 2; }));
    shown.ui.cboStandard->setCurrentIndex(1);
    emit shown.ui.cboStandard->activated(1);
    ASSERT_TRUE(read());
    ASSERT_EQ(model.columnCount(), HistoryModel::ColumnCount);
    const auto cell = [&model](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(std::pair(cell(2, HistoryModel::DeltaE), cell(2, HistoryModel::VerdictColumn)),
              std::pair(QStringLiteral("0.00"), QStringLiteral("Pass"))); // B005 itself
    shown.ui.cboVerdict->setCurrentIndex(3);                              // Fail
    ASSERT_TRUE(read());
    ASSERT_GT(model.rowCount(), 0);
    EXPECT_LT(model.rowCount(), (HistoryModel::PageSize + 50) / 2);
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(cell(row, HistoryModel::VerdictColumn), QStringLiteral("Fail"));

    // A history that cannot be opened is said in the window, which stays empty.
    put(dir.filePath("file"), "not a folder");
    window.setHistory(dir.filePath("file/h.sqlite"), {});
    window.showHistory();
    ASSERT_TRUE(read());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(holds(shown.ui.lblStatus->text(), "cannot be created"));
}

// The Trend tab judges what the filters select against the standard picked, with its counts,
// the control chart's base period and a click on a point; Export, Report and Print write what
// the window lists.
TEST_F(LauncherTest, TheHistoryWindowTrendsExportsReportsAndPrints)
{
    const QString history = dir.filePath("h.sqlite");
    {
        // Thirty days of batches, every third one far redder than the standard; the last ten
        // stored by another station.
        QList<Measurement> batches;
        for (int i = 0; i < 30; ++i) {
            Measurement m;
            m.source = MeasurementSource::Import;
            // T04 at T03's moment: a click tells them apart by their values.
            m.taken = QDateTime(QDate(2026, 11, 1).addDays(i == 4 ? 3 : i), QTime(9, 0));
            m.sampleId = QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0'));
            m.spectrum.fill(50.0f);
            if (i % 3 == 0)
                std::fill(m.spectrum.begin() + 20, m.spectrum.end(), 56.0f);
            batches << m;
        }
        HistoryStore(HistoryLocation::parse(history), {"bench-1", "ana"}).add(batches.mid(0, 20));
        HistoryStore store(HistoryLocation::parse(history), {"bench-2", "ben"});
        store.add(batches.mid(20));
        Standard grey;
        grey.name = QStringLiteral("Grey 50");
        grey.spectrum.fill(50.0f);
        store.addStandard(grey);
    }
    window.setHistory(history, {"bench-1", "ana"});
    window.showHistory();
    frmHistory &shown = *window.historyWindow();
    shown.ui.tabViews->setCurrentWidget(shown.ui.tabTrend);
    EXPECT_EQ(shown.ui.lblTrend->text(), QStringLiteral("Pick a standard to see its trend."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.ui.cboStandard->count() == 2; }));
    shown.ui.cboStandard->setCurrentIndex(1);
    emit shown.ui.cboStandard->activated(1);
    ASSERT_EQ(shown.trend().size(), 30);
    const auto statistic = [&shown](const QString &name) {
        for (int row = 0; row < shown.ui.tblStatistics->rowCount(); ++row) {
            if (shown.ui.tblStatistics->item(row, 0)->text() == name)
                return shown.ui.tblStatistics->item(row, 1)->text();
        }
        return QStringLiteral("<no %1>").arg(name);
    };
    EXPECT_EQ(statistic("Pass"), QStringLiteral("20 (66.7 %)"));
    EXPECT_EQ(statistic("Fail"), QStringLiteral("10 (33.3 %)"));
    EXPECT_EQ(statistic("Control base"), QStringLiteral("30"));
    // A base period of the first ten days: its mean and deviation alone.
    shown.ui.chkBaseUntil->setChecked(true);
    shown.ui.dtBaseUntil->setDate(QDate(2026, 11, 10));
    ASSERT_TRUE(shown.controlLimits());
    EXPECT_EQ(shown.controlLimits()->basePoints, 10);
    EXPECT_EQ(statistic("Control base"), QStringLiteral("10"));

    // A click on a failed batch's point shows it in the main window.
    const Colour::TrendPoint failed = shown.trend()[3];
    ASSERT_EQ(failed.verdict, Colour::Verdict::Fail);
    QTest::qWait(100); // the charts lay themselves out
    QChartView *view = shown.ui.chtTrend->deltaEView;
    const QPoint place = view->mapFromScene(view->chart()->mapToScene(view->chart()->mapToPosition(
        QPointF(double(failed.taken.toMSecsSinceEpoch()), failed.dE))));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, place);
    EXPECT_EQ(window.Spectrum[30], 56.0f);
    EXPECT_EQ(window.Spectrum[0], 50.0f);

    // The station's filter.
    shown.ui.txtStation->setText(QStringLiteral("bench-2"));
    emit shown.ui.txtStation->editingFinished();
    EXPECT_EQ(shown.trend().size(), 10);
    EXPECT_EQ(statistic("Fail"), QStringLiteral("3 (30.0 %)"));
    shown.ui.txtStation->clear();
    emit shown.ui.txtStation->editingFinished();

    // Export of the failed ones as CxF3, read back: their spectra, the standard beside them.
    shown.ui.cboVerdict->setCurrentIndex(3); // Fail
    prompts.chooseFile(dir.filePath("fails.cxf"));
    shown.ui.cmdExport->click();
    QString error;
    const QList<Measurement> fails =
        measurementsFromCxf(contentOf(dir.filePath("fails.cxf")), &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(fails.size(), 10);
    for (const Measurement &m : fails)
        EXPECT_EQ(std::pair(m.sampleId.mid(1).toInt() % 3, m.spectrum[30]), std::pair(0, 56.0f));
    EXPECT_EQ(standardsFromCxf(contentOf(dir.filePath("fails.cxf")), &error).size(), 1);
    // Imported into the same history, the file adds nothing.
    prompts.chooseFile(dir.filePath("fails.cxf")).answer(MsgAnswer::OK);
    shown.ui.cmdImport->click();
    EXPECT_TRUE(holds(prompts.lastText(), "Standards: 0 added; measurements: 0 new, 10 already"));
    EXPECT_TRUE(holds(prompts.lastText(), "left as they are: Grey 50."));

    // The period report of all thirty, then a batch report of one, printed.
    shown.ui.cboVerdict->setCurrentIndex(0);
    prompts.chooseFile(dir.filePath("period"));
    shown.ui.cmdReport->click();
    const QString period = poppler("pdftotext", dir.filePath("period.pdf"));
    EXPECT_TRUE(holds(period, "Period report: Grey 50"));
    EXPECT_TRUE(holds(period, "Fail 10 (33.3 %)"));
    shown.ui.txtSample->setText(QStringLiteral("T03"));
    emit shown.ui.txtSample->editingFinished();
    const QString printed = dir.filePath("printed.pdf");
    prompts.onDialog([&printed](QDialog &dialog) {
        QPrinter &printer = *static_cast<QPrintDialog &>(dialog).printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        dialog.done(QDialog::Accepted); // as OK does, less the dialog's own file field
    });
    shown.ui.cmdPrint->click();
    const QString batch = poppler("pdftotext", printed);
    EXPECT_TRUE(holds(batch, "Batch report: T03"));
    EXPECT_TRUE(holds(batch, "Grey 50"));
    EXPECT_EQ(shown.ui.lblStatus->text(), QStringLiteral("A batch report of T03 was printed."));
}

// A standard marked as a verification tile in the History window trends its checks alone; at
// start the utility says when the connected instrument's last check is older than the period
// set in Preferences, and says nothing without one.
TEST_F(LauncherTest, AVerificationTileTrendsItsChecksAndSaysWhenOneIsDue)
{
    const QString history = dir.filePath("h.sqlite");
    const QString serial = window.qvSensor.SerialNumber();
    ASSERT_FALSE(serial.isEmpty());
    const QDateTime old = QDateTime::currentDateTime().addDays(-40);
    {
        HistoryStore store(HistoryLocation::parse(history), {"bench-1", "ana"});
        Standard tile;
        tile.name = QStringLiteral("White [tile]");
        tile.spectrum.fill(88.0f);
        store.addStandard(tile);
        QList<Measurement> batch;
        for (const char *sample : {"White [tile]", "Paper", "White [tile]"}) {
            Measurement m;
            m.taken = old.addSecs(60 * batch.size());
            m.instrumentSerial = serial;
            m.sampleId = QString::fromLatin1(sample);
            m.spectrum.fill(87.5f);
            batch << m;
        }
        store.add(batch);
    }
    window.setHistory(history, {"bench-1", "ana"});
    PreferencesStore().saveCheckPeriodDays(0);
    window.sayCheckDue();
    EXPECT_TRUE(prompts.messages.empty());
    PreferencesStore().saveCheckPeriodDays(30);
    prompts.answer(MsgAnswer::OK);
    window.sayCheckDue(); // nothing is a tile yet, so nothing was checked
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(holds(prompts.lastText(), "has never been checked against a verification tile"));

    window.showHistory();
    frmHistory &shown = *window.historyWindow();
    shown.ui.tabViews->setCurrentWidget(shown.ui.tabTrend);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.ui.cboStandard->count() == 2; }));
    shown.ui.cboStandard->setCurrentIndex(1);
    emit shown.ui.cboStandard->activated(1);
    EXPECT_EQ(shown.trend().size(), 3);
    shown.ui.txtCertificate->setText(QStringLiteral("BCRA 4471"));
    shown.ui.chkTile->click();
    EXPECT_EQ(shown.trend().size(), 2); // its checks alone
    const std::optional<Standard> marked =
        HistoryStore(HistoryLocation::parse(history), {}).standard(QStringLiteral("White [tile]"));
    EXPECT_EQ(std::pair(marked->verification, marked->certificate),
              std::pair(true, QStringLiteral("BCRA 4471")));

    prompts.answer(MsgAnswer::OK);
    window.sayCheckDue();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(holds(prompts.lastText(), QStringLiteral("(%1)").arg(serial)));
    EXPECT_TRUE(holds(prompts.lastText(), "40 days ago; checks are due every 30 days"));
    PreferencesStore().saveCheckPeriodDays(45);
    window.sayCheckDue();
    EXPECT_EQ(prompts.messages.size(), 2u); // within the period
}

// A long trend is drawn as each column's lowest and highest: a single excursion among 100,000
// points stays on the chart, and the chart draws far fewer points than it was given.
TEST(TrendCharts, ALongTrendKeepsItsExcursions)
{
    QList<Colour::TrendPoint> trend;
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < 100000; ++i)
        trend.append({i + 1, start.addSecs(60 * i), 0.3 + 0.01 * (i % 7), 0, 0, 0, 0, 0,
                      Colour::Verdict::Pass});
    trend[41234].dE = 4.5;
    trend[77001].dE = -0.2;
    TrendCharts charts;
    charts.plot(trend, {}, Colour::controlLimits(trend, {}, {}));
    const auto *line = static_cast<QXYSeries *>(charts.deltaEView->chart()->series().first());
    double low = 1, high = 0;
    for (const QPointF &p : line->points()) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    EXPECT_EQ(std::pair(low, high), std::pair(-0.2, 4.5));
    EXPECT_LT(line->count(), 3000);
}
