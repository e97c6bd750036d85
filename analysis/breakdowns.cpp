#include "analysis/breakdowns.h"

#include "core/numbers.h"

namespace {
constexpr std::int64_t ticketYen = static_cast<std::int64_t>(yenPerTicket);
}

std::vector<BreakdownRow> computeBreakdown(const AnalysisData& data, Breakdown breakdown, const FilteredRaces& races)
{
    const BreakdownKeys& keys = data.keys(breakdown);
    std::vector<BreakdownRow> all(static_cast<std::size_t>(keys.labels.size()));
    for (const int index : races.proposals)
        all[static_cast<std::size_t>(keys.rowOfRace[static_cast<std::size_t>(index)])].proposals.add(
            data, Series::Proposals, index);
    for (const int index : races.own)
        all[static_cast<std::size_t>(keys.rowOfRace[static_cast<std::size_t>(index)])].own.add(data, Series::Own,
                                                                                               index);
    std::vector<BreakdownRow> rows;
    for (std::size_t row = 0; row < all.size(); ++row) {
        if (all[row].proposals.races == 0 && all[row].own.races == 0)
            continue;
        all[row].label = keys.labels[static_cast<qsizetype>(row)];
        all[row].sortValue = keys.values[row];
        rows.push_back(std::move(all[row]));
    }
    return rows;
}

std::vector<WhatIfRow> computeWhatIf(const AnalysisData& data, const std::vector<int>& proposals)
{
    std::vector<WhatIfRow> rows(whatIfCounts);
    for (int k = 1; k <= whatIfCounts; ++k)
        rows[static_cast<std::size_t>(k - 1)].tickets = k;
    for (const int index : proposals) {
        const RaceOutcome race = data.outcome(index);
        const std::int64_t payout = countableYen(race.payout()).value_or(0);
        for (int k = 1; k <= whatIfCounts; ++k) {
            const bool hit = race.hitIfAsked(k);
            rows[static_cast<std::size_t>(k - 1)].tally.add(race.ticketsIfAsked(k) * ticketYen, hit ? payout : 0, hit);
        }
        if (race.ticketsAsked() >= 1 && race.ticketsAsked() <= whatIfCounts)
            ++rows[static_cast<std::size_t>(race.ticketsAsked() - 1)].askedRaces;
    }
    return rows;
}
