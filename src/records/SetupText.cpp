#include "records/SetupText.h"

#include "records/QVSetup.h"

#include <array>
#include <span>

namespace quvane {

namespace {

struct CodeText
{
    qint32 item;
    qint32 code;
    const char *text;
};

// One table for all items: (item, code) to text.
constexpr CodeText Texts[] = {
    // Standard types and display modes: the datalog's words.
    {SetupItem::StandardType, 0, "PHYSICAL"},
    {SetupItem::StandardType, 1, "WORKING"},
    {SetupItem::StandardType, 2, "NUMERIC"},
    {SetupItem::StandardType, 3, "HITCH"},
    {SetupItem::DisplayMode, 0, "ABSOLUTE"},
    {SetupItem::DisplayMode, 1, "DELTA"},
    {SetupItem::DisplayMode, 2, "SPECTRAL DATA"},
    {SetupItem::DisplayMode, 3, "SPECTRAL DIFF"},
    {SetupItem::DisplayMode, 4, "SPECTRAL PLOT"},
    {SetupItem::DisplayMode, 5, "DIFF PLOT"},
    // Illuminants and observers, which the datalog writes as pairs ("D65/10").
    {SetupItem::Illuminant, 0, "A"},
    {SetupItem::Illuminant, 1, "C"},
    {SetupItem::Illuminant, 2, "D50"},
    {SetupItem::Illuminant, 3, "D55"},
    {SetupItem::Illuminant, 4, "D65"},
    {SetupItem::Observer, 0, "2 degree"},
    {SetupItem::Observer, 1, "10 degree"},
    // Colour scales: the datalog's texts, and CIE L*u*v* for the set-ups' own code 8.
    {SetupItem::ColorScale, 0, "(...)"},
    {SetupItem::ColorScale, 1, "CIE Lab"},
    {SetupItem::ColorScale, 2, "CIE LCh"},
    {SetupItem::ColorScale, 3, "Hunter Lab"},
    {SetupItem::ColorScale, 4, "XYZ"},
    {SetupItem::ColorScale, 5, "Yxy"},
    {SetupItem::ColorScale, 8, "CIE Luv"},
    // Colour indices.
    {SetupItem::ColorIndex, 0, "(...)"},
    {SetupItem::ColorIndex, 1, "Y"},
    {SetupItem::ColorIndex, 2, "YI D1925"},
    {SetupItem::ColorIndex, 3, "YI E313"},
    {SetupItem::ColorIndex, 12, "WI E313"},
    {SetupItem::ColorIndex, 13, "Tint"},
    {SetupItem::ColorIndex, 14, "Z%"},
    {SetupItem::ColorIndex, 15, "BT457"},
    {SetupItem::ColorIndex, 16, "Opacity"},
    {SetupItem::ColorIndex, 17, "Brightness"},
    // Difference scales: the differences of the scales, and colour strength.
    {SetupItem::ColorDiffScale, 0, "(...)"},
    {SetupItem::ColorDiffScale, 1, "dL*a*b*"},
    {SetupItem::ColorDiffScale, 2, "dL*C*H*"},
    {SetupItem::ColorDiffScale, 3, "Hunter dLab"},
    {SetupItem::ColorDiffScale, 4, "dXYZ"},
    {SetupItem::ColorDiffScale, 5, "dYxy"},
    {SetupItem::ColorDiffScale, 6, "dLCH"},
    {SetupItem::ColorDiffScale, 7, "Strength"},
    {SetupItem::ColorDiffScale, 8, "dL*u*v*"},
    // Difference indices; the colour index codes stand for their own difference.
    {SetupItem::ColorDiffIndex, 0, "(...)"},
    {SetupItem::ColorDiffIndex, 1, "dY"},
    {SetupItem::ColorDiffIndex, 2, "dYI D1925"},
    {SetupItem::ColorDiffIndex, 3, "dYI E313"},
    {SetupItem::ColorDiffIndex, 4, "Hunter dE"},
    {SetupItem::ColorDiffIndex, 5, "Hunter dC"},
    {SetupItem::ColorDiffIndex, 7, "dE*"},
    {SetupItem::ColorDiffIndex, 8, "dC*"},
    {SetupItem::ColorDiffIndex, 9, "dE 2000"},
    {SetupItem::ColorDiffIndex, 10, "Strength (weighted)"},
    {SetupItem::ColorDiffIndex, 11, "dEcmc"},
    {SetupItem::ColorDiffIndex, 12, "dWI E313"},
    {SetupItem::ColorDiffIndex, 13, "dTint"},
    {SetupItem::ColorDiffIndex, 14, "dZ%"},
    {SetupItem::ColorDiffIndex, 15, "dBT457"},
    {SetupItem::ColorDiffIndex, 16, "dOpacity"},
    {SetupItem::ColorDiffIndex, 17, "dBrightness"},
    {SetupItem::ColorDiffIndex, 18, "dE"},
    {SetupItem::ColorDiffIndex, 19, "dC"},
    {SetupItem::ColorDiffIndex, 20, "Shade Number"},
    {SetupItem::ColorDiffIndex, 21, "Gray Scale"},
    {SetupItem::ColorDiffIndex, 22, "Gray Stain"},
    {SetupItem::ColorDiffIndex, 32, "dE*uv"},
};

struct Components
{
    qint32 code;
    std::array<const char *, 3> names;
};

constexpr Components ScaleComponents[] = {
    {1, {"L*", "a*", "b*"}}, {2, {"L*", "C*", "h"}}, {3, {"L", "a", "b"}},
    {4, {"X", "Y", "Z"}},    {5, {"Y", "x", "y"}},   {8, {"L*", "u*", "v*"}},
};

constexpr Components DifferenceComponents[] = {
    {1, {"dL*", "da*", "db*"}}, {2, {"dL*", "dC*", "dH*"}}, {3, {"dL", "da", "db"}},
    {4, {"dX", "dY", "dZ"}},    {5, {"dY", "dx", "dy"}},    {6, {"dL", "dC", "dH"}},
    {7, {"Str", "", ""}},       {8, {"dL*", "du*", "dv*"}},
};

QString componentOf(std::span<const Components> table, qint32 aCode, int aComponent)
{
    if (aComponent < 1 || aComponent > 3)
        return QString();
    for (const Components &entry : table) {
        if (entry.code == aCode)
            return QString::fromLatin1(entry.names[static_cast<size_t>(aComponent - 1)]);
    }
    return QString();
}

} // namespace

QString SetupChoiceText(qint32 anItem, qint32 aCode)
{
    for (const CodeText &entry : Texts) {
        if (entry.item == anItem && entry.code == aCode)
            return QString::fromLatin1(entry.text);
    }
    return QString::number(aCode);
}

QString ScaleLabel(qint32 aColorScale, int aComponent)
{
    return componentOf(ScaleComponents, aColorScale, aComponent);
}

QString IndexLabel(qint32 aColorIndex)
{
    return aColorIndex == 0 ? QString() : SetupChoiceText(SetupItem::ColorIndex, aColorIndex);
}

QString DiffScaleLabel(qint32 aColorDiffScale, int aComponent)
{
    return componentOf(DifferenceComponents, aColorDiffScale, aComponent);
}

QString DiffIndexLabel(qint32 aColorDiffIndex)
{
    return aColorDiffIndex == 0 ? QString()
                                : SetupChoiceText(SetupItem::ColorDiffIndex, aColorDiffIndex);
}

} // namespace quvane
