#pragma once

#include "link/PacketHandler.h"

#include <QString>

#include <optional>
#include <vector>

namespace quvane {

// The faults a simulated instrument injects, as data: the command line and the tests fill in
// the same plan. Commands are counted from 1 in the order the instrument receives them.
struct SimFaultPlan
{
    int silent = 0;                              // the first N commands get no reply (timeouts)
    int silentAt = 0;                            // command N gets no reply (a timeout)
    int dropAt = 0;                              // command N closes the link
    int corruptAt = 0;                           // the reply to command N is garbled,
    LineNoise corruptKind = LineNoise::Checksum; // in this way
    int staleAt = 0;                     // command N is answered with the reply to the one before
    int delayAt = 0;                     // the reply to command N comes late,
    int delayMs = 0;                     // by this many milliseconds
    int lateAt = 0; // the reply to command N comes once the next command has arrived
    int failBlack = 0;                   // the next N black readings fail
    int failWhite = 0;                   // the next N white readings fail
    std::optional<qint32> reportedCount; // the datalog count reported whatever it holds

    struct Option
    {
        const char *name;
        const char *valueName;
        const char *description;
    };
    // The plan's command-line options ("drop-at" and so on), in the order --help lists them.
    static const std::vector<Option> &options();
    // Sets the fault an option names from its value ("3", or "3:500" for delay-at). False, with
    // the reason, for a value that is not one.
    bool set(const QString &option, const QString &value, QString &error);
};

} // namespace quvane
