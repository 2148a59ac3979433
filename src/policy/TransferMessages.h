#pragma once

#include "transfer/BulkTransfers.h"

#include <QString>

namespace quvane {

// What a transfer's outcome says to its operator, in three parts: what failed and where, the
// error, and what was kept. A part with nothing to say is empty.
struct TransferMessage
{
    QString failure; // "The datalog capture stopped at record 5 of 40."
    QString reason;  // the error's description
    QString kept;    // "FILE holds the 4 records captured before it."

    // The parts joined by blank lines, for a message box.
    QString box() const;
    // The parts on one line, for a terminal.
    QString line() const;
};

TransferMessage describe(const TransferOutcome &outcome);

} // namespace quvane
