#pragma once

#include "colour/Colorimetry.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace quvane::Colour {

// An illuminant and observer under which colours are compared.
struct Condition
{
    Illuminant illuminant = Illuminant::D65;
    Observer observer = Observer::TenDegree;
    friend bool operator==(const Condition &, const Condition &) = default;
};
QString conditionName(const Condition &condition); // "D65/10"
std::optional<Condition> conditionNamed(const QString &name);

enum class Verdict
{
    Pass,
    Warn,
    Fail
};
QString verdictWord(Verdict verdict); // PASS, WARN, FAIL

// How a difference is judged: one colour-difference formula against a limit, or a box of
// separate minus and plus limits on dL* da* db* or on dL* dC* dH*.
enum class ToleranceMethod
{
    DeltaEab,
    Cmc,
    DeltaE94,
    DeltaE2000,
    Hunter,
    BoxLab,
    BoxLch
};
QString methodName(ToleranceMethod method); // de2000, cmc, ... as the command line names them
std::optional<ToleranceMethod> methodNamed(const QString &name);

// A standard's tolerance set: the method and its limits, the warning level, the primary
// condition and up to two secondary ones, each with its own limit.
struct ToleranceSet
{
    ToleranceMethod method = ToleranceMethod::DeltaE2000;
    double limit = 1.0;
    // The box's limits on its three components: each difference must lie within
    // [-minus[i], plus[i]]; a zero limit on both sides leaves the component unjudged.
    std::array<double, 3> minus{1, 1, 1}, plus{1, 1, 1};
    // A difference beyond this fraction of its limit, and within it, is a warning.
    double warn = 0.8;
    // The formula's weights: CMC's l and c, kL:kC:kH of CIE94 and CIEDE2000 (forMethod()
    // gives 2:1 for CMC, 1 elsewhere).
    double l = 1, c = 1, h = 1;
    Condition primary;
    struct Secondary
    {
        Condition condition;
        double limit = 0; // 0: the primary's limit
        friend bool operator==(const Secondary &, const Secondary &) = default;
    };
    QList<Secondary> secondaries; // at most two

    static ToleranceSet forMethod(ToleranceMethod method);
    bool isBox() const
    {
        return method == ToleranceMethod::BoxLab || method == ToleranceMethod::BoxLch;
    }
    // The set as a line of words (method=de2000 limit=1 ...), as the history keeps it; parsed
    // back whole, or not at all.
    QString toText() const;
    static std::optional<ToleranceSet> fromText(const QString &text, QString *error = nullptr);
    friend bool operator==(const ToleranceSet &, const ToleranceSet &) = default;
};

// The standard's colour: its spectrum, or its L*a*b* under one condition alone.
struct StandardColour
{
    std::optional<Spectrum> spectrum;
    Lab lab;
    Condition labCondition;
};

// The verdict under one condition, with the differences that led to it (sample minus
// standard). dE is in the method's formula (dE*ab for a box); Hunter's differences are of
// Hunter L, a, b.
struct ConditionVerdict
{
    Condition condition;
    bool primary = true;
    bool judged = false; // false: the standard has no values under this condition
    Lab standard, sample;
    LabDifference difference{};
    double limit = 0;
    Verdict verdict = Verdict::Pass;
    // Under a secondary condition: the special metamerism index for the change of illuminant
    // from the primary one, with the additive correction, in the method's formula.
    std::optional<double> metamerismIndex;
};

struct Judgement
{
    QList<ConditionVerdict> conditions; // the primary first
    Verdict overall = Verdict::Pass;    // the worst of those judged
    // The primary condition was judged: a standard of L*a*b* values alone is judged only
    // under the condition of its values.
    bool judged() const { return !conditions.isEmpty() && conditions.first().judged; }
};

Judgement judge(const StandardColour &standard, const Spectrum &sample, const ToleranceSet &set);

// judge() for many samples against one standard: the colorimeters of the conditions and the
// standard's values under them are made once.
class Judge
{
public:
    Judge(const StandardColour &standard, const ToleranceSet &set);
    Judgement operator()(const Spectrum &sample) const;

private:
    struct Under
    {
        Condition condition;
        double limit;
        Colorimeter meter;
        std::optional<Lab> standard; // none: the standard has no values under it
    };
    ToleranceSet m_set;
    std::vector<Under> m_conditions; // the primary first
};

// The difference of two colours in the method's formula (dE*ab for a box).
double differenceIn(const ToleranceSet &set, const Lab &sample, const Lab &standard);

// The special metamerism index for a change in illuminant (CIE 15): the sample's values under
// the test condition corrected by its difference from the standard under the reference one
// (additively, L*, a*, b*), then the difference from the standard under the test condition.
double metamerismIndex(const ToleranceSet &set, const Lab &standardReference,
                       const Lab &sampleReference, const Lab &standardTest, const Lab &sampleTest);

} // namespace quvane::Colour

namespace quvane::Colour {

// Several readings of one sample: their mean spectrum and how far they spread, under one
// illuminant and observer.
struct Repeatability
{
    Spectrum mean{};
    Lab meanLab;
    Lab deviation; // the standard deviation of the readings' L*, a*, b* (of a sample: n - 1)
    double largestDeltaE = 0; // the largest dE*ab of a reading from the mean
    int count = 0;
};
Repeatability averageReadings(const QList<Spectrum> &readings, const Colorimeter &meter);

} // namespace quvane::Colour
