#pragma once

#include "link/LinkOptions.h"

class QCoreApplication;

namespace quvane {

// The quvane command-line tool over the utility's transfer code. Errors end a command with one
// line on standard error and exit status 1.
int runCli(QCoreApplication &app, const LinkOptions &link);

} // namespace quvane
