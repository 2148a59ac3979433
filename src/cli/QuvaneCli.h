#pragma once

#include "link/LinkOptions.h"
#include "link/modGlobals.h"
#include "transfer/TextFormat.h"

class QCoreApplication;

namespace quvane {

// The quvane command-line tool over the utility's transfer code. Errors end a command with one
// line on standard error and exit status 1.
// What quvane takes from its environment and the user's preferences besides the link.
struct CliEnvironment
{
    bool dumbTerminal = false; // TERM=dumb: no escape sequences on the progress line
    // The delimited text's numbers and dates, by LC_NUMERIC and LC_TIME.
    TextFormat textFormat = TextFormat(QLocale::c());
    // The utility's stored delimiter, which --delimiter overrides.
    DelimiterSettings delimiter = {};
};

int runCli(QCoreApplication &app, const LinkOptions &link, const CliEnvironment &environment = {});

} // namespace quvane
