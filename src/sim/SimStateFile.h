#pragma once

#include <QString>

namespace quvane {

class SimInstrument;

// Keeps an instrument's set-ups, datalog, clock offset and standardization time in a JSON file
// between runs of the simulator.
namespace SimStateFile {
bool load(const QString &path, SimInstrument &instrument, QString &error);
bool save(const QString &path, const SimInstrument &instrument, QString &error);
} // namespace SimStateFile

} // namespace quvane
