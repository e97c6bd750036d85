#pragma once

#include "analysis/analysis_data.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A 95% interval of the return rate, in per cent.
struct ReturnInterval {
    double low = 0;
    double high = 0;
    bool operator==(const ReturnInterval&) const = default;
};

inline constexpr int bootstrapResamples = 2000;
inline constexpr std::uint64_t bootstrapSeed = 0x746f6b69726f3235ULL;
// Below this many races a figure is only indicative (参考値).
inline constexpr int indicativeBelow = 30;

// From this many races on the bootstrap weighs races with Poisson weights; below it, it draws them with replacement.
// Measured with bench_analysis (TOKIRO_BENCH_BOOTSTRAP_SIZES=1) on forty folders of each size: the mean bounds of the
// two ways differ by more than the Monte Carlo error of one interval of bootstrapResamples draws on every folder of 4
// to 14 races, on half of them at 23, on one in ten at 30, one in twenty at 35, one in forty at 40 and none at 45;
// from 40 races on the difference is about half that error.
inline constexpr int poissonDrawsFrom = 40;

// Percentile bootstrap over races, `resamples` times; each resample's statistic is its return rate, total returned /
// total staked × 100 (a resample that staked nothing has no rate and is set aside). A resample weighs each race by
// how often it is drawn. Below poissonDrawsFrom races, each resample draws as many races as there are with
// replacement (xoshiro256**, a uniform race a draw). From there on the weights are those of the Poisson bootstrap
// (independent, Poisson with mean 1: the count of a race among as many draws with replacement as there are races, as
// the races grow), so that one pass over the races in order makes every resample and the time grows only with the
// races; a handful of races would get many resamples holding one race or none that way. The interval runs from
// the 2.5th to the 97.5th percentile of the rates, taken as the values of rank ⌈0.025·m⌉ and ⌈0.975·m⌉ among the m
// rates sorted. The generator (xoshiro256**) is seeded afresh with `seed` for every call and the sums take the races
// in order, so the same races in the same order give the same interval on every platform. Absent when no resample
// has a rate. abandoned, when given, is asked now and then; once it says true the draws stop and nothing is
// returned (a newer filter has made the interval useless).
std::optional<ReturnInterval> bootstrapReturnInterval(const std::vector<double>& stakes,
                                                      const std::vector<double>& returns,
                                                      int resamples = bootstrapResamples,
                                                      std::uint64_t seed = bootstrapSeed,
                                                      const std::function<bool()>& abandoned = {});

// Three ways of buying over the same races, drawn together for their 95% intervals: amounts holds, race after race,
// the stake and the return of way 0, way 1 and way 2 (six values a race). Every resample weighs each race alike for
// the three ways, with the generator, seed and draws of bootstrapReturnInterval, so where every race stakes in every
// way each way's interval is the one that function gives it alone; the difference, way 0's rate less way 2's in
// points, is drawn as the two vary together (a resample where either staked nothing gives none). Empty when
// abandoned.
struct ThreeWayIntervals {
    std::array<std::optional<ReturnInterval>, 3> ways;
    std::optional<ReturnInterval> firstLessLast;
};
ThreeWayIntervals bootstrapThreeWays(const std::vector<double>& amounts, int resamples = bootstrapResamples,
                                     std::uint64_t seed = bootstrapSeed, const std::function<bool()>& abandoned = {});

// The draws use the processor's vector instructions where it has them (x86-64 with AVX2 and FMA) and a plain loop
// elsewhere; both give the same doubles. false keeps every later draw to the plain loop, so that a test can compare
// the two on any machine.
void allowVectorDraws(bool allowed);

// For measurements: from how many races on the draws take Poisson weights (poissonDrawsFrom unless set; 0 always,
// INT_MAX never).
void setPoissonDrawsFrom(int races);

// The Wilson score interval at 95% of a share of hits in trials, in per cent: its bounds stay within 0..100 and it
// keeps a width at no hit and at all hits, where the plain normal interval would shrink to a point. Absent over no
// trial.
std::optional<ReturnInterval> wilsonInterval(int hits, int trials);

// Races, hits and money of one series over some races. The sums are exact: every race adds at most maxAmountYen.
struct Tally {
    int races = 0;
    int hits = 0; // proposals: races whose recorded pair was proposed; own: races with an income
    std::int64_t stake = 0;
    std::int64_t returned = 0; // payout of the hits, or the user's income

    void add(Series series, const RaceOutcome& race);
    void add(const AnalysisData& data, Series series, int race);
    void add(std::int64_t raceStake, std::int64_t raceReturn, bool hit)
    {
        ++races;
        hits += hit;
        stake += raceStake;
        returned += raceReturn;
    }
    std::int64_t profit() const { return returned - stake; }
    std::optional<double> hitRatePercent() const;    // absent over no race
    std::optional<double> returnRatePercent() const; // absent over no stake
    std::optional<double> profitPerRace() const;     // absent over no race
};

// The figures of one series over the races counted in it.
struct SeriesFigures : Tally {
    std::int64_t highestReturn = 0; // the largest payout of one race (own: the largest income)
    // Races in time order, races without a readable date left out (as from the time charts):
    int longestLosingStreak = 0;  // the most races in a row that staked money and got nothing back
    std::int64_t maxDrawdown = 0; // the largest fall of the cumulative profit below an earlier peak (or below 0)
    std::optional<ReturnInterval> returnInterval;
    bool intervalPending = false; // the interval is still being drawn
    bool indicative() const { return races < indicativeBelow; }
};

// races: the indexes counted in the series, in time order. withInterval: false leaves the bootstrap to the caller.
SeriesFigures computeFigures(const AnalysisData& data, Series series, const std::vector<int>& races,
                             bool withInterval = true);

// The stakes and returns of the races in a series, as the bootstrap takes them.
struct SeriesAmounts {
    std::vector<double> stakes;
    std::vector<double> returns;
};
SeriesAmounts seriesAmounts(const AnalysisData& data, Series series, const std::vector<int>& races);
