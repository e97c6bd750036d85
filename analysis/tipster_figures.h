#pragma once

#include "analysis/analysis_filter.h"
#include "analysis/figures.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The figures of the pages on tipsters and on the program's rankings, over the races a filter leaves that have a
// result (the races counted in the proposals, less those still without one).

// How a group of runners fared: how many there were, how many won, how many came second.
struct PlaceTally {
    int runners = 0;
    int first = 0;
    int second = 0;
    void add(int runner, int winner, int runnerUp)
    {
        ++runners;
        first += runner == winner;
        second += runner == runnerUp;
    }
    std::optional<double> winRatePercent() const;   // 勝率: first / runners
    std::optional<double> placeRatePercent() const; // 連対率: first or second / runners
    // Wilson 95% intervals of the two rates.
    std::optional<ReturnInterval> winInterval() const { return wilsonInterval(first, runners); }
    std::optional<ReturnInterval> placeInterval() const { return wilsonInterval(first + second, runners); }
    bool indicative() const { return runners < indicativeBelow; }
};

// The order the mark kinds are shown in: the marks a tipster gives one runner only first (◎ ○ ▲), then △ × ★.
inline constexpr std::array<int, markKindCount> shownMarkKinds = {0, 1, 3, 2, 4, 5};

// Why races with a result were left out of the tipster figures, and which.
struct TipsterCounts {
    int withResult = 0;       // races the filter leaves that have a result
    int counted = 0;          // of those, with at least one tipster's mark
    int withoutGrid = 0;      // no tipster marked a runner (no grid, or a grid without marks)
    int unreadableGrid = 0;   // the grid could not be read (damaged, or of another version)
    int withoutResult = 0;    // races the filter leaves that have no result yet (nothing to count them by)
    std::vector<int> leftOut; // the races left out for their grid, in time order
};

// One tipster over the counted races they marked.
struct TipsterRow {
    int tipster = -1;
    QString name;
    int races = 0;
    std::array<PlaceTally, markKindCount> marks{}; // by MarkKind
    // Their own ◎–○ as one quinella ticket at 100 yen, in the races where they gave exactly one ◎ and one ○.
    Tally ticket;
    std::optional<ReturnInterval> ticketInterval;
    bool ticketIntervalPending = false;
    bool indicative() const { return races < indicativeBelow; }
};

// The proposals over one tipster's counted races: as recorded, with only their marks, and without them.
struct TipsterWhatIfRow {
    int tipster = -1;
    QString name;
    Tally recorded;
    Tally only;
    Tally without;
    int gained = 0; // a hit as recorded, a miss without their marks
    int lost = 0;   // a miss as recorded, a hit without their marks
    std::optional<ReturnInterval> recordedInterval;
    std::optional<ReturnInterval> onlyInterval;
    std::optional<ReturnInterval> withoutInterval;
    std::optional<ReturnInterval> addedInterval; // of addedPoints()
    bool intervalsPending = false;
    // What their marks add to the return rate: the recorded rate less the rate without them, in points.
    std::optional<double> addedPoints() const;
    bool indicative() const { return recorded.races < indicativeBelow; }
};

struct TipsterFigures {
    TipsterCounts counts;
    std::vector<int> races;               // the counted races, in time order
    std::vector<TipsterRow> rows;         // every tipster who marked a counted race: most races first, then by name
    std::vector<TipsterWhatIfRow> whatIf; // the same tipsters in the same order
    std::vector<std::vector<int>> marked; // the same tipsters in the same order: the counted races each marked
    // The program's own 本命人気1位 over the counted races: what a tipster's ◎ can be held against.
    PlaceTally favouriteLeader;
};

TipsterFigures computeTipsters(const AnalysisData& data, const FilteredRaces& races);

// A tipster's intervals, over the counted races they marked (of `counted`: TipsterFigures::marked holds exactly those,
// so that the time grows with the races the tipster marked, not with every tipster's): their ◎–○ ticket's return
// rate, and the three ways of the what-if (recorded, only theirs, without theirs) drawn together. The amounts of each
// are listed only while it is drawn (the what-if's six a race are the largest list the analysis draws from). Empty once
// abandoned says so.
struct TipsterIntervals {
    std::optional<ReturnInterval> ticket;
    ThreeWayIntervals whatIf;
};
TipsterIntervals tipsterIntervals(const AnalysisData& data, const std::vector<int>& counted, int tipster,
                                  const std::function<bool()>& abandoned = {});

// One row of the page on the program's rankings: a group of runners and how they fared.
struct PlaceRow {
    QString group; // 本命人気の順位, ◎の数 …
    QString label; // 1位, A, 3～4個 …
    int order = 0; // the row's place in its group
    PlaceTally tally;
};

struct RankFigures {
    int races = 0;                    // races with a result and at least one mark
    int unmarked = 0;                 // races with a result and no mark at all, left out
    int withoutResult = 0;            // races without a result, left out
    std::vector<PlaceRow> ranks;      // by favourite place, by quinella place, by the grades of the leading runners
    std::vector<PlaceRow> markCounts; // by how many marks of each kind a runner had
};

RankFigures computeRanks(const AnalysisData& data, const FilteredRaces& races);

// The groups of the two tables, in the order of their rows.
QStringList rankGroups();
QStringList markCountGroups();
