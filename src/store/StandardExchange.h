#pragma once

#include "store/HistoryStore.h"
#include "store/Standard.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace quvane {

// Standards as CxF3 (ISO 17972-1): each an Object of ObjectType "Standard" with its reflectance
// spectrum (400 to 700 nm by 10, as reflectance factors 0 to 1) or its CIE L*a*b* values, each
// under a ColorSpecification that names the illuminant and observer (and, for a spectrum, the
// measurement: reflectance, 45/0, the wavelength range). What CxF3 has no element for (the
// tolerance set, the origin, the revision, a verification tile's mark and certificate) travels
// as the object's tags, named "quvane.*".
QByteArray standardsToCxf(const QList<Standard> &standards, const QDateTime &made);
// Standards and measurements in one file: each measurement an Object of ObjectType "Trial"
// named by its sample ID, taken at its CreationDate, its spectrum under the first standard's
// condition (D65/10 without one) and what else the history knows of it (instrument, record,
// set-up, product, source, station, operator, the standard it was judged against) as tags.
QByteArray cxfDocument(const QList<Standard> &standards, const QList<StoredMeasurement> &trials,
                       const QDateTime &made);

// The Standard objects of a CxF3 file (Trial objects are left out); a spectrum of another range
// or step is taken at 400 to 700 nm by 10 where it has those wavelengths. Fails with the reason,
// naming the line, for a file that is not CxF3 or an object it cannot read.
QList<Standard> standardsFromCxf(const QByteArray &cxf, QString *error);
// The Trial objects of a CxF3 file as measurements to import (the standards are left out); an
// object without a spectrum or a creation date fails the file.
QList<Measurement> measurementsFromCxf(const QByteArray &cxf, QString *error);
// Both at once, from one reading of the file; none (and the reason) for a file that fails.
struct CxfContents
{
    QList<Standard> standards;
    QList<Measurement> trials;
};
std::optional<CxfContents> readCxf(const QByteArray &cxf, QString *error);

} // namespace quvane
