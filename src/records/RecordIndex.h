#pragma once

#include "QuvaneError.h"

// Checks a 1-based index of a record's array property; outside 1..size raises the out-of-range
// error (9) naming the property.
inline int checkedIndex(int anIndex, int size, const char *property)
{
    if (anIndex < 1 || anIndex > size)
        throw QuvaneError(ErrorNumber::SubscriptOutOfRange,
                          QStringLiteral("Subscript out of range: %1(%2) takes 1 to %3")
                              .arg(QLatin1String(property))
                              .arg(anIndex)
                              .arg(size));
    return anIndex - 1;
}

// A reflectance fraction from the instrument in percent; one that overflows single precision
// raises overflow (6).
float percentOf(float fraction, const char *field);
