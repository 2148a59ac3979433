#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The texts written for the codes of a datalog record. anItem selects the table: 0 standard
// type, 1 display mode, 2 illuminant/observer, 3 colour scale, 4 colour index. Any other item
// gives the empty text.
//
// A code that its table has no text for (negative, past the end, or 11 to 20 in the index
// table) is written as its decimal number, so the record still says what the instrument sent.
QString GetCodeText(qint32 anItem, qint16 aCode);

namespace quvane {
// GetCodeText's tables.
enum DatalogTable : qint32
{
    StandardTypeTable = 0,
    DisplayModeTable = 1,
    ConditionsTable = 2, // illuminant/observer
    ScaleTable = 3,
    IndexTable = 4,
};
// GetCodeText appended to an ISO-8859-1 line.
void appendCodeText(QByteArray &line, qint32 anItem, qint16 aCode);
} // namespace quvane
