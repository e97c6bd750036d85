#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The track a race is run on. Unknown for a race that never said: every race typed by hand, and every race saved
// before the surface was kept.
enum class RaceSurface : std::uint8_t { Unknown, Turf, Dirt, Jump };

// "芝", "ダート", "障害"; empty for Unknown.
QString surfaceText(RaceSurface surface);

// The surface a word names as cards and files print it: 芝, ダート (ダ), 障害 (障). nullopt for anything else.
std::optional<RaceSurface> surfaceOfWord(QStringView word);
