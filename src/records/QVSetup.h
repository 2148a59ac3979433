#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

class PacketBuffer;

namespace quvane {
// The set-up items whose choices and texts the program knows, numbered as the editor lists them
// and as GetListOfChoices and SetupChoiceText take them.
namespace SetupItem {
enum : qint32
{
    StandardType = 0,
    DisplayMode = 1,
    Illuminant = 2,
    Observer = 3,
    ColorScale = 4,
    ColorIndex = 5,
    ColorDiffScale = 6,
    ColorDiffIndex = 7,
};
} // namespace SetupItem
} // namespace quvane
class SensorControl;

// One product set-up in the PC: what to measure and how, with the standard's values. The
// instrument keeps 100 of them; Read and Replace exchange one with it ("P"). The class also
// says which codes each coded item may take given the others (GetListOfChoices).
class QVSetup
{
public:
    QVSetup() = default;
    explicit QVSetup(SensorControl &sensor) : m_sensor(&sensor) {}

    qint16 SetupNumber = 0;
    QString ProductName;
    qint32 StandardType = 0;
    qint32 DisplayMode = 0;
    qint32 Illuminant = 0;
    qint32 Observer = 0;
    qint32 ColorScale = 0;
    qint32 ColorIndex = 0;
    qint16 AverageCount = 0;
    float CommercialFactor = 0;
    float l2cRatio = 0;
    bool Spectral = false;

    // Setting difference scale 7 also sets the difference index to 10.
    qint32 ColorDiffScale() const { return m_colorDiffScale; }
    void setColorDiffScale(qint32 aColorScale);
    qint32 ColorDiffIndex() const { return m_colorDiffIndex; }
    void setColorDiffIndex(qint32 aColorIndex) { m_colorDiffIndex = aColorIndex; }

    // Index 1 to 3 (1 to 31 for Spectrum); any other raises subscript out of range (9).
    float ScaleData(qint16 anIndex) const;
    void setScaleData(qint16 anIndex, float aValue);
    float IndexData() const { return m_indexData; }
    void setIndexData(float aValue) { m_indexData = aValue; }
    float ScaleTolerance(qint16 anIndex) const;
    void setScaleTolerance(qint16 anIndex, float aValue);
    float IndexTolerance() const { return m_indexTolerance; }
    void setIndexTolerance(float aValue) { m_indexTolerance = aValue; }
    float ScaleHitch(qint16 anIndex) const;
    void setScaleHitch(qint16 anIndex, float aValue);
    float IndexHitch() const { return m_indexHitch; }
    void setIndexHitch(float aValue) { m_indexHitch = aValue; }
    float Spectrum(qint16 anIndex) const;
    void setSpectrum(qint16 anIndex, float aValue);
    // The standard's 31 values at once, 400 to 700 nm.
    const std::array<float, 31> &spectrum() const { return m_spectrum; }
    void setSpectrum(const std::array<float, 31> &values) { m_spectrum = values; }

    // The codes item 0 to 7 may take now, in the order the editor lists them; other items
    // have none. aList stands for the caller's array indexed from 1: aList(1) is aList[0]. The
    // codes are written from its start and nothing else is changed; a list too short for
    // them raises subscript out of range (9).
    qint16 GetNumberOfChoices(qint32 anItem) const;
    void GetListOfChoices(qint32 anItem, QList<qint16> &aList) const;

    // Loads set-up aSetupNumber (not checked; 0 reads the active set-up, index -1).
    void Read(qint16 aSetupNumber);
    // Writes every member but SetupNumber into set-up aSetupNumber, 1 to 100; any other number
    // raises -2147212504 "Invalid Product Setup #" and sends nothing.
    void Replace(qint16 aSetupNumber);

    // Fields 3 to 57 of the set-up record (everything after the name), as Replace sends them;
    // a commercial factor or l:c ratio whose tenths do not fit an Integer raises overflow.
    QByteArray recordFields() const;
    // A set-up from its record as the instrument sends it (index, name and fields), without an
    // instrument; a record that does not decode raises.
    static QVSetup fromRecord(const QByteArray &record);

    static constexpr int ChoiceListSize = 30;

private:
    // Takes the reply to a read apart, checking it is the set-up asked for.
    void read(PacketBuffer &packet, const QByteArray &command, qint16 aSetupNumber);

    SensorControl *m_sensor = nullptr;
    qint32 m_colorDiffScale = 0;
    qint32 m_colorDiffIndex = 0;
    std::array<float, 3> m_scaleData{};
    float m_indexData = 0;
    std::array<float, 3> m_scaleTolerance{};
    float m_indexTolerance = 0;
    std::array<float, 3> m_scaleHitch{};
    float m_indexHitch = 0;
    std::array<float, 31> m_spectrum{};
};
