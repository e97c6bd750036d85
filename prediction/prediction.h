#pragma once

#include "prediction/mark_sheet.h"

#include <array>
#include <optional>

// The prediction engine: from the marks of one race to two rankings, four popularity rates with their grades, an
// axis pattern and a list of quinella tickets. Standard C++ only, so that every layer can use it.

// Room for the per-runner tables: one slot per row of the mark sheet.
inline constexpr int predictionRunnerSlots = markSheetRows;

// Room for the ticket list. Patterns 2 to 4 stop at 12 tickets and pattern 1 stops at the wanted count, so 16 would do
// for every count the spinner offers; a count typed outside 1..16 (or 0 for an empty box) lets pattern 1 pair the
// axis with every eligible runner, which is at most 30 with a full table. The list is sized for that, so no count can
// overflow it.
inline constexpr int ticketListCapacity = markSheetRows - 1;

// Grade bounds: a rate at or above the upper bound grades "A", at or above the lower bound "B", else "C".
inline constexpr double favTopUpper = 0.5;
inline constexpr double favTopLower = 0.4;
inline constexpr double favTopTwoUpper = 0.8;
inline constexpr double favTopTwoLower = 0.7;
inline constexpr double quinellaTopUpper = 0.3;
inline constexpr double quinellaTopLower = 0.2;
inline constexpr double quinellaTopTwoUpper = 0.5;
inline constexpr double quinellaTopTwoLower = 0.4;

using RunnerTable = std::array<int, predictionRunnerSlots>;
using TicketTable = std::array<int, ticketListCapacity>;

// Everything one run computes. Runner references are runner indexes (horse number - 1). Only slots
// 0..runnerCount-1 of the per-runner tables and 0..ticketTotal-1 of the ticket tables carry meaning; the rest are 0.
struct PredictionResult {
    int runnerCount = 0; // the count the run used: the one asked for, kept within 0..31
    int ticketCount = 0; // the count asked for, unchanged

    RunnerTable doubleCircleCount{}; // ◎
    RunnerTable circleCount{};       // ○
    RunnerTable otherMarkCount{};    // △ + ▲ + × + ★

    RunnerTable favScore{};      // 本命人気数: 2 × ◎ + ○
    RunnerTable quinellaScore{}; // 連複人気数: 2 × ○ + △ + ▲ + × + ★

    // favSorted/favSortIndex are the exchange sort's working copies; favOrder(k) = favSortIndex(k) once sorted, and
    // favRank(r) is the 0-based place of runner r in favOrder. The same holds for the quinella tables.
    RunnerTable favSorted{};
    RunnerTable favSortIndex{};
    RunnerTable favOrder{};
    RunnerTable favRank{};
    RunnerTable quinellaSorted{};
    RunnerTable quinellaSortIndex{};
    RunnerTable quinellaOrder{};
    RunnerTable quinellaRank{};

    int favScoreSum = 0;
    int quinellaScoreSum = 0;

    // Absent when the block's sum is 0.
    std::optional<double> favTopRate;
    std::optional<double> favTopTwoRate;
    std::optional<double> quinellaTopRate;
    std::optional<double> quinellaTopTwoRate;

    // 'A', 'B' or 'C'; an absent rate grades 'C'.
    char favTopGrade = 'C';
    char favTopTwoGrade = 'C';
    char quinellaTopGrade = 'C';
    char quinellaTopTwoGrade = 'C';

    // Defaults are those of a race without runners.
    int axisPattern = 2;  // 1..4, shown as "N本軸"
    char usedTable = 'X'; // pass table of patterns 2 to 4: 'X' or 'Y'; '-' for pattern 1, which has no passes

    // Tickets in order of creation; ticketFirst(t) < ticketSecond(t) always.
    TicketTable ticketFirst{};
    TicketTable ticketSecond{};
    int ticketTotal = 0;

    bool operator==(const PredictionResult&) const = default;
};

// Grades one rate against its bounds; an absent rate counts as 0.
char gradeRate(std::optional<double> rate, double upper, double lower);

// The whole computation; pure, keeps nothing between calls.
//
// Inputs the mark entry screens never produce are handled so that nothing outside the race is read and the ticket
// list cannot overflow:
// - runnerCount is kept within 0..31 (the rows of the mark sheet). With no runner everything is 0, every rate is
//   absent and the pattern is 2 with no ticket.
// - Places the race does not fill (the second place with one runner, the third with two) are "no runner": they add
//   0 to a top-two rate, count as equal to each other when the leading pairs are compared, and a pass whose axis
//   is such a place adds nothing.
// - ticketCount is used as given. Outside 1..16 the stop test of pattern 1 may never match, so pattern 1 pairs the
//   axis with every eligible runner (at most 30, the list's capacity); patterns 2 to 4 still stop at 12.
PredictionResult runPrediction(const MarkSheet& markSheet, int runnerCount, int ticketCount);

// The largest count of the spinner. For every count k from 1 to it, the run for k is the run for this count with
// its ticket list cut to the first k tickets: nothing before the tickets depends on the count, and the passes only
// stop earlier. So one run of a race answers every count the spinner offers.
inline constexpr int largestSpinnerCount = 12;
inline constexpr bool cutFromLargestRun(int ticketCount)
{
    return ticketCount >= 1 && ticketCount <= largestSpinnerCount;
}
