#include "transfer/DatalogReaders.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "transfer/CodeText.h"
#include "transfer/TextFiles.h"

#include <QHash>
#include <QStringList>

#include <cmath>
#include <concepts>
#include <limits>

namespace quvane {

namespace {

constexpr int DelimitedFields = 51;

[[noreturn]] void notARecord(const QString &what)
{
    throw QuvaneError(ErrorNumber::MalformedPacket,
                      QStringLiteral("Malformed packet: %1").arg(what));
}

// The fields of a CGATS data line: blank-separated, a quoted field whole.
QList<QByteArray> cgatsFields(const QByteArray &line)
{
    QList<QByteArray> fields;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            break;
        if (line[i] == '"') {
            const qsizetype end = line.indexOf('"', i + 1);
            if (end < 0)
                notARecord(QStringLiteral("a quoted field without its end"));
            fields << line.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            qsizetype end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
            fields << line.mid(i, end - i);
            i = end;
        }
    }
    return fields;
}

float number(const std::optional<double> &value, const char *field)
{
    if (!value)
        notARecord(QStringLiteral("the %1 is not a number").arg(QLatin1String(field)));
    return static_cast<float>(*value);
}

// A record number, set-up number or sequence: a whole number its field can hold. A file's
// "1e30" or "inf" is not a record, and nothing passes through a float on its way.
template <std::signed_integral Whole>
Whole wholeNumber(const std::optional<double> &value, const char *field)
{
    if (!value)
        notARecord(QStringLiteral("the %1 is not a number").arg(QLatin1String(field)));
    const double v = *value;
    // -min is a power of two a double holds exactly; max may round up to it.
    constexpr double lowest = double(std::numeric_limits<Whole>::min());
    if (!(v >= lowest && v < -lowest && v == std::trunc(v)))
        notARecord(
            QStringLiteral("the %1 is not a whole number it can hold").arg(QLatin1String(field)));
    return static_cast<Whole>(v);
}

} // namespace

qint16 DatalogFileReader::codeOf(qint32 table, const QByteArray &text) const
{
    QHash<QByteArray, qint16> &known = m_codes[table];
    if (known.isEmpty()) {
        for (qint16 code = 255; code >= 0; --code) {
            QByteArray written;
            appendCodeText(written, table, code);
            known.insert(written, code);
        }
    }
    if (const auto found = known.constFind(text); found != known.constEnd())
        return found.value();
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? static_cast<qint16>(number) : 0;
}

bool DatalogFileReader::isDatalogLine(const QByteArray &line)
{
    try {
        PacketBuffer packet;
        packet.SetReply(line);
        DatalogRecord::decode(packet);
        return packet.position() == line.size();
    } catch (const QuvaneError &) {
        return false;
    }
}

QByteArray DatalogFileReader::delimiterOf(const QByteArray &line)
{
    // The heading line starts with "log" and its delimiter; a record's line has 51 fields.
    if (line.startsWith("log") && line.size() > 3)
        return line.mid(3, 1);
    for (const char candidate : {'\t', ',', ';', '|', ':', ' '}) {
        if (line.count(candidate) == DelimitedFields - 1)
            return QByteArray(1, candidate);
    }
    // Any other printable character that splits the line into 51 fields.
    for (int c = 0x21; c < 0x100; ++c) {
        if (c != '.' && c != '-' && line.count(char(c)) == DelimitedFields - 1)
            return QByteArray(1, char(c));
    }
    return {};
}

DatalogRecord DatalogFileReader::readDelimited(const QByteArray &line,
                                               const QByteArray &delimiter) const
{
    const QList<QByteArray> f = line.split(delimiter.at(0));
    if (f.size() != DelimitedFields)
        notARecord(
            QStringLiteral("%1 fields where a record has %2").arg(f.size()).arg(DelimitedFields));
    const auto text = [](const QByteArray &field) { return QString::fromLatin1(field); };
    const auto integer = [&]<typename Whole>(const QByteArray &field, const char *name, Whole) {
        return wholeNumber<Whole>(m_text.readNumber(text(field)), name);
    };
    DatalogRecord r;
    r.number = integer(f[0], "record number", qint64());
    r.product = text(f[1]);
    r.sampleId = text(f[2]);
    r.setupNumber = integer(f[3], "set-up number", qint32());
    r.standardType = codeOf(StandardTypeTable, f[4]);
    r.displayMode = codeOf(DisplayModeTable, f[5]);
    const QByteArray separator = f[6].contains("::") ? "::" : "/";
    r.sequence = integer(f[6].left(f[6].indexOf(separator)), "sequence", qint16());
    r.sequenceOf =
        integer(f[6].mid(f[6].indexOf(separator) + separator.size()), "sequence", qint16());
    r.isStandard = f[7] == "Std";
    r.taken = m_text.readGeneralDate(text(f[8]));
    if (!r.taken.isValid())
        notARecord(QStringLiteral("\"%1\" is not a date in this locale's form").arg(text(f[8])));
    r.illuminantObserver = codeOf(ConditionsTable, f[9]);
    r.colorScale = codeOf(ScaleTable, f[10]);
    r.colorIndex = codeOf(IndexTable, f[11]);
    int i = 12;
    for (float &value : r.spectrum)
        value = number(m_text.readNumber(text(f[i++])), "reflectance");
    for (float &value : r.scaleData)
        value = number(m_text.readNumber(text(f[i++])), "scale value");
    for (float &value : r.indexData)
        value = number(m_text.readNumber(text(f[i++])), "index value");
    return r;
}

DatalogFileKind
DatalogFileReader::read(const QString &path,
                        const std::function<void(const DatalogRecord &, int line)> &take)
{
    LineReader reader(path);
    QByteArray line;
    DatalogFileKind kind = DatalogFileKind::Unknown;
    QByteArray delimiter;
    QList<QByteArray> cgatsNames;
    bool inData = false;
    bool formatChosen = false;
    m_text = m_formats.front();
    while (reader.next(line)) {
        if (kind == DatalogFileKind::Unknown) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            if (line == "CTI3" || line.startsWith("CGATS")) {
                kind = DatalogFileKind::Cgats;
                continue;
            }
            if (isDatalogLine(line)) {
                kind = DatalogFileKind::Datalog;
            } else {
                delimiter = delimiterOf(line);
                if (delimiter.isEmpty())
                    throw QuvaneError(ErrorNumber::MalformedPacket,
                                      QStringLiteral("Malformed packet: line %1 is neither a "
                                                     "datalog record, a delimited record nor "
                                                     "CGATS")
                                          .arg(reader.lineNumber()));
                kind = DatalogFileKind::DelimitedText;
                if (line.startsWith("log"))
                    continue;
            }
        }
        try {
            switch (kind) {
            case DatalogFileKind::Datalog: {
                if (line.isEmpty() || line.startsWith('#'))
                    break;
                PacketBuffer packet;
                packet.SetReply(line);
                const DatalogRecord record = DatalogRecord::decode(packet);
                if (packet.position() != line.size())
                    notARecord(QStringLiteral("characters after the record"));
                take(record, reader.lineNumber());
                break;
            }
            case DatalogFileKind::DelimitedText:
                if (line.isEmpty())
                    break;
                if (!formatChosen) {
                    formatChosen = true;
                    const QList<QByteArray> fields = line.split(delimiter.at(0));
                    for (const TextFormat &format : m_formats) {
                        if (fields.size() > 8 &&
                            format.readGeneralDate(QString::fromLatin1(fields[8])).isValid()) {
                            m_text = format;
                            break;
                        }
                    }
                }
                take(readDelimited(line, delimiter), reader.lineNumber());
                break;
            case DatalogFileKind::Cgats:
                if (line == "BEGIN_DATA_FORMAT") {
                    reader.next(line);
                    cgatsNames = cgatsFields(line);
                } else if (line == "BEGIN_DATA") {
                    inData = true;
                } else if (line == "END_DATA") {
                    inData = false;
                } else if (inData && !line.isEmpty()) {
                    const QList<QByteArray> values = cgatsFields(line);
                    if (values.size() != cgatsNames.size())
                        notARecord(QStringLiteral("%1 fields where the format names %2")
                                       .arg(values.size())
                                       .arg(cgatsNames.size()));
                    const auto field = [&](const char *name) -> QByteArray {
                        const qsizetype at = cgatsNames.indexOf(QByteArray(name));
                        return at < 0 ? QByteArray() : values[at];
                    };
                    const auto value = [&](const char *name) {
                        bool ok = false;
                        const double v = field(name).toDouble(&ok);
                        return ok ? std::optional<double>(v) : std::nullopt;
                    };
                    DatalogRecord r;
                    r.number = wholeNumber<qint64>(value("SAMPLE_ID"), "SAMPLE_ID");
                    r.product = QString::fromLatin1(field("SAMPLE_NAME"));
                    r.sampleId = QString::fromLatin1(field("QUVANE_SAMPLE_ID"));
                    r.taken = QDateTime::fromString(QString::fromLatin1(field("QUVANE_DATE")),
                                                    Qt::ISODate);
                    for (int k = 0; k < 31; ++k) {
                        const QByteArray name = "SPEC_" + QByteArray::number(400 + 10 * k);
                        r.spectrum[size_t(k)] = number(value(name.constData()), "reflectance");
                    }
                    r.illuminantObserver = codeOf(ConditionsTable, field("QUVANE_ILLOBS"));
                    r.colorScale = codeOf(ScaleTable, field("QUVANE_SCALE"));
                    r.colorIndex = codeOf(IndexTable, field("QUVANE_INDEX"));
                    for (int k = 0; k < 6; ++k) {
                        const QByteArray name = "QUVANE_SCALE_" + QByteArray::number(k + 1);
                        r.scaleData[size_t(k)] = float(value(name.constData()).value_or(0));
                    }
                    for (int k = 0; k < 2; ++k) {
                        const QByteArray name = "QUVANE_INDEX_" + QByteArray::number(k + 1);
                        r.indexData[size_t(k)] = float(value(name.constData()).value_or(0));
                    }
                    take(r, reader.lineNumber());
                }
                break;
            case DatalogFileKind::Unknown:
                break;
            }
        } catch (const QuvaneError &error) {
            throw QuvaneError(
                error.number(),
                QStringLiteral("Line %1: %2").arg(reader.lineNumber()).arg(error.description()));
        }
    }
    return kind;
}

} // namespace quvane
