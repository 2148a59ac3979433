#pragma once

class QCoreApplication;

namespace quvane {

// The quvane-sim program: parses its options, builds the instrument and serves it.
int runSimulator(QCoreApplication &app);

} // namespace quvane
