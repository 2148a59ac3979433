#include "cli/QuvaneCli.h"
#include "sim/SimInstrument.h"

#include <QCoreApplication>

using namespace quvane;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane"));

    LinkOptions link;
    link.port = qEnvironmentVariable("QUVANE_PORT");
    link.tracePath = qEnvironmentVariable("QUVANE_TRACE");
    // QUVANE_PORT=sim: an instrument inside this process, with some history in its datalog.
    link.inProcessInstrument = [] {
        auto instrument = std::make_shared<SimInstrument>();
        instrument->seedDatalog(40);
        return instrument;
    };
    return runCli(app, link);
}
