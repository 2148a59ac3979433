#include "sim/SimCommandLine.h"

#include <QCoreApplication>

using namespace quvane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane-sim"));
    return runSimulator(app);
}
