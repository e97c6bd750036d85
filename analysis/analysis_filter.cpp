#include "analysis/analysis_filter.h"

#include <limits>

namespace {

int monthNumber(const QDate& date) { return date.year() * 12 + date.month() - 1; }

} // namespace

FilteredRaces applyFilter(const AnalysisData& data, const AnalysisFilter& filter)
{
    FilteredRaces out;
    FilterCounts& counts = out.counts;
    const int n = data.raceCount();
    counts.files = n;
    out.inProposals.assign(static_cast<std::size_t>(n), false);
    out.inOwn.assign(static_cast<std::size_t>(n), false);

    int firstMonth = 0;
    int lastMonth = 0;
    if (filter.period == AnalysisFilter::Period::Months) {
        firstMonth = filter.fromMonth.isValid() ? monthNumber(filter.fromMonth) : std::numeric_limits<int>::min();
        lastMonth = filter.toMonth.isValid() ? monthNumber(filter.toMonth) : std::numeric_limits<int>::max();
    }

    // The course picked as its row of the course breakdown (-1, no race's, for a key no race has).
    const int courseRow = filter.course ? int(data.courseKeys().indexOf(*filter.course)) : -1;
    const RaceRows& courseOfRace = data.keys(Breakdown::Course).rowOfRace;
    for (const int race : data.timeOrder()) {
        const RaceOutcome outcome = data.outcome(race);
        const AnalysedRace& facts = data.facts(race);
        if (filter.period != AnalysisFilter::Period::All) {
            if (!facts.date.isValid()) {
                ++counts.undated;
                continue;
            }
            const bool inPeriod = filter.period == AnalysisFilter::Period::Year
                                      ? facts.date.year() == filter.year
                                      : monthNumber(facts.date) >= firstMonth && monthNumber(facts.date) <= lastMonth;
            if (!inPeriod) {
                ++counts.outsidePeriod;
                continue;
            }
        }
        if (filter.course && courseOfRace[static_cast<std::size_t>(race)] != courseRow) {
            ++counts.otherCourse;
            continue;
        }
        if (filter.grade && facts.grade != *filter.grade) {
            ++counts.otherClass;
            continue;
        }
        // An amount no sum could hold exactly (or a negative one) would make every money figure wrong.
        if (!outcome.amountsCountable()) {
            ++counts.amountsOutOfRange;
            continue;
        }
        ++counts.matching;
        counts.withoutResult += !outcome.resultRecorded();
        counts.withoutAmounts += !outcome.amountsRecorded();
        const bool proposals = outcome.resultRecorded() || filter.includeWithoutResult;
        const bool own = outcome.amountsRecorded() || filter.includeWithoutAmounts;
        if (proposals)
            out.proposals.push_back(race);
        if (own)
            out.own.push_back(race);
        if (proposals || own)
            out.table.push_back(race);
        out.inProposals[static_cast<std::size_t>(race)] = proposals;
        out.inOwn[static_cast<std::size_t>(race)] = own;
    }
    counts.unreadableFiles = n - static_cast<int>(data.timeOrder().size());
    counts.proposalRaces = static_cast<int>(out.proposals.size());
    counts.ownRaces = static_cast<int>(out.own.size());
    return out;
}

AnalysisFilter openingFilter(const AnalysisData& data)
{
    AnalysisFilter filter;
    filter.includeWithoutResult = !data.anyResult();
    return filter;
}
