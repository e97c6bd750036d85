#include "analysis/figures.h"

#include "core/numbers.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOKIRO_VECTOR_WEIGHTS 1
#include <immintrin.h>
#else
#define TOKIRO_VECTOR_WEIGHTS 0
#endif

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

constexpr std::array<std::uint32_t, 8> poissonBounds = {24109, 48219, 60273, 64292, 65296, 65497, 65531, 65535};

// How often a race is drawn into one resample, from 16 random bits: Poisson with mean 1, the count of a race among n
// draws with replacement as n grows. Weight w for the bits below bound w (the distribution's cumulative share in
// 65536ths), 8 for the last value.
const std::array<std::uint8_t, 65536>& poissonWeights()
{
    static const std::array<std::uint8_t, 65536> table = [] {
        std::array<std::uint8_t, 65536> weights{};
        std::uint8_t w = 0;
        for (std::uint32_t bits = 0; bits < weights.size(); ++bits) {
            while (w < poissonBounds.size() && bits >= poissonBounds[w])
                ++w;
            weights[bits] = w;
        }
        return weights;
    }();
    return table;
}

// The 2.5th and 97.5th percentiles of the m values: the values of rank ⌈0.025·m⌉ and ⌈0.975·m⌉ sorted.
std::optional<ReturnInterval> percentileInterval(std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    const std::size_t m = values.size();
    auto rank = [m](double share) {
        const auto r = static_cast<std::size_t>(std::ceil(share * static_cast<double>(m)));
        return std::clamp<std::size_t>(r, 1, m) - 1;
    };
    const std::size_t lowRank = rank(0.025);
    const std::size_t highRank = rank(0.975);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lowRank), values.end());
    const double low = values[lowRank];
    std::nth_element(values.begin() + static_cast<std::ptrdiff_t>(lowRank),
                     values.begin() + static_cast<std::ptrdiff_t>(highRank), values.end());
    return ReturnInterval{low, values[highRank]};
}

} // namespace

void Tally::add(const AnalysisData& data, Series series, int race)
{
    add(data.stake(series, race), data.returned(series, race), data.hitIn(series, race));
}

void Tally::add(Series series, const RaceOutcome& race)
{
    const std::int64_t raceReturn = returnIn(series, race);
    add(stakeIn(series, race), raceReturn, series == Series::Proposals ? race.hit() : raceReturn > 0);
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

// The weighted sums of resamples [first, first + count) over every race, with the generator of that part: sums holds,
// resample after resample, `width` running totals, and race i adds its `width` values (values[i * width ...]) times
// its weight. A race whose values are all 0 adds nothing to any resample and draws no weight.
#if TOKIRO_VECTOR_WEIGHTS
// drawPart with the processor's 256-bit instructions: the same generator calls, the same 16 bits for each resample and
// the same weights (counted against the bounds instead of looked up), sixteen at a time. The running totals are kept
// value by value (all resamples' stakes, then all their returns...) so that four resamples take one multiply-add, and
// an amount of 0 (a race that returned nothing) adds nothing and is left out. Every product of a weight and a whole
// amount is exact, so each total is the same double as the plain loop's.
template <std::size_t width>
__attribute__((target("avx2,fma"))) void drawPartVector(const double* values, std::size_t n, std::size_t first,
                                                        std::size_t count, std::uint64_t seed, double* sums,
                                                        const std::function<bool()>& stopped)
{
    Xoshiro256 random(seed);
    // As the plain loop: a word for every four resamples and one more for the rest (drawn even when none is left).
    const std::size_t words = count / 4 + 1;
    const std::size_t blocks = (count + 15) / 16;
    const std::size_t stride = blocks * 16;
    std::vector<std::uint64_t> bits(std::max(words, blocks * 4), 0);
    std::vector<double> totals(width * stride, 0.0);
    // Signed 16-bit lanes: bits ≥ bound exactly when (bits ^ 0x8000) > ((bound - 1) ^ 0x8000).
    const __m256i flip = _mm256_set1_epi16(static_cast<short>(0x8000));
    __m256i below[poissonBounds.size()];
    for (std::size_t k = 0; k < poissonBounds.size(); ++k)
        below[k] = _mm256_set1_epi16(static_cast<short>((poissonBounds[k] - 1) ^ 0x8000));
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 512 == 0 && stopped())
            return;
        const double* race = values + i * width;
        std::size_t used[width];
        std::size_t usedCount = 0;
        for (std::size_t v = 0; v < width; ++v) {
            if (race[v] != 0)
                used[usedCount++] = v;
        }
        if (usedCount == 0)
            continue;
        for (std::size_t w = 0; w < words; ++w)
            bits[w] = random.next();
        // Resample b takes the bits (b % 4) × 16 up of word b / 4: the 16-bit lanes of the words in memory order.
        const auto* lanes = reinterpret_cast<const std::uint8_t*>(bits.data());
        for (std::size_t b = 0; b < blocks; ++b) {
            const __m256i x =
                _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes + 32 * b)), flip);
            __m256i counted = _mm256_setzero_si256();
            for (const __m256i& bound : below)
                counted = _mm256_sub_epi16(counted, _mm256_cmpgt_epi16(x, bound));
            const __m256i low = _mm256_cvtepu16_epi32(_mm256_castsi256_si128(counted));
            const __m256i high = _mm256_cvtepu16_epi32(_mm256_extracti128_si256(counted, 1));
            const __m256d weight[4] = {_mm256_cvtepi32_pd(_mm256_castsi256_si128(low)),
                                       _mm256_cvtepi32_pd(_mm256_extracti128_si256(low, 1)),
                                       _mm256_cvtepi32_pd(_mm256_castsi256_si128(high)),
                                       _mm256_cvtepi32_pd(_mm256_extracti128_si256(high, 1))};
            for (std::size_t u = 0; u < usedCount; ++u) {
                const __m256d amount = _mm256_broadcast_sd(race + used[u]);
                double* total = totals.data() + used[u] * stride + 16 * b;
                for (int q = 0; q < 4; ++q)
                    _mm256_storeu_pd(total + 4 * q, _mm256_fmadd_pd(weight[q], amount, _mm256_loadu_pd(total + 4 * q)));
            }
        }
    }
    double* const part = sums + first * width;
    for (std::size_t b = 0; b < count; ++b) {
        for (std::size_t v = 0; v < width; ++v)
            part[b * width + v] = totals[v * stride + b];
    }
}
#endif

std::atomic<bool> vectorDrawsAllowed = true;

template <std::size_t width>
void drawPart(const double* values, std::size_t n, std::size_t first, std::size_t count, std::uint64_t seed,
              double* sums, const std::function<bool()>& stopped)
{
#if TOKIRO_VECTOR_WEIGHTS
    static const bool vector = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (vector && vectorDrawsAllowed.load(std::memory_order_relaxed)) {
        drawPartVector<width>(values, n, first, count, seed, sums, stopped);
        return;
    }
#endif
    const std::array<std::uint8_t, 65536>& weightOf = poissonWeights();
    double* const part = sums + first * width;
    Xoshiro256 random(seed);
    const std::size_t whole = count / 4 * 4;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 512 == 0 && stopped())
            return;
        const double* race = values + i * width;
        if (std::all_of(race, race + width, [](double value) { return value == 0; }))
            continue;
        // A weight times a whole amount is exact, so the sums come out the same on every platform.
        auto add = [&](std::size_t b, std::uint64_t bits) {
            const double weight = weightOf[bits & 0xffff];
            double* sum = part + b * width;
            for (std::size_t v = 0; v < width; ++v)
                sum[v] += weight * race[v];
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

// A whole number below n, every one alike (Lemire's multiply and reject): the same on every platform.
std::size_t below(Xoshiro256& random, std::uint32_t n)
{
    std::uint64_t product = (random.next() >> 32) * n;
    if (static_cast<std::uint32_t>(product) < n) {
        const std::uint32_t rejected = static_cast<std::uint32_t>(0u - n) % n;
        while (static_cast<std::uint32_t>(product) < rejected)
            product = (random.next() >> 32) * n;
    }
    return static_cast<std::size_t>(product >> 32);
}

std::atomic<int> poissonFrom = poissonDrawsFrom;

// drawResamples for a handful of races: each resample draws n races with replacement, so that it holds n races as the
// series does (Poisson weights would leave a few races drawn out, or none at all, in a good share of the resamples).
template <std::size_t width>
std::optional<std::vector<double>> drawWithReplacement(const double* values, std::size_t n, std::size_t draws,
                                                       std::uint64_t seed, const std::function<bool()>& abandoned)
{
    std::vector<double> sums(draws * width, 0.0);
    Xoshiro256 random(seed);
    for (std::size_t b = 0; b < draws; ++b) {
        if (b % 256 == 0 && abandoned && abandoned())
            return std::nullopt;
        double* sum = sums.data() + b * width;
        for (std::size_t drawn = 0; drawn < n; ++drawn) {
            const double* race = values + below(random, static_cast<std::uint32_t>(n)) * width;
            for (std::size_t v = 0; v < width; ++v)
                sum[v] += race[v];
        }
    }
    return sums;
}

// Every resample's sums (width a resample) over the n races of values, or none when abandoned. Race by race, every
// resample's weight for the race: the races are read once, in order, and the running totals of the resamples stay in
// the cache, so the time grows with the races and nothing else. The resamples come in two halves, each with a
// generator of its own, so that a large folder can draw them on two cores; which thread draws a half changes nothing.
template <std::size_t width>
std::optional<std::vector<double>> drawResamples(const double* values, std::size_t n, std::size_t draws,
                                                 std::uint64_t seed, const std::function<bool()>& abandoned)
{
    if (n < static_cast<std::size_t>(poissonFrom.load(std::memory_order_relaxed)))
        return drawWithReplacement<width>(values, n, draws, seed, abandoned);
    std::vector<double> sums(draws * width, 0.0);
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
            [&] { drawPart<width>(values, n, half, draws - half, seed + 1, sums.data(), stoppedThere); });
    else
        drawPart<width>(values, n, half, draws - half, seed + 1, sums.data(), stoppedHere);
    drawPart<width>(values, n, 0, half, seed, sums.data(), stoppedHere);
    if (second.isValid())
        second.waitForFinished();
    if (stoppedHere())
        return std::nullopt;
    return sums;
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
    std::vector<double> values(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        values[2 * i] = stakes[i];
        values[2 * i + 1] = returns[i];
    }
    const std::optional<std::vector<double>> sums = drawResamples<2>(values.data(), n, draws, seed, abandoned);
    if (!sums)
        return std::nullopt;
    std::vector<double> rates;
    rates.reserve(draws);
    for (std::size_t b = 0; b < draws; ++b) {
        const double staked = (*sums)[2 * b];
        if (staked != 0)
            rates.push_back(100.0 * (*sums)[2 * b + 1] / staked);
    }
    return percentileInterval(rates);
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

void allowVectorDraws(bool allowed) { vectorDrawsAllowed.store(allowed); }

void setPoissonDrawsFrom(int races) { poissonFrom.store(races); }

std::optional<ReturnInterval> wilsonInterval(int hits, int trials)
{
    if (trials <= 0 || hits < 0 || hits > trials)
        return std::nullopt;
    // The normal quantile of 97.5%.
    constexpr double z = 1.959963984540054;
    const double n = trials;
    const double p = hits / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z / (1 + z * z / n) * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n));
    // At no hit and at all hits the bounds are exactly 0 and 100, not a rounding away from them.
    const double low = hits == 0 ? 0.0 : std::max(0.0, centre - half);
    const double high = hits == trials ? 1.0 : std::min(1.0, centre + half);
    return ReturnInterval{100 * low, 100 * high};
}

ThreeWayIntervals bootstrapThreeWays(const std::vector<double>& amounts, int resamples, std::uint64_t seed,
                                     const std::function<bool()>& abandoned)
{
    constexpr std::size_t ways = 3;
    constexpr std::size_t width = 2 * ways;
    ThreeWayIntervals out;
    const std::size_t n = amounts.size() / width;
    if (n == 0 || resamples <= 0)
        return out;
    const auto draws = static_cast<std::size_t>(resamples);
    // Every resample weighs the races alike for the three ways, so the difference is drawn as the two vary together.
    const std::optional<std::vector<double>> sums = drawResamples<width>(amounts.data(), n, draws, seed, abandoned);
    if (!sums)
        return out;
    std::array<std::vector<double>, ways> rates;
    std::vector<double> differences;
    for (std::vector<double>& list : rates)
        list.reserve(draws);
    differences.reserve(draws);
    for (std::size_t b = 0; b < draws; ++b) {
        const double* sum = sums->data() + b * width;
        double rate[ways] = {};
        bool has[ways] = {};
        for (std::size_t w = 0; w < ways; ++w) {
            has[w] = sum[2 * w] != 0;
            if (has[w]) {
                rate[w] = 100.0 * sum[2 * w + 1] / sum[2 * w];
                rates[w].push_back(rate[w]);
            }
        }
        if (has[0] && has[2])
            differences.push_back(rate[0] - rate[2]);
    }
    for (std::size_t w = 0; w < ways; ++w)
        out.ways[w] = percentileInterval(rates[w]);
    out.firstLessLast = percentileInterval(differences);
    return out;
}
