#include "sim/SimCommandLine.h"

#include <QCoreApplication>

using namespace quvane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUVANE_VERSION));
    return runSimulator(app);
}
