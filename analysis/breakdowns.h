#pragma once

#include "analysis/analysis_filter.h"
#include "analysis/figures.h"

#include <QString>

#include <vector>

// One row of a breakdown: the races of one year, course, class … in both series.
struct BreakdownRow {
    QString label;
    double sortValue = 0;
    Tally proposals;
    Tally own;
};

// The rows that hold a race of either series, in the breakdown's order.
std::vector<BreakdownRow> computeBreakdown(const AnalysisData& data, Breakdown breakdown, const FilteredRaces& races);

// The proposals had every race been asked for k tickets.
struct WhatIfRow {
    int tickets = 0; // k
    Tally tally;
    int askedRaces = 0; // races of the tally for which the user asked k tickets
};

// k = 1..12 over the races counted in the proposals.
std::vector<WhatIfRow> computeWhatIf(const AnalysisData& data, const std::vector<int>& proposals);
