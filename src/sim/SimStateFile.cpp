#include "sim/SimStateFile.h"

#include "link/QuvaneError.h"
#include "sim/SimInstrument.h"
#include "transfer/OutputFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quvane {

namespace {

template <typename Array> QJsonArray toJson(const Array &values)
{
    QJsonArray out;
    for (float v : values)
        out.append(static_cast<double>(v));
    return out;
}

template <typename Array> void fromJson(const QJsonValue &value, Array &values)
{
    const QJsonArray in = value.toArray();
    for (size_t i = 0; i < values.size() && i < static_cast<size_t>(in.size()); ++i)
        values[i] = static_cast<float>(in.at(static_cast<qsizetype>(i)).toDouble());
}

QJsonObject recordToJson(const SimLogRecord &r)
{
    return QJsonObject{{"setupIndex", r.setupIndex},       {"product", r.product},
                       {"sampleId", r.sampleId},           {"standardType", r.standardType},
                       {"displayMode", r.displayMode},     {"sequence", r.sequence},
                       {"sequenceOf", r.sequenceOf},       {"isStandard", r.isStandard},
                       {"timestamp", r.timestamp},         {"illuminant", r.illuminant},
                       {"observer", r.observer},           {"colorScale", r.colorScale},
                       {"colorIndex", r.colorIndex},       {"passFail", r.passFail},
                       {"spectral", r.spectral},           {"spectrum", toJson(r.spectrum)},
                       {"scaleData", toJson(r.scaleData)}, {"indexData", toJson(r.indexData)}};
}

SimLogRecord recordFromJson(const QJsonObject &o)
{
    SimLogRecord r;
    r.setupIndex = o["setupIndex"].toInt();
    r.product = o["product"].toString();
    r.sampleId = o["sampleId"].toString();
    r.standardType = o["standardType"].toInt();
    r.displayMode = o["displayMode"].toInt();
    r.sequence = o["sequence"].toInt(1);
    r.sequenceOf = o["sequenceOf"].toInt(1);
    r.isStandard = o["isStandard"].toBool();
    r.timestamp = o["timestamp"].toInt();
    r.illuminant = o["illuminant"].toInt();
    r.observer = o["observer"].toInt();
    r.colorScale = o["colorScale"].toInt();
    r.colorIndex = o["colorIndex"].toInt();
    r.passFail = o["passFail"].toInt();
    r.spectral = o["spectral"].toBool(true);
    fromJson(o["spectrum"], r.spectrum);
    fromJson(o["scaleData"], r.scaleData);
    fromJson(o["indexData"], r.indexData);
    return r;
}

} // namespace

namespace SimStateFile {

bool load(const QString &path, SimInstrument &instrument, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        error =
            QStringLiteral("%1 (offset %2)").arg(parseError.errorString()).arg(parseError.offset);
        return false;
    }
    const QJsonObject root = document.object();
    const QJsonArray setups = root["setups"].toArray();
    if (setups.size() != SimInstrument::SetupCount) {
        error = QStringLiteral("expected %1 set-ups, found %2")
                    .arg(SimInstrument::SetupCount)
                    .arg(setups.size());
        return false;
    }
    for (int i = 0; i < SimInstrument::SetupCount; ++i) {
        const QJsonObject s = setups.at(i).toObject();
        instrument.setups()[i] = {s["name"].toString(), s["fields"].toString().toLatin1()};
    }
    instrument.datalog().clear();
    for (const QJsonValue &value : root["datalog"].toArray())
        instrument.datalog().append(recordFromJson(value.toObject()));
    instrument.setClockOffset(root["clockOffset"].toInt());
    instrument.setLastStandardization(root["lastStandardization"].toInt());
    instrument.setActiveSetup(root["activeSetup"].toInt());
    error = instrument.checkState();
    return error.isEmpty();
}

bool save(const QString &path, const SimInstrument &instrument, QString &error)
{
    QJsonArray setups;
    for (const SimSetup &s : instrument.setups())
        setups.append(QJsonObject{{"name", s.name}, {"fields", QString::fromLatin1(s.fields)}});
    QJsonArray datalog;
    for (const SimLogRecord &r : instrument.datalog())
        datalog.append(recordToJson(r));
    const QJsonObject root{{"setups", setups},
                           {"datalog", datalog},
                           {"clockOffset", instrument.clockOffset()},
                           {"lastStandardization", instrument.lastStandardization()},
                           {"activeSetup", instrument.activeSetup()}};
    try {
        OutputFile file(path);
        file.write(QJsonDocument(root).toJson());
        file.commit();
    } catch (const QuvaneError &e) {
        error = e.description();
        return false;
    }
    return true;
}

} // namespace SimStateFile

} // namespace quvane
