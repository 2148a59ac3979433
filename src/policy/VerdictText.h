#pragma once

#include "colour/Tolerance.h"

#include <QString>
#include <QStringList>

namespace quvane {

// A tolerance set in words for people, as both front ends show it: "dE 2000 (1:1:1) within
// 1.00, warning above 80 %, under D65/10; also A/10 within 2.00".
QString toleranceText(const Colour::ToleranceSet &set);

// The verdict as a window shows it: Pass, Warn, Fail (translated).
QString verdictName(Colour::Verdict verdict);

// A difference with two decimals and its sign (+0.00 for what rounds to nothing).
QString signedDifference(double value);

// The columns a listing judged against a standard adds: DL, DA, DB, DC, DH, DE and VERDICT,
// then DE_ and MI_ of each secondary condition (DE_A_10, MI_A_10); and a judgement's values
// under them (four decimals; empty where a condition was not judged).
QStringList judgementColumns(const Colour::ToleranceSet &set);
QStringList judgementFields(const Colour::Judgement &judgement);

} // namespace quvane
