#pragma once

#include "store/Standard.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace quvane {

// Standards as CxF3 (ISO 17972-1): each an Object of ObjectType "Standard" with its reflectance
// spectrum (400 to 700 nm by 10, as reflectance factors 0 to 1) or its CIE L*a*b* values, each
// under a ColorSpecification that names the illuminant and observer (and, for a spectrum, the
// measurement: reflectance, 45/0, the wavelength range). What CxF3 has no element for (the
// tolerance set, the origin, the revision) travels as the object's tags, named "quvane.*".
QByteArray standardsToCxf(const QList<Standard> &standards, const QDateTime &made);

// The Standard objects of a CxF3 file (Trial objects are left out); a spectrum of another range
// or step is taken at 400 to 700 nm by 10 where it has those wavelengths. Fails with the reason,
// naming the line, for a file that is not CxF3 or an object it cannot read.
QList<Standard> standardsFromCxf(const QByteArray &cxf, QString *error);

} // namespace quvane
