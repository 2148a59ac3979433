#include "transfer/DatalogSinks.h"

#include "transfer/CodeText.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFormat.h"

#include <QDateTime>
#include <QLocale>

#include <iterator>

namespace quvane {

void appendDatalogLine(const DatalogRecord &record, const DatalogLineFormat &format,
                       QByteArray &line)
{
    const TextFormat &text = format.text;
    line.reserve(line.size() + 2048); // a record's line is under 1 KB in any locale
    const QByteArray &d = format.delimiter;
    text.appendInteger(line, record.number);
    appendBytes(line, d);
    line += record.product.toLatin1();
    appendBytes(line, d);
    line += record.sampleId.toLatin1();
    appendBytes(line, d);
    text.appendInteger(line, record.setupNumber);
    appendBytes(line, d);
    appendCodeText(line, StandardTypeTable, record.standardType);
    appendBytes(line, d);
    appendCodeText(line, DisplayModeTable, record.displayMode);
    appendBytes(line, d);
    text.appendInteger(line, record.sequence);
    line += format.sequenceSeparator;
    text.appendInteger(line, record.sequenceOf);
    appendBytes(line, d);
    line += record.isStandard ? "Std" : "Sam";
    appendBytes(line, d);
    text.appendGeneralDate(line, record.taken);
    appendBytes(line, d);
    appendCodeText(line, ConditionsTable, record.illuminantObserver);
    appendBytes(line, d);
    appendCodeText(line, ScaleTable, record.colorScale);
    appendBytes(line, d);
    appendCodeText(line, IndexTable, record.colorIndex);
    for (const float value : record.spectrum) {
        appendBytes(line, d);
        text.appendFixed(line, value, 3);
    }
    for (const float value : record.scaleData) {
        appendBytes(line, d);
        text.appendFixed(line, value, 4);
    }
    for (const float value : record.indexData) {
        appendBytes(line, d);
        text.appendFixed(line, value, 4);
    }
}

QByteArray datalogHeading(const QByteArray &delimiter)
{
    const char *const named[] = {"log",      "product", "ID",      "setup",     "stdtype",
                                 "viewtype", "seq",     "type",    "timestamp", "illobs",
                                 "scale",    "index",   "spectrum"};
    QByteArray line;
    for (const char *name : named) {
        if (!line.isEmpty())
            line += delimiter;
        line += name;
    }
    line += delimiter.repeated(31) + "scaledata" + delimiter.repeated(6) + "indexdata" + delimiter;
    return line;
}

QByteArray datalogCgatsHeader(int sets)
{
    QByteArray header = "CTI3\n\n"
                        "DESCRIPTOR \"Quvane datalog\"\n"
                        "ORIGINATOR \"quvane\"\n"
                        "CREATED \"" +
                        QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() +
                        "\"\n"
                        "KEYWORD \"DEVICE_CLASS\"\nDEVICE_CLASS \"OUTPUT\"\n"
                        "KEYWORD \"COLOR_REP\"\nCOLOR_REP \"K_XYZ\"\n"
                        "KEYWORD \"SPECTRAL_BANDS\"\nSPECTRAL_BANDS \"31\"\n"
                        "KEYWORD \"SPECTRAL_START_NM\"\nSPECTRAL_START_NM \"400\"\n"
                        "KEYWORD \"SPECTRAL_END_NM\"\nSPECTRAL_END_NM \"700\"\n"
                        "KEYWORD \"SPECTRAL_NORM\"\nSPECTRAL_NORM \"100\"\n";
    const char *const own[] = {
        "QUVANE_SAMPLE_ID", "QUVANE_DATE",    "QUVANE_ILLOBS",  "QUVANE_SCALE",   "QUVANE_SCALE_1",
        "QUVANE_SCALE_2",   "QUVANE_SCALE_3", "QUVANE_SCALE_4", "QUVANE_SCALE_5", "QUVANE_SCALE_6",
        "QUVANE_INDEX",     "QUVANE_INDEX_1", "QUVANE_INDEX_2"};
    for (const char *field : own)
        header += "KEYWORD \"" + QByteArray(field) + "\"\n";
    QByteArray fields = "SAMPLE_ID SAMPLE_NAME QUVANE_SAMPLE_ID QUVANE_DATE GRAY_K";
    for (int i = 0; i < 31; ++i)
        fields += " SPEC_" + QByteArray::number(400 + 10 * i);
    for (size_t i = 2; i < std::size(own); ++i) // the sample ID and date come before the spectrum
        fields += ' ' + QByteArray(own[i]);
    header += "\nNUMBER_OF_FIELDS " + QByteArray::number(fields.count(' ') + 1) +
              "\nBEGIN_DATA_FORMAT\n" + fields + "\nEND_DATA_FORMAT\n\nNUMBER_OF_SETS " +
              QByteArray::number(sets) + "\nBEGIN_DATA\n";
    return header.replace("\n", "\r\n");
}

namespace {
// A text field: quoted, its own quotes made single so that the field stays one.
void appendQuoted(QByteArray &line, const QString &text)
{
    line += '"';
    line += text.toLatin1().replace('"', '\'');
    line += '"';
}
} // namespace

void appendCgatsRow(const DatalogRecord &record, const TextFormat &number, QByteArray &line)
{
    line.reserve(line.size() + 1024);
    number.appendInteger(line, record.number);
    line += ' ';
    appendQuoted(line, record.product);
    line += ' ';
    appendQuoted(line, record.sampleId);
    line += ' ';
    appendQuoted(line, record.taken.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    line += " 0.0";
    for (const float value : record.spectrum) {
        line += ' ';
        number.appendFixed(line, value, 3);
    }
    QByteArray code;
    const auto appendCode = [&line, &code](qint32 item, qint16 value) {
        code.truncate(0);
        appendCodeText(code, item, value);
        line += " \"" + code + '"';
    };
    appendCode(ConditionsTable, record.illuminantObserver);
    appendCode(ScaleTable, record.colorScale);
    for (const float value : record.scaleData) {
        line += ' ';
        number.appendFixed(line, value, 4);
    }
    appendCode(IndexTable, record.colorIndex);
    for (const float value : record.indexData) {
        line += ' ';
        number.appendFixed(line, value, 4);
    }
}

void DelimitedTextSink::add(const DatalogRecord &record)
{
    m_line.truncate(0);
    appendDatalogLine(record, m_format, m_line);
    m_file.writeLine(m_line);
    ++m_count;
}

namespace {
// CGATS numbers: a decimal point and no digit grouping, whatever the locale (a grouped
// "1,234.500" would be read as two fields, or as 1).
QLocale cgatsNumbers()
{
    QLocale numbers(QLocale::English, QLocale::UnitedStates);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    return numbers;
}
} // namespace

CgatsSink::CgatsSink(OutputFile &file) : m_file(file), m_numbers(cgatsNumbers()) {}

void CgatsSink::add(const DatalogRecord &record)
{
    m_row.truncate(0);
    appendCgatsRow(record, m_numbers, m_row);
    m_rows += m_row;
    m_rows += "\r\n";
    ++m_count;
}

void CgatsSink::finish()
{
    if (std::exchange(m_finished, true))
        return;
    m_file.write(datalogCgatsHeader(m_count));
    m_file.write(m_rows);
    m_file.write("END_DATA\r\n");
}

int CgatsSink::headingLines()
{
    return int(datalogCgatsHeader(0).count('\n'));
}

} // namespace quvane
