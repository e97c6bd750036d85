#include "analysis/figures.h"

#include "core/numbers.h"

#include <algorithm>
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

// An index below n from 32 random bits (multiply and shift; the bias is below n / 2^32).
inline std::size_t below(std::uint32_t bits, std::uint64_t n) { return static_cast<std::size_t>((bits * n) >> 32); }

} // namespace

std::int64_t stakeIn(Series series, const RaceOutcome& race)
{
    return countableYen(series == Series::Proposals ? race.stake : race.ownStake).value_or(0);
}

std::int64_t returnIn(Series series, const RaceOutcome& race)
{
    return countableYen(series == Series::Proposals ? race.proposalPayout() : race.ownIncome).value_or(0);
}

void Tally::add(std::int64_t raceStake, std::int64_t raceReturn, bool hit)
{
    ++races;
    hits += hit;
    stake += raceStake;
    returned += raceReturn;
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

std::optional<ReturnInterval> bootstrapReturnInterval(const std::vector<double>& stakes,
                                                      const std::vector<double>& returns, int resamples,
                                                      std::uint64_t seed, const std::function<bool()>& abandoned)
{
    const std::size_t n = std::min(stakes.size(), returns.size());
    if (n == 0 || resamples <= 0)
        return std::nullopt;
    // Each race's stake and return side by side, so that a draw touches one place.
    std::vector<double> pairs(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        pairs[2 * i] = stakes[i];
        pairs[2 * i + 1] = returns[i];
    }
    Xoshiro256 random(seed);
    std::vector<double> rates;
    rates.reserve(static_cast<std::size_t>(resamples));
    for (int b = 0; b < resamples; ++b) {
        if (abandoned && b % 64 == 0 && abandoned())
            return std::nullopt;
        // Two sums for each total, for even and odd draws, so that the additions do not wait on each other.
        double stake[2] = {0, 0};
        double returned[2] = {0, 0};
        std::size_t drawn = 0;
        for (; drawn + 2 <= n; drawn += 2) {
            const std::uint64_t bits = random.next();
            const std::size_t a = below(static_cast<std::uint32_t>(bits), n);
            const std::size_t c = below(static_cast<std::uint32_t>(bits >> 32), n);
            stake[0] += pairs[2 * a];
            returned[0] += pairs[2 * a + 1];
            stake[1] += pairs[2 * c];
            returned[1] += pairs[2 * c + 1];
        }
        if (drawn < n) {
            const std::size_t a = below(static_cast<std::uint32_t>(random.next()), n);
            stake[0] += pairs[2 * a];
            returned[0] += pairs[2 * a + 1];
        }
        const double totalStake = stake[0] + stake[1];
        if (totalStake != 0)
            rates.push_back(100.0 * (returned[0] + returned[1]) / totalStake);
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
        amounts.stakes.push_back(static_cast<double>(stakeIn(series, data.outcome(index))));
        amounts.returns.push_back(static_cast<double>(returnIn(series, data.outcome(index))));
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
        const RaceOutcome& race = data.outcome(index);
        const std::int64_t stake = stakeIn(series, race);
        const std::int64_t returned = returnIn(series, race);
        figures.add(series, race);
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
