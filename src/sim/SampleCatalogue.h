#pragma once

#include <QString>

#include <array>
#include <random>

namespace quvane {

// Reflectance curves of the samples the simulated instrument can have under its port, in
// percent at 400, 410, ... 700 nm.
using Reflectance = std::array<float, 31>;

struct Sample
{
    QString name;
    Reflectance reflectance;
};

namespace SampleCatalogue {
const std::array<Sample, 8> &samples();
const Sample &whiteTile();
const Sample &blackGlass();
// A reading of the sample: its curve with a little measurement noise, clamped to 0..100.
Reflectance measure(const Sample &sample, std::mt19937 &random);
} // namespace SampleCatalogue

} // namespace quvane
