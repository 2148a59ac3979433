// Renders the program's windows offscreen into PNG files, for looking at them without a screen:
//   window-snapshot OUTDIR
#include "app/QtPrompter.h"
#include "app/frmHistory.h"
#include "app/frmPreferences.h"
#include "app/frmUtility.h"
#include "dialogs/ListAccessibility.h"
#include "dialogs/frmCapture.h"
#include "dialogs/frmDatalog.h"
#include "link/SensorControl.h"
#include "setup_editor/frmSetup.h"
#include "sim/SimInstrument.h"
#include "store/HistoryStore.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QPalette>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace quvane;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    installListAccessibility();
    if (argc != 2) {
        std::fputs("usage: window-snapshot OUTDIR\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    ScriptedPrompter prompts;
    LinkOptions link;
    link.port = QStringLiteral("sim");
    link.inProcessInstrument = [] {
        auto instrument = std::make_shared<SimInstrument>();
        instrument->placeSample(2); // tomato red
        instrument->seedDatalog(12);
        instrument->setActiveSetup(4);
        return instrument;
    };
    frmUtility window(prompts, link);
    window.setHistory(settings.filePath(QStringLiteral("history.sqlite")), {"bench-1", "ana"});
    window.Form_Load();
    window.grab().save(out.filePath(QStringLiteral("main-window.png")));
    window.mnuMeasureItem_Click(1); // Sample
    window.grab().save(out.filePath(QStringLiteral("after-sample.png")));
    {
        // The colour panel against a standard: this sample as the reference, then a near one.
        prompts.onDialog([](QDialog &dialog) {
            static_cast<QInputDialog &>(dialog).setTextValue(QStringLiteral("Tomato red 12"));
            dialog.accept();
        });
        window.ui.colour->ui.cmdSetStandard->click();
        window.mnuMeasureItem_Click(1);
        QCoreApplication::processEvents(); // the panel's layout takes the longer texts
        window.grab().save(out.filePath(QStringLiteral("colour-with-standard.png")));
    }
    {
        // The History window with what was measured so far.
        window.showHistory();
        frmHistory &history = *window.historyWindow();
        // Judged against the standard stored above.
        if (QTest::qWaitFor([&history] { return history.ui.cboStandard->count() > 1; })) {
            history.ui.cboStandard->setCurrentIndex(1);
            emit history.ui.cboStandard->activated(1);
        }
        if (!QTest::qWaitFor([&history] { return !history.model().reading(); }))
            std::fputs("the history was not read\n", stderr);
        history.ui.tblMeasurements->resizeColumnsToContents();
        history.grab().save(out.filePath(QStringLiteral("history.png")));
        // Its trend, over six weeks of batches near the standard, one drifting off late on.
        {
            HistoryStore store(
                HistoryLocation::parse(settings.filePath(QStringLiteral("history.sqlite"))),
                {"bench-1", "ana"});
            const std::optional<Standard> standard =
                store.standard(QStringLiteral("Tomato red 12"));
            QList<Measurement> batches;
            for (int day = 0; day < 42 && standard; ++day) {
                Measurement m;
                m.source = MeasurementSource::Import;
                m.taken = QDateTime::currentDateTime().addDays(day - 42);
                m.sampleId = QStringLiteral("Batch %1").arg(day + 1);
                m.spectrum = standard->spectrum;
                const double drift =
                    1.0 + 0.004 * std::sin(day * 1.7) + (day > 34 ? 0.012 * (day - 34) : 0.0);
                for (size_t i = 0; i < m.spectrum.size(); ++i)
                    m.spectrum[i] = float(m.spectrum[i] * (i > 20 ? drift : 2.0 - drift));
                batches << m;
            }
            store.add(batches);
        }
        history.ui.tabViews->setCurrentWidget(history.ui.tabTrend);
        history.ui.chkBaseUntil->setChecked(true);
        history.ui.dtBaseUntil->setDate(QDate::currentDate().addDays(-14));
        history.ui.cmdRefresh->click();
        QTest::qWait(200); // the charts lay themselves out
        history.grab().save(out.filePath(QStringLiteral("history-trend.png")));
        // Its period report, saved by the window and rendered by poppler as a reader sees it.
        prompts.chooseFile(out.filePath(QStringLiteral("period-report.pdf")));
        history.ui.cmdReport->click();
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
                           out.filePath(QStringLiteral("period-report.pdf")),
                           out.filePath(QStringLiteral("period-report"))});
        // And the batch report of one of the late batches.
        history.ui.txtSample->setText(QStringLiteral("Batch 40"));
        emit history.ui.txtSample->editingFinished();
        prompts.chooseFile(out.filePath(QStringLiteral("batch-report.pdf")));
        history.ui.cmdReport->click();
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
                           QStringLiteral("-singlefile"),
                           out.filePath(QStringLiteral("batch-report.pdf")),
                           out.filePath(QStringLiteral("batch-report"))});
        history.ui.txtSample->clear();
        emit history.ui.txtSample->editingFinished();
        history.ui.tabViews->setCurrentWidget(history.ui.tabList);
        history.close();
    }
    {
        // The same on a dark desktop: the graph follows the palette as the rest does.
        const QPalette light = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 32));
        dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(55, 55, 58));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        dark.setColor(QPalette::Mid, QColor(110, 110, 110));
        dark.setColor(QPalette::Midlight, QColor(70, 70, 72));
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        window.grab().save(out.filePath(QStringLiteral("dark-palette.png")));
        QApplication::setPalette(light);
        QCoreApplication::processEvents();
    }

    prompts.onDialog([&out](QDialog &dialog) {
        dialog.grab().save(out.filePath(QStringLiteral("sample-id.png")));
    });
    window.mnuMeasureItem_Click(6); // Sample ID prompt on
    window.mnuMeasureItem_Click(1);
    window.mnuMeasureItem_Click(6);

    prompts.onDialog([&out](QDialog &dialog) {
        auto &preferences = static_cast<frmPreferences &>(dialog);
        preferences.ui.txtOther->setText(QStringLiteral(";"));
        dialog.grab().save(out.filePath(QStringLiteral("preferences.png")));
        preferences.ui.cmdCancel->click();
    });
    window.mnuFileItem_Click(4);

    // The instrument dialogs, each as it opens.
    const auto grabDialog = [&prompts, &out](const char *name) {
        prompts.onDialog([&out, name](QDialog &dialog) {
            QCoreApplication::processEvents();
            dialog.grab().save(out.filePath(QString::fromLatin1(name)));
        });
    };
    grabDialog("identification.png");
    window.showIdentification();
    grabDialog("clock.png");
    window.showClock();
    prompts.onDialog([&out](QDialog &dialog) {
        auto &viewer = static_cast<frmDatalog &>(dialog);
        viewer.ui.txtNumber->setText(QStringLiteral("3"));
        viewer.ui.cmdGet->click(); // the record's own values beside the computed ones
        QCoreApplication::processEvents();
        dialog.adjustSize();
        dialog.grab().save(out.filePath(QStringLiteral("datalog-viewer.png")));
    });
    window.showDatalogViewer();
    window.mnuMeasureItem_Click(1); // a measurement for the display to show
    grabDialog("screen-capture.png");
    window.showScreenCapture();
    grabDialog("about.png");
    window.showAbout();
    prompts.onDialog([&out](QDialog &dialog) {
        auto &editor = static_cast<frmSetup &>(dialog);
        const char *names[] = {"setup-general.png", "setup-standard.png", "setup-tolerances.png"};
        QCoreApplication::processEvents(); // activation first: it brings "Standard" to the front
        for (int tab = 0; tab < 3; ++tab) {
            editor.ui.sstItems->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            dialog.grab().save(out.filePath(QString::fromLatin1(names[tab])));
        }
    });
    window.showSetupEditor();

    frmCapture &capture = window.progressWindow();
    capture.start(QStringLiteral("Capturing Datalog..."), 40);
    capture.setMessage(QStringLiteral("12 / 40"));
    capture.setValue(12);
    capture.grab().save(out.filePath(QStringLiteral("progress.png")));
    capture.finish();

    // The production prompter's boxes, grabbed while they wait for an answer.
    QtPrompter qtPrompter;
    const auto grabNextModal = [&out](const char *name) {
        QTimer::singleShot(200, [&out, name] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                modal->grab().save(out.filePath(QString::fromLatin1(name)));
                modal->close();
            }
        });
    };
    grabNextModal("timeout-box.png");
    qtPrompter.messageBox({QStringLiteral("Communications Timeout"), modGlobals::AppTitle(),
                           MsgIcon::Critical, MsgButtons::RetryCancel});
    grabNextModal("log-exists-box.png");
    qtPrompter.messageBox({QStringLiteral("/home/lab/measurements.txt already exists.\n\nPress Yes "
                                          "to overwrite the file\nPress No to append to the file\n"
                                          "Press Cancel to select another filename"),
                           window.identity().mainTitle(), MsgIcon::Question,
                           MsgButtons::YesNoCancel});
    grabNextModal("capture-dialog.png");
    qtPrompter.fileDialog({FileDialogRequest::Kind::Save, QStringLiteral("Capture Datalog"),
                           QStringLiteral("All Files|*.*"), 1, QString(), true, true, false});
    // Qt's own texts in the operator's language: the same dialog under a German locale.
    QtPrompter::translateQtTexts(QLocale(QLocale::German, QLocale::Germany));
    grabNextModal("capture-dialog-de.png");
    qtPrompter.fileDialog({FileDialogRequest::Kind::Save, QStringLiteral("Capture Datalog"),
                           QStringLiteral("All Files|*.*"), 1, QString(), true, true, false});

    std::printf("snapshots written to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
