#pragma once

#include <array>

class PacketBuffer;

namespace quvane {

// The colour values a measurement or a datalog record carries: three scale values, an index
// value and the spectrum in percent, read by 1-based index. An index outside the array raises
// the out-of-range error (9).
class ColorValues
{
public:
    float ScaleData(int anIndex) const;
    float IndexData() const { return indexData; }
    float Spectrum(int anIndex) const;

    // Reads 31 reflectance fractions into the spectrum in percent; a value that overflows
    // single precision when multiplied by 100 raises overflow (6).
    void readSpectrum(PacketBuffer &packet);

    std::array<float, 3> scaleData{};
    float indexData = 0;
    std::array<float, 31> spectrum{};
};

} // namespace quvane
