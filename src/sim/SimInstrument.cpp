#include "sim/SimInstrument.h"

#include "colour/Colorimetry.h"
#include "link/Framing.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "records/InstrumentCodes.h"
#include "records/QVSetup.h"
#include "records/SetupLine.h"
#include "transfer/OutputFile.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace quvane {

namespace {

QByteArray status(int code)
{
    PacketBuffer packet;
    packet.PutInteger(code);
    return packet.GetCommand();
}

// Reads the one number that follows a command's letters (an Integer or a Long). Returns the
// refusal code for a malformed command or an index outside 0 to count - 1, else 0.
int readIndex(const QByteArray &command, int letters, bool isLong, int count, int &index)
{
    PacketBuffer packet;
    packet.SetReply(command);
    try {
        packet.Skip(letters);
        index = isLong ? packet.GetLong() : packet.GetInteger();
    } catch (const QuvaneError &) {
        return SimRefusal::BadField;
    }
    if (packet.position() != command.size())
        return SimRefusal::BadField;
    return index >= 0 && index < count ? 0 : SimRefusal::NoSuchRecord;
}

// The colorimeter of an instrument's illuminant and observer codes (a code past the ends is the
// nearest illuminant).
Colour::Colorimeter meterOf(int illuminant, int observer)
{
    return Colour::Colorimeter(
        *Codes::illuminant(std::clamp(illuminant, 0, Colour::IlluminantCount - 1)),
        Codes::observer(observer));
}

// The scale values an instrument stores with a reading, computed from its spectrum: the record's
// scale (CIE L*a*b* for none) as the first triple, CIE L*C*h as the second.
std::array<float, 6> scaleValuesOf(const Reflectance &r, int illuminant = 4, int observer = 1,
                                   int scale = Codes::ScaleCieLab)
{
    using namespace Colour;
    const Colorimeter meter = meterOf(illuminant, observer);
    const Xyz xyz = meter.tristimulus(r);
    const LCh lch = toLCh(toLab(xyz, meter.white()));
    const auto first = scaleValues(Codes::scale(scale).value_or(Scale::Lab), xyz, meter.white());
    return {float(first[0]), float(first[1]), float(first[2]),
            float(lch.L),    float(lch.C),    float(lch.h)};
}

// The index value of a reading; 0 where there is none, or the index is not defined for the
// reading's conditions.
float indexValueOf(const Reflectance &r, int illuminant, int observer,
                   std::optional<Colour::Index> index)
{
    const Colour::Colorimeter meter = meterOf(illuminant, observer);
    const std::optional<double> value =
        index ? Colour::indexValue(*index, meter.tristimulus(r), meter) : std::nullopt;
    return float(value.value_or(0));
}

// A set-up's standard values from its standard's spectrum, for its own illuminant, observer,
// scale and index.
void setStandardValues(QVSetup &setup, const Reflectance &r)
{
    if (setup.ColorScale != Codes::NoScale) {
        const auto values = scaleValuesOf(r, setup.Illuminant, setup.Observer, setup.ColorScale);
        for (qint16 i = 1; i <= 3; ++i)
            setup.setScaleData(i, values[static_cast<size_t>(i - 1)]);
    }
    if (const auto index = Codes::index(setup.ColorIndex))
        setup.setIndexData(indexValueOf(r, setup.Illuminant, setup.Observer, index));
}

// The standard's CIE L*a*b* (or Hunter Lab) values of a set-up under its own conditions, as the
// instrument has them: from its spectrum, or from the values it keeps in its scale.
std::optional<Colour::Lab> standardValuesOf(const QVSetup &setup, const Colour::Colorimeter &meter,
                                            bool hunter)
{
    using namespace Colour;
    const Xyz &white = meter.white();
    if (setup.Spectral) {
        const Xyz xyz = meter.tristimulus(setup.spectrum());
        return hunter ? toHunterLab(xyz, white) : toLab(xyz, white);
    }
    const double v[3] = {setup.ScaleData(1), setup.ScaleData(2), setup.ScaleData(3)};
    switch (hunter ? (setup.ColorScale == Codes::ScaleHunterLab ? 1 : 0) : setup.ColorScale) {
    case Codes::ScaleCieLab: // or Hunter's own, for a Hunter difference
        return Lab{v[0], v[1], v[2]};
    case Codes::ScaleCieLCh:
        return Lab{v[0], v[1] * std::cos(v[2] * M_PI / 180), v[1] * std::sin(v[2] * M_PI / 180)};
    case Codes::ScaleXyz:
        return toLab({v[0], v[1], v[2]}, white);
    default:
        return std::nullopt;
    }
}

// The instrument's verdict on a reading against a set-up, from the values it shows under the
// set-up's illuminant and observer: 0 (pass) when every difference the set-up keeps a
// tolerance for lies within it, 1 (fail) when one does not, -1 when it keeps none it can apply.
int passFailOf(const QVSetup &setup, const Reflectance &r)
{
    using namespace Colour;
    const Colorimeter meter = meterOf(setup.Illuminant, setup.Observer);
    const Xyz reading = meter.tristimulus(r);
    bool judged = false, fails = false;
    const qint32 index = setup.ColorDiffIndex();
    const bool hunter = index == Codes::DiffIndexHunterDeltaE;
    const std::optional<Lab> standard = standardValuesOf(setup, meter, hunter);
    if (standard && setup.IndexTolerance() > 0) {
        const Lab lab =
            hunter ? toHunterLab(reading, meter.white()) : toLab(reading, meter.white());
        std::optional<double> dE;
        if (index == Codes::DiffIndexDeltaEab || hunter)
            dE = std::hypot(lab.L - standard->L, lab.a - standard->a, lab.b - standard->b);
        else if (index == Codes::DiffIndexDeltaE2000)
            dE = deltaE2000(lab, *standard);
        else if (index == Codes::DiffIndexCmc)
            dE = deltaECmc(lab, *standard, setup.l2cRatio > 0 ? setup.l2cRatio : 2, 1) /
                 (setup.CommercialFactor > 0 ? setup.CommercialFactor : 1);
        if (dE) {
            judged = true;
            fails = *dE > setup.IndexTolerance();
        }
    }
    const qint32 scale = setup.ColorDiffScale();
    const std::optional<Lab> cie = hunter ? standardValuesOf(setup, meter, false) : standard;
    if (cie && (scale == Codes::DiffScaleLab || scale == Codes::DiffScaleLCh)) {
        const Lab lab = toLab(reading, meter.white());
        double d[3] = {lab.L - cie->L, lab.a - cie->a, lab.b - cie->b};
        if (scale == Codes::DiffScaleLCh) {
            const LCh one = toLCh(*cie), two = toLCh(lab);
            double dh = two.h - one.h;
            dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
            d[1] = two.C - one.C;
            d[2] = 2 * std::sqrt(one.C * two.C) * std::sin(dh * M_PI / 360);
        }
        for (qint16 i = 1; i <= 3; ++i) {
            if (setup.ScaleTolerance(i) > 0) {
                judged = true;
                fails = fails || std::fabs(d[i - 1]) > setup.ScaleTolerance(i);
            }
        }
    }
    return judged ? (fails ? 1 : 0) : -1;
}

// Plausible set-ups: named products with a mix of scales, indices and difference settings, each
// one the choice rules allow; every third with its standard's spectrum. Those with a colour
// difference among their differences keep tolerances for it.
SimSetup defaultSetup(int index)
{
    const auto &samples = SampleCatalogue::samples();
    const Sample &sample = samples[static_cast<size_t>(index) % samples.size()];
    QVSetup setup;
    setup.ProductName = index < static_cast<int>(samples.size())
                            ? sample.name.toUpper()
                            : QStringLiteral("PRODUCT %1").arg(index + 1, 3, 10, QLatin1Char('0'));
    QList<qint16> list(QVSetup::ChoiceListSize);
    // The index-th of the codes an item may take now.
    const auto pick = [&setup, &list, index](qint32 item, int salt) {
        const int count = setup.GetNumberOfChoices(item);
        setup.GetListOfChoices(item, list);
        return count > 0 ? list[(index * 7 + salt) % count] : qint16(0);
    };
    // The products the datalog holds are judged each a different way: a box of dL*a*b* or of
    // dL*C*H*, dE*, dE 2000 (with the dLCH scale), Hunter dE and dEcmc; two not at all.
    // Their tolerances put the limit among the batches' differences.
    constexpr struct
    {
        qint32 scale, diffScale, diffIndex;
        float tolerance;
    } judged[] = {{1, 1, 0, 0.5f}, {0, 0, 0, 0},    {2, 2, 0, 0.3f},   {4, 4, 7, 0.7f},
                  {4, 6, 9, 0.3f}, {3, 3, 4, 0.6f}, {4, 4, 11, 0.15f}, {0, 0, 0, 0}};
    const bool table = index < int(std::size(judged)) && judged[index].scale != 0;
    setup.StandardType = index % 10 == 9 ? 1 : 0;
    setup.ColorScale = table ? judged[index].scale : pick(4, 1);
    setup.ColorIndex = index % 4 == 0 ? pick(5, 3) : 0;
    setup.DisplayMode = pick(1, 0);
    setup.Illuminant = pick(2, 2);
    setup.Observer = index % 3 == 0 ? 0 : 1;
    setup.setColorDiffScale(table ? judged[index].diffScale : pick(6, 1));
    setup.setColorDiffIndex(table ? judged[index].diffIndex : pick(7, 2));
    setup.AverageCount = static_cast<qint16>(1 + index % 5);
    setup.CommercialFactor = setup.ColorDiffIndex() == Codes::DiffIndexCmc ? 1.4f : 1.0f;
    setup.l2cRatio = setup.ColorDiffIndex() == Codes::DiffIndexCmc ? 1.5f : 2.0f;
    setup.Spectral = index % 3 == 0;
    if (setup.Spectral)
        setup.setSpectrum(sample.reflectance);
    setStandardValues(setup, sample.reflectance);
    if (setup.ColorDiffScale() == Codes::DiffScaleLab ||
        setup.ColorDiffScale() == Codes::DiffScaleLCh) {
        for (qint16 i = 1; i <= 3; ++i)
            setup.setScaleTolerance(i, table ? judged[index].tolerance
                                             : 0.4f + 0.2f * float((index + i) % 4));
    }
    switch (setup.ColorDiffIndex()) {
    case Codes::DiffIndexDeltaEab:
    case Codes::DiffIndexDeltaE2000:
    case Codes::DiffIndexCmc:
    case Codes::DiffIndexHunterDeltaE:
        setup.setIndexTolerance(table ? judged[index].tolerance : 0.5f + 0.25f * float(index % 4));
        break;
    default:
        break;
    }
    return {setup.ProductName, setup.recordFields()};
}

} // namespace

namespace {

// Whether the text after a set-up's name decodes as its fields.
bool decodesAsSetupFields(const QByteArray &fields)
{
    if (fields.size() != SetupLine::FieldCharacters)
        return false;
    PacketBuffer packet;
    packet.SetReply(fields);
    try {
        SetupLine::checkFields(packet);
    } catch (const QuvaneError &) {
        return false;
    }
    return true;
}

} // namespace

QByteArray SimInstrument::refusal(int code)
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("!"));
    packet.PutInteger(code);
    return packet.GetCommand();
}

SimInstrument::SimInstrument(SimIdentity identity, quint32 seed)
    : m_identity(std::move(identity)), m_random(seed)
{
    m_setups.reserve(SetupCount);
    for (int i = 0; i < SetupCount; ++i)
        m_setups.append(defaultSetup(i));
    m_lastStandardization = clockNow() - 2 * 3600;
}

qint32 SimInstrument::clockNow() const
{
    const qint64 now = qint64(modGlobals::DateToSeconds(modGlobals::Now())) + m_clockOffset;
    return static_cast<qint32>(std::clamp<qint64>(now, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

QString SimInstrument::checkState() const
{
    if (m_activeSetup < 0 || m_activeSetup >= SetupCount)
        return QStringLiteral("the active set-up %1 is not 0 to %2")
            .arg(m_activeSetup)
            .arg(SetupCount - 1);
    if (m_datalog.size() > DatalogCapacity)
        return QStringLiteral("the datalog holds %1 records, more than %2")
            .arg(m_datalog.size())
            .arg(DatalogCapacity);
    // Every set-up and record must travel: encode each as the protocol would.
    for (int i = 0; i < m_setups.size(); ++i) {
        try {
            setupRecord(i);
        } catch (const QuvaneError &error) {
            return QStringLiteral("set-up %1: %2").arg(i + 1).arg(error.description());
        }
        if (!decodesAsSetupFields(m_setups[i].fields))
            return QStringLiteral("set-up %1: its fields are not a set-up's").arg(i + 1);
    }
    for (int i = 0; i < m_datalog.size(); ++i) {
        try {
            captureLine(i);
        } catch (const QuvaneError &error) {
            return QStringLiteral("datalog record %1: %2").arg(i + 1).arg(error.description());
        }
    }
    return QString();
}

const QDateTime SimInstrument::SeedNewest(QDate(2026, 11, 30), QTime(17, 0));

void SimInstrument::seedDatalog(int n)
{
    const auto &samples = SampleCatalogue::samples();
    qint32 newest = modGlobals::DateToSeconds(modGlobals::ToPcDate(SeedNewest));
    if (!m_datalog.isEmpty())
        newest = std::max(newest, m_datalog.last().timestamp + n * 1800);
    const int room = DatalogCapacity - static_cast<int>(m_datalog.size());
    n = std::clamp(n, 0, room);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(samples.size()) - 1);
    for (int i = 0; i < n; ++i) {
        SimLogRecord record;
        record.setupIndex = pick(m_random);
        const Sample &sample = samples[static_cast<size_t>(record.setupIndex)];
        record.product = m_setups[record.setupIndex].name;
        record.sampleId = QStringLiteral("S%1").arg(m_datalog.size() + 1, 4, 10, QLatin1Char('0'));
        record.sequence = i % 5 + 1;
        record.sequenceOf = 5;
        record.isStandard = record.sequence == 1;
        record.timestamp = newest - (n - 1 - i) * 1800;
        // A batch of the product: off its standard by a little in strength and shade.
        std::normal_distribution<float> batch(0.0f, 0.012f);
        const float strength = batch(m_random), tilt = batch(m_random);
        Sample made = sample;
        for (size_t k = 0; k < made.reflectance.size(); ++k)
            made.reflectance[k] = std::clamp(
                made.reflectance[k] * (1 + strength + tilt * (float(k) - 15) / 15), 0.0f, 100.0f);
        record.spectrum = SampleCatalogue::measure(made, m_random);
        record.scaleData =
            scaleValuesOf(record.spectrum, record.illuminant, record.observer, record.colorScale);
        record.colorIndex = Codes::IndexYellownessE313; // as ASTM E313 defines it for D65/10
        record.indexData = {indexValueOf(record.spectrum, record.illuminant, record.observer,
                                         Codes::datalogIndex(record.colorIndex)),
                            0.0f};
        record.passFail =
            passFailOf(QVSetup::fromRecord(setupRecord(record.setupIndex)), record.spectrum);
        m_datalog.append(record);
    }
}

HandlerResult SimInstrument::handle(const QByteArray &command)
{
    const int number = ++m_commands;
    if (number == m_faults.dropAt || number <= m_faults.silent || number == m_faults.silentAt) {
        if (onExchange)
            onExchange(command, QByteArray());
        return number == m_faults.dropAt ? HandlerResult::drop() : HandlerResult::silent();
    }
    HandlerResult result = answer(command);
    // The earlier reply, sent as this one's: an answer to another command, framed well.
    if (number == m_faults.staleAt)
        std::swap(result.reply, m_lastReply);
    else
        m_lastReply = result.reply;
    if (number == m_faults.corruptAt)
        result.noise = m_faults.corruptKind;
    result.delayMs = delayFor(command, result.reply);
    if (number == m_faults.delayAt)
        result.delayMs += m_faults.delayMs;
    result.held = number == m_faults.lateAt;
    if (onExchange)
        onExchange(command, result.reply);
    return result;
}

int SimInstrument::delayFor(const QByteArray &command, const QByteArray &reply) const
{
    if (m_baud <= 0)
        return 0;
    // 8N1: ten bit times per byte, the framing and CR of each line included.
    constexpr int Framed = Framing::Overhead + 1;
    const qint64 bits = 10LL * (command.size() + Framed + reply.size() + Framed);
    return static_cast<int>(bits * 1000 / m_baud);
}

HandlerResult SimInstrument::answer(const QByteArray &command)
{
    try {
        if (command == "I")
            return HandlerResult::answer(identify());
        if (command == "B")
            return HandlerResult::answer(standardize(m_faults.failBlack, false));
        if (command == "W")
            return HandlerResult::answer(standardize(m_faults.failWhite, true));
        if (command == "D0001")
            return HandlerResult::answer(datalogStatus());
        if (command == "H")
            return HandlerResult::answer(measure());
        if (command.startsWith("Q1"))
            return HandlerResult::answer(captureRecord(command));
        // The four set-up commands each have one form: a read is "P", an index and 381 "0";
        // a write "P", an index and "T"; an archive "P1" and a Long; a restore "P0" and a
        // set-up record (whose sixth character is a hex digit, never "T").
        if (command.startsWith('P')) {
            if (command.size() == 1 + 4 + SetupLine::FieldCharacters &&
                command.mid(5).count('0') == SetupLine::FieldCharacters)
                return HandlerResult::answer(readSetup(command));
            if (command.size() > 5 && command.at(5) == 'T')
                return HandlerResult::answer(writeSetup(command));
            if (command.size() == 10 && command.startsWith("P1"))
                return HandlerResult::answer(archiveSetup(command));
            if (command.startsWith("P0"))
                return HandlerResult::answer(restoreSetup(command));
            return HandlerResult::answer(refusal(SimRefusal::BadField));
        }
        if (command.startsWith('K'))
            return HandlerResult::answer(datalogRecord(command));
        if (command.startsWith("X000"))
            return HandlerResult::answer(setClockOrClear(command));
        if (command.startsWith('S'))
            return HandlerResult::answer(screenBand(command));
    } catch (const QuvaneError &) {
        return HandlerResult::answer(refusal(SimRefusal::BadField));
    }
    return HandlerResult::answer(refusal(SimRefusal::UnknownCommand));
}

QByteArray SimInstrument::identify() const
{
    PacketBuffer packet;
    packet.PutString(m_identity.model);
    packet.PutString(m_identity.firmware);
    packet.PutString(m_identity.serialNumber);
    packet.PutByte(m_identity.flavor);
    return packet.GetCommand();
}

QByteArray SimInstrument::standardize(int &failuresLeft, bool white)
{
    if (failuresLeft > 0) {
        --failuresLeft;
        return status(1);
    }
    if (white) {
        m_lastStandardization = clockNow();
        if (onStateChanged)
            onStateChanged();
    }
    return status(0);
}

QByteArray SimInstrument::datalogStatus() const
{
    PacketBuffer packet;
    packet.PutTimestamp(m_lastStandardization);
    packet.PutTimestamp(clockNow());
    packet.PutLong(DatalogCapacity);
    packet.PutLong(m_faults.reportedCount.value_or(static_cast<qint32>(m_datalog.size())));
    return packet.GetCommand();
}

QByteArray SimInstrument::setClockOrClear(const QByteArray &command)
{
    PacketBuffer packet;
    packet.SetReply(command);
    packet.Skip(4);
    const qint32 time = packet.GetTimestamp();
    if (packet.position() == command.size()) {
        // In 64 bits: a time far from now must not overflow the offset.
        const qint64 offset = qint64(time) - modGlobals::DateToSeconds(modGlobals::Now());
        if (offset < std::numeric_limits<qint32>::min() ||
            offset > std::numeric_limits<qint32>::max())
            return refusal(SimRefusal::BadField);
        m_clockOffset = static_cast<qint32>(offset);
    } else if (command == "X000FFFFFFFF01") {
        m_datalog.clear();
    } else {
        return refusal(SimRefusal::BadField);
    }
    if (onStateChanged)
        onStateChanged();
    return status(0);
}

QByteArray SimInstrument::measure()
{
    const auto &samples = SampleCatalogue::samples();
    const int index =
        m_sample >= 0
            ? m_sample % static_cast<int>(samples.size())
            : std::uniform_int_distribution<int>(2, static_cast<int>(samples.size()) - 1)(m_random);
    const Reflectance r =
        m_exactSample ? *m_exactSample
                      : SampleCatalogue::measure(samples[static_cast<size_t>(index)], m_random);
    m_lastMeasurement = scaleValuesOf(r);
    PacketBuffer packet;
    packet.PutInteger(0);
    for (float percent : r)
        packet.PutSingle(percent / 100.0f);
    return packet.GetCommand();
}

QByteArray SimInstrument::screenBand(const QByteArray &command) const
{
    int band = 0;
    PacketBuffer request;
    request.SetReply(command);
    try {
        request.Skip(1);
        band = request.GetByte();
    } catch (const QuvaneError &) {
        return refusal(SimRefusal::BadField);
    }
    if (request.position() != command.size())
        return refusal(SimRefusal::BadField);
    if (band > 3)
        return refusal(SimRefusal::NoSuchRecord);
    const QByteArray rows = display().band(band);
    PacketBuffer packet;
    for (char byte : rows)
        packet.PutByte(static_cast<uchar>(byte));
    return packet.GetCommand();
}

SimDisplay SimInstrument::display() const
{
    SimDisplay screen;
    screen.frame();
    const QString model = m_identity.model.section(QLatin1Char(' '), -1);
    screen.text(6, 6, model, model.size() <= 9 ? 2 : 1);
    const QDateTime now = modGlobals::FromPcDate(modGlobals::SecondsToDate(clockNow()));
    screen.text(6, 26, now.toString(QStringLiteral("yyyy-MM-dd")));
    screen.text(6, 36, now.toString(QStringLiteral("HH:mm:ss")));
    screen.text(6, 52, QStringLiteral("SETUP %1").arg(m_activeSetup + 1));
    screen.text(6, 62, m_setups[m_activeSetup].name.left(19));
    if (m_lastMeasurement) {
        const auto &lab = *m_lastMeasurement;
        screen.text(6, 80, QStringLiteral("L %1").arg(double(lab[0]), 0, 'f', 2));
        screen.text(6, 90, QStringLiteral("A %1").arg(double(lab[1]), 0, 'f', 2));
        screen.text(6, 100, QStringLiteral("B %1").arg(double(lab[2]), 0, 'f', 2));
    } else {
        screen.text(6, 90, QStringLiteral("READY"));
    }
    return screen;
}

QByteArray SimInstrument::datalogRecord(const QByteArray &command) const
{
    int index = 0;
    if (const int code = readIndex(command, 1, false, static_cast<int>(m_datalog.size()), index))
        return refusal(code);
    const SimLogRecord &r = m_datalog[index];
    PacketBuffer packet;
    const QDateTime when = modGlobals::FromPcDate(modGlobals::SecondsToDate(r.timestamp));
    packet.PutInteger(index + 1);
    packet.PutInteger(r.setupIndex);
    packet.PutByte(r.displayMode);
    packet.PutByte(r.illuminant);
    packet.PutByte(r.observer);
    packet.PutInteger(r.colorScale);
    packet.PutInteger(r.colorIndex);
    packet.PutBoolean(r.isStandard ? QvFalse : QvTrue); // the flag says "sample"
    packet.PutText(QByteArrayView("0"));
    packet.PutInteger(r.passFail);
    packet.PutText(QByteArrayView("00000000"));
    packet.PutString(when.toString(QStringLiteral("MM/dd/yy")));
    packet.PutString(when.toString(QStringLiteral("HH:mm:ss")));
    packet.PutString(r.sampleId);
    for (int i = 0; i < 3; ++i)
        packet.PutSingle(r.colorScale != 0 ? r.scaleData[static_cast<size_t>(i)] : 0.0f);
    packet.PutSingle(r.colorIndex != 0 ? r.indexData[0] : 0.0f);
    packet.PutBoolean(r.spectral ? QvTrue : QvFalse);
    for (float percent : r.spectrum)
        packet.PutSingle(percent / 100.0f);
    return packet.GetCommand();
}

QByteArray SimInstrument::captureRecord(const QByteArray &command) const
{
    int index = 0;
    if (const int code = readIndex(command, 2, true, static_cast<int>(m_datalog.size()), index))
        return refusal(code);
    return captureLine(index);
}

QByteArray SimInstrument::captureLine(int index) const
{
    const SimLogRecord &r = m_datalog[index];
    PacketBuffer packet;
    packet.PutLong(index);
    packet.PutString(r.product);
    packet.PutString(r.sampleId);
    packet.PutByte(r.setupIndex);
    packet.PutByte(r.standardType);
    packet.PutByte(r.displayMode);
    packet.PutByte(r.sequence);
    packet.PutByte(r.sequenceOf);
    packet.PutBoolean(r.isStandard ? QvTrue : QvFalse);
    packet.PutTimestamp(r.timestamp);
    packet.PutByte(r.illuminant + 9 * r.observer);
    packet.PutText(QByteArrayView("00"));
    packet.PutByte(r.colorScale);
    packet.PutByte(r.colorIndex);
    packet.PutInteger(r.passFail); // as "K" sends it; the capture's file leaves it out
    for (float percent : r.spectrum)
        packet.PutSingle(percent);
    for (float value : r.scaleData)
        packet.PutSingle(value);
    for (int i = 0; i < 6; ++i)
        packet.PutSingle(0.0f);
    for (float value : r.indexData)
        packet.PutSingle(value);
    return packet.GetCommand();
}

bool SimInstrument::exportDatalog(const QString &folder, QString &error) const
{
    try {
        OutputFile file(QDir(folder).filePath(QStringLiteral("DATALOG.QV3")));
        file.write(QStringLiteral("# %1 datalog, serial number %2\r\n# %3 records\r\n")
                       .arg(m_identity.model, m_identity.serialNumber)
                       .arg(m_datalog.size())
                       .toLatin1());
        for (int i = 0; i < m_datalog.size(); ++i)
            file.writeLine(captureLine(i));
        file.commit();
    } catch (const QuvaneError &e) {
        error = e.description();
        return false;
    }
    return true;
}

QByteArray SimInstrument::setupRecord(int index) const
{
    PacketBuffer packet;
    packet.PutInteger(index);
    packet.PutString(m_setups[index].name);
    packet.PutText(QByteArrayView(m_setups[index].fields));
    return packet.GetCommand();
}

QByteArray SimInstrument::readSetup(const QByteArray &command) const
{
    PacketBuffer packet;
    packet.SetReply(command);
    packet.Skip(1);
    int index = packet.GetInteger();
    if (index == -1) // set-up number 0: the one the instrument measures with
        index = m_activeSetup;
    if (index < 0 || index >= SetupCount)
        return refusal(SimRefusal::NoSuchRecord);
    return setupRecord(index);
}

QByteArray SimInstrument::writeSetup(const QByteArray &command)
{
    PacketBuffer packet;
    packet.SetReply(command);
    packet.Skip(1);
    const int index = packet.GetInteger();
    packet.Skip(1); // the flag "T"
    if (index < 0 || index >= SetupCount)
        return refusal(SimRefusal::NoSuchRecord);
    const QString name = packet.GetString();
    const QByteArray fields = command.mid(packet.position());
    if (!decodesAsSetupFields(fields))
        return refusal(SimRefusal::BadField);
    m_setups[index] = {name, fields};
    if (onStateChanged)
        onStateChanged();
    return status(index);
}

QByteArray SimInstrument::archiveSetup(const QByteArray &command) const
{
    int index = 0;
    if (const int code = readIndex(command, 2, true, SetupCount, index))
        return refusal(code);
    return setupRecord(index);
}

QByteArray SimInstrument::restoreSetup(const QByteArray &command)
{
    PacketBuffer packet;
    packet.SetReply(command);
    packet.Skip(2);
    const int index = packet.GetInteger();
    const QString name = packet.GetString();
    const QByteArray fields = command.mid(packet.position());
    if (index < 0 || index >= SetupCount)
        return refusal(SimRefusal::NoSuchRecord);
    if (!decodesAsSetupFields(fields))
        return refusal(SimRefusal::BadField);
    m_setups[index] = {name, fields};
    if (onStateChanged)
        onStateChanged();
    packet.PutLong(index);
    return packet.GetCommand();
}

std::shared_ptr<PacketHandler> demoInstrument()
{
    auto instrument = std::make_shared<SimInstrument>();
    instrument->seedDatalog(40);
    return instrument;
}

} // namespace quvane
