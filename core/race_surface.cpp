#include "core/race_surface.h"

QString surfaceText(RaceSurface surface)
{
    switch (surface) {
    case RaceSurface::Unknown: return {};
    case RaceSurface::Turf: return QStringLiteral("芝");
    case RaceSurface::Dirt: return QStringLiteral("ダート");
    case RaceSurface::Jump: return QStringLiteral("障害");
    }
    return {};
}

std::optional<RaceSurface> surfaceOfWord(QStringView word)
{
    if (word == u"芝")
        return RaceSurface::Turf;
    if (word == u"ダート" || word == u"ダ")
        return RaceSurface::Dirt;
    if (word == u"障害" || word == u"障")
        return RaceSurface::Jump;
    return std::nullopt;
}
