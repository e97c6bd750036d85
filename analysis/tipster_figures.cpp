#include "analysis/tipster_figures.h"

#include "core/numbers.h"
#include "core/race_state.h"

#include <algorithm>

namespace {

constexpr std::int64_t ticketYen = static_cast<std::int64_t>(yenPerTicket);

// The winner and the second as runner indexes (-1: no runner); a horse entered twice is the winner only.
struct Finishers {
    int winner = -1;
    int runnerUp = -1;
};

Finishers finishersOf(const RaceOutcome& race)
{
    Finishers f{finisherRunner(race.firstValue(), race.runnerCount()),
                finisherRunner(race.secondValue(), race.runnerCount())};
    if (f.runnerUp == f.winner)
        f.runnerUp = -1;
    return f;
}

// The mark-count bands of a runner: 0, 1, 2, 3–4, 5 or more.
constexpr int countBands = 5;
constexpr int bandOf(int count) { return count >= 5 ? 4 : count >= 3 ? 3 : count; }
// bandOf of every count a race can hold, looked up in the loops over every runner of every race.
constexpr auto bandOfCount = [] {
    std::array<std::size_t, 256> bands{};
    for (std::size_t count = 0; count < bands.size(); ++count)
        bands[count] = static_cast<std::size_t>(bandOf(static_cast<int>(count)));
    return bands;
}();
const char* const bandLabels[countBands] = {"0個", "1個", "2個", "3～4個", "5個以上"};

// The leading runners the result screen grades: 本命人気 1位 and 2位, 連複人気 1位 and 2位.
const char* const gradeGroups[4] = {"本命人気1位の等級", "本命人気2位の等級", "連複人気1位の等級", "連複人気2位の等級"};

// Whether the tipster's own ◎–○ ticket (they gave one of each) is the race's result pair, in either order.
bool ownTicketHit(const TipsterReplay& replay, const RaceOutcome& race)
{
    const int a = replay.doubleCircleRunner + 1;
    const int b = replay.circleRunner + 1;
    return (a == race.firstValue() && b == race.secondValue()) || (a == race.secondValue() && b == race.firstValue());
}

} // namespace

std::optional<double> PlaceTally::winRatePercent() const
{
    if (runners == 0)
        return std::nullopt;
    return 100.0 * first / runners;
}

std::optional<double> PlaceTally::placeRatePercent() const
{
    if (runners == 0)
        return std::nullopt;
    return 100.0 * (first + second) / runners;
}

std::optional<double> TipsterWhatIfRow::addedPoints() const
{
    const std::optional<double> with = recorded.returnRatePercent();
    const std::optional<double> withoutThem = without.returnRatePercent();
    if (!with || !withoutThem)
        return std::nullopt;
    return *with - *withoutThem;
}

TipsterFigures computeTipsters(const AnalysisData& data, const FilteredRaces& races)
{
    TipsterFigures figures;
    TipsterCounts& counts = figures.counts;
    counts.withoutResult = races.counts.withoutResult;
    const TipsterList& list = data.tipsters();
    const auto tipsters = static_cast<std::size_t>(list.names.size());
    std::vector<TipsterRow> rows(tipsters);
    std::vector<TipsterWhatIfRow> whatIf(tipsters);
    std::vector<std::vector<int>> marked(tipsters);

    for (const int index : races.proposals) {
        const RaceOutcome race = data.outcome(index);
        if (!race.resultRecorded())
            continue;
        ++counts.withResult;
        const std::span<const TipsterReplay> replays = data.replays(index);
        if (replays.empty()) {
            const bool unreadable =
                race.tipsterGrid() == GridBlock::Damaged || race.tipsterGrid() == GridBlock::UnknownVersion;
            ++(unreadable ? counts.unreadableGrid : counts.withoutGrid);
            counts.leftOut.push_back(index);
            continue;
        }
        ++counts.counted;
        figures.races.push_back(index);
        const Finishers finishers = finishersOf(race);

        // The favourite leader is the runner of place 0; the finishers' places say whether it won or came second.
        if (race.runnerCount() > 0) {
            const RankFacts& ranks = race.ranks();
            ++figures.favouriteLeader.runners;
            figures.favouriteLeader.first += ranks.favPlace[0] == 0;
            figures.favouriteLeader.second += ranks.favPlace[1] == 0;
        }

        const RaceTipsters columns = race.tipsters();
        for (int c = 0; c < columns.size(); ++c) {
            TipsterRow& row = rows[static_cast<std::size_t>(list.ofName[static_cast<std::size_t>(columns.name(c))])];
            columns.forEachMark(c, [&](int runner, int kind) {
                row.marks[static_cast<std::size_t>(kind)].add(runner, finishers.winner, finishers.runnerUp);
            });
        }

        const std::int64_t payout = countableYen(race.payout()).value_or(0);
        const std::int64_t staked = data.stake(Series::Proposals, index);
        const std::int64_t returned = data.returned(Series::Proposals, index);
        for (const TipsterReplay& replay : replays) {
            const auto t = static_cast<std::size_t>(replay.tipster);
            ++rows[t].races;
            marked[t].push_back(index);
            if (replay.doubleCircleRunner >= 0) {
                const bool hit = ownTicketHit(replay, race);
                rows[t].ticket.add(ticketYen, hit ? payout : 0, hit);
            }
            TipsterWhatIfRow& row = whatIf[t];
            row.recorded.add(staked, returned, race.hit());
            row.only.add(std::int64_t{replay.onlyTickets} * ticketYen, replay.onlyHit ? payout : 0, replay.onlyHit);
            row.without.add(std::int64_t{replay.withoutTickets} * ticketYen, replay.withoutHit ? payout : 0,
                            replay.withoutHit);
            row.gained += race.hit() && !replay.withoutHit;
            row.lost += !race.hit() && replay.withoutHit;
        }
    }

    std::vector<std::size_t> order;
    for (std::size_t t = 0; t < tipsters; ++t) {
        if (rows[t].races > 0)
            order.push_back(t);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&rows](std::size_t a, std::size_t b) { return rows[a].races > rows[b].races; });
    for (const std::size_t t : order) {
        rows[t].tipster = whatIf[t].tipster = static_cast<int>(t);
        rows[t].name = whatIf[t].name = list.names[static_cast<qsizetype>(t)];
        figures.rows.push_back(std::move(rows[t]));
        figures.whatIf.push_back(std::move(whatIf[t]));
        figures.marked.push_back(std::move(marked[t]));
    }
    return figures;
}

TipsterIntervals tipsterIntervals(const AnalysisData& data, const std::vector<int>& counted, int tipster,
                                  const std::function<bool()>& abandoned)
{
    // Counted first, so that each list takes exactly its room.
    std::size_t races = 0;
    std::size_t tickets = 0;
    for (const int index : counted) {
        for (const TipsterReplay& replay : data.replays(index)) {
            if (replay.tipster == tipster) {
                ++races;
                tickets += replay.doubleCircleRunner >= 0;
            }
        }
    }
    // The races the tipster marked, with the payout a hit returns.
    auto forEachMarked = [&](auto f) {
        for (const int index : counted) {
            const RaceOutcome race = data.outcome(index);
            const double payout = static_cast<double>(countableYen(race.payout()).value_or(0));
            for (const TipsterReplay& replay : data.replays(index)) {
                if (replay.tipster == tipster)
                    f(race, replay, payout);
            }
        }
    };
    TipsterIntervals intervals;
    {
        std::vector<double> stakes;
        std::vector<double> returns;
        stakes.reserve(tickets);
        returns.reserve(tickets);
        forEachMarked([&](const RaceOutcome& race, const TipsterReplay& replay, double payout) {
            if (replay.doubleCircleRunner < 0)
                return;
            stakes.push_back(yenPerTicket);
            returns.push_back(ownTicketHit(replay, race) ? payout : 0);
        });
        intervals.ticket = bootstrapReturnInterval(stakes, returns, bootstrapResamples, bootstrapSeed, abandoned);
    }
    std::vector<double> whatIf;
    whatIf.reserve(6 * races);
    forEachMarked([&](const RaceOutcome& race, const TipsterReplay& replay, double payout) {
        whatIf.insert(whatIf.end(), {static_cast<double>(stakeIn(Series::Proposals, race)),
                                     static_cast<double>(returnIn(Series::Proposals, race)),
                                     replay.onlyTickets * yenPerTicket, replay.onlyHit ? payout : 0,
                                     replay.withoutTickets * yenPerTicket, replay.withoutHit ? payout : 0});
    });
    intervals.whatIf = bootstrapThreeWays(whatIf, bootstrapResamples, bootstrapSeed, abandoned);
    return intervals;
}

QStringList rankGroups()
{
    QStringList groups = {QStringLiteral("本命人気の順位"), QStringLiteral("連複人気の順位")};
    for (const char* group : gradeGroups)
        groups.append(QString::fromUtf8(group));
    return groups;
}

QStringList markCountGroups()
{
    QStringList groups;
    for (const int kind : shownMarkKinds)
        groups.append(markSymbol(kind) + QStringLiteral("の数"));
    return groups;
}

RankFigures computeRanks(const AnalysisData& data, const FilteredRaces& races)
{
    RankFigures figures;
    figures.withoutResult = races.counts.withoutResult;
    std::array<PlaceTally, maxRunners> favPlaces{};
    std::array<PlaceTally, maxRunners> quinellaPlaces{};
    std::array<std::array<PlaceTally, 3>, 4> grades{}; // by leading runner, then A B C
    std::array<std::array<PlaceTally, countBands>, markKindCount> bands{};
    std::array<std::array<int, countBands>, markKindCount> bandRunners{};
    std::array<int, maxRunners + 1> racesOfRunners{}; // by runner count
    int mostRunners = 0;

    for (const int index : races.proposals) {
        const RaceOutcome race = data.outcome(index);
        if (!race.resultRecorded())
            continue;
        const RankFacts& ranks = race.ranks();
        if (!ranks.marked) {
            ++figures.unmarked;
            continue;
        }
        ++figures.races;
        const int n = race.runnerCount();
        mostRunners = std::max(mostRunners, n);
        // Every runner adds one to the runners of its place's row and of its bands' rows, and only the two finishers
        // add a first or a second: so a race adds its runner count once, and the finishers where they stand.
        ++racesOfRunners[static_cast<std::size_t>(std::clamp(n, 0, maxRunners))];
        auto finished = [n](std::array<PlaceTally, maxRunners>& rows, const std::int8_t* places) {
            if (places[0] >= 0 && places[0] < n)
                ++rows[static_cast<std::size_t>(places[0])].first;
            if (places[1] >= 0 && places[1] < n)
                ++rows[static_cast<std::size_t>(places[1])].second;
        };
        finished(favPlaces, ranks.favPlace);
        finished(quinellaPlaces, ranks.quinellaPlace);
        // Each grade stands beside the runner of one place: 本命人気 1位 and 2位, then 連複人気 1位 and 2位.
        for (int slot = 0; slot < 4; ++slot) {
            const int place = slot % 2;
            if (place >= n)
                continue;
            const std::int8_t* finishers = slot < 2 ? ranks.favPlace : ranks.quinellaPlace;
            const int grade = std::clamp(ranks.grades[slot] - 'A', 0, 2);
            grades[static_cast<std::size_t>(slot)][static_cast<std::size_t>(grade)].add(place, finishers[0],
                                                                                        finishers[1]);
        }
        for (int r = 0; r < n; ++r) {
            for (int k = 0; k < markKindCount; ++k)
                ++bandRunners[static_cast<std::size_t>(k)][bandOfCount[static_cast<std::size_t>(race.markCount(r, k))]];
        }
        const Finishers finishers = finishersOf(race);
        for (const auto& [runner, first] : {std::pair{finishers.winner, true}, std::pair{finishers.runnerUp, false}}) {
            if (runner < 0 || runner >= n)
                continue;
            for (int k = 0; k < markKindCount; ++k) {
                PlaceTally& row = bands[static_cast<std::size_t>(k)]
                                       [bandOfCount[static_cast<std::size_t>(race.markCount(runner, k))]];
                ++(first ? row.first : row.second);
            }
        }
    }
    // The runners of each place: the races with more runners than that place.
    int racesBeyond = 0;
    for (int place = maxRunners - 1; place >= 0; --place) {
        racesBeyond += racesOfRunners[static_cast<std::size_t>(place + 1)];
        favPlaces[static_cast<std::size_t>(place)].runners = racesBeyond;
        quinellaPlaces[static_cast<std::size_t>(place)].runners = racesBeyond;
    }
    for (std::size_t k = 0; k < markKindCount; ++k) {
        for (std::size_t band = 0; band < countBands; ++band)
            bands[k][band].runners = bandRunners[k][band];
    }

    const QStringList groups = rankGroups();
    for (int place = 0; place < mostRunners; ++place)
        figures.ranks.push_back(
            {groups[0], QStringLiteral("%1位").arg(place + 1), place, favPlaces[static_cast<std::size_t>(place)]});
    for (int place = 0; place < mostRunners; ++place)
        figures.ranks.push_back(
            {groups[1], QStringLiteral("%1位").arg(place + 1), place, quinellaPlaces[static_cast<std::size_t>(place)]});
    for (int slot = 0; slot < 4; ++slot) {
        for (int grade = 0; grade < 3; ++grade)
            figures.ranks.push_back({groups[2 + slot], QString(QChar(u'A' + grade)), grade,
                                     grades[static_cast<std::size_t>(slot)][static_cast<std::size_t>(grade)]});
    }
    const QStringList kinds = markCountGroups();
    for (std::size_t shown = 0; shown < shownMarkKinds.size(); ++shown) {
        for (int band = 0; band < countBands; ++band)
            figures.markCounts.push_back(
                {kinds[static_cast<qsizetype>(shown)], QString::fromUtf8(bandLabels[band]), band,
                 bands[static_cast<std::size_t>(shownMarkKinds[shown])][static_cast<std::size_t>(band)]});
    }
    return figures;
}
