#pragma once

#include "store/HistoryStore.h"

#include <QStringList>
#include <QVariantList>

#include <functional>

namespace quvane {

// A listing of the history as a spreadsheet (Office Open XML, .xlsx): a heading row, then one
// measurement a row, numbers as numbers and times as dates, whatever the locale writes; the
// columns ID, TAKEN, STORED, STATION, OPERATOR, INSTRUMENT, SOURCE, RECORD, SETUP, PRODUCT,
// SAMPLE_ID, STANDARD, PASS_FAIL, READINGS, SPEC_400 to SPEC_700, then the further columns the
// caller names, whose values `further` gives for each row (a number, a text or nothing).
// Written through the one writer; raises QuvaneError (FileError) when it cannot be.
void writeHistoryWorkbook(
    const QString &path, const QList<StoredMeasurement> &rows,
    const QStringList &furtherHeadings = {},
    const std::function<QVariantList(const StoredMeasurement &)> &further = {});

} // namespace quvane
