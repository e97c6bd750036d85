// Time per runPrediction call: a full 21-runner race, the eight-runner example race, and the largest ticket list.
// Calls are timed in batches, so that the clock's own cost stays out of the figure; the median batch is reported.

#include "prediction/prediction.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// Keeps the compiler from proving a value unused or an input constant.
template <typename T>
void keep(T& value)
{
#if defined(__GNUC__) || defined(__clang__)
    asm volatile("" : : "r,m"(value) : "memory");
#else
    static volatile T* volatile sink;
    sink = &value;
#endif
}

MarkSheet fullRace()
{
    // Every runner marked, scores spread with ties, so that the sorts exchange often and the passes run to their caps.
    MarkSheet sheet{};
    for (int r = 0; r < maxRunners; ++r) {
        for (int k = 0; k < markKindCount; ++k)
            sheet[r][k] = static_cast<std::int16_t>((r * 7 + k * 3) % 5);
    }
    return sheet;
}

MarkSheet exampleRace()
{
    const int marks[8][6] = {{2, 1, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0}, {1, 0, 2, 1, 0, 0}, {0, 2, 1, 1, 0, 0},
                             {0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0}};
    MarkSheet sheet{};
    for (int r = 0; r < 8; ++r) {
        for (int k = 0; k < 6; ++k)
            sheet[r][k] = static_cast<std::int16_t>(marks[r][k]);
    }
    return sheet;
}

MarkSheet strongFavouriteFullTable()
{
    // One runner with ◎25, every other row with one △: pattern 1 with 30 tickets when no count stops it.
    MarkSheet sheet{};
    sheet[0][0] = maxMarksPerRunner;
    for (int r = 1; r < markSheetRows; ++r)
        sheet[r][2] = 1;
    return sheet;
}

MarkSheet oneTipster()
{
    // What a tipster's replay runs: 18 runners, one column's ◎ ○ ▲ △ △ × and every other row blank.
    MarkSheet sheet{};
    const int marked[6][2] = {{4, 0}, {11, 1}, {2, 3}, {16, 2}, {7, 2}, {9, 4}};
    for (const auto& [runner, kind] : marked)
        sheet[runner][kind] = 1;
    return sheet;
}

struct Figures {
    double medianNs;
    double minNs;
    int ticketTotal;
    int axisPattern;
    long long checksum;
};

// Sheets of 18 runners as the tipsters' replays meet them: each different from the last (so that no branch of the
// engine is learnt from the sheet before), one in two with one tipster's six marks, the others with many marks a row.
std::vector<MarkSheet> replaySheets()
{
    std::vector<MarkSheet> sheets;
    unsigned state = 20261209u;
    auto below = [&state](int n) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<unsigned>(n));
    };
    for (int s = 0; s < 4096; ++s) {
        MarkSheet sheet{};
        if (s % 2 == 0) {
            for (const int kind : {0, 1, 3, 2, 2, 4})
                ++sheet[static_cast<std::size_t>(below(18))][static_cast<std::size_t>(kind)];
        } else {
            for (std::size_t r = 0; r < 18; ++r) {
                int left = below(26);
                for (std::size_t k = 0; k < 6 && left > 0; ++k) {
                    const int count = below(left + 1);
                    sheet[r][k] = static_cast<std::int16_t>(count);
                    left -= count;
                }
            }
        }
        sheets.push_back(sheet);
    }
    return sheets;
}

Figures measure(MarkSheet sheet, int runnerCount, int ticketCount)
{
    constexpr int callsPerBatch = 2000;
    constexpr int batches = 301;
    using Clock = std::chrono::steady_clock;

    long long checksum = 0;
    PredictionResult last;
    for (int warm = 0; warm < callsPerBatch; ++warm) {
        keep(sheet);
        last = runPrediction(sheet, runnerCount, ticketCount);
        keep(last);
    }

    std::vector<double> perCall;
    perCall.reserve(batches);
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < callsPerBatch; ++i) {
            keep(sheet);
            PredictionResult result = runPrediction(sheet, runnerCount, ticketCount);
            keep(result);
            checksum += result.ticketTotal + result.ticketFirst[0] + result.quinellaOrder[0];
        }
        const auto stop = Clock::now();
        perCall.push_back(std::chrono::duration<double, std::nano>(stop - start).count() / callsPerBatch);
    }
    std::sort(perCall.begin(), perCall.end());
    return {perCall[perCall.size() / 2], perCall.front(), last.ticketTotal, last.axisPattern, checksum};
}

// The same over the replay sheets in turn.
Figures measureReplays(const std::vector<MarkSheet>& sheets)
{
    constexpr int batches = 101;
    using Clock = std::chrono::steady_clock;
    long long checksum = 0;
    PredictionResult last;
    std::vector<double> perCall;
    perCall.reserve(batches);
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (const MarkSheet& sheet : sheets) {
            last = runPrediction(sheet, 18, 12);
            keep(last);
            checksum += last.ticketTotal + last.ticketFirst[0] + last.quinellaOrder[0];
        }
        const auto stop = Clock::now();
        perCall.push_back(std::chrono::duration<double, std::nano>(stop - start).count()
                          / static_cast<double>(sheets.size()));
    }
    std::sort(perCall.begin(), perCall.end());
    return {perCall[perCall.size() / 2], perCall.front(), last.ticketTotal, last.axisPattern, checksum};
}

void report(const char* name, const Figures& figures)
{
    std::printf("%-44s median %8.1f ns/call  (%6.3f us; best batch %8.1f ns)  pattern %d, %2d tickets  [%lld]\n", name,
                figures.medianNs, figures.medianNs / 1000.0, figures.minNs, figures.axisPattern, figures.ticketTotal,
                figures.checksum);
}

} // namespace

int main()
{
    report("21 runners, all marked, 12 tickets", measure(fullRace(), maxRunners, 12));
    report("example race, 8 runners, 6 tickets", measure(exampleRace(), 8, 6));
    report("example race, 8 runners, 12 tickets", measure(exampleRace(), 8, 12));
    report("one tipster's marks, 18 runners, 12 tickets", measure(oneTipster(), 18, 12));
    report("replay sheets in turn, 18 runners, 12 tickets", measureReplays(replaySheets()));
    report("31 rows, strong favourite, count 0", measure(strongFavouriteFullTable(), markSheetRows, 0));
    return 0;
}
