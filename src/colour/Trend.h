#pragma once

#include "colour/Tolerance.h"

#include <QDateTime>
#include <QList>

#include <optional>

namespace quvane::Colour {

// One measurement judged against a standard, as a trend plots it: the differences under the
// tolerance's primary condition (sample minus standard; dE in the tolerance's formula).
struct TrendPoint
{
    qint64 id = 0;
    QDateTime taken;
    double dE = 0, dL = 0, da = 0, db = 0, dC = 0, dH = 0;
    Verdict verdict = Verdict::Pass;
};

// How one quantity spreads over a trend (the deviation of a sample: n - 1).
struct Spread
{
    double mean = 0, deviation = 0, minimum = 0, maximum = 0;
};

struct TrendStatistics
{
    int count = 0;
    Spread dE, dL, da, db;
    int pass = 0, warn = 0, fail = 0;
    // The share of the points, 0 to 1.
    double rate(int n) const { return count > 0 ? double(n) / count : 0.0; }
};
TrendStatistics trendStatistics(const QList<TrendPoint> &points);

// An individuals control chart of dE: the mean of a base period and three standard
// deviations of it either side.
struct ControlLimits
{
    double centre = 0, deviation = 0;
    int basePoints = 0;
    double lower() const { return centre - 3 * deviation; }
    double upper() const { return centre + 3 * deviation; }
    bool beyond(double dE) const { return dE > upper() || dE < lower(); }
};
// From the points taken within [from, until] (an invalid bound is open); none from fewer than
// two points.
std::optional<ControlLimits> controlLimits(const QList<TrendPoint> &points, const QDateTime &from,
                                           const QDateTime &until);

} // namespace quvane::Colour
