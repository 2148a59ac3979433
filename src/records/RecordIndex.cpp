#include "RecordIndex.h"

#include <cmath>

float percentOf(float fraction, const char *field)
{
    const float percent = fraction * 100.0f;
    if (std::isinf(percent) && !std::isinf(fraction))
        throw QuvaneError::overflow(QStringLiteral("%1 value %2 times 100 exceeds single precision")
                                        .arg(QLatin1String(field))
                                        .arg(static_cast<double>(fraction)));
    return percent;
}
