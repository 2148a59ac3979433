#pragma once

namespace quvane {

// One table of the CIE's: values at equal steps from start to end (nm), one to three sets (the
// colour-matching functions have three, an illuminant one).
struct Spectral
{
    double start;
    double end;
    int bands;
    const double *sets[3];

    // The value of a set at a wavelength, linear between the table's steps, 0 outside.
    double at(int set, double nm) const
    {
        const double step = (end - start) / (bands - 1);
        const double position = (nm - start) / step;
        if (position < 0 || position > bands - 1)
            return 0;
        const int i = static_cast<int>(position);
        if (i >= bands - 1)
            return sets[set][bands - 1];
        const double f = position - i;
        return sets[set][i] * (1 - f) + sets[set][i + 1] * f;
    }
};

// The CIE's data, as colord ships it, turned into tables at build time.
namespace ColourData {
extern const Spectral Cie1931;  // x̄, ȳ, z̄ of the 2 degree observer
extern const Spectral Cie1964;  // of the 10 degree observer
extern const Spectral Daylight; // S0, S1, S2 of the CIE daylight components
extern const Spectral IlluminantA, IlluminantC, IlluminantD65, IlluminantF2, IlluminantF7,
    IlluminantF11;
} // namespace ColourData

} // namespace quvane
