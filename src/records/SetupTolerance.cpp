#include "records/SetupTolerance.h"

#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"

#include <algorithm>
#include <cmath>

namespace quvane {

using namespace Colour;

QList<ToleranceSet> setupTolerances(const QVSetup &setup)
{
    const Condition condition{Codes::illuminant(setup.Illuminant).value_or(Illuminant::D65),
                              Codes::observer(setup.Observer)};
    QList<ToleranceSet> sets;
    const float tolerance = setup.IndexTolerance();
    std::optional<ToleranceMethod> formula;
    switch (setup.ColorDiffIndex()) {
    case Codes::DiffIndexDeltaEab:
        formula = ToleranceMethod::DeltaEab;
        break;
    case Codes::DiffIndexDeltaE2000:
        formula = ToleranceMethod::DeltaE2000;
        break;
    case Codes::DiffIndexCmc:
        formula = ToleranceMethod::Cmc;
        break;
    case Codes::DiffIndexHunterDeltaE:
        formula = ToleranceMethod::Hunter;
        break;
    default:
        break;
    }
    if (formula && tolerance > 0) {
        ToleranceSet set = ToleranceSet::forMethod(*formula);
        set.limit = tolerance;
        if (*formula == ToleranceMethod::Cmc) {
            set.l = setup.l2cRatio > 0 ? setup.l2cRatio : 2;
            set.c = 1;
            set.limit *= setup.CommercialFactor > 0 ? setup.CommercialFactor : 1;
        }
        set.primary = condition;
        sets << set;
    }
    const qint32 scale = setup.ColorDiffScale();
    if (scale == Codes::DiffScaleLab || scale == Codes::DiffScaleLCh) {
        ToleranceSet box = ToleranceSet::forMethod(
            scale == Codes::DiffScaleLab ? ToleranceMethod::BoxLab : ToleranceMethod::BoxLch);
        bool any = false;
        for (qint16 i = 1; i <= 3; ++i) {
            const double limit = std::max(0.0f, setup.ScaleTolerance(i));
            box.minus[size_t(i - 1)] = box.plus[size_t(i - 1)] = limit;
            any = any || limit > 0;
        }
        box.primary = condition;
        if (any)
            sets << box;
    }
    return sets;
}

std::optional<StandardColour> setupStandard(const QVSetup &setup)
{
    const Condition condition{Codes::illuminant(setup.Illuminant).value_or(Illuminant::D65),
                              Codes::observer(setup.Observer)};
    if (setup.Spectral)
        return StandardColour{setup.spectrum(), {}, condition};
    const double v[3] = {setup.ScaleData(1), setup.ScaleData(2), setup.ScaleData(3)};
    const Xyz white = Colorimeter(condition.illuminant, condition.observer).white();
    Lab lab;
    switch (setup.ColorScale) {
    case Codes::ScaleCieLab:
        lab = {v[0], v[1], v[2]};
        break;
    case Codes::ScaleCieLCh: {
        const double h = v[2] * M_PI / 180;
        lab = {v[0], v[1] * std::cos(h), v[1] * std::sin(h)};
        break;
    }
    case Codes::ScaleXyz:
        lab = toLab({v[0], v[1], v[2]}, white);
        break;
    case Codes::ScaleHunterLab: {
        // Hunter's L = 100 s, a = Ka (X/Xn - s^2) / s, b = Kb (s^2 - Z/Zn) / s, s^2 = Y/Yn.
        const double s = v[0] / 100;
        const HunterCoefficients k = hunterCoefficients(white);
        lab = s > 0 ? toLab({white.X * (v[1] * s / k.ka + s * s), white.Y * s * s,
                             white.Z * (s * s - v[2] * s / k.kb)},
                            white)
                    : Lab{};
        break;
    }
    default:
        return std::nullopt;
    }
    return StandardColour{std::nullopt, lab, condition};
}

std::optional<Verdict> setupVerdict(const QVSetup &setup, const Spectrum &sample)
{
    const std::optional<StandardColour> standard = setupStandard(setup);
    const QList<ToleranceSet> sets = setupTolerances(setup);
    if (!standard || sets.isEmpty())
        return std::nullopt;
    Verdict worst = Verdict::Pass;
    for (const ToleranceSet &set : sets) {
        const Judgement j = judge(*standard, sample, set);
        if (!j.judged())
            return std::nullopt;
        worst = std::max(worst, j.overall);
    }
    return worst;
}

} // namespace quvane
