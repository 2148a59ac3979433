#include "colour/Colorimetry.h"

#include "colour/CieTables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quvane::Colour {

namespace {

constexpr double First = 380, Step = 5; // the integration: 380 to 780 nm in CIE 15's 5 nm steps
constexpr int Points = 81;
constexpr double Degrees = 180 / std::numbers::pi;

// CIE 15's daylight of a nominal temperature: the chromaticity of the daylight locus at the
// temperature on the present radiation constant (5003 K for D50), M1 and M2 from it rounded to
// three decimals, and the components S0 + M1 S1 + M2 S2. The CIE's own tables of D50, D55 and
// D75 are made this way.
double daylightAt(double nominal, double nm)
{
    using ColourData::Daylight;
    const double t = nominal * 1.4388 / 1.4380;
    const double x = t <= 7000
                         ? -4.6070e9 / (t * t * t) + 2.9678e6 / (t * t) + 0.09911e3 / t + 0.244063
                         : -2.0064e9 / (t * t * t) + 1.9018e6 / (t * t) + 0.24748e3 / t + 0.237040;
    const double y = -3 * x * x + 2.870 * x - 0.275;
    const double m = 0.0241 + 0.2562 * x - 0.7341 * y;
    const double m1 = std::round((-1.3515 - 1.7703 * x + 5.9114 * y) / m * 1000) / 1000;
    const double m2 = std::round((0.0300 - 31.4424 * x + 30.0717 * y) / m * 1000) / 1000;
    return Daylight.at(0, nm) + m1 * Daylight.at(1, nm) + m2 * Daylight.at(2, nm);
}

double illuminantAt(Illuminant illuminant, double nm)
{
    using namespace ColourData;
    switch (illuminant) {
    case Illuminant::A:
        return IlluminantA.at(0, nm);
    case Illuminant::C:
        return IlluminantC.at(0, nm);
    case Illuminant::D50:
        return daylightAt(5000, nm);
    case Illuminant::D55:
        return daylightAt(5500, nm);
    case Illuminant::D65:
        return IlluminantD65.at(0, nm);
    case Illuminant::D75:
        return daylightAt(7500, nm);
    case Illuminant::F2:
        return IlluminantF2.at(0, nm);
    case Illuminant::F7:
        return IlluminantF7.at(0, nm);
    case Illuminant::F11:
        return IlluminantF11.at(0, nm);
    }
    return 0;
}

// Sprague's points beyond the ends (CIE 167): two before the first sample, two after the last.
double before(const double *r, int k) // k = 1 or 2, from r[0] on
{
    return k == 1
               ? (508 * r[0] - 540 * r[1] + 488 * r[2] - 367 * r[3] + 144 * r[4] - 24 * r[5]) / 209
               : (884 * r[0] - 1960 * r[1] + 3033 * r[2] - 2648 * r[3] + 1080 * r[4] - 180 * r[5]) /
                     209;
}

} // namespace

QString illuminantName(Illuminant illuminant)
{
    static constexpr const char *names[] = {"A",   "C",  "D50", "D55", "D65",
                                            "D75", "F2", "F7",  "F11"};
    return QString::fromLatin1(names[static_cast<int>(illuminant)]);
}

std::optional<Illuminant> illuminantNamed(const QString &name)
{
    for (int i = 0; i < IlluminantCount; ++i) {
        if (name.compare(illuminantName(Illuminant(i)), Qt::CaseInsensitive) == 0)
            return Illuminant(i);
    }
    return std::nullopt;
}

std::array<double, Points> interpolated(const Spectrum &percent)
{
    // The samples with two of Sprague's points on either side.
    std::array<double, 35> r{};
    for (int i = 0; i < 31; ++i)
        r[static_cast<size_t>(i + 2)] = percent[static_cast<size_t>(i)];
    r[1] = before(&r[2], 1);
    r[0] = before(&r[2], 2);
    double reversed[6];
    for (int i = 0; i < 6; ++i)
        reversed[i] = r[static_cast<size_t>(32 - i)];
    r[33] = before(reversed, 1);
    r[34] = before(reversed, 2);

    std::array<double, Points> out{};
    for (int k = 0; k < Points; ++k) {
        const double nm = First + Step * k;
        if (nm <= 400) {
            out[static_cast<size_t>(k)] = percent.front();
        } else if (nm >= 700) {
            out[static_cast<size_t>(k)] = percent.back();
        } else if (static_cast<int>(nm) % 10 == 0) {
            out[static_cast<size_t>(k)] = percent[static_cast<size_t>((nm - 400) / 10)];
        } else {
            // Halfway between sample i and i + 1: the quintic through i - 2 to i + 3.
            const size_t i = static_cast<size_t>((nm - 405) / 10) + 2;
            out[static_cast<size_t>(k)] = (3 * r[i - 2] - 25 * r[i - 1] + 150 * r[i] +
                                           150 * r[i + 1] - 25 * r[i + 2] + 3 * r[i + 3]) /
                                          256;
        }
    }
    return out;
}

Colorimeter::Colorimeter(Illuminant illuminant, Observer observer)
    : m_illuminant(illuminant), m_observer(observer)
{
    const Spectral &cmf =
        observer == Observer::TwoDegree ? ColourData::Cie1931 : ColourData::Cie1964;
    // The interpolation is linear in the samples: each sample's weight is the integral of the
    // interpolated unit spectrum.
    double norm = 0;
    std::array<std::array<double, Points>, 3> weighted{};
    for (int k = 0; k < Points; ++k) {
        const double nm = First + Step * k;
        const double s = illuminantAt(illuminant, nm);
        for (int c = 0; c < 3; ++c)
            weighted[static_cast<size_t>(c)][static_cast<size_t>(k)] = s * cmf.at(c, nm);
        norm += s * cmf.at(1, nm);
    }
    for (size_t j = 0; j < 31; ++j) {
        Spectrum unit{};
        unit[j] = 1;
        const auto r = interpolated(unit);
        for (size_t c = 0; c < 3; ++c) {
            double sum = 0;
            for (size_t k = 0; k < Points; ++k)
                sum += weighted[c][k] * r[k];
            m_weights[c][j] = sum / norm; // reflectance in percent: Y of 100 % is 100
        }
    }
    Spectrum full;
    full.fill(100);
    m_white = tristimulus(full);
}

Lab Colorimeter::lab(const Spectrum &percent) const
{
    return toLab(tristimulus(percent), m_white);
}

Xyz Colorimeter::tristimulus(const Spectrum &percent) const
{
    double v[3] = {0, 0, 0};
    for (size_t j = 0; j < 31; ++j) {
        const double r = percent[j];
        v[0] += m_weights[0][j] * r;
        v[1] += m_weights[1][j] * r;
        v[2] += m_weights[2][j] * r;
    }
    return {v[0], v[1], v[2]};
}

namespace {
double labF(double t)
{
    constexpr double e = 216.0 / 24389.0, k = 24389.0 / 27.0;
    return t > e ? std::cbrt(t) : (k * t + 16) / 116;
}
double hueOf(double a, double b)
{
    if (a == 0 && b == 0)
        return 0;
    const double h = std::atan2(b, a) * Degrees;
    return h < 0 ? h + 360 : h + 0.0; // + 0.0: the hue of b* = -0 is 0, not -0
}
} // namespace

Lab toLab(const Xyz &xyz, const Xyz &white)
{
    const double fx = labF(xyz.X / white.X), fy = labF(xyz.Y / white.Y), fz = labF(xyz.Z / white.Z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

LCh toLCh(const Lab &lab)
{
    const double c = std::hypot(lab.a, lab.b);
    return {lab.L, c, c < NeutralChroma ? 0.0 : hueOf(lab.a, lab.b)};
}

double unsignedZero(double value, int decimals)
{
    return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

Yxy toYxy(const Xyz &xyz)
{
    const double sum = xyz.X + xyz.Y + xyz.Z;
    return sum > 0 ? Yxy{xyz.Y, xyz.X / sum, xyz.Y / sum} : Yxy{xyz.Y, 0, 0};
}

Luv toLuv(const Xyz &xyz, const Xyz &white)
{
    const auto uv = [](const Xyz &c) {
        const double d = c.X + 15 * c.Y + 3 * c.Z;
        return d > 0 ? std::pair{4 * c.X / d, 9 * c.Y / d} : std::pair{0.0, 0.0};
    };
    const auto [u, v] = uv(xyz);
    const auto [un, vn] = uv(white);
    const double L = toLab(xyz, white).L;
    return {L, 13 * L * (u - un), 13 * L * (v - vn)};
}

HunterCoefficients hunterCoefficients(const Xyz &white)
{
    return {175 * std::sqrt(white.X / 98.04), 70 * std::sqrt(white.Z / 118.11)};
}

Lab toHunterLab(const Xyz &xyz, const Xyz &white)
{
    const auto [ka, kb] = hunterCoefficients(white);
    const double y = xyz.Y / white.Y;
    if (y <= 0)
        return {0, 0, 0};
    const double root = std::sqrt(y);
    return {100 * root, ka * (xyz.X / white.X - y) / root, kb * (y - xyz.Z / white.Z) / root};
}

LabDifference difference(const Lab &sample, const Lab &standard)
{
    const LCh s = toLCh(sample), r = toLCh(standard);
    double dh = s.h - r.h;
    if (dh > 180)
        dh -= 360;
    else if (dh < -180)
        dh += 360;
    const double dH = 2 * std::sqrt(s.C * r.C) * std::sin(dh / 2 / Degrees);
    const double dL = sample.L - standard.L, da = sample.a - standard.a, db = sample.b - standard.b;
    return {dL, da, db, s.C - r.C, dH, std::sqrt(dL * dL + da * da + db * db)};
}

double deltaE1994(const Lab &sample, const Lab &standard, double kL, double kC, double kH)
{
    const LabDifference d = difference(sample, standard);
    const double c = toLCh(standard).C;
    const double x = d.dL / kL, y = d.dC / (kC * (1 + 0.045 * c)),
                 z = d.dH / (kH * (1 + 0.015 * c));
    return std::sqrt(x * x + y * y + z * z);
}

double deltaECmc(const Lab &sample, const Lab &standard, double l, double c)
{
    const LabDifference d = difference(sample, standard);
    const LCh r = toLCh(standard);
    const double sl = r.L < 16 ? 0.511 : 0.040975 * r.L / (1 + 0.01765 * r.L);
    const double sc = 0.0638 * r.C / (1 + 0.0131 * r.C) + 0.638;
    const double c4 = std::pow(r.C, 4);
    const double f = std::sqrt(c4 / (c4 + 1900));
    const double t = r.h >= 164 && r.h <= 345
                         ? 0.56 + std::fabs(0.2 * std::cos((r.h + 168) / Degrees))
                         : 0.36 + std::fabs(0.4 * std::cos((r.h + 35) / Degrees));
    const double sh = sc * (f * t + 1 - f);
    const double x = d.dL / (l * sl), y = d.dC / (c * sc), z = d.dH / sh;
    return std::sqrt(x * x + y * y + z * z);
}

namespace {
constexpr double TwentyFive7 = 6103515625.0; // 25^7
double pow7(double x)
{
    const double x2 = x * x;
    return x2 * x2 * x2 * x;
}
} // namespace

double deltaE2000(const Lab &sample, const Lab &standard, double kL, double kC, double kH)
{
    const Lab &one = standard, &two = sample;
    const double c1 = std::hypot(one.a, one.b), c2 = std::hypot(two.a, two.b);
    const double cBar7 = pow7((c1 + c2) / 2);
    const double g = 0.5 * (1 - std::sqrt(cBar7 / (cBar7 + TwentyFive7)));
    const double a1 = (1 + g) * one.a, a2 = (1 + g) * two.a;
    const double cp1 = std::hypot(a1, one.b), cp2 = std::hypot(a2, two.b);
    const double hp1 = hueOf(a1, one.b), hp2 = hueOf(a2, two.b);
    const double dL = two.L - one.L, dC = cp2 - cp1;
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = hp2 - hp1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 / Degrees);
    const double lBar = (one.L + two.L) / 2, cBar = (cp1 + cp2) / 2;
    double hBar = hp1 + hp2;
    if (cp1 * cp2 != 0) {
        if (std::fabs(hp1 - hp2) <= 180)
            hBar = (hp1 + hp2) / 2;
        else if (hp1 + hp2 < 360)
            hBar = (hp1 + hp2 + 360) / 2;
        else
            hBar = (hp1 + hp2 - 360) / 2;
    }
    const double t =
        1 - 0.17 * std::cos((hBar - 30) / Degrees) + 0.24 * std::cos(2 * hBar / Degrees) +
        0.32 * std::cos((3 * hBar + 6) / Degrees) - 0.20 * std::cos((4 * hBar - 63) / Degrees);
    const double hFrom275 = (hBar - 275) / 25;
    const double dTheta = 30 * std::exp(-hFrom275 * hFrom275);
    const double cBarP7 = pow7(cBar);
    const double rc = 2 * std::sqrt(cBarP7 / (cBarP7 + TwentyFive7));
    const double l50 = (lBar - 50) * (lBar - 50);
    const double sl = 1 + 0.015 * l50 / std::sqrt(20 + l50);
    const double sc = 1 + 0.045 * cBar, sh = 1 + 0.015 * cBar * t;
    const double rt = -std::sin(2 * dTheta / Degrees) * rc;
    const double x = dL / (kL * sl), y = dC / (kC * sc), z = dH / (kH * sh);
    return std::sqrt(x * x + y * y + z * z + rt * y * z);
}

double hunterDeltaE(const Lab &sample, const Lab &standard)
{
    return std::hypot(sample.L - standard.L,
                      std::hypot(sample.a - standard.a, sample.b - standard.b));
}

std::optional<double> yellownessD1925(const Xyz &xyz, Illuminant i, Observer o)
{
    // ASTM D1925: illuminant C, 2 degree observer.
    if (i != Illuminant::C || o != Observer::TwoDegree || xyz.Y <= 0)
        return std::nullopt;
    return 100 * (1.28 * xyz.X - 1.06 * xyz.Z) / xyz.Y;
}

std::optional<double> yellownessE313(const Xyz &xyz, Illuminant i, Observer o)
{
    // ASTM E313: coefficients for C and D65 with either observer.
    double cx = 0, cz = 0;
    const bool two = o == Observer::TwoDegree;
    if (i == Illuminant::C)
        std::tie(cx, cz) = two ? std::pair{1.2769, 1.0592} : std::pair{1.2871, 1.0781};
    else if (i == Illuminant::D65)
        std::tie(cx, cz) = two ? std::pair{1.2985, 1.1335} : std::pair{1.3013, 1.1498};
    if (cx == 0 || xyz.Y <= 0)
        return std::nullopt;
    return 100 * (cx * xyz.X - cz * xyz.Z) / xyz.Y;
}

namespace {
// ASTM E313's whiteness and tint: D65 with either observer, C with the 2 degree observer.
std::optional<std::pair<Yxy, Yxy>> whitenessConditions(const Xyz &xyz, Illuminant i, Observer o)
{
    const bool defined = i == Illuminant::D65 || (i == Illuminant::C && o == Observer::TwoDegree);
    if (!defined)
        return std::nullopt;
    const Colorimeter white(i, o);
    return std::pair{toYxy(xyz), toYxy(white.white())};
}
} // namespace

std::optional<double> whitenessE313(const Xyz &xyz, Illuminant i, Observer o)
{
    const auto c = whitenessConditions(xyz, i, o);
    if (!c)
        return std::nullopt;
    const auto &[s, n] = *c;
    return s.Y + 800 * (n.x - s.x) + 1700 * (n.y - s.y);
}

std::optional<double> tintE313(const Xyz &xyz, Illuminant i, Observer o)
{
    const auto c = whitenessConditions(xyz, i, o);
    if (!c)
        return std::nullopt;
    const auto &[s, n] = *c;
    return (o == Observer::TwoDegree ? 1000 : 900) * (n.x - s.x) - 650 * (n.y - s.y);
}

std::optional<double> zPercent(const Xyz &xyz, const Xyz &white)
{
    if (white.Z <= 0)
        return std::nullopt;
    return 100 * xyz.Z / white.Z;
}

std::array<double, 3> scaleValues(Scale scale, const Xyz &xyz, const Xyz &white)
{
    switch (scale) {
    case Scale::Lab:
        break;
    case Scale::LCh: {
        const LCh c = toLCh(toLab(xyz, white));
        return {c.L, c.C, c.h};
    }
    case Scale::HunterLab: {
        const Lab h = toHunterLab(xyz, white);
        return {h.L, h.a, h.b};
    }
    case Scale::Xyz:
        return {xyz.X, xyz.Y, xyz.Z};
    case Scale::Yxy: {
        const Yxy y = toYxy(xyz);
        return {y.Y, y.x, y.y};
    }
    case Scale::Luv: {
        const Luv l = toLuv(xyz, white);
        return {l.L, l.u, l.v};
    }
    }
    const Lab lab = toLab(xyz, white);
    return {lab.L, lab.a, lab.b};
}

std::optional<double> indexValue(Index index, const Xyz &xyz, const Colorimeter &meter)
{
    const Illuminant i = meter.illuminant();
    const Observer o = meter.observer();
    switch (index) {
    case Index::Y:
        return xyz.Y;
    case Index::YellownessD1925:
        return yellownessD1925(xyz, i, o);
    case Index::YellownessE313:
        return yellownessE313(xyz, i, o);
    case Index::WhitenessE313:
        return whitenessE313(xyz, i, o);
    case Index::TintE313:
        return tintE313(xyz, i, o);
    case Index::ZPercent:
        return zPercent(xyz, meter.white());
    }
    return std::nullopt;
}

Rgb toSrgb(const Xyz &xyz, const Xyz &white)
{
    // Bradford: to cone responses, scaled from the white to D65's, and back.
    constexpr double m[3][3] = {
        {0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}};
    constexpr double inverse[3][3] = {{0.9869929, -0.1470543, 0.1599627},
                                      {0.4323053, 0.5183603, 0.0492912},
                                      {-0.0085287, 0.0400428, 0.9684867}};
    const auto apply = [](const double(&a)[3][3], const double(&v)[3], double(&out)[3]) {
        for (int r = 0; r < 3; ++r)
            out[r] = a[r][0] * v[0] + a[r][1] * v[1] + a[r][2] * v[2];
    };
    const double d65[3] = {95.047, 100.0, 108.883};
    double source[3], target[3], cone[3], adapted[3];
    apply(m, {white.X, white.Y, white.Z}, source);
    apply(m, d65, target);
    apply(m, {xyz.X, xyz.Y, xyz.Z}, cone);
    for (int k = 0; k < 3; ++k)
        cone[k] *= target[k] / source[k];
    apply(inverse, cone, adapted);
    constexpr double toLinear[3][3] = {
        {3.2406, -1.5372, -0.4986}, {-0.9689, 1.8758, 0.0415}, {0.0557, -0.2040, 1.0570}};
    const double scaled[3] = {adapted[0] / 100, adapted[1] / 100, adapted[2] / 100};
    double linear[3];
    apply(toLinear, scaled, linear);
    Rgb rgb;
    int channel[3];
    for (int k = 0; k < 3; ++k) {
        double v = linear[k];
        // Out of gamut beyond the rounding of the matrices.
        if (v < -0.001 || v > 1.001)
            rgb.clipped = true;
        v = std::clamp(v, 0.0, 1.0);
        v = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
        channel[k] = static_cast<int>(std::lround(v * 255));
    }
    rgb.r = channel[0];
    rgb.g = channel[1];
    rgb.b = channel[2];
    return rgb;
}

} // namespace quvane::Colour
