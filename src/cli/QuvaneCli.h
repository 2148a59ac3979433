#pragma once

#include "link/LinkOptions.h"
#include "transfer/TextFormat.h"

class QCoreApplication;

namespace quvane {

// The quvane command-line tool over the utility's transfer code. Errors end a command with one
// line on standard error and exit status 1.
// What quvane takes from its environment besides the link.
struct CliEnvironment
{
    bool dumbTerminal = false; // TERM=dumb: no escape sequences on the progress line
    TextFormat textFormat =
        TextFormat(QLocale::c()); // of the delimited text, by LC_NUMERIC and LC_TIME
};

int runCli(QCoreApplication &app, const LinkOptions &link, const CliEnvironment &environment = {});

} // namespace quvane
