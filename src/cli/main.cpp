#include "cli/QuvaneCli.h"
#include "sim/SimInstrument.h"

#include <QCoreApplication>

using namespace quvane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane"));

    // The one place this program reads its environment.
    const LinkOptions link{qEnvironmentVariable("QUVANE_PORT"),
                           qEnvironmentVariable("QUVANE_TRACE"), demoInstrument};
    return runCli(app, link);
}
