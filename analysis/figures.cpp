#include "analysis/figures.h"

#include "core/numbers.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>

namespace {

// xoshiro256** by Blackman and Vigna, seeded through splitmix64: small, fast, and the same on every platform,
// which the standard library's distributions are not.
class Xoshiro256 {
public:
    explicit Xoshiro256(std::uint64_t seed)
    {
        for (std::uint64_t& word : state_) {
            seed += 0x9e3779b97f4a7c15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t next()
    {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

// How often a race is drawn into one resample, from 16 random bits: Poisson with mean 1, the count of a race among n
// draws with replacement as n grows. Weight w for the bits below bound w (the distribution's cumulative share in
// 65536ths), 8 for the last value.
const std::array<std::uint8_t, 65536>& poissonWeights()
{
    static const std::array<std::uint8_t, 65536> table = [] {
        constexpr std::array<std::uint32_t, 8> bounds = {24109, 48219, 60273, 64292, 65296, 65497, 65531, 65535};
        std::array<std::uint8_t, 65536> weights{};
        std::uint8_t w = 0;
        for (std::uint32_t bits = 0; bits < weights.size(); ++bits) {
            while (w < bounds.size() && bits >= bounds[w])
                ++w;
            weights[bits] = w;
        }
        return weights;
    }();
    return table;
}

} // namespace

void Tally::add(std::int64_t raceStake, std::int64_t raceReturn, bool hit)
{
    ++races;
    hits += hit;
    stake += raceStake;
    returned += raceReturn;
}

void Tally::add(const AnalysisData& data, Series series, int race)
{
    add(data.stake(series, race), data.returned(series, race), data.hitIn(series, race));
}

void Tally::add(Series series, const RaceOutcome& race)
{
    const std::int64_t raceReturn = returnIn(series, race);
    add(stakeIn(series, race), raceReturn, series == Series::Proposals ? race.hit : raceReturn > 0);
}

std::optional<double> Tally::hitRatePercent() const
{
    if (races == 0)
        return std::nullopt;
    return 100.0 * hits / races;
}

std::optional<double> Tally::returnRatePercent() const
{
    if (stake == 0)
        return std::nullopt;
    return 100.0 * static_cast<double>(returned) / static_cast<double>(stake);
}

std::optional<double> Tally::profitPerRace() const
{
    if (races == 0)
        return std::nullopt;
    return static_cast<double>(profit()) / races;
}

namespace {

// The weighted sums of resamples [first, first + count) over every race, with the generator of that part.
void drawPart(const std::vector<double>& stakes, const std::vector<double>& returns, std::size_t first,
              std::size_t count, std::uint64_t seed, std::vector<double>& staked, std::vector<double>& returned,
              const std::function<bool()>& stopped)
{
    const std::size_t n = std::min(stakes.size(), returns.size());
    const std::array<std::uint8_t, 65536>& weightOf = poissonWeights();
    double* const stakedPart = staked.data() + first;
    double* const returnedPart = returned.data() + first;
    Xoshiro256 random(seed);
    const std::size_t whole = count / 4 * 4;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 512 == 0 && stopped())
            return;
        const double stake = stakes[i];
        const double back = returns[i];
        // A race that neither staked nor returned anything adds nothing to any resample.
        if (stake == 0 && back == 0)
            continue;
        // A weight times a whole amount is exact, so the sums come out the same on every platform.
        auto add = [&](std::size_t b, std::uint64_t bits) {
            const double weight = weightOf[bits & 0xffff];
            stakedPart[b] += weight * stake;
            returnedPart[b] += weight * back;
        };
        std::size_t b = 0;
        for (; b < whole; b += 4) {
            const std::uint64_t bits = random.next();
            add(b, bits);
            add(b + 1, bits >> 16);
            add(b + 2, bits >> 32);
            add(b + 3, bits >> 48);
        }
        for (std::uint64_t bits = random.next(); b < count; ++b, bits >>= 16)
            add(b, bits);
    }
}

} // namespace

std::optional<ReturnInterval> bootstrapReturnInterval(const std::vector<double>& stakes,
                                                      const std::vector<double>& returns, int resamples,
                                                      std::uint64_t seed, const std::function<bool()>& abandoned)
{
    const std::size_t n = std::min(stakes.size(), returns.size());
    if (n == 0 || resamples <= 0)
        return std::nullopt;
    const auto draws = static_cast<std::size_t>(resamples);
    // Race by race, every resample's weight for the race: the races are read once, in order, and the running totals
    // of the resamples (32 KB for 2,000) stay in the cache, so the time grows with the races and nothing else.
    // The resamples come in two halves, each with a generator of its own, so that a large folder can draw them on two
    // cores; which thread draws a half changes nothing.
    std::vector<double> staked(draws, 0.0);
    std::vector<double> returned(draws, 0.0);
    const std::size_t half = draws / 2;
    std::atomic<bool> stop = false;
    // Only this thread asks abandoned (it need not be thread-safe); the other half follows through stop.
    auto stoppedHere = [&abandoned, &stop] {
        if (abandoned && abandoned())
            stop = true;
        return stop.load();
    };
    auto stoppedThere = [&stop] { return stop.load(); };
    constexpr std::size_t racesWorthAThread = 20000;
    QFuture<void> second;
    if (n >= racesWorthAThread)
        second = QtConcurrent::run(
            [&] { drawPart(stakes, returns, half, draws - half, seed + 1, staked, returned, stoppedThere); });
    else
        drawPart(stakes, returns, half, draws - half, seed + 1, staked, returned, stoppedHere);
    drawPart(stakes, returns, 0, half, seed, staked, returned, stoppedHere);
    if (second.isValid())
        second.waitForFinished();
    if (stoppedHere())
        return std::nullopt;
    std::vector<double> rates;
    rates.reserve(draws);
    for (std::size_t b = 0; b < draws; ++b) {
        if (staked[b] != 0)
            rates.push_back(100.0 * returned[b] / staked[b]);
    }
    if (rates.empty())
        return std::nullopt;
    const std::size_t m = rates.size();
    auto rank = [m](double share) {
        const auto r = static_cast<std::size_t>(std::ceil(share * static_cast<double>(m)));
        return std::clamp<std::size_t>(r, 1, m) - 1;
    };
    const std::size_t lowRank = rank(0.025);
    const std::size_t highRank = rank(0.975);
    std::nth_element(rates.begin(), rates.begin() + static_cast<std::ptrdiff_t>(lowRank), rates.end());
    const double low = rates[lowRank];
    std::nth_element(rates.begin() + static_cast<std::ptrdiff_t>(lowRank),
                     rates.begin() + static_cast<std::ptrdiff_t>(highRank), rates.end());
    return ReturnInterval{low, rates[highRank]};
}

SeriesAmounts seriesAmounts(const AnalysisData& data, Series series, const std::vector<int>& races)
{
    SeriesAmounts amounts;
    amounts.stakes.reserve(races.size());
    amounts.returns.reserve(races.size());
    for (const int index : races) {
        amounts.stakes.push_back(static_cast<double>(data.stake(series, index)));
        amounts.returns.push_back(static_cast<double>(data.returned(series, index)));
    }
    return amounts;
}

SeriesFigures computeFigures(const AnalysisData& data, Series series, const std::vector<int>& races, bool withInterval)
{
    SeriesFigures figures;
    std::int64_t cumulative = 0;
    std::int64_t peak = 0;
    int streak = 0;
    for (const int index : races) {
        const std::int64_t stake = data.stake(series, index);
        const std::int64_t returned = data.returned(series, index);
        figures.add(stake, returned, data.hitIn(series, index));
        figures.highestReturn = std::max(figures.highestReturn, returned);

        if (!data.facts(index).date.isValid())
            continue;
        // A race that staked nothing neither lengthens nor breaks a losing streak.
        if (returned > 0)
            streak = 0;
        else if (stake > 0)
            figures.longestLosingStreak = std::max(figures.longestLosingStreak, ++streak);
        cumulative += returned - stake;
        peak = std::max(peak, cumulative);
        figures.maxDrawdown = std::max(figures.maxDrawdown, peak - cumulative);
    }
    if (withInterval) {
        const SeriesAmounts amounts = seriesAmounts(data, series, races);
        figures.returnInterval = bootstrapReturnInterval(amounts.stakes, amounts.returns);
    }
    return figures;
}
