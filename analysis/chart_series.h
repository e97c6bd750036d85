#pragma once

#include "analysis/figures.h"

#include <QDate>
#include <QList>
#include <QPointF>
#include <QStringList>

#include <vector>

// The data behind the analysis charts as plain values: the screen copies them into its chart series. Races without
// a readable date are left out of every chart.

struct DatedValue {
    QDate date;
    double value = 0;
    bool operator==(const DatedValue&) const = default;
};

inline constexpr int returnTrendWindow = 20;
// The share of quinella stakes that JRA pays back, drawn as a reference line under the return-rate trend.
inline constexpr double quinellaPayBackPercent = 77.5;

struct AnalysisCharts {
    // The cumulative profit after the last race of each race day.
    std::vector<DatedValue> cumulativeProposals;
    std::vector<DatedValue> cumulativeOwn;
    // Every calendar month from the first to the last race month of either series (months without races hold 0).
    std::vector<QDate> months; // the first day of each month
    QStringList monthLabels;   // "1999年12月"
    std::vector<double> monthlyProposals;
    std::vector<double> monthlyOwn;
    // The return rate in per cent at each race: from the 20th race on over its last 20 races (the race and the 19
    // before it), before that over every race so far. A stretch of races that staked nothing gives no point.
    std::vector<DatedValue> returnTrend;
    std::vector<DatedValue> returnTrendOwn;
    // How many of the first points rest on fewer than 20 races: they are only indicative (参考値).
    std::size_t returnTrendIndicative = 0;
    std::size_t returnTrendOwnIndicative = 0;
    double referenceRate = quinellaPayBackPercent;
};

// proposals, own: the races counted in each series, in time order.
AnalysisCharts computeCharts(const AnalysisData& data, const std::vector<int>& proposals, const std::vector<int>& own);

// Points for a time axis: x is the start of the day in UTC, in milliseconds since the epoch. Not local time: that
// would consult the time zone for every point, which at 10,000 points cost most of a filter change.
QList<QPointF> chartPoints(const std::vector<DatedValue>& values);
