#pragma once

#include <QString>

#include <array>
#include <optional>

namespace quvane {

// Colour values from the instrument's spectra: 31 reflectances in percent, 400 to 700 nm in
// 10 nm steps. See docs/colour.md for the method, the data and the formulas.
namespace Colour {

// The illuminants and observers of the datalog's illuminant/observer table, in its order.
enum class Illuminant
{
    A,
    C,
    D50,
    D55,
    D65,
    D75,
    F2,
    F7,
    F11
};
enum class Observer
{
    TwoDegree,
    TenDegree
};
constexpr int IlluminantCount = 9;

QString illuminantName(Illuminant illuminant);
std::optional<Illuminant> illuminantNamed(const QString &name); // "D65", any case

using Spectrum = std::array<float, 31>;

struct Xyz
{
    double X = 0, Y = 0, Z = 0;
};
struct Lab
{
    double L = 0, a = 0, b = 0;
};
struct LCh
{
    double L = 0, C = 0, h = 0; // h in degrees, 0 to 360
};
struct Yxy
{
    double Y = 0, x = 0, y = 0;
};
struct Luv
{
    double L = 0, u = 0, v = 0;
};

// Tristimulus values of spectra under one illuminant and observer, normalised so that the
// perfect reflecting diffuser has Y = 100. Built once for a condition; each spectrum then costs
// 93 multiplications (the interpolation and the integration are folded into its weights).
class Colorimeter
{
public:
    Colorimeter(Illuminant illuminant, Observer observer);

    Xyz tristimulus(const Spectrum &percent) const;
    // The perfect reflecting diffuser: the white point.
    const Xyz &white() const { return m_white; }
    Illuminant illuminant() const { return m_illuminant; }
    Observer observer() const { return m_observer; }

    Lab lab(const Spectrum &percent) const;

private:
    Illuminant m_illuminant;
    Observer m_observer;
    std::array<std::array<double, 31>, 3> m_weights{};
    Xyz m_white;
};

// The reflectance at 5 nm steps from 380 to 780 nm: interpolated between the instrument's
// 10 nm points by Sprague's quintic (CIE 167), held at the end values outside 400 to 700 nm.
std::array<double, 81> interpolated(const Spectrum &percent);

Lab toLab(const Xyz &xyz, const Xyz &white);
// A colour whose C* is below this shows 0.00 and has no hue: its h is 0, whatever direction the
// rounding noise of its a* and b* points in.
constexpr double NeutralChroma = 0.005;
LCh toLCh(const Lab &lab);

// The value to show with so many decimals: +0 where it rounds to zero, so that no "-0.00" is
// shown; otherwise the value itself.
double unsignedZero(double value, int decimals);
Yxy toYxy(const Xyz &xyz);
Luv toLuv(const Xyz &xyz, const Xyz &white);
// Hunter Lab's Ka and Kb for a white: Ka = 175 sqrt(Xn / 98.04), Kb = 70 sqrt(Zn / 118.11),
// the relation Hunter's published constants follow (172.30 and 67.20 for D65/2).
struct HunterCoefficients
{
    double ka, kb;
};
HunterCoefficients hunterCoefficients(const Xyz &white);
Lab toHunterLab(const Xyz &xyz, const Xyz &white);

// Differences between a sample and a standard.
struct LabDifference
{
    double dL, da, db, dC, dH, dE;
};
LabDifference difference(const Lab &sample, const Lab &standard);
// The parametric factors kL, kC, kH of CIE94 and CIEDE2000 default to 1 (reference conditions);
// CIE94's weights are those of graphic arts (K1 0.045, K2 0.015).
double deltaE1994(const Lab &sample, const Lab &standard, double kL = 1, double kC = 1,
                  double kH = 1);
double deltaE2000(const Lab &sample, const Lab &standard, double kL = 1, double kC = 1,
                  double kH = 1);
double deltaECmc(const Lab &sample, const Lab &standard, double l = 2, double c = 1);
double hunterDeltaE(const Lab &sample, const Lab &standard);

// The scales by name, and their three values for a colour under a white.
enum class Scale
{
    Lab,
    LCh,
    HunterLab,
    Xyz,
    Yxy,
    Luv
};
std::array<double, 3> scaleValues(Scale scale, const Xyz &xyz, const Xyz &white);

// Indices, each for the conditions its standard defines it for; "not defined" elsewhere.
std::optional<double> yellownessD1925(const Xyz &xyz, Illuminant, Observer);
std::optional<double> yellownessE313(const Xyz &xyz, Illuminant, Observer);
std::optional<double> whitenessE313(const Xyz &xyz, Illuminant, Observer);
std::optional<double> tintE313(const Xyz &xyz, Illuminant, Observer);
std::optional<double> zPercent(const Xyz &xyz, const Xyz &white);

enum class Index
{
    Y,
    YellownessD1925,
    YellownessE313,
    WhitenessE313,
    TintE313,
    ZPercent
};
// An index of a colour measured by this colorimeter; "not defined" where its standard does not
// define it for the colorimeter's conditions.
std::optional<double> indexValue(Index index, const Xyz &xyz, const Colorimeter &meter);

// An sRGB rendering: adapted to D65 by the Bradford transform, gamma encoded, 0 to 255;
// clipped says a channel fell outside the gamut and was clipped.
struct Rgb
{
    int r = 0, g = 0, b = 0;
    bool clipped = false;
};
Rgb toSrgb(const Xyz &xyz, const Xyz &white);

} // namespace Colour

} // namespace quvane
