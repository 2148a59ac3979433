#include "store/StandardExchange.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <map>

namespace quvane {

namespace {

const QString Core = QStringLiteral("http://colorexchangeformat.com/CxF3-core");

QString observerText(Colour::Observer observer)
{
    return observer == Colour::Observer::TwoDegree ? QStringLiteral("2_Degree")
                                                   : QStringLiteral("10_Degree");
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

QByteArray standardsToCxf(const QList<Standard> &standards, const QDateTime &made)
{
    return cxfDocument(standards, {}, made);
}

namespace {

QString conditionIdOf(bool spectral, const Colour::Condition &condition)
{
    return QStringLiteral("%1-%2_%3")
        .arg(spectral ? QStringLiteral("Spectrum") : QStringLiteral("Lab"),
             Colour::illuminantName(condition.illuminant), observerText(condition.observer));
}

// A Tag of an object's TagCollection: what CxF3 has no element for.
void writeTag(QXmlStreamWriter &xml, const char *name, const QString &value)
{
    xml.writeEmptyElement(Core, QStringLiteral("Tag"));
    xml.writeAttribute(QStringLiteral("Name"), QLatin1String(name));
    xml.writeAttribute(QStringLiteral("Value"), value);
}

void writeSpectrum(QXmlStreamWriter &xml, const QString &conditionId,
                   const Colour::Spectrum &spectrum)
{
    xml.writeStartElement(Core, QStringLiteral("ReflectanceSpectrum"));
    xml.writeAttribute(QStringLiteral("ColorSpecification"), conditionId);
    xml.writeAttribute(QStringLiteral("StartWL"), QStringLiteral("400"));
    QStringList values;
    for (float v : spectrum)
        values << QString::number(double(v) / 100.0, 'g', 17);
    xml.writeCharacters(values.join(QLatin1Char(' ')));
    xml.writeEndElement();
}

// An xs:double of the file as a value: none for text, NaN or infinity.
std::optional<double> finite(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

QByteArray cxfDocument(const QList<Standard> &standards, const QList<StoredMeasurement> &trials,
                       const QDateTime &made)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeNamespace(Core, QStringLiteral("cc"));
    xml.writeStartElement(Core, QStringLiteral("CxF"));
    xml.writeStartElement(Core, QStringLiteral("FileInformation"));
    xml.writeTextElement(Core, QStringLiteral("Creator"),
                         QStringLiteral("quvane %1").arg(QStringLiteral(QUVANE_VERSION)));
    xml.writeTextElement(Core, QStringLiteral("CreationDate"),
                         made.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    xml.writeTextElement(Core, QStringLiteral("Description"),
                         trials.isEmpty() ? QStringLiteral("Standards of the Quvane history")
                                          : QStringLiteral("Measurements of the Quvane history"));
    xml.writeEndElement();
    xml.writeStartElement(Core, QStringLiteral("Resources"));
    xml.writeStartElement(Core, QStringLiteral("ObjectCollection"));
    // One ColorSpecification element per condition and kind of value, named by them.
    std::map<QString, std::pair<Colour::Condition, bool>> conditionsById;
    int n = 0;
    for (const Standard &s : standards) {
        xml.writeStartElement(Core, QStringLiteral("Object"));
        xml.writeAttribute(QStringLiteral("ObjectType"), QStringLiteral("Standard"));
        xml.writeAttribute(QStringLiteral("Name"), s.name);
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("s%1").arg(++n));
        xml.writeTextElement(Core, QStringLiteral("CreationDate"),
                             s.created.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        xml.writeStartElement(Core, QStringLiteral("ColorValues"));
        const Colour::Condition condition{s.illuminant, s.observer};
        const QString conditionId = conditionIdOf(s.spectral, condition);
        conditionsById[conditionId] = {condition, s.spectral};
        if (s.spectral) {
            writeSpectrum(xml, conditionId, s.spectrum);
        } else {
            xml.writeStartElement(Core, QStringLiteral("ColorCIELab"));
            xml.writeAttribute(QStringLiteral("ColorSpecification"), conditionId);
            xml.writeTextElement(Core, QStringLiteral("L"), number(s.lab[0], 4));
            xml.writeTextElement(Core, QStringLiteral("A"), number(s.lab[1], 4));
            xml.writeTextElement(Core, QStringLiteral("B"), number(s.lab[2], 4));
            xml.writeEndElement();
        }
        xml.writeEndElement(); // ColorValues
        xml.writeStartElement(Core, QStringLiteral("TagCollection"));
        const auto tag = [&xml](const char *name, const QString &value) {
            writeTag(xml, name, value);
        };
        if (s.tolerance)
            tag("quvane.tolerance", s.tolerance->toText());
        tag("quvane.origin", originName(s.origin));
        if (s.verification) {
            tag("quvane.verification", QStringLiteral("yes"));
            tag("quvane.certificate", s.certificate);
        }
        tag("quvane.revision", QString::number(s.revision));
        xml.writeEndElement(); // TagCollection
        xml.writeEndElement(); // Object
    }
    // Measurements: their spectra under the (first) standard's condition, or D65/10.
    const Colour::Condition trialCondition =
        standards.isEmpty()
            ? Colour::Condition{Colour::Illuminant::D65, Colour::Observer::TenDegree}
            : Colour::Condition{standards.first().illuminant, standards.first().observer};
    const QString trialConditionId = conditionIdOf(true, trialCondition);
    if (!trials.isEmpty())
        conditionsById[trialConditionId] = {trialCondition, true};
    n = 0;
    for (const StoredMeasurement &row : trials) {
        const Measurement &m = row.value;
        xml.writeStartElement(Core, QStringLiteral("Object"));
        xml.writeAttribute(QStringLiteral("ObjectType"), QStringLiteral("Trial"));
        xml.writeAttribute(QStringLiteral("Name"),
                           m.sampleId.isEmpty() ? QStringLiteral("Measurement %1").arg(row.id)
                                                : m.sampleId);
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("t%1").arg(++n));
        xml.writeTextElement(Core, QStringLiteral("CreationDate"),
                             m.taken.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
        xml.writeStartElement(Core, QStringLiteral("ColorValues"));
        writeSpectrum(xml, trialConditionId, m.spectrum);
        xml.writeEndElement(); // ColorValues
        xml.writeStartElement(Core, QStringLiteral("TagCollection"));
        const auto tag = [&xml](const char *name, const QString &value) {
            writeTag(xml, name, value);
        };
        tag("quvane.sample", m.sampleId);
        if (!m.instrumentSerial.isEmpty())
            tag("quvane.instrument", m.instrumentSerial);
        if (m.recordNumber > 0)
            tag("quvane.record", QString::number(m.recordNumber));
        if (m.setupNumber > 0)
            tag("quvane.setup", QString::number(m.setupNumber));
        if (!m.product.isEmpty())
            tag("quvane.product", m.product);
        if (m.isStandard)
            tag("quvane.standard-record", QStringLiteral("yes"));
        tag("quvane.readings", QString::number(m.readings));
        tag("quvane.source", sourceName(m.source));
        if (!row.station.isEmpty())
            tag("quvane.station", row.station);
        if (!row.operatorLogin.isEmpty())
            tag("quvane.operator", row.operatorLogin);
        if (!standards.isEmpty())
            tag("quvane.judged-against", standards.first().name);
        xml.writeEndElement(); // TagCollection
        xml.writeEndElement(); // Object
    }
    xml.writeEndElement(); // ObjectCollection
    xml.writeStartElement(Core, QStringLiteral("ColorSpecificationCollection"));
    for (const auto &[id, what] : conditionsById) {
        xml.writeStartElement(Core, QStringLiteral("ColorSpecification"));
        xml.writeAttribute(QStringLiteral("Id"), id);
        xml.writeStartElement(Core, QStringLiteral("TristimulusSpec"));
        xml.writeTextElement(Core, QStringLiteral("Illuminant"),
                             Colour::illuminantName(what.first.illuminant));
        xml.writeTextElement(Core, QStringLiteral("Observer"), observerText(what.first.observer));
        xml.writeTextElement(Core, QStringLiteral("Method"), QStringLiteral("E308"));
        xml.writeEndElement();
        if (what.second) {
            xml.writeStartElement(Core, QStringLiteral("MeasurementSpec"));
            xml.writeTextElement(Core, QStringLiteral("MeasurementType"),
                                 QStringLiteral("Spectrum_Reflectance"));
            xml.writeStartElement(Core, QStringLiteral("GeometryChoice"));
            xml.writeStartElement(Core, QStringLiteral("SingleAngle"));
            xml.writeTextElement(Core, QStringLiteral("IlluminationAngle"), QStringLiteral("45"));
            xml.writeTextElement(Core, QStringLiteral("MeasurementAngle"), QStringLiteral("0"));
            xml.writeEndElement();
            xml.writeEndElement();
            xml.writeEmptyElement(Core, QStringLiteral("WavelengthRange"));
            xml.writeAttribute(QStringLiteral("StartWL"), QStringLiteral("400"));
            xml.writeAttribute(QStringLiteral("Increment"), QStringLiteral("10"));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement(); // ColorSpecificationCollection
    xml.writeEndElement(); // Resources
    xml.writeEndElement(); // CxF
    xml.writeEndDocument();
    return out;
}

std::optional<CxfContents> readCxf(const QByteArray &cxf, QString *error)
{
    struct Read
    {
        Standard standard;
        bool trial = false;
        std::map<QString, QString> tags;
        QString conditionId;
        QList<double> spectrum;
        qint64 startWL = 400;
        bool lab = false;
    };
    QList<Read> objects;
    std::map<QString, std::pair<Colour::Condition, qint64>> conditionsById; // condition, increment
    QXmlStreamReader xml(cxf);
    QString definedId;
    Read *object = nullptr;
    const auto failed = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(why);
        return std::optional<CxfContents>();
    };
    bool cxfSeen = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (!cxfSeen) {
            if (name != u"CxF" || xml.namespaceUri() != Core)
                return failed(QStringLiteral("not a CxF3 file"));
            cxfSeen = true;
        } else if (name == u"Object") {
            object = nullptr;
            const QStringView type = a.value(QStringLiteral("ObjectType"));
            if (type != u"Standard" && type != u"Trial")
                continue;
            objects.append(Read{});
            object = &objects.last();
            object->trial = type == u"Trial";
            object->standard.name = a.value(QStringLiteral("Name")).toString().trimmed();
            object->standard.origin = Standard::Origin::File;
            if (object->standard.name.isEmpty() && !object->trial)
                return failed(QStringLiteral("a standard without a name"));
        } else if (object && name == u"CreationDate") {
            object->standard.created = QDateTime::fromString(xml.readElementText(), Qt::ISODate);
        } else if (object && name == u"ReflectanceSpectrum") {
            object->conditionId = a.value(QStringLiteral("ColorSpecification")).toString();
            if (a.hasAttribute(QStringLiteral("StartWL")))
                object->startWL = a.value(QStringLiteral("StartWL")).toLongLong();
            for (const QString &v :
                 xml.readElementText().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const std::optional<double> value = finite(v);
                if (!value)
                    return failed(QStringLiteral("the spectrum of %1 holds \"%2\", not a number")
                                      .arg(object->standard.name, v));
                object->spectrum << *value;
            }
        } else if (object && name == u"ColorCIELab" && object->spectrum.isEmpty()) {
            object->conditionId = a.value(QStringLiteral("ColorSpecification")).toString();
            object->lab = true;
        } else if (object && object->lab && (name == u"L" || name == u"A" || name == u"B")) {
            // name views the reader's buffer, which reading the text moves on.
            const QString component = name.toString();
            const QString text = xml.readElementText();
            const std::optional<double> value = finite(text);
            if (!value)
                return failed(QStringLiteral("the %1 of %2 is \"%3\", not a number")
                                  .arg(component, object->standard.name, text));
            object->standard.lab[component == u"L" ? 0 : component == u"A" ? 1 : 2] = *value;
        } else if (object && name == u"Tag") {
            const QString value = a.value(QStringLiteral("Value")).toString();
            const QStringView tag = a.value(QStringLiteral("Name"));
            object->tags[tag.toString()] = value;
            if (tag == u"quvane.verification")
                object->standard.verification = value == QLatin1String("yes");
            else if (tag == u"quvane.certificate")
                object->standard.certificate = value;
            else if (tag == u"quvane.tolerance") {
                QString why;
                object->standard.tolerance = Colour::ToleranceSet::fromText(value, &why);
                if (!object->standard.tolerance)
                    return failed(
                        QStringLiteral("the tolerance of %1: %2").arg(object->standard.name, why));
            }
        } else if (name == u"ColorSpecification") {
            definedId = a.value(QStringLiteral("Id")).toString();
            conditionsById[definedId] = {{Colour::Illuminant::D65, Colour::Observer::TenDegree},
                                         10};
        } else if (!definedId.isEmpty() && name == u"Illuminant") {
            const QString text = xml.readElementText();
            const std::optional<Colour::Illuminant> i = Colour::illuminantNamed(text);
            if (!i)
                return failed(
                    QStringLiteral("the illuminant %1 is not one the program knows").arg(text));
            conditionsById[definedId].first.illuminant = *i;
        } else if (!definedId.isEmpty() && name == u"Observer") {
            conditionsById[definedId].first.observer = xml.readElementText().startsWith(u'2')
                                                           ? Colour::Observer::TwoDegree
                                                           : Colour::Observer::TenDegree;
        } else if (!definedId.isEmpty() && name == u"WavelengthRange") {
            conditionsById[definedId].second = a.value(QStringLiteral("Increment")).toLongLong();
        }
    }
    if (xml.hasError())
        return failed(xml.errorString());
    if (!cxfSeen)
        return failed(QStringLiteral("not a CxF3 file"));
    CxfContents contents;
    for (Read &r : objects) {
        Standard &s = r.standard;
        const auto conditionId = conditionsById.find(r.conditionId);
        if (conditionId != conditionsById.end()) {
            s.illuminant = conditionId->second.first.illuminant;
            s.observer = conditionId->second.first.observer;
        }
        s.spectral = !r.lab;
        if (s.spectral) {
            // Wider than any instrument's range, narrow enough that nothing below overflows.
            const qint64 step =
                conditionId != conditionsById.end() ? conditionId->second.second : 10;
            const bool sane = step > 0 && step <= 1000 && std::abs(r.startWL) <= 100000;
            for (int i = 0; i < 31; ++i) {
                const qint64 nm = 400 + 10 * i;
                const qint64 at =
                    sane && (nm - r.startWL) % step == 0 ? (nm - r.startWL) / step : -1;
                if (at < 0 || at >= r.spectrum.size()) {
                    if (error)
                        *error = QStringLiteral("the spectrum of %1 has no value at %2 nm")
                                     .arg(s.name)
                                     .arg(nm);
                    return std::nullopt;
                }
                s.spectrum[size_t(i)] = float(r.spectrum[at] * 100.0);
            }
        }
        if (r.trial) {
            if (!s.spectral || !s.created.isValid()) {
                if (error)
                    *error = QStringLiteral("the measurement %1 has no %2")
                                 .arg(s.name, s.spectral ? QStringLiteral("creation date")
                                                         : QStringLiteral("spectrum"));
                return std::nullopt;
            }
            const auto tag = [&r](const char *name) {
                const auto it = r.tags.find(QLatin1String(name));
                return it == r.tags.end() ? QString() : it->second;
            };
            Measurement m;
            m.source = MeasurementSource::Import;
            m.taken = s.created;
            m.spectrum = s.spectrum;
            m.sampleId =
                r.tags.count(QStringLiteral("quvane.sample")) ? tag("quvane.sample") : s.name;
            m.instrumentSerial = tag("quvane.instrument");
            m.recordNumber = tag("quvane.record").toLongLong();
            m.setupNumber = tag("quvane.setup").toInt();
            m.product = tag("quvane.product");
            m.isStandard = tag("quvane.standard-record") == QLatin1String("yes");
            m.readings = std::max(1, tag("quvane.readings").toInt());
            contents.trials << m;
            continue;
        }
        if (!s.created.isValid())
            s.created = QDateTime::currentDateTime();
        s.changed = s.created;
        contents.standards << s;
    }
    return contents;
}

QList<Standard> standardsFromCxf(const QByteArray &cxf, QString *error)
{
    const std::optional<CxfContents> contents = readCxf(cxf, error);
    return contents ? contents->standards : QList<Standard>{};
}

QList<Measurement> measurementsFromCxf(const QByteArray &cxf, QString *error)
{
    const std::optional<CxfContents> contents = readCxf(cxf, error);
    return contents ? contents->trials : QList<Measurement>{};
}

} // namespace quvane
