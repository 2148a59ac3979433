#pragma once

#include "colour/Colorimetry.h"

class PacketBuffer;

namespace quvane {

struct Measurement;

// The record classes' 1-based readers of a measurement's values: three scale values and the
// spectrum in percent. An index outside the array raises the out-of-range error (9).
float ScaleDataAt(const Measurement &measurement, int anIndex);
float SpectrumAt(const Measurement &measurement, int anIndex);

// Reads 31 reflectance fractions into a spectrum in percent; a value that overflows single
// precision when multiplied by 100 raises overflow (6).
void readSpectrum(PacketBuffer &packet, Colour::Spectrum &spectrum);

} // namespace quvane
