// The analysis of a folder of 10,000 races of 18 runners: reading and tallying the folder (against a plain read of
// the same files' bytes in the same run), the analysis data made from the tally, a change of filter with every model
// recomputed (the race table sorted as a clicked header leaves it), the first and later searches of the race table,
// the what-if table for all twelve ticket counts and the bootstrap interval of the proposals' return rate, that
// last also over ten times the races (the same amounts repeated) to show how its time grows. Prints medians, each
// with its ratio to the plain read or its aim. Then, on a folder of as many races with 8 tipsters' marks in each, the
// tally and the analysis data again, the pages on tipsters and rankings (予想家, 予想家の貢献, 印と順位) for each
// filter step, a filter change with every model, and the tipsters' intervals. TOKIRO_BENCH_RACES sets another folder
// size, TOKIRO_BENCH_TIPSTERS another number of tipsters (0 leaves that part out), TOKIRO_BENCH_DISTINCT=1 other
// tipsters' names in every race (races × tipsters names). TOKIRO_BENCH_BOOTSTRAP_SIZES=1 measures instead from how
// many races on the Poisson weights give the interval that draws with replacement give (measureBootstrapSizes).
#include "bench_support.h"

#include "analysis/analysis.h"
#include "racefile/race_folder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

// The analysis data made from a tally handed over as the screen hands it (moved, not copied): the copy each run
// needs and the data's destruction are left out of the timing.
double prepareMs(const FolderRecord& record, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        FolderRecord copy = record;
        QElapsedTimer timer;
        timer.start();
        const AnalysisData data(std::move(copy));
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

// The filters a user steps through: a year, a course, a class, a span of months, races without result included,
// and back to everything.
std::vector<AnalysisFilter> filterSteps(const AnalysisData& data)
{
    std::vector<AnalysisFilter> steps;
    AnalysisFilter filter;
    filter.period = AnalysisFilter::Period::Year;
    filter.year = data.years().empty() ? 2000 : data.years()[data.years().size() / 2];
    steps.push_back(filter);
    filter = {};
    filter.course = data.courseKeys().value(0);
    steps.push_back(filter);
    filter = {};
    filter.grade = GradeClass::G1;
    steps.push_back(filter);
    filter = {};
    filter.period = AnalysisFilter::Period::Months;
    filter.fromMonth = QDate(1990, 4, 1);
    filter.toMonth = QDate(2010, 3, 1);
    steps.push_back(filter);
    filter = {};
    filter.includeWithoutResult = true;
    filter.includeWithoutAmounts = true;
    steps.push_back(filter);
    steps.push_back({});
    return steps;
}

// Each filter step timed on its own, the median of each step over the runs: the step back to every race costs the
// most, and the median over all steps would hide it. setFilter returns with every model recomputed but the bootstrap
// intervals, which come in later from worker threads; the time until they are in is taken too. Each change waits for
// the one before to be complete, as a user clicking through the filters would.
struct StepMedians {
    std::vector<double> change;
    std::vector<double> complete;
};
StepMedians timeFilterSteps(Analysis& analysis, const std::vector<AnalysisFilter>& steps, int runs)
{
    std::vector<std::vector<double>> changeTimes(steps.size());
    std::vector<std::vector<double>> completeTimes(steps.size());
    for (int round = 0; round < runs; ++round) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            analysis.setFilter(steps[i]);
            changeTimes[i].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            analysis.waitForIntervals();
            completeTimes[i].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }
    StepMedians medians;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        medians.change.push_back(bench::median(changeTimes[i]));
        medians.complete.push_back(bench::median(completeTimes[i]));
    }
    return medians;
}

// The part on tipsters, on a folder of its own so that the figures above stay those of a folder without them.
bool benchTipsterPages(int count, int tipsters, int runs)
{
    QTemporaryDir dir;
    const bool distinct = qEnvironmentVariableIntValue("TOKIRO_BENCH_DISTINCT") != 0;
    if (!dir.isValid() || !bench::makeFolder(dir.path(), count, true, tipsters, distinct)) {
        std::fprintf(stderr, "cannot make the race folder with tipsters\n");
        return false;
    }
    bench::plainRead(dir.path());
    const double plain = medianMs(runs, [&] { bench::plainRead(dir.path()); });
    FolderRecord record;
    const double tally = medianMs(runs, [&] { record = tallyFolder(dir.path()); });
    const double prepare = prepareMs(record, 3);
    Analysis analysis(record);
    const AnalysisData& data = analysis.data();
    const std::vector<AnalysisFilter> steps = filterSteps(data);

    // The figures of the three pages, from the replays the analysis data made once; each step timed on its own.
    std::vector<double> pageMedians;
    std::size_t rows = 0;
    for (const AnalysisFilter& step : steps) {
        const FilteredRaces filtered = applyFilter(data, step);
        pageMedians.push_back(medianMs(runs, [&] {
            const TipsterFigures figures = computeTipsters(data, filtered);
            const RankFigures ranks = computeRanks(data, filtered);
            rows = figures.rows.size() + ranks.ranks.size() + ranks.markCounts.size();
        }));
    }
    // A filter change with every model (the pages' tables among them), and until every interval is in.
    const StepMedians medians = timeFilterSteps(analysis, steps, runs);
    // Every tipster's intervals one after the other on this thread (the screen draws them on worker threads).
    const TipsterFigures all = computeTipsters(data, applyFilter(data, {}));
    const double intervals = medianMs(3, [&] {
        for (std::size_t row = 0; row < all.rows.size(); ++row)
            tipsterIntervals(data, all.marked[row], all.rows[row].tipster);
    });

    std::printf("%d races with %d tipsters each%s (%zu tipsters, %zu races counted for them)\n", count, tipsters,
                distinct ? ", named differently in every race" : "", all.rows.size(), all.races.size());
    std::printf("  plain read of the files          %9.1f ms\n", plain);
    std::printf("  tally of the folder              %9.1f ms  (%.2f x the plain read)\n", tally, tally / plain);
    std::printf("  analysis data from the tally     %9.1f ms  (with every tipster's two replays a race)\n", prepare);
    std::printf("  the three tipster pages          %9.1f ms  (aim 300 ms; %zu rows; slowest step of:",
                *std::max_element(pageMedians.begin(), pageMedians.end()), rows);
    for (const double step : pageMedians)
        std::printf(" %.1f", step);
    std::printf(")\n  filter change, all models        %9.1f ms  (until the intervals are in: %.1f ms)\n",
                *std::max_element(medians.change.begin(), medians.change.end()),
                *std::max_element(medians.complete.begin(), medians.complete.end()));
    std::printf("  every tipster's intervals        %9.1f ms  (one thread)\n", intervals);
    return true;
}

// Where the Poisson weights and draws with replacement give the same interval. For each number of races, folders of
// that many races (one to twelve 100-yen tickets, a hit with a payout of 2 to 40 times a ticket now and then), each
// drawn both ways with `seeds` seeds of bootstrapResamples draws: the two agree on a folder when the means of each
// bound over the seeds differ by no more than the larger of their standard deviations, the Monte Carlo error of one
// interval. Prints, per number of races, the share of folders where they agree and the median and largest difference
// in that error's units.
void measureBootstrapSizes()
{
    const int folders = 40;
    const int seeds = 100;
    std::printf("races  folders agreeing  median difference  largest (in Monte Carlo errors of one interval)\n");
    for (int n = 2; n <= 60; n += n < 30 ? 1 : 5) {
        bench::Lcg random(1000u + static_cast<unsigned>(n));
        int agreeing = 0;
        std::vector<double> differences;
        for (int folder = 0; folder < folders; ++folder) {
            std::vector<double> stakes;
            std::vector<double> returns;
            const int hitsIn = 2 + folder % 5; // a hit one race in 2 .. 6
            for (int race = 0; race < n; ++race) {
                const int tickets = 1 + random.below(12);
                stakes.push_back(100.0 * tickets);
                returns.push_back(random.below(hitsIn) == 0 ? 100.0 * (2 + random.below(39)) : 0.0);
            }
            if (std::all_of(returns.begin(), returns.end(), [](double r) { return r == 0; }))
                returns.front() = 500;
            std::array<std::array<std::vector<double>, 2>, 2> bounds; // [Poisson?][high?]
            for (const bool poisson : {false, true}) {
                setPoissonDrawsFrom(poisson ? 0 : std::numeric_limits<int>::max());
                for (int seed = 0; seed < seeds; ++seed) {
                    const std::optional<ReturnInterval> interval =
                        bootstrapReturnInterval(stakes, returns, bootstrapResamples, bootstrapSeed + 7919u * seed);
                    bounds[poisson][0].push_back(interval ? interval->low : 0);
                    bounds[poisson][1].push_back(interval ? interval->high : 0);
                }
            }
            auto mean = [](const std::vector<double>& v) {
                return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
            };
            auto deviation = [&mean](const std::vector<double>& v) {
                const double m = mean(v);
                double sum = 0;
                for (const double x : v)
                    sum += (x - m) * (x - m);
                return std::sqrt(sum / (v.size() - 1));
            };
            double worst = 0;
            for (const int high : {0, 1}) {
                const double error = std::max(deviation(bounds[0][high]), deviation(bounds[1][high]));
                const double gap = std::abs(mean(bounds[0][high]) - mean(bounds[1][high]));
                worst = std::max(worst, gap == 0 ? 0.0 : error == 0 ? 1e9 : gap / error);
            }
            agreeing += worst <= 1;
            differences.push_back(worst);
        }
        std::printf("%5d  %7.0f%%           %8.2f          %8.2f\n", n, 100.0 * agreeing / folders,
                    bench::median(differences), *std::max_element(differences.begin(), differences.end()));
        std::fflush(stdout);
    }
    setPoissonDrawsFrom(poissonDrawsFrom);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TOKIRO_BENCH_BOOTSTRAP_SIZES")) {
        measureBootstrapSizes();
        return 0;
    }
    const int count =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES") : 10000;
    QTemporaryDir dir;
    if (!dir.isValid() || !bench::makeFolder(dir.path(), count, true)) {
        std::fprintf(stderr, "cannot make the race folder\n");
        return 1;
    }
    const QString folder = dir.path();
    const int runs = 7;

    qint64 bytes = 0;
    bench::plainRead(folder); // warm the file cache for both
    const double plain = medianMs(runs, [&] { bytes = bench::plainRead(folder); });
    FolderRecord record;
    const double tally = medianMs(runs, [&] { record = tallyFolder(folder); });
    if (static_cast<int>(record.races.size()) != count || record.record.races != count) {
        std::fprintf(stderr, "the tally counted %d races of %d\n", record.record.races, count);
        return 1;
    }
    // Of which the race files' library alone: listing, reading and parsing every file.
    const double catalogue = medianMs(runs, [&] { RaceFolder(folder).races(ReadScope::Whole); });
    const double prepare = prepareMs(record, 3);

    Analysis analysis(record);
    analysis.raceTable().sort(RaceTableModel::ProposalProfit, Qt::DescendingOrder);
    const std::vector<AnalysisFilter> steps = filterSteps(analysis.data());
    const StepMedians medians = timeFilterSteps(analysis, steps, runs);
    const std::vector<double>& stepMedians = medians.change;
    const std::vector<double>& completeMedians = medians.complete;
    const double filterChange = *std::max_element(stepMedians.begin(), stepMedians.end());
    const double filterComplete = *std::max_element(completeMedians.begin(), completeMedians.end());

    // The search box: the first search makes every row's search text, later ones only compare. Each first search on
    // a race table of its own over the same rows, sorted as the screen's table is.
    analysis.setFilter({});
    analysis.waitForIntervals();
    std::vector<double> firstSearches;
    for (int run = 0; run < runs; ++run) {
        RaceTableModel fresh(analysis.data());
        fresh.setRaces(&analysis.races());
        fresh.sort(RaceTableModel::ProposalProfit, Qt::DescendingOrder);
        QElapsedTimer timer;
        timer.start();
        fresh.setSearchText(QStringLiteral("東京"));
        firstSearches.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const double firstSearch = bench::median(firstSearches);
    analysis.raceTable().setSearchText(QStringLiteral("東京"));
    const double nextSearch = medianMs(runs,
                                       [&] {
                                           analysis.raceTable().setSearchText(QStringLiteral("東京 ＧⅠ"));
                                           analysis.raceTable().setSearchText(QStringLiteral("東京"));
                                       })
                              / 2;
    const int found = analysis.raceTable().rowCount();
    analysis.raceTable().setSearchText({});

    const AnalysisData& data = analysis.data();
    // Every race of the folder, results or not, so that both are timed over 10,000 races.
    const std::vector<int>& all = data.timeOrder();
    int whatIfHits = 0;
    const double whatIf = medianMs(runs, [&] {
        whatIfHits = 0;
        for (const int race : all) {
            for (int k = 1; k <= whatIfCounts; ++k)
                whatIfHits += whatIfOutcome(data.outcome(race), k).hit;
        }
        whatIfHits += computeWhatIf(data, all).back().tally.hits;
    });

    std::vector<double> stakes;
    std::vector<double> returns;
    for (const int race : all) {
        stakes.push_back(stakeIn(Series::Proposals, data.outcome(race)));
        returns.push_back(returnIn(Series::Proposals, data.outcome(race)));
    }
    std::optional<ReturnInterval> interval;
    // Wall time and the processor time of every thread, as the bootstrap may draw on both cores.
    auto timeBootstrap = [&](const std::vector<double>& s, const std::vector<double>& r, double& processorMs) {
        std::vector<double> processor;
        const double wall = medianMs(runs, [&] {
            const std::clock_t start = std::clock();
            interval = bootstrapReturnInterval(s, r);
            processor.push_back(1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
        });
        processorMs = bench::median(processor);
        return wall;
    };
    double bootstrapProcessor = 0;
    const double bootstrap = timeBootstrap(stakes, returns, bootstrapProcessor);
    const std::optional<ReturnInterval> folderInterval = interval;
    std::vector<double> tenStakes;
    std::vector<double> tenReturns;
    for (int copy = 0; copy < 10; ++copy) {
        tenStakes.insert(tenStakes.end(), stakes.begin(), stakes.end());
        tenReturns.insert(tenReturns.end(), returns.begin(), returns.end());
    }
    double tenfoldProcessor = 0;
    const double tenfold = timeBootstrap(tenStakes, tenReturns, tenfoldProcessor);

    std::printf("%d races of 18 runners, %lld bytes; medians of %d runs\n", count, static_cast<long long>(bytes), runs);
    std::printf("  plain read of the files          %9.1f ms  (the floor)\n", plain);
    std::printf("  tally of the folder              %9.1f ms  (%.2f x the plain read; aim 1.0 x)\n", tally,
                tally / plain);
    std::printf("    of which the catalogue read    %9.1f ms  (%.2f x the plain read; aim 1.0 x)\n", catalogue,
                catalogue / plain);
    std::printf("  analysis data from the tally     %9.1f ms  (dates, keys and what-if of every race; aim 150 ms)\n",
                prepare);
    std::printf("  filter change, all models        %9.1f ms  (aim 50 ms; slowest step of:", filterChange);
    for (const double step : stepMedians)
        std::printf(" %.1f", step);
    std::printf(")\n  ... until the intervals are in   %9.1f ms  (aim 200 ms; slowest step of:", filterComplete);
    for (const double step : completeMedians)
        std::printf(" %.1f", step);
    std::printf(")\n");
    std::printf("  first search of the race table   %9.1f ms  (aim 150 ms; it makes the rows' texts)\n", firstSearch);
    std::printf("  later searches                   %9.1f ms  (%d rows found)\n", nextSearch, found);
    std::printf("  what-if, all twelve counts       %9.1f ms  (aim 150 ms; %zu races, %d hits)\n", whatIf, all.size(),
                whatIfHits);
    std::printf("  bootstrap, %d resamples        %9.1f ms  (aim 100 ms; processor %.1f ms; %.1f%% .. %.1f%%)\n",
                bootstrapResamples, bootstrap, bootstrapProcessor, folderInterval ? folderInterval->low : 0.0,
                folderInterval ? folderInterval->high : 0.0);
    std::printf("    over ten times the races       %9.1f ms  (%.1f x the time, aim 12 x; processor %.1f ms, %.1f x)\n",
                tenfold, tenfold / bootstrap, tenfoldProcessor, tenfoldProcessor / bootstrapProcessor);
    const int tipsters =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_TIPSTERS") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_TIPSTERS") : 8;
    if (tipsters > 0 && !benchTipsterPages(count, tipsters, runs))
        return 1;
    return 0;
}
