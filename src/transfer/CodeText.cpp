#include "transfer/CodeText.h"

#include <array>
#include <span>

using namespace quvane;

namespace {

constexpr std::array<const char *, 4> StandardTypes = {"PHYSICAL", "WORKING", "NUMERIC", "HITCH"};
constexpr std::array<const char *, 7> DisplayModes = {
    "ABSOLUTE",      "DELTA",     "SPECTRAL DATA", "SPECTRAL DIFF",
    "SPECTRAL PLOT", "DIFF PLOT", "COLOR PLOT"};
constexpr std::array<const char *, 18> IlluminantObservers = {
    "A/2",  "C/2",  "D50/2",  "D55/2",  "D65/2",  "D75/2",  "F2/2",  "F7/2",  "F11/2",
    "A/10", "C/10", "D50/10", "D55/10", "D65/10", "D75/10", "F2/10", "F7/10", "F11/10"};
constexpr std::array<const char *, 7> ColorScales = {"(...)", "CIE Lab", "CIE LCh", "Hunter Lab",
                                                     "XYZ",   "Yxy",     "dLCH"};
constexpr std::array<const char *, 11> ColorIndexes = {"(...)",
                                                       "Y",
                                                       "YI D1925",
                                                       "YI E313",
                                                       "WI E313",
                                                       "Tint",
                                                       "Z%",
                                                       "BT457",
                                                       "Opacity",
                                                       "Strength (max abs)",
                                                       "Strength (weighted)"};
// Codes from 21 on.
constexpr std::array<const char *, 9> DifferenceIndexes = {
    "Gray Scale", "Gray Stain", "dE*", "dEcmc", "dE", "dC*", "dC", "Shade Number", "MI"};

const char *entry(std::span<const char *const> table, int position)
{
    if (position < 0 || position >= static_cast<int>(table.size()))
        return nullptr;
    return table[static_cast<size_t>(position)];
}

// The table's text for the code; nullptr when the table has none.
const char *codeTextEntry(qint32 anItem, qint16 aCode)
{
    switch (anItem) {
    case quvane::StandardTypeTable:
        return entry(StandardTypes, aCode);
    case quvane::DisplayModeTable:
        return entry(DisplayModes, aCode);
    case quvane::ConditionsTable:
        return entry(IlluminantObservers, aCode);
    case quvane::ScaleTable:
        return entry(ColorScales, aCode);
    case quvane::IndexTable:
        return aCode > 20 ? entry(DifferenceIndexes, aCode - 21) : entry(ColorIndexes, aCode);
    default:
        return nullptr;
    }
}

bool isTable(qint32 anItem)
{
    return anItem >= quvane::StandardTypeTable && anItem <= quvane::IndexTable;
}

} // namespace

QString GetCodeText(qint32 anItem, qint16 aCode)
{
    if (const char *text = codeTextEntry(anItem, aCode))
        return QString::fromLatin1(text);
    return isTable(anItem) ? QString::number(aCode) : QString();
}

void quvane::appendCodeText(QByteArray &line, qint32 anItem, qint16 aCode)
{
    if (const char *text = codeTextEntry(anItem, aCode))
        line += text;
    else if (isTable(anItem))
        line += QByteArray::number(aCode);
}
