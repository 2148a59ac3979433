#pragma once

#include "colour/Colorimetry.h"

#include <QString>

#include <optional>

class SensorControl;

namespace quvane {

// quvane measure: one measurement and its colour values, as text or as CGATS.17.
struct MeasureOptions
{
    Colour::Illuminant illuminant = Colour::Illuminant::D65;
    Colour::Observer observer = Colour::Observer::TenDegree;
    QString scale = QStringLiteral("lab"); // lab, lch, hunter, xyz, yxy, luv
    bool cgats = false;

    // From the option values; an error text for a value that is no option's.
    static std::optional<MeasureOptions> parse(const QString &illuminant, const QString &observer,
                                               const QString &scale, const QString &format,
                                               QString &error);
};

// The text quvane measure prints for a spectrum in percent.
QString measurementText(const Colour::Spectrum &spectrum, const MeasureOptions &options);

} // namespace quvane
