#include "prediction/prediction.h"

#include <algorithm>
#include <utility>

namespace {

// A place of an order that the race does not fill (the second with one runner, the third with two).
constexpr int noRunner = -1;

int runnerAt(const RunnerTable& order, int place, int runnerCount)
{
    return place < runnerCount ? order[place] : noRunner;
}

int scoreAt(const RunnerTable& sorted, int place, int runnerCount) { return place < runnerCount ? sorted[place] : 0; }

// The order among equal scores is that of the plain exchange sort (for each place in turn, every later runner with a
// strictly higher score is exchanged into it), not std::sort's: it decides ranks and tickets, and users compare those
// with earlier proposals. A step of that sort brings the first of the highest scores to its place, and each runner it
// passed on the way (the one at the place first) moves to where the next higher one was found. With the place in the
// key below the score (an earlier place keys higher), every later place keeps the lower of its own key and the
// highest before it, and the step's place takes the highest of all: the same moves without a branch, so that sheets
// the processor cannot foresee cost no mispredicted jumps. Steps that could exchange nothing are left out: once every
// score above the lowest has its place, the places after it all hold the lowest score, which is never exchanged (a
// step more changes nothing). Both blocks are sorted in the same loop, two chains of comparisons side by side.
struct Ranking {
    const RunnerTable& scores;
    RunnerTable& sorted;
    RunnerTable& sortIndex;
    RunnerTable& order;
    RunnerTable& rank;
};

void rankRunners(const std::array<Ranking, 2>& rankings, int runnerCount)
{
    // key = score × 1024 + (31 - place) × 32 + runner; an entry keeps the score and the runner, its place is added
    // where it is compared. Scores of the mark sheet's 16-bit counts stay far within the range of int.
    constexpr int runnerBits = 5;
    constexpr int runnerMask = (1 << runnerBits) - 1;
    constexpr int placeMask = runnerMask << runnerBits;
    constexpr int scoreUnit = 1 << (2 * runnerBits);
    static_assert(predictionRunnerSlots <= runnerMask + 1);
    std::array<std::array<int, predictionRunnerSlots>, 2> entry{};
    int steps = 0;
    for (std::size_t s = 0; s < rankings.size(); ++s) {
        const RunnerTable& scores = rankings[s].scores;
        int lowest = runnerCount > 0 ? scores[0] : 0;
        for (int r = 0; r < runnerCount; ++r) {
            entry[s][r] = scores[r] * scoreUnit + r;
            lowest = std::min(lowest, scores[r]);
        }
        int aboveLowest = 0;
        for (int r = 0; r < runnerCount; ++r)
            aboveLowest += scores[r] > lowest;
        steps = std::max(steps, aboveLowest);
    }
    for (int i = 0; i < steps; ++i) {
        const int placeKey = (runnerMask - i) << runnerBits;
        int highest0 = entry[0][i] + placeKey;
        int highest1 = entry[1][i] + placeKey;
        for (int j = i + 1; j < runnerCount; ++j) {
            const int jKey = (runnerMask - j) << runnerBits;
            const int key0 = entry[0][j] + jKey;
            const int key1 = entry[1][j] + jKey;
            entry[0][j] = std::min(highest0, key0) & ~placeMask;
            entry[1][j] = std::min(highest1, key1) & ~placeMask;
            highest0 = std::max(highest0, key0);
            highest1 = std::max(highest1, key1);
        }
        entry[0][i] = highest0 & ~placeMask;
        entry[1][i] = highest1 & ~placeMask;
    }
    for (std::size_t s = 0; s < rankings.size(); ++s) {
        const Ranking& out = rankings[s];
        for (int k = 0; k < runnerCount; ++k) {
            const int runner = entry[s][k] & runnerMask;
            out.sorted[k] = (entry[s][k] - runner) / scoreUnit;
            out.sortIndex[k] = runner;
            out.order[k] = runner;
            out.rank[runner] = k;
        }
    }
}

std::optional<double> rateOf(int part, int sum)
{
    if (sum == 0)
        return std::nullopt;
    return static_cast<double>(part) / static_cast<double>(sum);
}

enum class Block { Fav, Quinella };

// One pass of patterns 2 to 4: the runner at axisPlace of axisBlock's order, paired in turn with the runners of
// candidateBlock's order, at most pairLimit new tickets.
struct Pass {
    Block axisBlock;
    int axisPlace;
    Block candidateBlock;
    int pairLimit;
};

using PassTable = std::array<Pass, 4>;

constexpr PassTable pattern2TableX{{{Block::Fav, 0, Block::Quinella, 4},
                                    {Block::Fav, 1, Block::Quinella, 4},
                                    {Block::Fav, 2, Block::Quinella, 2},
                                    {Block::Quinella, 2, Block::Fav, 2}}};
constexpr PassTable pattern2TableY{{{Block::Quinella, 0, Block::Fav, 4},
                                    {Block::Quinella, 1, Block::Fav, 4},
                                    {Block::Quinella, 2, Block::Fav, 2},
                                    {Block::Fav, 2, Block::Quinella, 2}}};
constexpr PassTable pattern34TableX{{{Block::Fav, 0, Block::Quinella, 3},
                                     {Block::Quinella, 0, Block::Fav, 3},
                                     {Block::Fav, 1, Block::Quinella, 3},
                                     {Block::Quinella, 1, Block::Fav, 3}}};
constexpr PassTable pattern34TableY{{{Block::Quinella, 0, Block::Fav, 3},
                                     {Block::Fav, 0, Block::Quinella, 3},
                                     {Block::Quinella, 1, Block::Fav, 3},
                                     {Block::Fav, 1, Block::Quinella, 3}}};

class TicketBuilder {
public:
    explicit TicketBuilder(PredictionResult& result) : result_(result) {}

    bool reachedCount() const { return result_.ticketTotal == result_.ticketCount; }

    // Pattern 1: the axis with every candidate that has a score in the other block, until the wanted count.
    void pairWithAll(int axis, const RunnerTable& candidates, const RunnerTable& candidateScores)
    {
        for (int i = 0; i < result_.runnerCount; ++i) {
            const int c = candidates[i];
            if (c == axis || candidateScores[c] == 0)
                continue;
            if (!append(std::min(axis, c), std::max(axis, c)) || reachedCount())
                return;
        }
    }

    // Patterns 2 to 4: the passes in order, each later one only while the wanted count is not reached.
    void runPasses(const PassTable& passes)
    {
        for (std::size_t p = 0; p < passes.size(); ++p) {
            if (p > 0 && reachedCount())
                return;
            runPass(passes[p]);
        }
    }

private:
    const RunnerTable& orderOf(Block block) const
    {
        return block == Block::Fav ? result_.favOrder : result_.quinellaOrder;
    }

    void runPass(const Pass& pass)
    {
        const int axis = runnerAt(orderOf(pass.axisBlock), pass.axisPlace, result_.runnerCount);
        if (axis == noRunner)
            return;
        const RunnerTable& candidates = orderOf(pass.candidateBlock);
        int pairsAdded = 0;
        for (int i = 0; i < result_.runnerCount; ++i) {
            if (!addPair(axis, candidates[i]))
                continue;
            ++pairsAdded;
            if (pairsAdded == pass.pairLimit || reachedCount())
                return;
        }
    }

    bool contains(int first, int second) const
    {
        for (int t = 0; t < result_.ticketTotal; ++t) {
            if (result_.ticketFirst[t] == first && result_.ticketSecond[t] == second)
                return true;
        }
        return false;
    }

    bool addPair(int a, int b)
    {
        if (a > b)
            std::swap(a, b);
        if (contains(a, b))
            return false;
        if (a == b || result_.quinellaScore[a] == 0 || result_.quinellaScore[b] == 0)
            return false;
        return append(a, b);
    }

    bool append(int first, int second)
    {
        if (result_.ticketTotal >= ticketListCapacity)
            return false;
        result_.ticketFirst[result_.ticketTotal] = first;
        result_.ticketSecond[result_.ticketTotal] = second;
        ++result_.ticketTotal;
        return true;
    }

    PredictionResult& result_;
};

} // namespace

char gradeRate(std::optional<double> rate, double upper, double lower)
{
    const double value = rate.value_or(0.0);
    if (value >= upper)
        return 'A';
    if (value >= lower)
        return 'B';
    return 'C';
}

PredictionResult runPrediction(const MarkSheet& markSheet, int runnerCount, int ticketCount)
{
    PredictionResult result;
    const int n = std::clamp(runnerCount, 0, predictionRunnerSlots);
    result.runnerCount = n;
    result.ticketCount = ticketCount;

    for (int r = 0; r < n; ++r) {
        const auto& marks = markSheet[r];
        result.doubleCircleCount[r] = marks[0];
        result.circleCount[r] = marks[1];
        result.otherMarkCount[r] = marks[2] + marks[3] + marks[4] + marks[5];
        result.favScore[r] = 2 * marks[0] + marks[1];
        result.quinellaScore[r] = 2 * marks[1] + result.otherMarkCount[r];
        result.favScoreSum += result.favScore[r];
        result.quinellaScoreSum += result.quinellaScore[r];
    }

    rankRunners({Ranking{result.favScore, result.favSorted, result.favSortIndex, result.favOrder, result.favRank},
                 Ranking{result.quinellaScore, result.quinellaSorted, result.quinellaSortIndex, result.quinellaOrder,
                         result.quinellaRank}},
                n);

    const int favFirst = scoreAt(result.favSorted, 0, n);
    const int favSecond = scoreAt(result.favSorted, 1, n);
    const int quinellaFirst = scoreAt(result.quinellaSorted, 0, n);
    const int quinellaSecond = scoreAt(result.quinellaSorted, 1, n);
    result.favTopRate = rateOf(favFirst, result.favScoreSum);
    result.favTopTwoRate = rateOf(favFirst + favSecond, result.favScoreSum);
    result.quinellaTopRate = rateOf(quinellaFirst, result.quinellaScoreSum);
    result.quinellaTopTwoRate = rateOf(quinellaFirst + quinellaSecond, result.quinellaScoreSum);

    result.favTopGrade = gradeRate(result.favTopRate, favTopUpper, favTopLower);
    result.favTopTwoGrade = gradeRate(result.favTopTwoRate, favTopTwoUpper, favTopTwoLower);
    result.quinellaTopGrade = gradeRate(result.quinellaTopRate, quinellaTopUpper, quinellaTopLower);
    result.quinellaTopTwoGrade = gradeRate(result.quinellaTopTwoRate, quinellaTopTwoUpper, quinellaTopTwoLower);

    const int f0 = runnerAt(result.favOrder, 0, n);
    const int f1 = runnerAt(result.favOrder, 1, n);
    const int q0 = runnerAt(result.quinellaOrder, 0, n);
    const int q1 = runnerAt(result.quinellaOrder, 1, n);
    if (result.favTopGrade == 'A' || result.quinellaTopGrade == 'A')
        result.axisPattern = 1;
    else if ((f0 == q0 && f1 == q1) || (f0 == q1 && f1 == q0))
        result.axisPattern = 2;
    else if ((f0 == q0 && f1 != q1) || (f0 != q0 && f1 == q1) || (f0 == q1 && f1 != q0) || (f0 != q1 && f1 == q0))
        result.axisPattern = 3;
    else
        result.axisPattern = 4;

    TicketBuilder tickets(result);
    if (result.axisPattern == 1) {
        result.usedTable = '-';
        if (result.favTopGrade == 'A')
            tickets.pairWithAll(f0, result.quinellaOrder, result.quinellaScore);
        else
            tickets.pairWithAll(q0, result.favOrder, result.favScore);
    } else {
        // Neither grade is 'A' here, so table Y means exactly favTopGrade 'C' with quinellaTopGrade 'B'.
        result.usedTable = result.favTopGrade > result.quinellaTopGrade ? 'Y' : 'X';
        const bool tableY = result.usedTable == 'Y';
        if (result.axisPattern == 2)
            tickets.runPasses(tableY ? pattern2TableY : pattern2TableX);
        else
            tickets.runPasses(tableY ? pattern34TableY : pattern34TableX);
    }
    return result;
}
