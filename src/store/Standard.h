#pragma once

#include "colour/Tolerance.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

class QVSetup;

namespace quvane {

// A standard a lab judges its batches against: a spectrum, or (from a set-up that keeps none)
// CIE L*a*b* values with the illuminant and observer they are under; and where it came from.
struct Standard
{
    enum class Origin
    {
        Measurement, // a measurement of the history (measurement: its ID)
        Setup,       // set-up `setup` of instrument `instrument`, read at `created`
        File         // a CGATS file's first row
    };

    QString name;
    Origin origin = Origin::Measurement;
    qint64 measurement = 0;
    QString instrument;
    int setup = 0;
    QDateTime created, changed; // by the station's clock
    int revision = 1;           // one more at each change
    bool spectral = true;
    Colour::Spectrum spectrum{};
    // Without a spectrum: the values and their conditions.
    Colour::Illuminant illuminant = Colour::Illuminant::D65;
    Colour::Observer observer = Colour::Observer::TenDegree;
    std::array<double, 3> lab{};
    // How it judges; none: the default set (toleranceSet()).
    std::optional<Colour::ToleranceSet> tolerance;
    // A verification tile: its values are certified (by the certificate named), and a
    // measurement whose sample ID is its name is a check of the instrument that took it.
    bool verification = false;
    QString certificate;

    // The tolerance set, or the default one: dE 2000 within 1.0 under the standard's own
    // illuminant and observer.
    Colour::ToleranceSet toleranceSet() const;
    // The standard's colour as the tolerances judge it.
    Colour::StandardColour colour() const;

    // A set-up's standard: its spectrum, or its values as L*a*b* under its illuminant and
    // observer (setupStandard()), with the set-up's tolerance (the first of setupTolerances():
    // its difference index's, else its box); none when it keeps neither.
    static std::optional<Standard> fromSetup(const QVSetup &setup, const QString &instrument);
};

QString originName(Standard::Origin origin);

// The sample pattern (of HistoryFilter) that matches the name exactly: a verification tile's
// checks.
QString checkPattern(const QString &name);

} // namespace quvane
