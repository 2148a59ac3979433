#pragma once

#include "policy/VerdictText.h"

#include "cli/HistoryCommands.h"
#include "colour/Tolerance.h"

class QCommandLineParser;

namespace quvane {

// The exit status of a measurement judged FAIL against its standard (PASS and WARN exit 0),
// so that a script can act on it.
constexpr int FailedVerdict = 3;

// A usage error of standard tolerance's options, or nothing.
QString checkTolerance(const QCommandLineParser &parser);
// quvane standard tolerance NAME --method ... : sets the standard's tolerance set.
int setStandardTolerance(const HistoryRun &run, const QString &name,
                         const QCommandLineParser &parser);

// quvane standard export NAME... FILE: the standards as CxF3; standard import FILE: the CxF3
// file's standards into the history (a name it holds already is said and left).
int exportStandards(const HistoryRun &run, const QStringList &names, const QString &file);
int importStandards(const HistoryRun &run, const QString &file);

// The standard NAME of the history; none, with the error, when it cannot be had.
std::optional<Standard> loadStandard(const HistoryRun &run, const QString &name, QString &error);

// A measurement judged against a standard, as measure --standard prints it: the standard and
// its tolerance set, then a line for each condition with its differences and verdict.
QString judgementText(const Standard &standard, const Colour::Judgement &judgement);

} // namespace quvane
