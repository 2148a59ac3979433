#include "app/Utility.h"
#include "link/Licence.h"

#include "app/QtPrompter.h"
#include "app/SingleInstance.h"
#include "app/StopSignals.h"
#include "app/frmUtility.h"
#include "dialogs/ListAccessibility.h"
#include "link/SensorControl.h"
#include "policy/Preferences.h"
#include "sim/SimInstrument.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSysInfo>

#include <cstdio>

namespace quvane {

int runUtility(int argc, char *argv[])
{
    // Answered before any window system is needed: they work without a display.
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--version" || argument == "-v") {
            std::printf("quvane-utility %s\n%s", QUVANE_VERSION, LicenceLines);
            return 0;
        }
        if (argument == "--help" || argument == "-h") {
            std::fputs(
                "Usage: quvane-utility\n\n"
                "The desktop utility for the Quvane spectrophotometer. It connects to the\n"
                "instrument QUVANE_PORT names (sim, tcp://HOST:PORT or a serial port; unset:\n"
                "every serial port is tried) and appends a line per exchange to the file\n"
                "QUVANE_TRACE names.\n\n"
                "Options:\n  -h, --help     Show this help.\n"
                "  -v, --version  Show the version.\n"
                "Qt's own options (-platform, -style ...) are taken too. The manual page\n"
                "quvane-utility(1) says more.\n",
                stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quvane Utility"));
    installListAccessibility();
    // Qt has taken its own options (-platform, -style ...) out; anything left is not ours.
    if (app.arguments().size() > 1) {
        std::fprintf(stderr, "quvane-utility: unknown option %s\nTry 'quvane-utility --help'.\n",
                     qPrintable(app.arguments().at(1)));
        return 2;
    }
    // Ctrl-C and SIGTERM close the program as its close button does: a transfer stops after the
    // record in hand and keeps what it transferred; an open dialog is answered with Escape.
    // Caught from here on, before the lock that tells others the program is running: a signal
    // that arrives before the window is up closes it once the event loop runs.
    StopSignals stop;

    // A later copy returns at once, after asking the running one to show its window.
    SingleInstance instance;
    if (!instance.isFirst()) {
        instance.askFirstToShow();
        return 0;
    }
    // A Wayland compositor ties the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quvane.utility"));

    QtPrompter::translateQtTexts(QLocale());
    QtPrompter qtPrompter;
    // The one place this program reads its environment.
    frmUtility window(
        qtPrompter,
        LinkOptions{qEnvironmentVariable("QUVANE_PORT"), qEnvironmentVariable("QUVANE_TRACE"),
                    demoInstrument},
        textFormatFor({qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_NUMERIC"),
                       qEnvironmentVariable("LC_TIME"), qEnvironmentVariable("LANG")}));
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    const QString login =
        operatorLogin(qEnvironmentVariable("LOGNAME"), qEnvironmentVariable("USER"));
    window.setHistory(historyLocationFor(qEnvironmentVariable("QUVANE_HISTORY"), PreferencesStore(),
                                         qEnvironmentVariable("XDG_DATA_HOME"),
                                         qEnvironmentVariable("HOME")),
                      Station{QSysInfo::machineHostName(), login});
    stop.closeOnStop(window);
    window.Form_Load();
    const int status = app.exec();
    return stop.received() != 0 ? 128 + stop.received() : status;
}

} // namespace quvane
