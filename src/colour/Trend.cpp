#include "colour/Trend.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quvane::Colour {

namespace {

// Welford's running mean and sum of squares, steady over a long history.
struct Running
{
    long n = 0;
    double mean = 0, squares = 0;
    double minimum = std::numeric_limits<double>::infinity(),
           maximum = -std::numeric_limits<double>::infinity();

    void add(double x)
    {
        ++n;
        const double delta = x - mean;
        mean += delta / double(n);
        squares += delta * (x - mean);
        minimum = std::min(minimum, x);
        maximum = std::max(maximum, x);
    }
    double deviation() const { return n > 1 ? std::sqrt(squares / double(n - 1)) : 0.0; }
    Spread spread() const { return n > 0 ? Spread{mean, deviation(), minimum, maximum} : Spread{}; }
};

} // namespace

TrendStatistics trendStatistics(const QList<TrendPoint> &points)
{
    Running dE, dL, da, db;
    TrendStatistics s;
    for (const TrendPoint &p : points) {
        dE.add(p.dE);
        dL.add(p.dL);
        da.add(p.da);
        db.add(p.db);
        switch (p.verdict) {
        case Verdict::Pass:
            ++s.pass;
            break;
        case Verdict::Warn:
            ++s.warn;
            break;
        case Verdict::Fail:
            ++s.fail;
            break;
        }
    }
    s.count = int(points.size());
    s.dE = dE.spread();
    s.dL = dL.spread();
    s.da = da.spread();
    s.db = db.spread();
    return s;
}

std::optional<ControlLimits> controlLimits(const QList<TrendPoint> &points, const QDateTime &from,
                                           const QDateTime &until)
{
    Running base;
    for (const TrendPoint &p : points) {
        if ((!from.isValid() || p.taken >= from) && (!until.isValid() || p.taken <= until))
            base.add(p.dE);
    }
    if (base.n < 2)
        return std::nullopt;
    return ControlLimits{base.mean, base.deviation(), int(base.n)};
}

} // namespace quvane::Colour
