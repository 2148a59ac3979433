// Renders the program's windows offscreen into PNG files, for looking at them without a screen:
//   window-snapshot OUTDIR
#include "ProgramControl.h"
#include "ScriptedPrompter.h"
#include "SensorControl.h"
#include "SimInstrument.h"
#include "frmCapture.h"
#include "frmPreferences.h"
#include "frmUtility.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUVANE_PORT", "sim");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: window-snapshot OUTDIR\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    ScriptedPrompter prompts;
    SensorControl::setInProcessInstrument([] {
        auto instrument = std::make_shared<SimInstrument>();
        instrument->placeSample(2); // tomato red
        return instrument;
    });
    setEndProgramHandler([](int code) { throw ProgramEnded{code}; });

    frmUtility window;
    window.Form_Load();
    window.grab().save(out.filePath(QStringLiteral("main-window.png")));
    window.mnuMeasureItem_Click(1); // Sample
    window.grab().save(out.filePath(QStringLiteral("after-sample.png")));

    prompts.onDialog([&out](QDialog &dialog) {
        dialog.grab().save(out.filePath(QStringLiteral("sample-id.png")));
    });
    window.mnuMeasureItem_Click(6); // Sample ID prompt on
    window.mnuMeasureItem_Click(1);
    window.mnuMeasureItem_Click(6);

    prompts.onDialog([&out](QDialog &dialog) {
        auto &preferences = static_cast<frmPreferences &>(dialog);
        preferences.txtOther->setText(QStringLiteral(";"));
        dialog.grab().save(out.filePath(QStringLiteral("preferences.png")));
        preferences.cmdCancel->click();
    });
    window.mnuFileItem_Click(4);

    frmCapture &capture = window.progressWindow();
    capture.start(QStringLiteral("Capturing Datalog..."), 40);
    capture.setMessage(QStringLiteral("12 / 40"));
    capture.setValue(12);
    capture.grab().save(out.filePath(QStringLiteral("progress.png")));
    capture.finish();

    std::printf("snapshots written to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
