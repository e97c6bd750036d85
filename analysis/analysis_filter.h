#pragma once

#include "analysis/analysis_data.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// Which races the analysis counts.
struct AnalysisFilter {
    enum class Period { All, Year, Months };
    Period period = Period::All;
    int year = 0;                       // Period::Year
    QDate fromMonth;                    // Period::Months: any day of the first month …
    QDate toMonth;                      // … and of the last month, both included
    std::optional<QString> course;      // a key of AnalysisData::courseKeys(); nullopt: every course
    std::optional<GradeClass> grade;    // nullopt: every class
    bool includeWithoutResult = false;  // races without a result count in the proposals' figures (as misses)
    bool includeWithoutAmounts = false; // races without amounts count in the user's figures (as 0 and 0)

    bool operator==(const AnalysisFilter&) const = default;
};

// How many races were left out, and why. Each race is counted under the first reason that leaves it out, in the order
// of the fields; races without a result or without amounts are counted among those that pass the rest.
struct FilterCounts {
    int files = 0;
    int unreadableFiles = 0; // cannot be read as a race at all
    int undated = 0;         // a period is chosen and the race's date cannot be read
    int outsidePeriod = 0;
    int otherCourse = 0;
    int otherClass = 0;
    int amountsOutOfRange = 0; // holds a payout, stake or income that is not whole yen from 0 to maxAmountYen
    int matching = 0;          // readable races of the period, course and class chosen, amounts countable
    int withoutResult = 0;     // of those: no result; left out of the proposals unless included
    int withoutAmounts = 0;    // of those: no amounts; left out of the user's figures unless included
    int proposalRaces = 0;
    int ownRaces = 0;
    bool operator==(const FilterCounts&) const = default;
};

// The races a filter leaves, as indexes into AnalysisData.
struct FilteredRaces {
    std::vector<int> proposals;    // counted in the proposals' figures, in time order
    std::vector<int> own;          // counted in the user's figures, in time order
    std::vector<int> table;        // counted in either, in time order: the rows of the race table
    std::vector<bool> inProposals; // per race of the folder
    std::vector<bool> inOwn;
    FilterCounts counts;
};

FilteredRaces applyFilter(const AnalysisData& data, const AnalysisFilter& filter);

// The filter the analysis opens with: every race. While no race of the folder has a result (a first season), races
// without a result count in the proposals as misses, so that the races and what was proposed for them are seen;
// once a result exists, only races with a result count there.
AnalysisFilter openingFilter(const AnalysisData& data);
