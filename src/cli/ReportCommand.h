#pragma once

#include "cli/HistoryCommands.h"

class QCommandLineParser;

namespace quvane {

// quvane report --standard NAME [filters] FILE.pdf: a batch report when the filters select one
// measurement, a period report otherwise, on A4 or Letter pages. It draws with Qt GUI, so only
// quvane-report has it (see CliEnvironment::writeReport).
int writeReport(const HistoryRun &run, const QString &file, const QCommandLineParser &parser,
                bool letter);

} // namespace quvane
