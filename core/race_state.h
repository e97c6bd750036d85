#pragma once

#include "core/race_surface.h"
#include "core/tipster_grid.h"
#include "prediction/mark_sheet.h"

#include <QString>

#include <array>
#include <cstdint>

// The six prediction marks. The number is the column of markSheet and the order of the mark buttons.
enum class MarkKind : int { DoubleCircle = 0, Circle = 1, Triangle = 2, BlackTriangle = 3, Cross = 4, Star = 5 };

// "◎", "○", "△", "▲", "×", "★", indexed by MarkKind.
QString markSymbol(MarkKind kind);
QString markSymbol(int kind);

// Everything that describes the current race.
struct RaceState {
    QString raceDate;
    std::int16_t raceNumber = 0;
    QString raceName;
    QString gradedText;
    QString courseName;
    QString distanceText;
    std::int16_t runnerCount = 0;
    std::int16_t ticketCount = 0;
    std::int16_t aimMode = 0;
    MarkSheet markSheet{};
    std::array<QString, maxRunners> runnerNames;
    // Each tipster's marks; every one of them is counted in markSheet too (core/tipster_grid.h).
    TipsterGrid tipsters;
    // Taken from a pasted race card; kept in a block after the income line (racefile/surface_block.h).
    RaceSurface surface = RaceSurface::Unknown;
};

// Resets the race description; marks and runner names are deliberately kept (the mark sheet clears them when it opens).
void clearRaceState(RaceState& race, std::int16_t ticketDefault);

// The only way a runner count enters the state: the tables hold 21 runners, so anything outside 0..21 is refused
// and the state is left as it was.
bool setRunnerCount(RaceState& race, int count);
