#pragma once

// The program's entry procedure: one running copy, the main window, the event loop.
int runUtility(int argc, char *argv[]);
