#pragma once

#include "records/DatalogRecord.h"
#include "transfer/TextFormat.h"

#include <QByteArray>

namespace quvane {

class OutputFile;

// One datalog record as a line of 51 delimited fields. The capture writes the sequence pair as
// "a/b", the file conversion as "a::b".
struct DatalogLineFormat
{
    const TextFormat &text;
    QByteArray delimiter; // ISO-8859-1
    QByteArrayView sequenceSeparator;
};

void appendDatalogLine(const DatalogRecord &record, const DatalogLineFormat &format,
                       QByteArray &line);

// The conversion's heading line: the name of the first column of each group.
QByteArray datalogHeading(const QByteArray &delimiter);

// The datalog as CGATS.17 text in the form Argyll CMS reads (its "CTI3" file type, with the
// one device value GRAY_K it asks for, always 0): a row a record with its number (SAMPLE_ID),
// product (SAMPLE_NAME), sample ID, date, the 31 reflectances (SPEC_400 to SPEC_700, percent) and
// the instrument's own colour values with the texts of their codes. Numbers with a decimal
// point and no grouping (CgatsSink gives such a format). The header, up to and with BEGIN_DATA,
// names the number of rows (NUMBER_OF_SETS, which CGATS.17 requires); every line ends in CR LF, as
// the rows and END_DATA that follow do.
QByteArray datalogCgatsHeader(int sets);
void appendCgatsRow(const DatalogRecord &record, const TextFormat &number, QByteArray &line);

// Where decoded datalog records go, one at a time, as a transfer reads them; finish() once
// after the last, or at a failure, whatever the sink still holds goes out (a second call does
// nothing). Errors of the file below reach the caller.
class DatalogSink
{
public:
    virtual ~DatalogSink() = default;
    virtual void add(const DatalogRecord &record) = 0;
    virtual void finish() {}
    // The records taken.
    int count() const { return m_count; }

protected:
    int m_count = 0;
};

// The delimited text of the capture and the conversion, a line a record, written at once.
class DelimitedTextSink : public DatalogSink
{
public:
    DelimitedTextSink(OutputFile &file, const DatalogLineFormat &format)
        : m_file(file), m_format(format)
    {}
    void add(const DatalogRecord &record) override;

private:
    OutputFile &m_file;
    DatalogLineFormat m_format;
    QByteArray m_line; // keeps its capacity from record to record
};

// CGATS: the header counts the rows, so the rows are held until finish() (a datalog holds at
// most 800), then written after it. A transfer that fails writes the rows it has, so that its
// part is a whole CGATS file too.
class CgatsSink : public DatalogSink
{
public:
    explicit CgatsSink(OutputFile &file);
    void add(const DatalogRecord &record) override;
    void finish() override;
    // The lines before the first row and after the last, for counting a kept part's rows.
    static int headingLines();
    static constexpr int TrailingLines = 1;

private:
    OutputFile &m_file;
    const TextFormat m_numbers;
    QByteArray m_rows, m_row;
    bool m_finished = false;
};

} // namespace quvane
