#pragma once

#include "store/HistoryStore.h"

#include <QStringList>

#include <functional>

namespace quvane {

// A listing of the history as a spreadsheet (Office Open XML, .xlsx): a heading row, then one
// measurement a row, numbers as numbers and times as dates, whatever the locale writes; the
// columns ID, TAKEN, STORED, STATION, OPERATOR, INSTRUMENT, SOURCE, RECORD, SETUP, PRODUCT,
// SAMPLE_ID, STANDARD, PASS_FAIL, READINGS, SPEC_400 to SPEC_700, then the further columns the
// caller names, whose fields `further` gives for each row as the csv has them (a field that
// reads as a C-locale number is written as one, an empty one as nothing).
// Written through the one writer; raises QuvaneError (FileError) when it cannot be.
void writeHistoryWorkbook(
    const QString &path, const QList<StoredMeasurement> &rows,
    const QStringList &furtherHeadings = {},
    const std::function<QStringList(const StoredMeasurement &)> &further = {});

} // namespace quvane
