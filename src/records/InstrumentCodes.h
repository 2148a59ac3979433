#pragma once

#include "colour/Colorimetry.h"

#include <optional>

namespace quvane::Codes {

// The instrument's codes for measuring conditions, scales and indices, mapped once to the
// colour library's. Set-ups ("P", the editor) and the records read with "K" number them one
// way; the datalog's bulk records ("Q1", DATALOG.QV3) another (their texts are in CodeText.h).

// Set-up and "K" record codes.
enum SetupStandardType : qint32
{
    StandardPhysical = 0,
    StandardWorking = 1,
    StandardNumeric = 2, // a standard of numbers alone: no spectrum
    StandardHitch = 3,
};
enum SetupScale : qint32
{
    NoScale = 0,
    ScaleCieLab = 1,
    ScaleCieLCh = 2,
    ScaleHunterLab = 3,
    ScaleXyz = 4,
    ScaleYxy = 5,
    ScaleCieLuv = 8,
};
enum SetupDiffScale : qint32
{
    DiffScaleLab = 1,      // dL*a*b*
    DiffScaleLCh = 2,      // dL*C*H*
    DiffScaleStrength = 7, // which sets the difference index to strength
};
enum SetupIndex : qint32
{
    NoIndex = 0,
    IndexY = 1,
    IndexYellownessD1925 = 2,
    IndexYellownessE313 = 3,
    IndexWhitenessE313 = 12,
    IndexTintE313 = 13,
    IndexZPercent = 14,
};
enum SetupDiffIndex : qint32
{
    DiffIndexHunterDeltaE = 4,
    DiffIndexDeltaEab = 7,
    DiffIndexDeltaE2000 = 9,
    DiffIndexCmc = 11,
    DiffIndexStrength = 10,
};
// The observer: 0 is the 2-degree observer, any other code the 10-degree.
Colour::Observer observer(qint32 code);
// The illuminant, in Colour::Illuminant's order (0 A to 8 F11); none outside it.
std::optional<Colour::Illuminant> illuminant(qint32 code);
std::optional<Colour::Scale> scale(qint32 setupScale);
std::optional<Colour::Index> index(qint32 setupIndex);

// Datalog codes: the illuminant/observer pair (0 to 8 the illuminants with the 2-degree observer,
// 9 to 17 with the 10-degree), scales 1 to 5 as the set-up's, indices 1 to 6 (Y, YI D1925,
// YI E313, WI E313, Tint, Z%).
struct Conditions
{
    Colour::Illuminant illuminant;
    Colour::Observer observer;
};
std::optional<Conditions> datalogConditions(qint32 code);
std::optional<Colour::Index> datalogIndex(qint32 code);

} // namespace quvane::Codes
