#include "analysis/chart_series.h"

#include <QDateTime>

#include <algorithm>
#include <limits>

namespace {

int monthNumber(const QDate& date) { return date.year() * 12 + date.month() - 1; }

std::vector<DatedValue> cumulative(const AnalysisData& data, Series series, const std::vector<int>& races)
{
    std::vector<DatedValue> points;
    std::int64_t total = 0;
    for (const int index : races) {
        const QDate& date = data.facts(index).date;
        if (!date.isValid())
            continue;
        total += data.returned(series, index) - data.stake(series, index);
        if (!points.empty() && points.back().date == date)
            points.back().value = static_cast<double>(total);
        else
            points.push_back({date, static_cast<double>(total)});
    }
    return points;
}

std::vector<DatedValue> trend(const AnalysisData& data, Series series, const std::vector<int>& races,
                              std::size_t& indicative)
{
    std::vector<int> dated;
    dated.reserve(races.size());
    for (const int index : races) {
        if (data.facts(index).date.isValid())
            dated.push_back(index);
    }
    // At most a point a race: room for that at once, where growing would hold up to twice it.
    std::vector<DatedValue> points;
    points.reserve(dated.size());
    indicative = 0;
    const std::size_t window = returnTrendWindow;
    // Whole yen, so taking the race that leaves the window away is exact.
    std::int64_t stake = 0;
    std::int64_t returned = 0;
    for (std::size_t end = 1; end <= dated.size(); ++end) {
        stake += data.stake(series, dated[end - 1]);
        returned += data.returned(series, dated[end - 1]);
        if (end > window) {
            stake -= data.stake(series, dated[end - 1 - window]);
            returned -= data.returned(series, dated[end - 1 - window]);
        }
        if (stake == 0)
            continue;
        points.push_back(
            {data.facts(dated[end - 1]).date, 100.0 * static_cast<double>(returned) / static_cast<double>(stake)});
        indicative += end < window;
    }
    return points;
}

void addMonthly(const AnalysisData& data, Series series, const std::vector<int>& races, int firstMonth,
                std::vector<double>& monthly)
{
    // Summed exactly, then handed to the chart.
    std::vector<std::int64_t> sums(monthly.size(), 0);
    for (const int index : races) {
        const QDate& date = data.facts(index).date;
        if (!date.isValid())
            continue;
        sums[static_cast<std::size_t>(monthNumber(date) - firstMonth)] +=
            data.returned(series, index) - data.stake(series, index);
    }
    for (std::size_t month = 0; month < sums.size(); ++month)
        monthly[month] = static_cast<double>(sums[month]);
}

} // namespace

AnalysisCharts computeCharts(const AnalysisData& data, const std::vector<int>& proposals, const std::vector<int>& own)
{
    AnalysisCharts charts;
    charts.cumulativeProposals = cumulative(data, Series::Proposals, proposals);
    charts.cumulativeOwn = cumulative(data, Series::Own, own);
    charts.returnTrend = trend(data, Series::Proposals, proposals, charts.returnTrendIndicative);
    charts.returnTrendOwn = trend(data, Series::Own, own, charts.returnTrendOwnIndicative);

    // Both lists are in time order, so their ends bound the months.
    int first = std::numeric_limits<int>::max();
    int last = std::numeric_limits<int>::min();
    for (const std::vector<DatedValue>* points : {&charts.cumulativeProposals, &charts.cumulativeOwn}) {
        if (points->empty())
            continue;
        first = std::min(first, monthNumber(points->front().date));
        last = std::max(last, monthNumber(points->back().date));
    }
    if (first > last)
        return charts;
    const auto count = static_cast<std::size_t>(last - first + 1);
    charts.monthlyProposals.assign(count, 0);
    charts.monthlyOwn.assign(count, 0);
    for (int month = first; month <= last; ++month) {
        const QDate start(month / 12, month % 12 + 1, 1);
        charts.months.push_back(start);
        charts.monthLabels.append(QStringLiteral("%1年%2月").arg(start.year()).arg(start.month()));
    }
    addMonthly(data, Series::Proposals, proposals, first, charts.monthlyProposals);
    addMonthly(data, Series::Own, own, first, charts.monthlyOwn);
    return charts;
}

QList<QPointF> chartPoints(const std::vector<DatedValue>& values)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(values.size()));
    for (const DatedValue& value : values)
        points.append({static_cast<double>(value.date.startOfDay(Qt::UTC).toMSecsSinceEpoch()), value.value});
    return points;
}
