#pragma once

#include <QString>
#include <QtGlobal>

namespace quvane {

// The texts of the set-up codes, as the set-up editor lists them and quvane setup prints
// them: item 0 standard type, 1 display mode, 2 illuminant, 3 observer, 4 colour scale, 5 colour
// index, 6 difference scale, 7 difference index. They use the datalog tables' texts where
// they name the same thing. A code without a text is given as its number.
QString SetupChoiceText(qint32 anItem, qint32 aCode);

// The labels of the standard's values and their tolerances: a scale's own components (L*, a*,
// b* for CIE L*a*b*), an index's name; for the differences, their deltas.
QString ScaleLabel(qint32 aColorScale, int aComponent);
QString IndexLabel(qint32 aColorIndex);
QString DiffScaleLabel(qint32 aColorDiffScale, int aComponent);
QString DiffIndexLabel(qint32 aColorDiffIndex);

} // namespace quvane
