#pragma once

#include "records/DatalogRecord.h"
#include "transfer/TextFormat.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <vector>

namespace quvane {

// What a datalog file is, as its first lines tell.
enum class DatalogFileKind
{
    Datalog,       // DATALOG.QV3, as an instrument writes it to a USB drive
    Cgats,         // the CGATS.17 of capture and conversion (--format cgats)
    DelimitedText, // the delimited text of capture (no heading) and conversion (a heading)
    Unknown
};

// Reads back every record of a datalog file the instrument or these programs wrote, handing
// each to `take` with its line number. The delimited text's numbers and dates are read in the
// given format (the locale it was written in) and its delimiter is found from its lines; a
// CGATS file names no set-up number, so its records have none. A delimited file is read in the
// first of the given formats in which its first record's date reads (the locale of the
// environment, then the C locale's), so that a file written elsewhere is not misread. A line that
// is not a record raises a malformed-packet error naming it; an empty file holds no records.
class DatalogFileReader
{
public:
    explicit DatalogFileReader(const TextFormat &text)
        : m_formats{text, TextFormat(QLocale::c())}, m_text(text)
    {}

    DatalogFileKind read(const QString &path,
                         const std::function<void(const DatalogRecord &, int line)> &take);

    // Whether a line is a DATALOG.QV3 record, a capture's delimited line (and its delimiter), a
    // CGATS file's first line.
    static bool isDatalogLine(const QByteArray &line);
    static QByteArray delimiterOf(const QByteArray &line);

    // One delimited line read back; raises a malformed-packet error when it is none.
    DatalogRecord readDelimited(const QByteArray &line, const QByteArray &delimiter) const;

private:
    // A code from the text GetCodeText gives it (or the number written for one without a text).
    qint16 codeOf(qint32 table, const QByteArray &text) const;

    std::vector<TextFormat> m_formats;
    TextFormat m_text; // the format of the file in hand
    mutable QHash<qint32, QHash<QByteArray, qint16>> m_codes;
};

} // namespace quvane
