#pragma once

class QCoreApplication;

// The quvane command-line tool over the utility's transfer code.
int runCli(QCoreApplication &app);
