#include "analysis/tipster_data.h"

#include "core/race_state.h"
#include "prediction/prediction.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

QString tipsterKey(const QString& name)
{
    QString key = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

} // namespace

TipsterList tipsterListOf(const FolderRecord& record)
{
    const QStringList& spellings = record.tipsterNames;
    // How many races use each spelling, to show a tipster by the one used most.
    std::vector<int> uses(static_cast<std::size_t>(spellings.size()), 0);
    for (const RaceOutcome& race : record.races) {
        race.tipsters.forEach([&uses](int name, std::span<const std::uint8_t>) {
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
    race.tipsters.forEach([&](int name, std::span<const std::uint8_t>) {
        if (name < 0 || name >= static_cast<int>(list.ofName.size()))
            return;
        const int tipster = list.ofName[static_cast<std::size_t>(name)];
        if (std::find(tipsters.begin(), tipsters.end(), tipster) == tipsters.end())
            tipsters.push_back(tipster);
    });
    return tipsters;
}

void replayTipsters(const RaceOutcome& race, const TipsterList& list, std::span<TipsterReplay> replays)
{
    const MarkSheet counts = race.markSheet();
    for (TipsterReplay& replay : replays) {
        MarkSheet only{};
        MarkSheet without = counts;
        int doubleCircles = 0;
        int circles = 0;
        race.tipsters.forEach([&](int name, std::span<const std::uint8_t> marks) {
            if (name < 0 || name >= static_cast<int>(list.ofName.size())
                || list.ofName[static_cast<std::size_t>(name)] != replay.tipster)
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
                    replay.doubleCircleRunner = static_cast<std::int8_t>(mark.runner);
                } else if (mark.kind == static_cast<int>(MarkKind::Circle)) {
                    ++circles;
                    replay.circleRunner = static_cast<std::int8_t>(mark.runner);
                }
            }
        });
        if (doubleCircles != 1 || circles != 1) {
            replay.doubleCircleRunner = -1;
            replay.circleRunner = -1;
        }
        const PredictionResult alone = runPrediction(only, race.runnerCount, race.ticketsAsked);
        const PredictionResult others = runPrediction(without, race.runnerCount, race.ticketsAsked);
        replay.onlyTickets = static_cast<std::uint8_t>(alone.ticketTotal);
        replay.withoutTickets = static_cast<std::uint8_t>(others.ticketTotal);
        replay.onlyHit = proposesResult(alone, race.firstValue, race.secondValue);
        replay.withoutHit = proposesResult(others, race.firstValue, race.secondValue);
    }
}
