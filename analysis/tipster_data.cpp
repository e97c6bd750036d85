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
    for (const RaceOutcome& race : record.races) {
        race.tipsters().forEach([&uses](int name, std::span<const std::uint8_t>) {
            if (name >= 0 && name < static_cast<int>(uses.size()))
                ++uses[static_cast<std::size_t>(name)];
        });
    }
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
    race.tipsters().forEach([&](int name, std::span<const std::uint8_t>) {
        if (name < 0 || name >= static_cast<int>(list.ofName.size()))
            return;
        const int tipster = list.ofName[static_cast<std::size_t>(name)];
        if (std::find(tipsters.begin(), tipsters.end(), tipster) == tipsters.end())
            tipsters.push_back(tipster);
    });
    return tipsters;
}

void TipsterReplay::set(int tipster, int onlyTickets, int withoutTickets, bool onlyHit, bool withoutHit,
                        int doubleCircleRunner, int circleRunner)
{
    static_assert(ticketListCapacity < 32 && markSheetRows <= 63);
    auto bits = [](int value, int width) { return static_cast<std::uint64_t>(std::clamp(value, 0, (1 << width) - 1)); };
    const std::uint64_t w = bits(tipster, 24) | bits(onlyTickets, 5) << 24 | bits(withoutTickets, 5) << 29
                            | std::uint64_t{onlyHit} << 34 | std::uint64_t{withoutHit} << 35
                            | bits(doubleCircleRunner + 1, 6) << 36 | bits(circleRunner + 1, 6) << 42;
    for (std::size_t b = 0; b < bytes_.size(); ++b)
        bytes_[b] = static_cast<std::uint8_t>(w >> (8 * b));
}

void replayTipsters(const RaceOutcome& race, const TipsterList& list, std::span<TipsterReplay> replays)
{
    const MarkSheet counts = race.markSheet();
    for (TipsterReplay& replay : replays) {
        const int tipster = replay.tipster();
        MarkSheet only{};
        MarkSheet without = counts;
        int doubleCircles = 0;
        int circles = 0;
        int doubleCircleRunner = -1;
        int circleRunner = -1;
        race.tipsters().forEach([&](int name, std::span<const std::uint8_t> marks) {
            if (name < 0 || name >= static_cast<int>(list.ofName.size())
                || list.ofName[static_cast<std::size_t>(name)] != tipster)
                return;
            for (const std::uint8_t packed : marks) {
                const RaceTipsters::Mark mark = RaceTipsters::markOf(packed);
                if (mark.runner >= race.runnerCount)
                    continue;
                const auto r = static_cast<std::size_t>(mark.runner);
                const auto k = static_cast<std::size_t>(mark.kind);
                ++only[r][k];
                // The counts hold every tipster mark (a load fits the grid to them); never below 0 all the same.
                if (without[r][k] > 0)
                    --without[r][k];
                if (mark.kind == static_cast<int>(MarkKind::DoubleCircle)) {
                    ++doubleCircles;
                    doubleCircleRunner = mark.runner;
                } else if (mark.kind == static_cast<int>(MarkKind::Circle)) {
                    ++circles;
                    circleRunner = mark.runner;
                }
            }
        });
        if (doubleCircles != 1 || circles != 1) {
            doubleCircleRunner = -1;
            circleRunner = -1;
        }
        const PredictionResult alone = runPrediction(only, race.runnerCount, race.ticketsAsked);
        const PredictionResult others = runPrediction(without, race.runnerCount, race.ticketsAsked);
        replay.set(tipster, alone.ticketTotal, others.ticketTotal,
                   proposesResult(alone, race.firstValue, race.secondValue),
                   proposesResult(others, race.firstValue, race.secondValue), doubleCircleRunner, circleRunner);
    }
}
