// Colour values of many spectra: XYZ, L*a*b* and dE 2000 against a reference, as a colour
// panel or a datalog conversion computes them for each record.
#include "colour/Colorimetry.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace quvane::Colour;

namespace {

std::vector<Spectrum> spectra(int count)
{
    std::vector<Spectrum> all(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < 31; ++i)
            all[size_t(k)][size_t(i)] =
                float(50 + 40 * std::sin(0.2 * i + 0.001 * k) * std::cos(0.0007 * k));
    }
    return all;
}

void ColourValuesOfAMillionSpectra(benchmark::State &state)
{
    const std::vector<Spectrum> input = spectra(1'000'000);
    const Colorimeter meter(Illuminant::D65, Observer::TenDegree);
    const Lab reference = meter.lab(input.front());
    for (auto _ : state) {
        double sum = 0;
        for (const Spectrum &s : input) {
            const Xyz xyz = meter.tristimulus(s);
            const Lab lab = toLab(xyz, meter.white());
            sum += deltaE2000(lab, reference);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(input.size()));
}
BENCHMARK(ColourValuesOfAMillionSpectra)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
