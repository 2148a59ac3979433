// Colour values against independent sources: Argyll CMS's spec2cie on the same spectra, the
// published CIEDE2000 test data, and cases worked by hand from the formulas' definitions.
#include "colour/Colorimetry.h"
#include "sim/SampleCatalogue.h"
#include "sim/SimInstrument.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace quvane;
using namespace quvane::Colour;

namespace {

constexpr Observer Observers[] = {Observer::TwoDegree, Observer::TenDegree};

Spectrum flat(float percent)
{
    Spectrum s;
    s.fill(percent);
    return s;
}

// Over 200 spectra: flat greys, narrow and wide bands across the range (saturated colours),
// the same dark, edges rising and falling, smooth random curves and the simulator's samples.
std::vector<Spectrum> testSpectra()
{
    std::vector<Spectrum> all;
    for (float grey : {100.f, 0.5f, 1.f, 2.f, 5.f, 10.f, 18.f, 30.f, 50.f, 70.f, 90.f})
        all.push_back(flat(grey));
    for (double width : {25.0, 50.0}) {
        for (int centre = 400; centre <= 700; centre += 10) {
            Spectrum bright, dark;
            for (int i = 0; i < 31; ++i) {
                const double d = (400 + 10 * i - centre) / width;
                bright[size_t(i)] = float(4 + 86 * std::exp(-d * d));
                dark[size_t(i)] = bright[size_t(i)] / 10;
            }
            all.push_back(bright);
            all.push_back(dark);
        }
    }
    for (int edge = 420; edge <= 680; edge += 20) {
        Spectrum rising, falling;
        for (int i = 0; i < 31; ++i) {
            const double t = 1 / (1 + std::exp(-(400 + 10 * i - edge) / 12.0));
            rising[size_t(i)] = float(3 + 85 * t);
            falling[size_t(i)] = float(88 - 85 * t);
        }
        all.push_back(rising);
        all.push_back(falling);
    }
    unsigned seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) % 10000 / 10000.0; };
    for (int k = 0; k < 30; ++k) {
        const double a = next() * 40, b = next() * 30, p = next() * 6, q = next() * 6;
        Spectrum s;
        for (int i = 0; i < 31; ++i)
            s[size_t(i)] = float(
                std::clamp(45 + a * std::sin(i / 5.0 + p) + b * std::cos(i / 3.0 + q), 0.5, 99.5));
        all.push_back(s);
    }
    for (const Sample &sample : SampleCatalogue::samples())
        all.push_back(sample.reflectance);
    return all;
}

TEST(Colorimetry, FlatSpectraAreNeutralGreysOfTheirReflectance)
{
    for (int i = 0; i < IlluminantCount; ++i) {
        for (Observer o : Observers) {
            const Colorimeter meter(Illuminant(i), o);
            EXPECT_NEAR(meter.white().Y, 100, 1e-9);
            for (float r : {0.0f, 3.0f, 18.0f, 50.0f, 100.0f}) {
                const Xyz xyz = meter.tristimulus(flat(r));
                const Lab lab = toLab(xyz, meter.white());
                EXPECT_NEAR(xyz.Y, r, 0.001) << i;
                EXPECT_NEAR(lab.a, 0, 0.001) << i;
                EXPECT_NEAR(lab.b, 0, 0.001) << i;
            }
        }
    }
    // The interpolation passes through the samples and follows a straight line exactly.
    Spectrum ramp;
    for (int i = 0; i < 31; ++i)
        ramp[size_t(i)] = float(2 * i + 1);
    const auto fine = interpolated(ramp);
    for (int k = 4; k <= 64; ++k)
        EXPECT_NEAR(fine[size_t(k)], 1 + (k - 4) * 1.0, 1e-9) << k;
    EXPECT_EQ(fine[0], 1.0);
    EXPECT_EQ(fine[80], 61.0);
}

// The 34 pairs of Sharma, Wu and Dalal (2005), Table 1, to four decimals.
TEST(Colorimetry, DeltaE2000MatchesThePublishedTestData)
{
    const double pairs[34][7] = {
        {50.0000, 2.6772, -79.7751, 50.0000, 0.0000, -82.7485, 2.0425},
        {50.0000, 3.1571, -77.2803, 50.0000, 0.0000, -82.7485, 2.8615},
        {50.0000, 2.8361, -74.0200, 50.0000, 0.0000, -82.7485, 3.4412},
        {50.0000, -1.3802, -84.2814, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, -1.1848, -84.8006, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, -0.9009, -85.5211, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, 0.0000, 0.0000, 50.0000, -1.0000, 2.0000, 2.3669},
        {50.0000, -1.0000, 2.0000, 50.0000, 0.0000, 0.0000, 2.3669},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0009, 7.1792},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0010, 7.1792},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0011, 7.2195},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0012, 7.2195},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0009, -2.4900, 4.8045},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0010, -2.4900, 4.8045},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0011, -2.4900, 4.7461},
        {50.0000, 2.5000, 0.0000, 50.0000, 0.0000, -2.5000, 4.3065},
        {50.0000, 2.5000, 0.0000, 73.0000, 25.0000, -18.0000, 27.1492},
        {50.0000, 2.5000, 0.0000, 61.0000, -5.0000, 29.0000, 22.8977},
        {50.0000, 2.5000, 0.0000, 56.0000, -27.0000, -3.0000, 31.9030},
        {50.0000, 2.5000, 0.0000, 58.0000, 24.0000, 15.0000, 19.4535},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.1736, 0.5854, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.2972, 0.0000, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 1.8634, 0.5757, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.2592, 0.3350, 1.0000},
        {60.2574, -34.0099, 36.2677, 60.4626, -34.1751, 39.4387, 1.2644},
        {63.0109, -31.0961, -5.8663, 62.8187, -29.7946, -4.0864, 1.2630},
        {61.2901, 3.7196, -5.3901, 61.4292, 2.2480, -4.9620, 1.8731},
        {35.0831, -44.1164, 3.7933, 35.0232, -40.0716, 1.5901, 1.8645},
        {22.7233, 20.0904, -46.6940, 23.0331, 14.9730, -42.5619, 2.0373},
        {36.4612, 47.8580, 18.3852, 36.2715, 50.5065, 21.2231, 1.4146},
        {90.8027, -2.0831, 1.4410, 91.1528, -1.6435, 0.0447, 1.4441},
        {90.9257, -0.5406, -0.9208, 88.6381, -0.8985, -0.7239, 1.5381},
        {6.7747, -0.2908, -2.4247, 5.8714, -0.0985, -2.2286, 0.6377},
        {2.0776, 0.0795, -1.1350, 0.9033, -0.0636, -0.5514, 0.9082},
    };
    for (const auto &p : pairs) {
        const Lab one{p[0], p[1], p[2]}, two{p[3], p[4], p[5]};
        EXPECT_NEAR(deltaE2000(two, one), p[6], 0.00005) << p[0] << " " << p[1] << " " << p[2];
        EXPECT_NEAR(deltaE2000(one, two), p[6], 0.00005); // symmetric
    }
}

// Cases worked by hand from the defining formulas.
TEST(Colorimetry, OtherDifferencesAndIndicesFollowTheirDefinitions)
{
    // CIE76 and its parts: a pure chroma step of 3 at hue 0 (CIE 15).
    const LabDifference d = difference({50, 23, 0}, {50, 20, 0});
    EXPECT_DOUBLE_EQ(d.dE, 3);
    EXPECT_DOUBLE_EQ(d.dC, 3);
    EXPECT_NEAR(d.dH, 0, 1e-12);
    // A pure hue step: 90 degrees at chroma 10: dH = 2 sqrt(100) sin 45.
    EXPECT_NEAR(difference({50, 0, 10}, {50, 10, 0}).dH, 20 * std::sin(M_PI / 4), 1e-12);
    // CIE94 (graphic arts): SC = 1 + 0.045 C*, standard's C* = 20: dC 3 gives 3 / 1.9.
    EXPECT_NEAR(deltaE1994({50, 23, 0}, {50, 20, 0}), 3 / 1.9, 1e-12);
    // CMC(2:1), standard L 50, C 20, h 0: SL = 0.040975*50/(1+0.8825), SC = 0.0638*20/1.262 +
    // 0.638, F = sqrt(160000/161900), T = 0.36 + |0.4 cos 35|; a lightness step of 1.
    const double sl = 0.040975 * 50 / (1 + 0.01765 * 50);
    EXPECT_NEAR(deltaECmc({51, 20, 0}, {50, 20, 0}), 1 / (2 * sl), 1e-12);
    // Hunter Lab of the white is 100, 0, 0; of Y = 25 % grey L = 50.
    const Colorimeter c2(Illuminant::C, Observer::TwoDegree);
    const Lab hunter = toHunterLab(c2.tristimulus(flat(25)), c2.white());
    EXPECT_NEAR(hunter.L, 50, 1e-9);
    EXPECT_NEAR(hunter.a, 0, 1e-9);
    EXPECT_NEAR(hunterDeltaE({50, 1, 0}, {50, 0, 0}), 1, 1e-12);
    // ASTM D1925 and E313 by their formulas, only where they are defined.
    const Xyz xyz{80, 85, 70};
    EXPECT_NEAR(*yellownessD1925(xyz, Illuminant::C, Observer::TwoDegree),
                100 * (1.28 * 80 - 1.06 * 70) / 85, 1e-12);
    EXPECT_FALSE(yellownessD1925(xyz, Illuminant::D65, Observer::TenDegree));
    EXPECT_NEAR(*yellownessE313(xyz, Illuminant::D65, Observer::TenDegree),
                100 * (1.3013 * 80 - 1.1498 * 70) / 85, 1e-12);
    EXPECT_FALSE(yellownessE313(xyz, Illuminant::A, Observer::TwoDegree));
    // A perfect white has whiteness 100 and tint 0; F2 defines neither.
    const Colorimeter d65(Illuminant::D65, Observer::TenDegree);
    EXPECT_NEAR(*whitenessE313(d65.white(), Illuminant::D65, Observer::TenDegree), 100, 1e-9);
    EXPECT_NEAR(*tintE313(d65.white(), Illuminant::D65, Observer::TenDegree), 0, 1e-9);
    EXPECT_FALSE(whitenessE313(d65.white(), Illuminant::F2, Observer::TenDegree));
    EXPECT_NEAR(*zPercent({10, 10, 54.4415}, {100, 100, 108.883}), 50, 1e-9);
    // sRGB: the D65 white is 255, 255, 255; a saturated green falls outside and is clipped.
    const Rgb white = toSrgb(d65.white(), d65.white());
    EXPECT_EQ(white.r, 255);
    EXPECT_EQ(white.g, 255);
    EXPECT_EQ(white.b, 255);
    EXPECT_FALSE(white.clipped);
    EXPECT_TRUE(toSrgb({15, 60, 5}, d65.white()).clipped);
}

// The simulated instrument stores what its spectra give: L*a*b* and L*C*h for its records'
// D65/10 and the yellowness E313 defines for it, as an instrument computes them.
TEST(Colorimetry, TheSimulatorsRecordsCarryTheValuesOfTheirSpectra)
{
    SimInstrument sim;
    sim.seedDatalog(5);
    const Colorimeter d65(Illuminant::D65, Observer::TenDegree);
    for (const SimLogRecord &r : sim.datalog()) {
        ASSERT_EQ(r.illuminant + 9 * r.observer, 13); // D65/10 in the datalog's table
        const Lab lab = d65.lab(r.spectrum);
        const LCh lch = toLCh(lab);
        EXPECT_NEAR(r.scaleData[0], lab.L, 0.001);
        EXPECT_NEAR(r.scaleData[1], lab.a, 0.001);
        EXPECT_NEAR(r.scaleData[2], lab.b, 0.001);
        EXPECT_NEAR(r.scaleData[4], lch.C, 0.001);
        EXPECT_EQ(r.colorIndex, 3);
        EXPECT_NEAR(
            r.indexData[0],
            *yellownessE313(d65.tristimulus(r.spectrum), Illuminant::D65, Observer::TenDegree),
            0.001);
    }
}

// Argyll CMS's spec2cie on the same spectra, under its built-in illuminants and colord's files
// for the fluorescent lamps, with both observers: L*a*b* from its XYZ against the white of the
// same illuminant (the first spectrum, a flat 100 %).
TEST(Colorimetry, AgreesWithArgyllsSpec2cie)
{
    const QString spec2cie = QStandardPaths::findExecutable(QStringLiteral("spec2cie"));
    if (spec2cie.isEmpty())
        GTEST_SKIP() << "spec2cie (Debian package argyll) is not installed";
    const std::vector<Spectrum> spectra = testSpectra();
    ASSERT_GE(spectra.size(), 200u);
    ASSERT_EQ(spectra.front(), flat(100)); // the white of each run

    QTemporaryDir dir;
    QFile in(dir.filePath(QStringLiteral("in.ti3")));
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    QByteArray text = "CTI3\n\nDESCRIPTOR \"spectra\"\nORIGINATOR \"quvane tests\"\n"
                      "KEYWORD \"DEVICE_CLASS\"\nDEVICE_CLASS \"OUTPUT\"\n"
                      "KEYWORD \"COLOR_REP\"\nCOLOR_REP \"RGB_XYZ\"\n"
                      "KEYWORD \"SPECTRAL_BANDS\"\nSPECTRAL_BANDS \"31\"\n"
                      "KEYWORD \"SPECTRAL_START_NM\"\nSPECTRAL_START_NM \"400.0\"\n"
                      "KEYWORD \"SPECTRAL_END_NM\"\nSPECTRAL_END_NM \"700.0\"\n"
                      "KEYWORD \"SPECTRAL_NORM\"\nSPECTRAL_NORM \"100.0\"\n\n"
                      "NUMBER_OF_FIELDS 35\nBEGIN_DATA_FORMAT\nSAMPLE_ID RGB_R RGB_G RGB_B";
    for (int i = 0; i < 31; ++i)
        text += " SPEC_" + QByteArray::number(400 + 10 * i);
    text += "\nEND_DATA_FORMAT\n\nNUMBER_OF_SETS " + QByteArray::number(qsizetype(spectra.size())) +
            "\nBEGIN_DATA\n";
    for (size_t k = 0; k < spectra.size(); ++k) {
        text += QByteArray::number(qsizetype(k + 1)) + " 0 0 0";
        for (float v : spectra[k])
            text += " " + QByteArray::number(v, 'f', 4);
        text += "\n";
    }
    in.write(text + "END_DATA\n");
    in.close();

    const struct
    {
        Illuminant illuminant;
        QString argument;
    } conditions[] = {
        {Illuminant::A, "A"},
        {Illuminant::C, "C"},
        {Illuminant::D50, "D50"},
        {Illuminant::D65, "D65"},
        {Illuminant::F2, "/usr/share/colord/illuminant/CIE-F2.sp"},
        {Illuminant::F7, "/usr/share/colord/illuminant/CIE-F7.sp"},
        {Illuminant::F11, "/usr/share/colord/illuminant/CIE-F11.sp"},
    };
    for (const auto &c : conditions) {
        for (Observer o : Observers) {
            const QString out = dir.filePath(QStringLiteral("out.ti3"));
            QFile::remove(out);
            QProcess run;
            run.start(spec2cie,
                      {"-n", "-i", c.argument, "-o",
                       o == Observer::TwoDegree ? "1931_2" : "1964_10", in.fileName(), out});
            ASSERT_TRUE(run.waitForFinished(30000));
            ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().constData();
            QFile result(out);
            ASSERT_TRUE(result.open(QIODevice::ReadOnly));
            const QByteArray all = result.readAll();
            const QList<QByteArray> lines = all.mid(all.indexOf("BEGIN_DATA\n") + 11).split('\n');
            std::vector<Xyz> theirs;
            for (const QByteArray &line : lines) {
                if (line.startsWith("END_DATA"))
                    break;
                const QList<QByteArray> f = line.simplified().split(' ');
                if (f.size() < 7)
                    continue;
                theirs.push_back({f[4].toDouble(), f[5].toDouble(), f[6].toDouble()});
            }
            ASSERT_EQ(theirs.size(), spectra.size());
            const Colorimeter ours(c.illuminant, o);
            double worst = 0;
            for (size_t k = 0; k < spectra.size(); ++k) {
                const Lab a = toLab(theirs[k], theirs.front());
                const Lab b = ours.lab(spectra[k]);
                const double de = difference(a, b).dE;
                worst = std::max(worst, de);
                EXPECT_LE(de, 1.0) << c.argument.toStdString() << " spectrum " << k + 1;
            }
            std::printf("spec2cie %s %s: largest dE*ab %.3f over %zu spectra\n",
                        qPrintable(illuminantName(c.illuminant)),
                        o == Observer::TwoDegree ? "2" : "10", worst, spectra.size());
        }
    }
}

} // namespace
