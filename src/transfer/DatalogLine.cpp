#include "transfer/DatalogLine.h"

#include "link/PacketBuffer.h"
#include "link/modGlobals.h"
#include "transfer/CodeText.h"
#include "transfer/TextFormat.h"

#include <QDateTime>
#include <QLocale>

#include <iterator>

namespace quvane {

void appendDatalogLine(PacketBuffer &packet, const DatalogLineFormat &format, QByteArray &line)
{
    const TextFormat &text = format.text;
    line.reserve(line.size() + 2048); // a record's line is under 1 KB in any locale
    const QByteArray &d = format.delimiter;
    text.appendInteger(line, static_cast<qint64>(packet.GetLong()) + 1);
    appendBytes(line, d);
    packet.appendString(line);
    appendBytes(line, d);
    packet.appendString(line);
    appendBytes(line, d);
    text.appendInteger(line, packet.GetSmallInt() + 1);
    appendBytes(line, d);
    appendCodeText(line, 0, packet.GetSmallInt());
    appendBytes(line, d);
    appendCodeText(line, 1, packet.GetSmallInt());
    appendBytes(line, d);
    text.appendInteger(line, packet.GetSmallInt());
    line += format.sequenceSeparator;
    text.appendInteger(line, packet.GetSmallInt());
    appendBytes(line, d);
    line += packet.GetBoolean() ? "Std" : "Sam";
    appendBytes(line, d);
    text.appendGeneralDate(
        line, modGlobals::FromPcDate(modGlobals::SecondsToDate(packet.GetTimestamp())));
    appendBytes(line, d);
    appendCodeText(line, 2, packet.GetSmallInt());
    packet.Skip(2);
    appendBytes(line, d);
    appendCodeText(line, 3, packet.GetSmallInt());
    appendBytes(line, d);
    appendCodeText(line, 4, packet.GetSmallInt());
    packet.Skip(4);
    for (int i = 0; i < 31; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 3);
    }
    for (int i = 0; i < 6; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 4);
    }
    packet.Skip(48);
    for (int i = 0; i < 2; ++i) {
        appendBytes(line, d);
        text.appendFixed(line, packet.GetSingle(), 4);
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

void appendCgatsRow(PacketBuffer &packet, const TextFormat &number, QByteArray &line)
{
    line.reserve(line.size() + 1024);
    number.appendInteger(line, static_cast<qint64>(packet.GetLong()) + 1);
    line += ' ';
    appendQuoted(line, packet.GetString());
    line += ' ';
    appendQuoted(line, packet.GetString());
    packet.Skip(2 + 2 + 2 + 2 + 2 + 1); // set-up, standard type, display mode, sequence, flag
    line += ' ';
    const QDateTime when = modGlobals::FromPcDate(modGlobals::SecondsToDate(packet.GetTimestamp()));
    appendQuoted(line, when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    line += " 0.0";
    const qint16 illObs = packet.GetSmallInt();
    packet.Skip(2);
    const qint16 scale = packet.GetSmallInt();
    const qint16 index = packet.GetSmallInt();
    packet.Skip(4);
    for (int i = 0; i < 31; ++i) {
        line += ' ';
        number.appendFixed(line, packet.GetSingle(), 3);
    }
    QByteArray code;
    const auto appendCode = [&line, &code](qint32 item, qint16 value) {
        code.truncate(0);
        appendCodeText(code, item, value);
        line += " \"" + code + '"';
    };
    appendCode(2, illObs);
    appendCode(3, scale);
    for (int i = 0; i < 6; ++i) {
        line += ' ';
        number.appendFixed(line, packet.GetSingle(), 4);
    }
    packet.Skip(48);
    appendCode(4, index);
    for (int i = 0; i < 2; ++i) {
        line += ' ';
        number.appendFixed(line, packet.GetSingle(), 4);
    }
}

} // namespace quvane
