#include "Utility.h"

#include "ProgramControl.h"
#include "QtPrompter.h"
#include "SensorControl.h"
#include "SimInstrument.h"
#include "SingleInstance.h"
#include "frmUtility.h"

#include <QApplication>
#include <QGuiApplication>

int runUtility(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quvane Utility"));

    SingleInstance instance;
    if (!instance.isFirst())
        return 0;

    QtPrompter qtPrompter;
    setPrompter(&qtPrompter);
    setMousePointerHandler([](int pointer) {
        if (pointer == MousePointer::Hourglass)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
    // QUVANE_PORT=sim: an instrument inside this process, with some history in its datalog.
    SensorControl::setInProcessInstrument([] {
        auto instrument = std::make_shared<SimInstrument>();
        instrument->seedDatalog(40);
        return instrument;
    });

    frmUtility window;
    window.Form_Load();
    return app.exec();
}
