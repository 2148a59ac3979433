#include "records/InstrumentCodes.h"

#include <utility>

namespace quvane::Codes {

using namespace Colour;

Observer observer(qint32 code)
{
    return code == 0 ? Observer::TwoDegree : Observer::TenDegree;
}

std::optional<Illuminant> illuminant(qint32 code)
{
    if (code < 0 || code >= IlluminantCount)
        return std::nullopt;
    return Illuminant(code);
}

std::optional<Scale> scale(qint32 setupScale)
{
    static constexpr std::pair<qint32, Scale> scales[] = {
        {ScaleCieLab, Scale::Lab}, {ScaleCieLCh, Scale::LCh}, {ScaleHunterLab, Scale::HunterLab},
        {ScaleXyz, Scale::Xyz},    {ScaleYxy, Scale::Yxy},    {ScaleCieLuv, Scale::Luv}};
    for (const auto &[code, kind] : scales) {
        if (code == setupScale)
            return kind;
    }
    return std::nullopt;
}

std::optional<Index> index(qint32 setupIndex)
{
    static constexpr std::pair<qint32, Index> indices[] = {
        {IndexY, Index::Y},
        {IndexYellownessD1925, Index::YellownessD1925},
        {IndexYellownessE313, Index::YellownessE313},
        {IndexWhitenessE313, Index::WhitenessE313},
        {IndexTintE313, Index::TintE313},
        {IndexZPercent, Index::ZPercent}};
    for (const auto &[code, kind] : indices) {
        if (code == setupIndex)
            return kind;
    }
    return std::nullopt;
}

std::optional<Conditions> datalogConditions(qint32 code)
{
    if (code < 0 || code >= 2 * IlluminantCount)
        return std::nullopt;
    return Conditions{Illuminant(code % IlluminantCount),
                      code < IlluminantCount ? Observer::TwoDegree : Observer::TenDegree};
}

std::optional<Index> datalogIndex(qint32 code)
{
    static constexpr Index indices[] = {
        Index::Y,        Index::YellownessD1925, Index::YellownessE313, Index::WhitenessE313,
        Index::TintE313, Index::ZPercent};
    if (code < 1 || code > 6)
        return std::nullopt;
    return indices[code - 1];
}

} // namespace quvane::Codes
