#include "colour/Tolerance.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace quvane::Colour {

namespace {

constexpr const char *MethodNames[] = {"deab",   "cmc",     "de94",   "de2000",
                                       "hunter", "box-lab", "box-lch"};

// CIELAB back to tristimulus values under a white (CIE 15's inverse).
Xyz fromLab(const Lab &lab, const Xyz &white)
{
    const auto inverse = [](double f) {
        return f > 6.0 / 29 ? f * f * f : 3 * (6.0 / 29) * (6.0 / 29) * (f - 4.0 / 29);
    };
    const double fy = (lab.L + 16) / 116;
    return {white.X * inverse(fy + lab.a / 500), white.Y * inverse(fy),
            white.Z * inverse(fy - lab.b / 200)};
}

Verdict worse(Verdict a, Verdict b)
{
    return std::max(a, b);
}

// A difference against its limit: within the warning fraction of it passes, within it warns.
Verdict against(double value, double limit, double warn)
{
    if (value > limit)
        return Verdict::Fail;
    return value > warn * limit ? Verdict::Warn : Verdict::Pass;
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

} // namespace

QString conditionName(const Condition &condition)
{
    return illuminantName(condition.illuminant) + (condition.observer == Observer::TwoDegree
                                                       ? QStringLiteral("/2")
                                                       : QStringLiteral("/10"));
}

std::optional<Condition> conditionNamed(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<Illuminant> illuminant = illuminantNamed(parts[0].trimmed());
    const QString observer = parts[1].trimmed();
    if (!illuminant || (observer != QLatin1String("2") && observer != QLatin1String("10")))
        return std::nullopt;
    return Condition{*illuminant,
                     observer == QLatin1String("2") ? Observer::TwoDegree : Observer::TenDegree};
}

QString verdictWord(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Warn:
        return QStringLiteral("WARN");
    case Verdict::Fail:
        break;
    }
    return QStringLiteral("FAIL");
}

QString methodName(ToleranceMethod method)
{
    return QString::fromLatin1(MethodNames[int(method)]);
}

std::optional<ToleranceMethod> methodNamed(const QString &name)
{
    for (int i = 0; i < int(std::size(MethodNames)); ++i)
        if (name == QLatin1String(MethodNames[i]))
            return ToleranceMethod(i);
    return std::nullopt;
}

ToleranceSet ToleranceSet::forMethod(ToleranceMethod method)
{
    ToleranceSet set;
    set.method = method;
    if (method == ToleranceMethod::Cmc)
        set.l = 2;
    return set;
}

QString ToleranceSet::toText() const
{
    QStringList words{QStringLiteral("method=") + methodName(method)};
    const auto triple = [](const std::array<double, 3> &v) {
        return number(v[0]) + QLatin1Char(',') + number(v[1]) + QLatin1Char(',') + number(v[2]);
    };
    if (isBox())
        words << QStringLiteral("minus=") + triple(minus) << QStringLiteral("plus=") + triple(plus);
    else
        words << QStringLiteral("limit=") + number(limit);
    words << QStringLiteral("warn=") + number(warn)
          << QStringLiteral("weights=%1:%2:%3").arg(number(l), number(c), number(h))
          << QStringLiteral("primary=") + conditionName(primary);
    for (const Secondary &s : secondaries)
        words << QStringLiteral("secondary=") + conditionName(s.condition) +
                     (s.limit > 0 ? QLatin1Char(':') + number(s.limit) : QString());
    return words.join(QLatin1Char(' '));
}

std::optional<ToleranceSet> ToleranceSet::fromText(const QString &text, QString *error)
{
    ToleranceSet set;
    bool hasMethod = false;
    const auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const auto numbers = [](const QString &text, QChar separator, int count) {
        QList<double> values;
        for (const QString &part : text.split(separator)) {
            bool ok = false;
            const double value = part.toDouble(&ok);
            if (!ok || !std::isfinite(value) || value < 0)
                return QList<double>();
            values << value;
        }
        return values.size() == count ? values : QList<double>();
    };
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = word.section(QLatin1Char('='), 0, 0),
                      value = word.section(QLatin1Char('='), 1);
        if (key == QLatin1String("method")) {
            const std::optional<ToleranceMethod> method = methodNamed(value);
            if (!method)
                return refuse(QStringLiteral("unknown method %1").arg(value));
            set.method = *method;
            hasMethod = true;
        } else if (key == QLatin1String("limit") || key == QLatin1String("warn")) {
            const QList<double> v = numbers(value, QLatin1Char(','), 1);
            if (v.isEmpty() || (key == QLatin1String("warn") && v[0] > 1))
                return refuse(QStringLiteral("%1 must be a number%2, not %3")
                                  .arg(key,
                                       key == QLatin1String("warn")
                                           ? QStringLiteral(" from 0 to 1")
                                           : QStringLiteral(" of 0 or more"),
                                       value));
            (key == QLatin1String("limit") ? set.limit : set.warn) = v[0];
        } else if (key == QLatin1String("minus") || key == QLatin1String("plus")) {
            const QList<double> v = numbers(value, QLatin1Char(','), 3);
            if (v.isEmpty())
                return refuse(QStringLiteral("%1 must be three numbers of 0 or more, not %2")
                                  .arg(key, value));
            std::array<double, 3> &box = key == QLatin1String("minus") ? set.minus : set.plus;
            std::copy(v.begin(), v.end(), box.begin());
        } else if (key == QLatin1String("weights")) {
            const QList<double> v = numbers(value, QLatin1Char(':'), 3);
            if (v.isEmpty() || v.contains(0.0))
                return refuse(
                    QStringLiteral("weights must be three numbers above 0, not %1").arg(value));
            set.l = v[0];
            set.c = v[1];
            set.h = v[2];
        } else if (key == QLatin1String("primary")) {
            const std::optional<Condition> condition = conditionNamed(value);
            if (!condition)
                return refuse(QStringLiteral("unknown illuminant/observer %1").arg(value));
            set.primary = *condition;
        } else if (key == QLatin1String("secondary")) {
            const std::optional<Condition> condition =
                conditionNamed(value.section(QLatin1Char(':'), 0, 0));
            const QString limit = value.section(QLatin1Char(':'), 1);
            const QList<double> v =
                limit.isEmpty() ? QList<double>{0} : numbers(limit, QLatin1Char(','), 1);
            if (!condition || v.isEmpty())
                return refuse(
                    QStringLiteral("a secondary condition is ILLUMINANT/OBSERVER[:LIMIT], "
                                   "not %1")
                        .arg(value));
            if (set.secondaries.size() == 2)
                return refuse(QStringLiteral("at most two secondary conditions"));
            set.secondaries << Secondary{*condition, v[0]};
        } else {
            return refuse(QStringLiteral("unknown word %1").arg(word));
        }
    }
    if (!hasMethod)
        return refuse(QStringLiteral("no method"));
    return set;
}

double differenceIn(const ToleranceSet &set, const Lab &sample, const Lab &standard)
{
    switch (set.method) {
    case ToleranceMethod::Cmc:
        return deltaECmc(sample, standard, set.l, set.c);
    case ToleranceMethod::DeltaE94:
        return deltaE1994(sample, standard, set.l, set.c, set.h);
    case ToleranceMethod::DeltaE2000:
        return deltaE2000(sample, standard, set.l, set.c, set.h);
    case ToleranceMethod::Hunter:
        return hunterDeltaE(sample, standard);
    case ToleranceMethod::DeltaEab:
    case ToleranceMethod::BoxLab:
    case ToleranceMethod::BoxLch:
        break;
    }
    return difference(sample, standard).dE;
}

double metamerismIndex(const ToleranceSet &set, const Lab &standardReference,
                       const Lab &sampleReference, const Lab &standardTest, const Lab &sampleTest)
{
    const Lab corrected{sampleTest.L - (sampleReference.L - standardReference.L),
                        sampleTest.a - (sampleReference.a - standardReference.a),
                        sampleTest.b - (sampleReference.b - standardReference.b)};
    return differenceIn(set, corrected, standardTest);
}

Judge::Judge(const StandardColour &standard, const ToleranceSet &set) : m_set(set)
{
    QList<std::pair<Condition, double>> conditions{{set.primary, set.limit}};
    for (const ToleranceSet::Secondary &s : set.secondaries)
        conditions.append({s.condition, s.limit > 0 ? s.limit : set.limit});
    const bool hunter = set.method == ToleranceMethod::Hunter;
    for (const auto &[condition, limit] : conditions) {
        Under under{condition, limit, Colorimeter(condition.illuminant, condition.observer), {}};
        const Colorimeter &meter = under.meter;
        if (standard.spectrum) {
            const Xyz xyz = meter.tristimulus(*standard.spectrum);
            under.standard = hunter ? toHunterLab(xyz, meter.white()) : toLab(xyz, meter.white());
        } else if (standard.labCondition == condition) {
            under.standard = hunter
                                 ? toHunterLab(fromLab(standard.lab, meter.white()), meter.white())
                                 : standard.lab;
        }
        m_conditions.push_back(std::move(under));
    }
}

Judgement Judge::operator()(const Spectrum &sample) const
{
    const ToleranceSet &set = m_set;
    Judgement result;
    const bool hunter = set.method == ToleranceMethod::Hunter;
    for (const Under &under : m_conditions) {
        ConditionVerdict v;
        v.condition = under.condition;
        v.primary = result.conditions.isEmpty();
        v.limit = under.limit;
        if (under.standard) {
            const Colorimeter &meter = under.meter;
            const Xyz sampleXyz = meter.tristimulus(sample);
            v.judged = true;
            v.sample =
                hunter ? toHunterLab(sampleXyz, meter.white()) : toLab(sampleXyz, meter.white());
            v.standard = *under.standard;
            v.difference = difference(v.sample, v.standard);
            v.difference.dE = differenceIn(set, v.sample, v.standard);
            if (set.isBox()) {
                const bool lch = set.method == ToleranceMethod::BoxLch;
                const double d[3] = {v.difference.dL, lch ? v.difference.dC : v.difference.da,
                                     lch ? v.difference.dH : v.difference.db};
                for (int i = 0; i < 3; ++i) {
                    const double bound = d[i] < 0 ? set.minus[size_t(i)] : set.plus[size_t(i)];
                    if (set.minus[size_t(i)] == 0 && set.plus[size_t(i)] == 0)
                        continue;
                    v.verdict = worse(v.verdict, against(std::fabs(d[i]), bound, set.warn));
                }
            } else {
                v.verdict = against(v.difference.dE, under.limit, set.warn);
            }
            if (!v.primary && result.conditions.first().judged) {
                const ConditionVerdict &p = result.conditions.first();
                v.metamerismIndex =
                    metamerismIndex(set, p.standard, p.sample, v.standard, v.sample);
            }
            result.overall = worse(result.overall, v.verdict);
        }
        result.conditions.append(v);
    }
    return result;
}

Judgement judge(const StandardColour &standard, const Spectrum &sample, const ToleranceSet &set)
{
    return Judge(standard, set)(sample);
}

} // namespace quvane::Colour

namespace quvane::Colour {

Repeatability averageReadings(const QList<Spectrum> &readings, const Colorimeter &meter)
{
    Repeatability r;
    r.count = int(readings.size());
    if (readings.isEmpty())
        return r;
    std::array<double, 31> sum{};
    for (const Spectrum &s : readings)
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] += s[i];
    for (size_t i = 0; i < sum.size(); ++i)
        r.mean[i] = float(sum[i] / double(r.count));
    r.meanLab = meter.lab(r.mean);
    double squares[3] = {};
    Lab labMean; // the mean of the readings' values, about which they deviate
    QList<Lab> labs;
    for (const Spectrum &s : readings) {
        const Lab lab = meter.lab(s);
        labs << lab;
        labMean.L += lab.L / r.count;
        labMean.a += lab.a / r.count;
        labMean.b += lab.b / r.count;
    }
    for (const Lab &lab : labs) {
        squares[0] += (lab.L - labMean.L) * (lab.L - labMean.L);
        squares[1] += (lab.a - labMean.a) * (lab.a - labMean.a);
        squares[2] += (lab.b - labMean.b) * (lab.b - labMean.b);
        r.largestDeltaE = std::max(r.largestDeltaE, difference(lab, r.meanLab).dE);
    }
    if (r.count > 1)
        r.deviation = {std::sqrt(squares[0] / (r.count - 1)), std::sqrt(squares[1] / (r.count - 1)),
                       std::sqrt(squares[2] / (r.count - 1))};
    return r;
}

} // namespace quvane::Colour
