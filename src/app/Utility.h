#pragma once

namespace quvane {

// The program's entry procedure: one running copy, the main window, the event loop.
int runUtility(int argc, char *argv[]);

} // namespace quvane
