#include "records/ColorValues.h"

#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "records/Measurement.h"

#include <cmath>

namespace quvane {

namespace {

size_t checkedIndex(int anIndex, int size, const char *property)
{
    if (anIndex < 1 || anIndex > size)
        throw QuvaneError(ErrorNumber::SubscriptOutOfRange,
                          QStringLiteral("Subscript out of range: %1(%2) takes 1 to %3")
                              .arg(QLatin1String(property))
                              .arg(anIndex)
                              .arg(size));
    return static_cast<size_t>(anIndex - 1);
}

} // namespace

float ScaleDataAt(const Measurement &measurement, int anIndex)
{
    return measurement.scaleData[checkedIndex(anIndex, 3, "ScaleData")];
}

float SpectrumAt(const Measurement &measurement, int anIndex)
{
    return measurement.spectrum[checkedIndex(anIndex, 31, "Spectrum")];
}

void readSpectrum(PacketBuffer &packet, Colour::Spectrum &spectrum)
{
    for (float &value : spectrum) {
        const float fraction = packet.GetSingle();
        value = fraction * 100.0f;
        if (std::isinf(value) && !std::isinf(fraction))
            throw QuvaneError::overflow(
                QStringLiteral("the reflectance %1 times 100 exceeds single precision")
                    .arg(static_cast<double>(fraction)));
    }
}

} // namespace quvane
