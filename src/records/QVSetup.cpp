#include "records/QVSetup.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "records/InstrumentCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

using namespace quvane;

namespace {

// A code and when it is offered; codes without a condition are always offered.
using Condition = bool (*)(const QVSetup &);
struct Choice
{
    qint16 code;
    Condition offered = nullptr;
};
using Choices = std::span<const Choice>;

constexpr bool scaleIs(const QVSetup &s, std::initializer_list<qint32> codes)
{
    return std::find(codes.begin(), codes.end(), s.ColorScale) != codes.end();
}

// Items 0 to 5, in the order the editor lists them.
constexpr Choice StandardTypes[] = {{0}, {1}, {2}, {3}};
constexpr Choice DisplayModes[] = {
    {0},
    {1},
    {2,
     [](const QVSetup &s) {
         return scaleIs(s, {Codes::ScaleHunterLab, Codes::ScaleXyz, Codes::ScaleCieLuv});
     }},
    {3},
    {4},
    {5,
     [](const QVSetup &s) {
         return s.StandardType != Codes::StandardNumeric && s.StandardType != Codes::StandardHitch;
     }},
};
constexpr Choice Illuminants[] = {{0}, {1}, {2}, {3}, {4}};
constexpr Choice Observers[] = {{0}, {1}};
constexpr Choice ColorScales[] = {{0}, {1}, {2}, {3}, {8}, {4}, {5}};
constexpr Choice ColorIndexes[] = {{0}, {1}, {2}, {3}, {12}, {13}, {14}, {15}, {16}, {17}};

Choices fixedChoices(qint32 anItem)
{
    switch (anItem) {
    case SetupItem::StandardType:
        return StandardTypes;
    case SetupItem::DisplayMode:
        return DisplayModes;
    case SetupItem::Illuminant:
        return Illuminants;
    case SetupItem::Observer:
        return Observers;
    case SetupItem::ColorScale:
        return ColorScales;
    case SetupItem::ColorIndex:
        return ColorIndexes;
    default:
        return {};
    }
}

// Item 6, by the colour scale.
struct DifferenceScales
{
    qint32 colorScale;
    std::array<qint16, 3> codes; // 0 first; a 0 after it ends the list
};
constexpr DifferenceScales DifferenceScalesByScale[] = {
    {0, {0}}, {1, {0, 1, 7}}, {2, {0, 2}}, {3, {0, 3}}, {4, {0, 4, 6}}, {5, {0, 5}}, {8, {0, 8}},
};

QList<qint16> differenceScales(qint32 colorScale)
{
    QList<qint16> codes;
    for (const DifferenceScales &entry : DifferenceScalesByScale) {
        if (entry.colorScale != colorScale)
            continue;
        codes.append(0);
        for (size_t i = 1; i < entry.codes.size() && entry.codes[i] != 0; ++i)
            codes.append(entry.codes[i]);
    }
    return codes;
}

// Item 7: what the difference scale appends after the common codes.
constexpr bool standardIsPhysical(const QVSetup &s)
{
    return s.StandardType == Codes::StandardPhysical;
}
constexpr Choice ByScaleZero[] = {
    {20, [](const QVSetup &s) {
         return scaleIs(s, {Codes::ScaleCieLab, Codes::ScaleCieLCh}) && standardIsPhysical(s);
     }}};
constexpr Choice ShadeNumber[] = {{20, standardIsPhysical}};
constexpr Choice ByHunter[] = {{4}, {5}, {11}};
constexpr Choice ByXyz[] = {{7}, {8}, {11}, {18}, {19}};
constexpr Choice ByYxy[] = {{7}, {8}};
constexpr Choice ByLch[] = {{7}, {8}, {9}, {11}};
constexpr Choice ByLuv[] = {{32}, {11}};
struct DifferenceIndexes
{
    qint32 colorDiffScale;
    Choices choices;
};
constexpr DifferenceIndexes DifferenceIndexesByScale[] = {
    {0, ByScaleZero}, {1, ShadeNumber}, {2, ShadeNumber}, {3, ByHunter},
    {4, ByXyz},       {5, ByYxy},       {6, ByLch},       {8, ByLuv},
};

Choices differenceIndexesOf(qint32 colorDiffScale)
{
    for (const DifferenceIndexes &entry : DifferenceIndexesByScale) {
        if (entry.colorDiffScale == colorDiffScale)
            return entry.choices;
    }
    return {};
}

QList<qint16> offered(Choices choices, const QVSetup &setup)
{
    QList<qint16> codes;
    for (const Choice &choice : choices) {
        if (!choice.offered || choice.offered(setup))
            codes.append(choice.code);
    }
    return codes;
}

QList<qint16> choicesOf(const QVSetup &s, qint32 anItem)
{
    if (anItem == SetupItem::ColorDiffScale)
        return differenceScales(s.ColorScale);
    if (anItem != SetupItem::ColorDiffIndex)
        return offered(fixedChoices(anItem), s);
    if (s.ColorDiffScale() == Codes::DiffScaleStrength)
        return {Codes::DiffIndexStrength};
    QList<qint16> codes{0};
    if (s.ColorIndex != 0)
        codes.append(static_cast<qint16>(s.ColorIndex));
    if (s.ColorScale != 0 || s.ColorIndex != 0)
        codes << 21 << 22;
    return codes + offered(differenceIndexesOf(s.ColorDiffScale()), s);
}

QuvaneError outOfRange(const char *what, qint16 anIndex)
{
    return QuvaneError(
        ErrorNumber::SubscriptOutOfRange,
        QStringLiteral("Subscript out of range: %1(%2)").arg(QLatin1String(what)).arg(anIndex));
}

template <size_t N> float &element(std::array<float, N> &values, qint16 anIndex, const char *what)
{
    if (anIndex < 1 || anIndex > static_cast<qint16>(N))
        throw outOfRange(what, anIndex);
    return values[static_cast<size_t>(anIndex - 1)];
}

template <size_t N>
float element(const std::array<float, N> &values, qint16 anIndex, const char *what)
{
    return element(const_cast<std::array<float, N> &>(values), anIndex, what);
}

// A value in tenths as the instrument keeps it: rounded half to even, within an Integer.
int tenths(float value, const char *what)
{
    const double scaled = std::nearbyint(static_cast<double>(value) * 10.0);
    if (!(scaled >= std::numeric_limits<qint16>::min() &&
          scaled <= std::numeric_limits<qint16>::max()))
        throw QuvaneError::overflow(QStringLiteral("the %1 %2 does not fit the set-up's field")
                                        .arg(QLatin1String(what))
                                        .arg(static_cast<double>(value)));
    return static_cast<int>(scaled);
}

} // namespace

void QVSetup::setColorDiffScale(qint32 aColorScale)
{
    m_colorDiffScale = aColorScale;
    if (aColorScale == Codes::DiffScaleStrength)
        m_colorDiffIndex = Codes::DiffIndexStrength;
}

float QVSetup::ScaleData(qint16 anIndex) const
{
    return element(m_scaleData, anIndex, "ScaleData");
}
void QVSetup::setScaleData(qint16 anIndex, float aValue)
{
    element(m_scaleData, anIndex, "ScaleData") = aValue;
}
float QVSetup::ScaleTolerance(qint16 anIndex) const
{
    return element(m_scaleTolerance, anIndex, "ScaleTolerance");
}
void QVSetup::setScaleTolerance(qint16 anIndex, float aValue)
{
    element(m_scaleTolerance, anIndex, "ScaleTolerance") = aValue;
}
float QVSetup::ScaleHitch(qint16 anIndex) const
{
    return element(m_scaleHitch, anIndex, "ScaleHitch");
}
void QVSetup::setScaleHitch(qint16 anIndex, float aValue)
{
    element(m_scaleHitch, anIndex, "ScaleHitch") = aValue;
}
float QVSetup::Spectrum(qint16 anIndex) const
{
    return element(m_spectrum, anIndex, "Spectrum");
}
void QVSetup::setSpectrum(qint16 anIndex, float aValue)
{
    element(m_spectrum, anIndex, "Spectrum") = aValue;
}

qint16 QVSetup::GetNumberOfChoices(qint32 anItem) const
{
    return static_cast<qint16>(choicesOf(*this, anItem).size());
}

void QVSetup::GetListOfChoices(qint32 anItem, QList<qint16> &aList) const
{
    const QList<qint16> codes = choicesOf(*this, anItem);
    if (codes.size() > aList.size())
        throw outOfRange("aList", static_cast<qint16>(aList.size() + 1));
    std::copy(codes.begin(), codes.end(), aList.begin());
}

void QVSetup::Read(qint16 aSetupNumber)
{
    if (!m_sensor)
        throw QuvaneError(ErrorNumber::LinkLost, QStringLiteral("Link lost: no instrument"));
    PacketBuffer packet;
    packet.PutText(QByteArrayView("P"));
    packet.PutInteger(aSetupNumber - 1);
    packet.PutText(QByteArrayView(QByteArray(381, '0')));
    const QByteArray command = packet.GetCommand();
    packet.SetReply(m_sensor->SendCommand(command));
    readReply(command, [&] { read(packet, command, aSetupNumber); });
}

QVSetup QVSetup::fromRecord(const QByteArray &record)
{
    QVSetup setup;
    PacketBuffer packet;
    packet.SetReply(record);
    setup.read(packet, record, 0);
    return setup;
}

void QVSetup::read(PacketBuffer &packet, const QByteArray &command, qint16 aSetupNumber)
{
    SetupNumber = static_cast<qint16>(packet.GetInteger() + 1);
    // Set-up 0 asks for the active one, whichever it is.
    if (aSetupNumber != 0)
        expectEcho(command, "set-up", aSetupNumber, SetupNumber);
    ProductName = packet.GetString();
    StandardType = packet.GetByte();
    DisplayMode = packet.GetByte();
    Illuminant = packet.GetByte();
    Observer = packet.GetByte();
    ColorScale = packet.GetInteger();
    ColorIndex = packet.GetInteger();
    // Stored directly: difference scale 7 does not force the index here.
    m_colorDiffScale = packet.GetInteger();
    m_colorDiffIndex = packet.GetInteger();
    AverageCount = packet.GetInteger();
    CommercialFactor = static_cast<float>(packet.GetInteger() / 10.0);
    l2cRatio = static_cast<float>(packet.GetInteger() / 10.0);
    for (float &value : m_scaleData)
        value = packet.GetSingle();
    m_indexData = packet.GetSingle();
    for (float &value : m_scaleTolerance)
        value = packet.GetSingle();
    m_indexTolerance = packet.GetSingle();
    for (float &value : m_scaleHitch)
        value = packet.GetSingle();
    m_indexHitch = packet.GetSingle();
    Spectral = packet.GetBoolean() != QvFalse;
    for (float &value : m_spectrum)
        value = packet.GetSingle() * 100.0f;
    expectEnd(packet, command);
}

QByteArray QVSetup::recordFields() const
{
    PacketBuffer packet;
    packet.PutByte(StandardType);
    packet.PutByte(DisplayMode);
    packet.PutByte(Illuminant);
    packet.PutByte(Observer);
    packet.PutInteger(ColorScale);
    packet.PutInteger(ColorIndex);
    packet.PutInteger(m_colorDiffScale);
    packet.PutInteger(m_colorDiffIndex);
    packet.PutInteger(AverageCount);
    packet.PutInteger(tenths(CommercialFactor, "commercial factor"));
    packet.PutInteger(tenths(l2cRatio, "l:c ratio"));
    for (float value : m_scaleData)
        packet.PutSingle(value);
    packet.PutSingle(m_indexData);
    for (float value : m_scaleTolerance)
        packet.PutSingle(value);
    packet.PutSingle(m_indexTolerance);
    for (float value : m_scaleHitch)
        packet.PutSingle(value);
    packet.PutSingle(m_indexHitch);
    packet.PutBoolean(Spectral ? QvTrue : QvFalse);
    for (float value : m_spectrum)
        packet.PutSingle(value / 100.0f);
    return packet.GetCommand();
}

void QVSetup::Replace(qint16 aSetupNumber)
{
    if (aSetupNumber < 1 || aSetupNumber > 100)
        throw QuvaneError(ErrorNumber::InvalidProductSetup,
                          QStringLiteral("Invalid Product Setup #"));
    if (!m_sensor)
        throw QuvaneError(ErrorNumber::LinkLost, QStringLiteral("Link lost: no instrument"));
    // Composed whole before anything is sent: a value that does not fit raises first.
    const QByteArray fields = recordFields();
    PacketBuffer packet;
    packet.PutText(QByteArrayView("P"));
    packet.PutInteger(aSetupNumber - 1);
    packet.PutBoolean(QvTrue);
    packet.PutString(ProductName);
    packet.PutText(QByteArrayView(fields));
    const QByteArray command = packet.GetCommand();
    packet.SetReply(m_sensor->SendCommand(command));
    // The instrument answers with the index it stored.
    readReply(command, [&] {
        expectEcho(command, "set-up", aSetupNumber, packet.GetInteger() + 1);
        expectEnd(packet, command);
    });
}
