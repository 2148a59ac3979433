#include "store/Standard.h"

#include "records/QVSetup.h"
#include "records/SetupTolerance.h"

namespace quvane {

std::optional<Standard> Standard::fromSetup(const QVSetup &setup, const QString &instrument)
{
    const std::optional<Colour::StandardColour> colour = setupStandard(setup);
    if (!colour)
        return std::nullopt;
    Standard standard;
    standard.origin = Origin::Setup;
    standard.instrument = instrument;
    standard.setup = setup.SetupNumber;
    standard.name = setup.ProductName.trimmed();
    standard.illuminant = colour->labCondition.illuminant;
    standard.observer = colour->labCondition.observer;
    standard.spectral = colour->spectrum.has_value();
    if (colour->spectrum)
        standard.spectrum = *colour->spectrum;
    else
        standard.lab = {colour->lab.L, colour->lab.a, colour->lab.b};
    const QList<Colour::ToleranceSet> sets = setupTolerances(setup);
    if (!sets.isEmpty())
        standard.tolerance = sets.first();
    return standard;
}

Colour::ToleranceSet Standard::toleranceSet() const
{
    if (tolerance)
        return *tolerance;
    Colour::ToleranceSet set;
    set.primary = {illuminant, observer};
    return set;
}

Colour::StandardColour Standard::colour() const
{
    Colour::StandardColour c;
    if (spectral)
        c.spectrum = spectrum;
    c.lab = {lab[0], lab[1], lab[2]};
    c.labCondition = {illuminant, observer};
    return c;
}

QString originName(Standard::Origin origin)
{
    switch (origin) {
    case Standard::Origin::Measurement:
        return QStringLiteral("measurement");
    case Standard::Origin::Setup:
        return QStringLiteral("setup");
    case Standard::Origin::File:
        break;
    }
    return QStringLiteral("file");
}

QString checkPattern(const QString &name)
{
    QString pattern;
    for (const QChar c : name)
        pattern += c == u'*' || c == u'?' || c == u'[' ? QStringLiteral("[%1]").arg(c) : QString(c);
    return pattern;
}

} // namespace quvane
