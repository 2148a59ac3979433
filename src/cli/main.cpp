#include "cli/QuvaneCli.h"
#include "sim/SimInstrument.h"

#include <QCoreApplication>

using namespace quvane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane"));

    return runCli(app, linkOptionsFromEnvironment());
}
