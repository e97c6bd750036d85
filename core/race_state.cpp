#include "core/race_state.h"

QString markSymbol(int kind)
{
    static const std::array<QString, markKindCount> symbols = {
        QStringLiteral("◎"), QStringLiteral("○"), QStringLiteral("△"),
        QStringLiteral("▲"), QStringLiteral("×"), QStringLiteral("★"),
    };
    return kind >= 0 && kind < markKindCount ? symbols[static_cast<std::size_t>(kind)] : QString();
}

QString markSymbol(MarkKind kind) { return markSymbol(static_cast<int>(kind)); }

void clearRaceState(RaceState& race, std::int16_t ticketDefault)
{
    race.raceDate.clear();
    race.raceName.clear();
    race.gradedText.clear();
    race.courseName.clear();
    race.distanceText.clear();
    race.surface = RaceSurface::Unknown;
    race.raceNumber = 0;
    race.runnerCount = 0;
    race.aimMode = 0;
    race.ticketCount = ticketDefault;
}

bool setRunnerCount(RaceState& race, int count)
{
    if (count < 0 || count > maxRunners)
        return false;
    race.runnerCount = static_cast<std::int16_t>(count);
    return true;
}
