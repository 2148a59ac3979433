#pragma once

#include "link/LinkOptions.h"
#include "link/modGlobals.h"
#include "store/HistoryStore.h"
#include "transfer/TextFormat.h"

class QCommandLineParser;

class QCoreApplication;

namespace quvane {

struct HistoryRun;

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
    // The history (QUVANE_HISTORY, else the utility's preference, else the default file),
    // whether the preference keeps it on, and who stores (host name and login).
    QString history;
    bool historyOn = true;
    Station station;
    // A report's pages: A4, or Letter where the locale's paper is (LC_PAPER).
    bool letterPaper = false;
    // The report command: drawing pages needs Qt GUI, which quvane does not link, so that it
    // runs where no graphical library is installed; quvane hands a report to quvane-report,
    // the same tool with this set.
    int (*writeReport)(const HistoryRun &run, const QString &file, const QCommandLineParser &parser,
                       bool letter) = nullptr;
};

// Whether the command the arguments name is report.
bool drawsPages(const QStringList &arguments);

int runCli(QCoreApplication &app, const LinkOptions &link, const CliEnvironment &environment = {});

} // namespace quvane
