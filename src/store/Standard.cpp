#include "store/Standard.h"

#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"

namespace quvane {

std::optional<Standard> Standard::fromSetup(const QVSetup &setup, const QString &instrument)
{
    Standard standard;
    standard.origin = Origin::Setup;
    standard.instrument = instrument;
    standard.setup = setup.SetupNumber;
    standard.name = setup.ProductName.trimmed();
    standard.observer = Codes::observer(setup.Observer);
    if (const std::optional<Colour::Illuminant> illuminant = Codes::illuminant(setup.Illuminant))
        standard.illuminant = *illuminant;
    if (setup.Spectral) {
        standard.spectrum = setup.spectrum();
    } else if (setup.ColorScale == Codes::ScaleCieLab) {
        standard.spectral = false;
        standard.lab = {setup.ScaleData(1), setup.ScaleData(2), setup.ScaleData(3)};
    } else {
        return std::nullopt;
    }
    return standard;
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

} // namespace quvane
