#pragma once

#include <QString>
#include <QtGlobal>

namespace quvane {

// The texts of the set-up codes, as the set-up editor lists them and quvane setup prints
// them: item 0 standard type, 1 display mode, 2 illuminant, 3 observer, 4 colour scale, 5 colour
// index, 6 difference scale, 7 difference index. They use the datalog tables' texts where
// they name the same thing. A code without a text is given as its number.
QString SetupChoiceText(qint32 anItem, qint32 aCode);

} // namespace quvane
