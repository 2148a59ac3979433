#include "sim/SampleCatalogue.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace quvane {

namespace {

double logistic(double x, double centre, double width)
{
    return 1.0 / (1.0 + std::exp(-(x - centre) / width));
}

double bell(double x, double centre, double width)
{
    const double z = (x - centre) / width;
    return std::exp(-0.5 * z * z);
}

Reflectance curve(const std::function<double(double)> &percentAt)
{
    Reflectance r{};
    for (int i = 0; i < 31; ++i)
        r[i] = static_cast<float>(percentAt(400.0 + 10.0 * i));
    return r;
}

std::array<Sample, 8> makeSamples()
{
    return {{
        {QStringLiteral("White tile"),
         curve([](double w) { return 87.5 + 5.5 * logistic(w, 430, 18); })},
        {QStringLiteral("Black glass"),
         curve([](double w) { return 0.35 + 0.1 * (w - 400) / 300; })},
        {QStringLiteral("Tomato red"), curve([](double w) {
             return 4.5 + 2.5 * bell(w, 420, 25) + 68.0 * logistic(w, 598, 11);
         })},
        {QStringLiteral("Lemon yellow"),
         curve([](double w) { return 6.0 + 76.0 * logistic(w, 505, 14); })},
        {QStringLiteral("Leaf green"), curve([](double w) {
             return 4.0 + 34.0 * bell(w, 535, 38) + 22.0 * logistic(w, 690, 8);
         })},
        {QStringLiteral("Ultramarine"), curve([](double w) {
             return 3.5 + 48.0 * bell(w, 450, 32) + 30.0 * logistic(w, 680, 12);
         })},
        {QStringLiteral("Orange peel"),
         curve([](double w) { return 5.0 + 72.0 * logistic(w, 572, 13); })},
        {QStringLiteral("Mid grey"), curve([](double w) { return 19.0 + 0.8 * (w - 400) / 300; })},
    }};
}

} // namespace

namespace SampleCatalogue {

const std::array<Sample, 8> &samples()
{
    static const std::array<Sample, 8> all = makeSamples();
    return all;
}

const Sample &whiteTile()
{
    return samples()[0];
}

const Sample &blackGlass()
{
    return samples()[1];
}

Reflectance measure(const Sample &sample, std::mt19937 &random)
{
    std::normal_distribution<float> noise(0.0f, 0.04f);
    Reflectance r = sample.reflectance;
    for (float &value : r)
        value = std::clamp(value + noise(random) * (0.2f + value / 50.0f), 0.0f, 100.0f);
    return r;
}

} // namespace SampleCatalogue

} // namespace quvane
