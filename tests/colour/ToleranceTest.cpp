// Tolerance sets and verdicts. The differences of two flat greys, 50 % and 52 %, are worked by
// hand from the formulas' definitions (CIE 15 for L*, Hunter's L = 100 sqrt(Y / Yn), CIE 116
// for CIE94, Clarke, McDonald and Rigg for CMC, CIE 142 for CIEDE2000): Y 50 and 52 give L*
// 76.06926 and 77.28084, dL* 1.21158, whatever the illuminant and observer.
#include "colour/Tolerance.h"
#include "colour/Trend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace quvane::Colour;

namespace {

Spectrum flat(float percent)
{
    Spectrum s;
    s.fill(percent);
    return s;
}

ToleranceSet set(ToleranceMethod method, double limit = 1)
{
    ToleranceSet t = ToleranceSet::forMethod(method);
    t.limit = limit;
    return t;
}

} // namespace

TEST(Tolerance, EachMethodGivesItsFormulasDifferenceAndVerdict)
{
    const StandardColour grey50{flat(50), {}, {}};
    const struct
    {
        ToleranceSet set;
        double dE;
        Verdict verdict;
    } cases[] = {
        {set(ToleranceMethod::DeltaEab, 1.6), 1.21158, Verdict::Pass}, // 1.21 <= 0.8 x 1.6
        {set(ToleranceMethod::DeltaEab, 1.3), 1.21158, Verdict::Warn},
        {set(ToleranceMethod::DeltaEab, 1.2), 1.21158, Verdict::Fail},
        // SL = 1 + 0.015 (L - 50)^2 / sqrt(20 + (L - 50)^2) at the mean L* 76.67505: 1.39462.
        {set(ToleranceMethod::DeltaE2000, 1.0), 0.86875, Verdict::Warn},
        {[] {
             ToleranceSet t = set(ToleranceMethod::DeltaE2000);
             t.l = 2;
             return t;
         }(),
         0.43438, Verdict::Pass},
        // CMC 2:1: SL = 0.040975 L / (1 + 0.01765 L) at the standard's L*: 1.33053.
        {set(ToleranceMethod::Cmc, 0.5), 0.45530, Verdict::Warn},
        {set(ToleranceMethod::DeltaE94, 1.0), 1.21158, Verdict::Fail},
        {set(ToleranceMethod::Hunter, 2.0), 1.40035, Verdict::Pass}, // 72.11103 - 70.71068
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.set.toText().toStdString());
        const Judgement j = judge(grey50, flat(52), c.set);
        ASSERT_EQ(j.conditions.size(), 1);
        EXPECT_TRUE(j.judged());
        EXPECT_NEAR(j.conditions[0].difference.dE, c.dE, 5e-5);
        EXPECT_EQ(j.conditions[0].verdict, c.verdict);
        EXPECT_EQ(j.overall, c.verdict);
    }

    // CIE94's weights on chroma and hue, by hand: a standard of C* 30 gives SC 2.35, SH 1.45.
    const Lab standard{50, 30, 0};
    EXPECT_NEAR(deltaE1994({50, 32, 0}, standard, 1, 2, 1), 2 / (2 * 2.35), 1e-9);
    EXPECT_NEAR(deltaE1994({50, 30, 2}, standard, 1, 1, 2), 0.689855, 1e-6);
}

TEST(Tolerance, ABoxJudgesEachComponentOnItsOwnSide)
{
    const StandardColour grey50{flat(50), {}, {}};
    const auto box = [](ToleranceMethod method, std::array<double, 3> minus,
                        std::array<double, 3> plus) {
        ToleranceSet t = ToleranceSet::forMethod(method);
        t.minus = minus;
        t.plus = plus;
        return t;
    };
    const struct
    {
        ToleranceSet set;
        float sample;
        Verdict verdict;
    } cases[] = {
        {box(ToleranceMethod::BoxLab, {0.1, 1, 1}, {2, 1, 1}), 52, Verdict::Pass},
        {box(ToleranceMethod::BoxLab, {5, 1, 1}, {1.3, 1, 1}), 52, Verdict::Warn},
        {box(ToleranceMethod::BoxLab, {5, 1, 1}, {1.2, 1, 1}), 52, Verdict::Fail},
        {box(ToleranceMethod::BoxLab, {1.2, 1, 1}, {5, 1, 1}), 48, Verdict::Fail},     // darker
        {box(ToleranceMethod::BoxLch, {0, 0, 0}, {0, 0.01, 0.01}), 48, Verdict::Pass}, // dL* free
        {box(ToleranceMethod::BoxLch, {0, 0, 0}, {0, 0, 0}), 52, Verdict::Pass},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.set.toText().toStdString() + " sample " + std::to_string(c.sample));
        const Judgement j = judge(grey50, flat(c.sample), c.set);
        EXPECT_EQ(j.overall, c.verdict);
        EXPECT_NEAR(j.conditions[0].difference.dE, std::fabs(j.conditions[0].difference.dL),
                    1e-6); // a grey's dE*ab is its dL*
    }
}

// The special metamerism index for a change in illuminant, with the additive correction, worked
// by hand: the sample's test values less its reference difference, (52, 4, 1) - (1, 1, 0), lie
// (1, 1, 1) from the standard's (50, 2, 0).
TEST(Tolerance, SecondaryConditionsGiveTheMetamerismIndex)
{
    EXPECT_NEAR(metamerismIndex(set(ToleranceMethod::DeltaEab), {50, 0, 0}, {51, 1, 0}, {50, 2, 0},
                                {52, 4, 1}),
                std::sqrt(3.0), 1e-12);

    // A metameric pair: the sample is the standard plus a bump with its tristimulus values
    // under D65/10 taken out (a metameric black), so it matches under D65/10 and not under A/10.
    const Colorimeter d65(Illuminant::D65, Observer::TenDegree);
    Spectrum standard = flat(40);
    std::array<Xyz, 31> unit;
    for (size_t k = 0; k < 31; ++k) {
        Spectrum e{};
        e[k] = 1;
        unit[k] = d65.tristimulus(e);
    }
    std::array<double, 31> bump{};
    for (size_t k = 0; k < 31; ++k)
        bump[k] = 12 * std::sin(double(k) / 3.0);
    // Less its projection on the three weight vectors (Gram-Schmidt on X, Y, Z).
    std::array<std::array<double, 31>, 3> basis{};
    for (int c = 0; c < 3; ++c) {
        for (size_t k = 0; k < 31; ++k)
            basis[c][k] = c == 0 ? unit[k].X : c == 1 ? unit[k].Y : unit[k].Z;
        for (int b = 0; b < c; ++b) {
            double dot = 0;
            for (size_t k = 0; k < 31; ++k)
                dot += basis[c][k] * basis[b][k];
            for (size_t k = 0; k < 31; ++k)
                basis[c][k] -= dot * basis[b][k];
        }
        double norm = 0;
        for (size_t k = 0; k < 31; ++k)
            norm += basis[c][k] * basis[c][k];
        for (size_t k = 0; k < 31; ++k)
            basis[c][k] /= std::sqrt(norm);
        double dot = 0;
        for (size_t k = 0; k < 31; ++k)
            dot += bump[k] * basis[c][k];
        for (size_t k = 0; k < 31; ++k)
            bump[k] -= dot * basis[c][k];
    }
    Spectrum sample = standard;
    for (size_t k = 0; k < 31; ++k)
        sample[k] += float(bump[k]);
    ToleranceSet t = set(ToleranceMethod::DeltaE2000, 1.0);
    t.primary = {Illuminant::D65, Observer::TenDegree};
    t.secondaries = {{{Illuminant::A, Observer::TenDegree}, 0.5},
                     {{Illuminant::F11, Observer::TwoDegree}, 0}};
    const Judgement j = judge({standard, {}, {}}, sample, t);
    ASSERT_EQ(j.conditions.size(), 3);
    EXPECT_LT(j.conditions[0].difference.dE, 0.01);
    EXPECT_EQ(j.conditions[0].verdict, Verdict::Pass);
    EXPECT_EQ(j.conditions[1].verdict, Verdict::Fail);
    EXPECT_EQ(j.overall, Verdict::Fail);
    EXPECT_FALSE(j.conditions[0].metamerismIndex);
    for (int k = 1; k < 3; ++k) {
        const ConditionVerdict &p = j.conditions[0], &v = j.conditions[k];
        // With a match under the primary, the index is the difference under the secondary.
        EXPECT_NEAR(*v.metamerismIndex, v.difference.dE, 0.02);
        EXPECT_DOUBLE_EQ(*v.metamerismIndex,
                         metamerismIndex(t, p.standard, p.sample, v.standard, v.sample));
        EXPECT_EQ(v.limit, k == 1 ? 0.5 : 1.0); // its own, or the primary's
    }

    // A standard of L*a*b* values alone is judged under their condition only.
    const Lab values = Colorimeter(Illuminant::D50, Observer::TenDegree).lab(flat(50));
    const StandardColour numeric{std::nullopt, values, {Illuminant::D50, Observer::TenDegree}};
    t.primary = {Illuminant::D50, Observer::TenDegree};
    const Judgement own = judge(numeric, flat(52), t);
    EXPECT_TRUE(own.judged());
    EXPECT_NEAR(own.conditions[0].difference.dL, 1.21158, 5e-5);
    EXPECT_FALSE(own.conditions[1].judged || own.conditions[2].judged);
    t.primary = {Illuminant::D65, Observer::TenDegree};
    EXPECT_FALSE(judge(numeric, flat(52), t).judged());
}

TEST(Tolerance, ASetIsKeptAsWordsAndReadBackWhole)
{
    ToleranceSet t = set(ToleranceMethod::Cmc, 1.5);
    t.warn = 0.75;
    t.c = 1.25;
    t.primary = {Illuminant::D50, Observer::TwoDegree};
    t.secondaries = {{{Illuminant::F11, Observer::TenDegree}, 2.5},
                     {{Illuminant::A, Observer::TenDegree}, 0}};
    EXPECT_EQ(t.toText(), QStringLiteral("method=cmc limit=1.5 warn=0.75 weights=2:1.25:1 "
                                         "primary=D50/2 secondary=F11/10:2.5 secondary=A/10"));
    EXPECT_EQ(ToleranceSet::fromText(t.toText()), t);
    ToleranceSet b = ToleranceSet::forMethod(ToleranceMethod::BoxLch);
    b.minus = {0.5, 0.25, 1};
    EXPECT_EQ(ToleranceSet::fromText(b.toText()), b);
    for (const char *bad :
         {"", "method=de76", "method=deab limit=-1", "method=deab warn=1.5",
          "method=box-lab minus=1,2", "method=deab weights=1:0:1", "method=deab primary=D65/5",
          "method=deab secondary=A/10 secondary=C/2 secondary=F2/2", "method=deab colour=red"}) {
        QString error;
        EXPECT_FALSE(ToleranceSet::fromText(QString::fromLatin1(bad), &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

// Two readings, 50 % and 52 % grey, worked by hand: their mean 51 % has L* 76.67901; L* 76.06926
// and 77.28084 deviate by 1.21158 / sqrt 2, and the first lies farthest from the mean.
TEST(Tolerance, ReadingsAveragedWithTheirSpread)
{
    const Colorimeter meter(Illuminant::D65, Observer::TenDegree);
    const Repeatability r = averageReadings({flat(50), flat(52)}, meter);
    EXPECT_EQ(r.count, 2);
    EXPECT_FLOAT_EQ(r.mean[7], 51.0f);
    EXPECT_NEAR(r.meanLab.L, 76.67901, 5e-5);
    EXPECT_NEAR(r.deviation.L, 0.85671, 5e-5);
    EXPECT_NEAR(r.deviation.a, 0, 1e-4);
    EXPECT_NEAR(r.largestDeltaE, 0.60975, 5e-5);
    const Repeatability one = averageReadings({flat(50)}, meter);
    EXPECT_EQ(std::tuple(one.deviation.L, one.largestDeltaE), std::tuple(0.0, 0.0));
}

// A trend's statistics (the deviation of a sample) and an individuals chart whose limits come
// from its base period alone, bounds included, worked out by hand.
TEST(Trend, StatisticsAndControlLimitsOfABasePeriod)
{
    const QDateTime t0(QDate(2026, 1, 1), QTime(8, 0));
    QList<TrendPoint> points;
    const double dE[] = {1, 2, 3, 4, 10};
    const Verdict verdicts[] = {Verdict::Pass, Verdict::Pass, Verdict::Warn, Verdict::Fail,
                                Verdict::Fail};
    for (int i = 0; i < 5; ++i)
        points.append({i + 1, t0.addDays(i), dE[i], -dE[i], 0.5, 2 * dE[i], 0, 0, verdicts[i]});
    const TrendStatistics s = trendStatistics(points);
    EXPECT_EQ(s.count, 5);
    EXPECT_DOUBLE_EQ(s.dE.mean, 4);
    EXPECT_NEAR(s.dE.deviation, std::sqrt(50.0 / 4), 1e-12);
    EXPECT_DOUBLE_EQ(s.dL.minimum, -10);
    EXPECT_DOUBLE_EQ(s.db.maximum, 20);
    EXPECT_DOUBLE_EQ(s.da.deviation, 0);
    EXPECT_EQ(std::tuple(s.pass, s.warn, s.fail), std::tuple(2, 1, 2));
    EXPECT_DOUBLE_EQ(s.rate(s.fail), 0.4);

    const std::optional<ControlLimits> limits = controlLimits(points, t0, t0.addDays(3));
    ASSERT_TRUE(limits);
    EXPECT_EQ(limits->basePoints, 4);
    EXPECT_DOUBLE_EQ(limits->centre, 2.5);
    EXPECT_NEAR(limits->upper(), 2.5 + 3 * std::sqrt(5.0 / 3), 1e-12);
    EXPECT_FALSE(limits->beyond(4));
    EXPECT_TRUE(limits->beyond(10));
    EXPECT_EQ(controlLimits(points, {}, {})->basePoints, 5);
    EXPECT_FALSE(controlLimits(points, t0.addDays(4), {}));
}
