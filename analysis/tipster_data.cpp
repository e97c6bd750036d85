#include "analysis/tipster_data.h"

#include "core/race_state.h"
#include "prediction/prediction.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

QString tipsterKey(const QString& name) { return tipsterIdentity(name); }

} // namespace

TipsterList tipsterListOf(const FolderRecord& record)
{
    const QStringList& spellings = record.tipsterNames;
    // How many races use each spelling, to show a tipster by the one used most.
    std::vector<int> uses(static_cast<std::size_t>(spellings.size()), 0);
    for (const std::uint32_t name : record.races.tipsterName)
        ++uses[name];
    // Keys in code order make the tipsters' numbers the same for the same names however the threads met them.
    std::map<QString, std::vector<int>> spellingsOfKey;
    for (qsizetype name = 0; name < spellings.size(); ++name)
        spellingsOfKey[tipsterKey(spellings[name])].push_back(static_cast<int>(name));
    TipsterList list;
    list.ofName.assign(static_cast<std::size_t>(spellings.size()), -1);
    for (const auto& [key, names] : spellingsOfKey) {
        const int tipster = static_cast<int>(list.names.size());
        int shown = names.front();
        for (const int name : names) {
            list.ofName[static_cast<std::size_t>(name)] = tipster;
            const int more = uses[static_cast<std::size_t>(name)] - uses[static_cast<std::size_t>(shown)];
            if (more > 0 || (more == 0 && spellings[name] < spellings[shown]))
                shown = name;
        }
        list.names.append(spellings[shown]);
    }
    return list;
}

std::vector<int> tipstersOfRace(const RaceOutcome& race, const TipsterList& list)
{
    std::vector<int> tipsters;
    const RaceTipsters columns = race.tipsters();
    for (int c = 0; c < columns.size(); ++c) {
        const int tipster = list.ofName[static_cast<std::size_t>(columns.name(c))];
        if (std::find(tipsters.begin(), tipsters.end(), tipster) == tipsters.end())
            tipsters.push_back(tipster);
    }
    return tipsters;
}

void replayTipsters(const RaceOutcome& race, const TipsterList& list, std::span<TipsterReplay> replays)
{
    const MarkSheet counts = race.markSheet();
    const RaceTipsters columns = race.tipsters();
    for (TipsterReplay& replay : replays) {
        MarkSheet only{};
        MarkSheet without = counts;
        int doubleCircles = 0;
        int circles = 0;
        int doubleCircleRunner = -1;
        int circleRunner = -1;
        for (int c = 0; c < columns.size(); ++c) {
            if (list.ofName[static_cast<std::size_t>(columns.name(c))] != replay.tipster)
                continue;
            columns.forEachMark(c, [&](int runner, int kind) {
                const auto r = static_cast<std::size_t>(runner);
                const auto k = static_cast<std::size_t>(kind);
                ++only[r][k];
                // The counts hold every tipster mark (a load fits the grid to them); never below 0 all the same.
                if (without[r][k] > 0)
                    --without[r][k];
                if (kind == static_cast<int>(MarkKind::DoubleCircle)) {
                    ++doubleCircles;
                    doubleCircleRunner = runner;
                } else if (kind == static_cast<int>(MarkKind::Circle)) {
                    ++circles;
                    circleRunner = runner;
                }
            });
        }
        if (doubleCircles != 1 || circles != 1) {
            doubleCircleRunner = -1;
            circleRunner = -1;
        }
        const PredictionResult alone = runPrediction(only, race.runnerCount(), race.ticketsAsked());
        const PredictionResult others = runPrediction(without, race.runnerCount(), race.ticketsAsked());
        replay.onlyTickets = static_cast<std::uint8_t>(alone.ticketTotal);
        replay.withoutTickets = static_cast<std::uint8_t>(others.ticketTotal);
        replay.onlyHit = proposesResult(alone, race.firstValue(), race.secondValue());
        replay.withoutHit = proposesResult(others, race.firstValue(), race.secondValue());
        replay.doubleCircleRunner = static_cast<std::int8_t>(doubleCircleRunner);
        replay.circleRunner = static_cast<std::int8_t>(circleRunner);
    }
}
