#include "cli/MeasureCommand.h"

#include <QDateTime>
#include <QStringList>

namespace quvane {

using namespace Colour;

std::optional<MeasureOptions> MeasureOptions::parse(const QString &illuminant,
                                                    const QString &observer, const QString &scale,
                                                    const QString &format, QString &error)
{
    MeasureOptions options;
    if (!illuminant.isEmpty()) {
        const auto named = illuminantNamed(illuminant);
        if (!named) {
            error = QStringLiteral("--illuminant takes A, C, D50, D55, D65, D75, F2, F7 or F11");
            return std::nullopt;
        }
        options.illuminant = *named;
    }
    if (observer == QLatin1String("2"))
        options.observer = Observer::TwoDegree;
    else if (!observer.isEmpty() && observer != QLatin1String("10")) {
        error = QStringLiteral("--observer takes 2 or 10");
        return std::nullopt;
    }
    if (!scale.isEmpty()) {
        static const QStringList scales = {"lab", "lch", "hunter", "xyz", "yxy", "luv"};
        if (!scales.contains(scale)) {
            error = QStringLiteral("--scale takes lab, lch, hunter, xyz, yxy or luv");
            return std::nullopt;
        }
        options.scale = scale;
    }
    if (format == QLatin1String("cgats"))
        options.cgats = true;
    else if (!format.isEmpty() && format != QLatin1String("text")) {
        error = QStringLiteral("--format takes text or cgats");
        return std::nullopt;
    }
    return options;
}

namespace {

QString number(double value, int decimals)
{
    return QString::number(Colour::unsignedZero(value, decimals), 'f', decimals);
}

} // namespace

QString measurementText(const Spectrum &spectrum, const MeasureOptions &options)
{
    const Colorimeter meter(options.illuminant, options.observer);
    const Xyz xyz = meter.tristimulus(spectrum);
    const Lab lab = toLab(xyz, meter.white());
    const QString condition = QStringLiteral("%1/%2").arg(
        illuminantName(options.illuminant),
        options.observer == Observer::TwoDegree ? QStringLiteral("2") : QStringLiteral("10"));
    if (options.cgats) {
        // CGATS.17 with the field names of ISO 28178; the white is the perfect reflecting
        // diffuser under the same illuminant and observer.
        QStringList fields{QStringLiteral("SAMPLE_ID")};
        QStringList values{QStringLiteral("1")};
        for (int i = 0; i < 31; ++i) {
            fields << QStringLiteral("SPEC_%1").arg(400 + 10 * i);
            values << number(spectrum[static_cast<size_t>(i)], 3);
        }
        fields << "XYZ_X"
               << "XYZ_Y"
               << "XYZ_Z"
               << "LAB_L"
               << "LAB_A"
               << "LAB_B";
        values << number(xyz.X, 4) << number(xyz.Y, 4) << number(xyz.Z, 4) << number(lab.L, 4)
               << number(lab.a, 4) << number(lab.b, 4);
        return QStringLiteral("CGATS.17\n"
                              "ORIGINATOR \"quvane\"\n"
                              "CREATED \"%1\"\n"
                              "KEYWORD \"ILLUMINANT_OBSERVER\"\n"
                              "ILLUMINANT_OBSERVER \"%2\"\n"
                              "SPECTRAL_BANDS \"31\"\n"
                              "SPECTRAL_START_NM \"400\"\n"
                              "SPECTRAL_END_NM \"700\"\n"
                              "SPECTRAL_NORM \"100\"\n"
                              "NUMBER_OF_FIELDS %3\n"
                              "BEGIN_DATA_FORMAT\n%4\nEND_DATA_FORMAT\n"
                              "NUMBER_OF_SETS 1\n"
                              "BEGIN_DATA\n%5\nEND_DATA\n")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate), condition)
            .arg(fields.size())
            .arg(fields.join(QLatin1Char('\t')), values.join(QLatin1Char('\t')));
    }
    QString text = QStringLiteral("Reflectance (%):\n");
    for (int i = 0; i < 31; ++i)
        text += QStringLiteral("  %1 nm  %2\n")
                    .arg(400 + 10 * i)
                    .arg(number(spectrum[static_cast<size_t>(i)], 3), 7);
    text += QStringLiteral("Illuminant/observer:  %1\n").arg(condition);
    text += QStringLiteral("XYZ:                  %1 %2 %3\n")
                .arg(number(xyz.X, 2), number(xyz.Y, 2), number(xyz.Z, 2));
    if (options.scale == QLatin1String("xyz"))
        return text;
    static constexpr std::tuple<const char *, Scale, const char *> scales[] = {
        {"lab", Scale::Lab, "L* a* b*:"},
        {"lch", Scale::LCh, "L* C* h:"},
        {"hunter", Scale::HunterLab, "Hunter L a b:"},
        {"yxy", Scale::Yxy, "Y x y:"},
        {"luv", Scale::Luv, "L* u* v*:"}};
    QString name;
    std::array<double, 3> v{};
    for (const auto &[option, scale, label] : scales) {
        if (options.scale == QLatin1String(option)) {
            name = QLatin1String(label);
            v = scaleValues(scale, xyz, meter.white());
        }
    }
    const int decimals = options.scale == QLatin1String("yxy") ? 4 : 2;
    text += QStringLiteral("%1%2 %3 %4\n")
                .arg(name, -22)
                .arg(number(v[0], 2), number(v[1], decimals), number(v[2], decimals));
    return text;
}

} // namespace quvane
