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
    {0, 0, "PHYSICAL"},
    {0, 1, "WORKING"},
    {0, 2, "NUMERIC"},
    {0, 3, "HITCH"},
    {1, 0, "ABSOLUTE"},
    {1, 1, "DELTA"},
    {1, 2, "SPECTRAL DATA"},
    {1, 3, "SPECTRAL DIFF"},
    {1, 4, "SPECTRAL PLOT"},
    {1, 5, "DIFF PLOT"},
    // Illuminants and observers, which the datalog writes as pairs ("D65/10").
    {2, 0, "A"},
    {2, 1, "C"},
    {2, 2, "D50"},
    {2, 3, "D55"},
    {2, 4, "D65"},
    {3, 0, "2 degree"},
    {3, 1, "10 degree"},
    // Colour scales: the datalog's texts, and CIE L*u*v* for the set-ups' own code 8.
    {4, 0, "(...)"},
    {4, 1, "CIE Lab"},
    {4, 2, "CIE LCh"},
    {4, 3, "Hunter Lab"},
    {4, 4, "XYZ"},
    {4, 5, "Yxy"},
    {4, 8, "CIE Luv"},
    // Colour indices.
    {5, 0, "(...)"},
    {5, 1, "Y"},
    {5, 2, "YI D1925"},
    {5, 3, "YI E313"},
    {5, 12, "WI E313"},
    {5, 13, "Tint"},
    {5, 14, "Z%"},
    {5, 15, "BT457"},
    {5, 16, "Opacity"},
    {5, 17, "Brightness"},
    // Difference scales: the differences of the scales, and colour strength.
    {6, 0, "(...)"},
    {6, 1, "dL*a*b*"},
    {6, 2, "dL*C*H*"},
    {6, 3, "Hunter dLab"},
    {6, 4, "dXYZ"},
    {6, 5, "dYxy"},
    {6, 6, "dLCH"},
    {6, 7, "Strength"},
    {6, 8, "dL*u*v*"},
    // Difference indices; the colour index codes stand for their own difference.
    {7, 0, "(...)"},
    {7, 1, "dY"},
    {7, 2, "dYI D1925"},
    {7, 3, "dYI E313"},
    {7, 4, "Hunter dE"},
    {7, 5, "Hunter dC"},
    {7, 7, "dE*"},
    {7, 8, "dC*"},
    {7, 9, "dE 2000"},
    {7, 10, "Strength (weighted)"},
    {7, 11, "dEcmc"},
    {7, 12, "dWI E313"},
    {7, 13, "dTint"},
    {7, 14, "dZ%"},
    {7, 15, "dBT457"},
    {7, 16, "dOpacity"},
    {7, 17, "dBrightness"},
    {7, 18, "dE"},
    {7, 19, "dC"},
    {7, 20, "Shade Number"},
    {7, 21, "Gray Scale"},
    {7, 22, "Gray Stain"},
    {7, 32, "dE*uv"},
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
