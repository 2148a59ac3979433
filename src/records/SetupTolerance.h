#pragma once

#include "colour/Tolerance.h"

#include <QList>

class QVSetup;

namespace quvane {

// The tolerances a product set-up keeps, as tolerance sets under its own illuminant and
// observer: its difference index, when that is a colour difference (dE*, dEcmc, dE 2000,
// Hunter dE) with a tolerance, against that tolerance; and the box of its difference scale
// (dL*a*b* or dL*C*H*) on the components that have a tolerance, each within plus or minus it.
// An instrument passes a measurement when it lies within every one of them.
//
// CMC takes the set-up's l:c ratio and its commercial factor, which scales the tolerance
// (dEcmc / cf within the tolerance; a factor of 0 counts as 1). The hitch values are no
// tolerances: they belong to a hitch standard's values. A warning is the usual 0.8 of a limit,
// which the set-up does not keep (the instrument itself knows only pass and fail).
QList<Colour::ToleranceSet> setupTolerances(const QVSetup &setup);

// The set-up's standard: its spectrum, or the values it keeps in CIE L*a*b*, L*C*h, Hunter Lab
// or XYZ as L*a*b* under its illuminant and observer; none for other scales.
std::optional<Colour::StandardColour> setupStandard(const QVSetup &setup);

// A measurement judged against the set-up's standard by each of the set-up's tolerance sets:
// the worst verdict; none when the set-up keeps no standard or no tolerance.
std::optional<Colour::Verdict> setupVerdict(const QVSetup &setup, const Colour::Spectrum &sample);

} // namespace quvane
