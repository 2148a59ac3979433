#include "app/Utility.h"

#include "app/QtPrompter.h"
#include "app/SingleInstance.h"
#include "app/frmUtility.h"
#include "link/SensorControl.h"
#include "policy/ProgramControl.h"
#include "sim/SimInstrument.h"

#include <QApplication>
#include <QGuiApplication>

namespace quvane {

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
    // The one place this program reads its environment.
    frmUtility window(LinkOptions{qEnvironmentVariable("QUVANE_PORT"),
                                  qEnvironmentVariable("QUVANE_TRACE"), demoInstrument});
    window.Form_Load();
    return app.exec();
}

} // namespace quvane
