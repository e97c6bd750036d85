#include "screens/analysis_time_charts.h"

#include "analysis/display_text.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTime>
#include <QLineSeries>
#include <QPen>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <tuple>

using namespace chartstyle;

namespace {

// The x of a day, as chartPoints gives it (the start of the day in UTC).
double msOf(const QDate& date) { return static_cast<double>(date.startOfDay(Qt::UTC).toMSecsSinceEpoch()); }

// A time axis over the given days: labels on the first of a month, years on a long range and months on a short one,
// never more than about eight. The values are the chart points' (ms since the epoch, start of the day).
void setDateRange(QCategoryAxis* axis, QDate first, QDate last)
{
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    if (!first.isValid() || !last.isValid()) {
        first = QDate::currentDate();
        last = first;
    }
    // A single day gets a fortnight either side, so that its point is not on the edge.
    if (first.daysTo(last) < 30) {
        first = first.addDays(-15);
        last = last.addDays(15);
    }
    const int months = (last.year() - first.year()) * 12 + last.month() - first.month();
    static const int steps[] = {1, 2, 3, 6, 12, 24, 60, 120};
    int step = 120;
    for (const int candidate : steps) {
        if (months / candidate <= 7) {
            step = candidate;
            break;
        }
    }
    for (QDate month = QDate(first.year(), first.month(), 1).addMonths(1); month <= last; month = month.addMonths(1)) {
        if ((month.year() * 12 + month.month() - 1) % step != 0)
            continue;
        axis->append(step >= 12 ? QStringLiteral("%1年").arg(month.year())
                                : QStringLiteral("%1年%2月").arg(month.year()).arg(month.month()),
                     msOf(month));
    }
    axis->setStartValue(msOf(first));
    axis->setRange(msOf(first), msOf(last));
}

// The index of the value nearest to x (ms since the epoch) in a list in date order, or -1 for none.
int nearestByDate(const std::vector<DatedValue>& values, double x)
{
    if (values.empty())
        return -1;
    auto later = std::lower_bound(values.begin(), values.end(), x,
                                  [](const DatedValue& value, double ms) { return msOf(value.date) < ms; });
    if (later == values.end())
        return static_cast<int>(values.size()) - 1;
    if (later == values.begin())
        return 0;
    auto earlier = std::prev(later);
    return static_cast<int>((x - msOf(earlier->date) <= msOf(later->date) - x ? earlier : later) - values.begin());
}

// The points a line needs at a given width: where there are more than two a pixel column, the lowest and the
// highest of each column, in their order, draw the same line as all of them. A line of 10,000 race days is drawn
// (and outlined for the mouse) from about 1,500 points instead.
QList<QPointF> thinned(const QList<QPointF>& points, double from, double to, int columns)
{
    if (points.size() <= 2 * columns || to <= from)
        return points;
    QList<QPointF> kept;
    kept.reserve(2 * columns + 2);
    const double columnWidth = (to - from) / columns;
    auto columnOf = [&](const QPointF& point) { return static_cast<long long>((point.x() - from) / columnWidth); };
    for (qsizetype i = 0; i < points.size();) {
        const long long column = columnOf(points[i]);
        qsizetype low = i;
        qsizetype high = i;
        qsizetype end = i;
        for (; end < points.size() && columnOf(points[end]) == column; ++end) {
            if (points[end].y() < points[low].y())
                low = end;
            if (points[end].y() > points[high].y())
                high = end;
        }
        kept.append(points[std::min(low, high)]);
        if (low != high)
            kept.append(points[std::max(low, high)]);
        i = end;
    }
    return kept;
}

} // namespace

// DatedLinesChart
// ------------------------------------------------------------------------------------------------------

DatedLinesChart::DatedLinesChart(const QString& objectName, const QString& proposalsObject, const QString& ownObject,
                                 double penWidth, const QString& tipWhat, QString (*tipValue)(double), QWidget* parent)
    : AnalysisChartView(objectName, parent), dates_(new QCategoryAxis(this)), tipWhat_(tipWhat), tipValue_(tipValue)
{
    proposals_.name = proposalsName;
    own_.name = ownName;
    for (auto [line, object, colour] :
         {std::tuple{&proposals_, proposalsObject, proposalsColour}, std::tuple{&own_, ownObject, ownColour}}) {
        line->series = new QLineSeries(this);
        line->series->setObjectName(object);
        line->series->setName(line->name);
        line->series->setPen(linePen(colour, penWidth));
        connect(line->series, &QLineSeries::hovered, this, [this, line](const QPointF& point, bool state) {
            if (state)
                showTip(*line, point);
            else
                QToolTip::hideText();
        });
    }
    styleAxis(dates_);
    dates_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart()->addAxis(dates_, Qt::AlignBottom);
}

void DatedLinesChart::addIndicativeLines(const QString& proposalsObject, const QString& ownObject,
                                         const QString& tipWhat)
{
    indicativeTipWhat_ = tipWhat;
    for (auto [line, object] : {std::pair{&proposals_, proposalsObject}, std::pair{&own_, ownObject}}) {
        line->faint = new QLineSeries(this);
        line->faint->setObjectName(object);
        line->faint->setName(line->name + QStringLiteral("（参考値）"));
        // The line's own colour, faded and dotted: the same series, on too few races to go by.
        QColor faded = line->series->pen().color();
        faded.setAlpha(150);
        line->faint->setPen(linePen(faded, 1.5, Qt::DotLine));
        connect(line->faint, &QLineSeries::hovered, this, [this, line](const QPointF& point, bool state) {
            if (state)
                showTip(*line, point);
            else
                QToolTip::hideText();
        });
    }
}

void DatedLinesChart::takeValues(const std::vector<DatedValue>& proposals, const std::vector<DatedValue>& own,
                                 QDate& first, QDate& last, double& low, double& high, std::size_t proposalsIndicative,
                                 std::size_t ownIndicative)
{
    // The lines are emptied until the axes have their new ranges: each change of range outlines every line again for
    // the mouse, a few milliseconds for a line of many race days.
    for (Line* line : {&proposals_, &own_}) {
        line->series->clear();
        if (line->faint)
            line->faint->clear();
    }
    proposals_.values = proposals;
    own_.values = own;
    proposals_.indicative = proposals_.faint ? std::min(proposalsIndicative, proposals.size()) : 0;
    own_.indicative = own_.faint ? std::min(ownIndicative, own.size()) : 0;
    for (const std::vector<DatedValue>* values : {&proposals_.values, &own_.values}) {
        if (values->empty())
            continue;
        if (!first.isValid() || values->front().date < first)
            first = values->front().date;
        if (!last.isValid() || values->back().date > last)
            last = values->back().date;
        for (const DatedValue& value : *values) {
            low = std::min(low, value.value);
            high = std::max(high, value.value);
        }
    }
}

void DatedLinesChart::drawLines()
{
    const double from = dates_->min();
    const double to = dates_->max();
    for (Line* line : {&proposals_, &own_}) {
        const auto begin = line->values.begin();
        const auto split = begin + static_cast<std::ptrdiff_t>(line->indicative);
        line->series->replace(thinned(chartPoints({split, line->values.end()}), from, to, plotColumns()));
        // The faint start runs on to the first full point, so that the two join.
        if (line->faint)
            line->faint->replace(chartPoints({begin, split == line->values.end() ? split : split + 1}));
    }
}

void DatedLinesChart::showTip(const Line& line, const QPointF& point)
{
    const int index = nearestByDate(line.values, point.x());
    if (index < 0)
        return;
    const DatedValue& value = line.values[static_cast<std::size_t>(index)];
    const bool indicative = static_cast<std::size_t>(index) < line.indicative;
    showTipText(this,
                tipOfDay(line.name, value.date, indicative ? indicativeTipWhat_ : tipWhat_, tipValue_(value.value)));
}

// CumulativeProfitChart --------------------------------------------------------------------------------------------

CumulativeProfitChart::CumulativeProfitChart(QWidget* parent)
    : DatedLinesChart(QStringLiteral("cumulativeProfitChart"), QStringLiteral("cumulativeProposals"),
                      QStringLiteral("cumulativeOwn"), 2, QStringLiteral("この日までの収支"), displaytext::yen, parent),
      zero_(new QLineSeries(this)),
      yen_(addValueAxis("%.0f円"))
{
    zero_->setObjectName(QStringLiteral("cumulativeZero"));
    zero_->setName(QStringLiteral("収支0円"));
    zero_->setPen(linePen(textColour, 1, Qt::DashLine));
    place(proposals_.series, {dates_, yen_});
    place(own_.series, {dates_, yen_});
    place(zero_, {dates_, yen_}, false);
}

void CumulativeProfitChart::setData(const AnalysisCharts& charts)
{
    QDate first;
    QDate last;
    double low = 0;
    double high = 0;
    takeValues(charts.cumulativeProposals, charts.cumulativeOwn, first, last, low, high);
    setDateRange(dates_, first, last);
    setValueRange(yen_, low, high);
    drawLines();
    zero_->replace(QList<QPointF>{{dates_->min(), 0}, {dates_->max(), 0}});
    setEmptyNote(empty(), QStringLiteral("日付の読めるレースがないので、グラフにできません。"));
}

// MonthlyProfitChart -----------------------------------------------------------------------------------------------

MonthlyProfitChart::MonthlyProfitChart(QWidget* parent)
    : AnalysisChartView(QStringLiteral("monthlyProfitChart"), parent),
      proposals_(new QBarSet(proposalsName)),
      own_(new QBarSet(ownName)),
      months_(new QCategoryAxis(this)),
      yen_(nullptr)
{
    proposals_->setObjectName(QStringLiteral("monthlyProposals"));
    own_->setObjectName(QStringLiteral("monthlyOwn"));
    auto* bars = new QBarSeries(this);
    bars->setObjectName(QStringLiteral("monthly"));
    bars->append(proposals_);
    bars->append(own_);
    bars->setBarWidth(0.8);
    proposals_->setColor(proposalsColour);
    proposals_->setBorderColor(proposalsColour);
    own_->setColor(ownColour);
    own_->setBorderColor(ownColour);

    styleAxis(months_);
    months_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart()->addAxis(months_, Qt::AlignBottom);
    yen_ = addValueAxis("%.0f円");
    place(bars, {months_, yen_});

    for (QBarSet* set : {proposals_, own_}) {
        connect(set, &QBarSet::hovered, this, [this, set](bool status, int index) {
            if (!status || index < 0 || index >= monthLabels_.size()) {
                QToolTip::hideText();
                return;
            }
            showTipText(this, QStringLiteral("%1　%2\nこの月の収支：%3")
                                  .arg(monthLabels_[index], set->label(), displaytext::yen(set->at(index))));
        });
    }
}

void MonthlyProfitChart::setData(const AnalysisCharts& charts)
{
    monthLabels_ = charts.monthLabels;
    const int count = static_cast<int>(charts.months.size());
    // One call per set: the bars are laid out once for the whole list. Each set is emptied and filled again while the
    // other still holds its months, so that the chart keeps its bars (a graphics item each, two a month) and only
    // moves them: emptied both at once, every bar would be deleted and made anew, which took most of a filter change
    // over many years of races.
    for (const auto& [set, values] :
         {std::pair{proposals_, &charts.monthlyProposals}, std::pair{own_, &charts.monthlyOwn}}) {
        set->remove(0, set->count());
        set->append(QList<qreal>(values->begin(), values->end()));
    }

    // A label every few months, so that they never crowd: a step of 1, 2, 3, 6 or 12 months or whole years.
    static const int steps[] = {1, 2, 3, 6, 12, 24, 60, 120, 240, 600};
    int step = steps[std::size(steps) - 1];
    for (const int candidate : steps) {
        if (count <= 8 * candidate) {
            step = candidate;
            break;
        }
    }
    std::vector<std::pair<QString, int>> ticks;
    for (int i = 0; i < count; ++i) {
        const QDate month = charts.months[static_cast<std::size_t>(i)];
        const int monthIndex = month.year() * 12 + month.month() - 1;
        if (monthIndex % step != 0)
            continue;
        ticks.emplace_back(step >= 12 ? QStringLiteral("%1年").arg(month.year())
                                      : QStringLiteral("%1年%2月").arg(month.year()).arg(month.month()),
                           i);
    }
    // Most filter changes keep the months (a course, a grade): the axis keeps its labels and their text items.
    if (ticks != monthTicks_) {
        for (const QString& label : months_->categoriesLabels())
            months_->remove(label);
        for (const auto& [label, position] : ticks)
            months_->append(label, position);
        monthTicks_ = std::move(ticks);
    }
    months_->setStartValue(-0.5);
    months_->setRange(-0.5, std::max(count, 1) - 0.5);
    // Emptied, the axis of Qt Charts 6.4 keeps drawing the grid lines of its last labels.
    months_->setGridLineVisible(count > 0);

    double low = 0;
    double high = 0;
    for (const std::vector<double>* values : {&charts.monthlyProposals, &charts.monthlyOwn}) {
        for (const double value : *values) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    setValueRange(yen_, low, high);
    setEmptyNote(count == 0, QStringLiteral("日付の読めるレースがないので、グラフにできません。"));
}

// ReturnTrendChart -------------------------------------------------------------------------------------------------

namespace {
QString percentText(double value) { return displaytext::percent(value); }
} // namespace

ReturnTrendChart::ReturnTrendChart(QWidget* parent)
    : DatedLinesChart(QStringLiteral("returnTrendChart"), QStringLiteral("returnTrend"),
                      QStringLiteral("returnTrendOwn"), 1.5,
                      QStringLiteral("直近%1レースの回収率").arg(returnTrendWindow), percentText, parent),
      reference_(new QLineSeries(this)),
      rate_(addValueAxis("%.0f%"))
{
    addIndicativeLines(QStringLiteral("returnTrendIndicative"), QStringLiteral("returnTrendOwnIndicative"),
                       QStringLiteral("ここまでの全レースの回収率（%1レース未満・参考値）").arg(returnTrendWindow));
    reference_->setObjectName(QStringLiteral("referenceRate"));
    reference_->setName(QStringLiteral("JRAの払戻率 %1%").arg(quinellaPayBackPercent));
    reference_->setPen(linePen(askedColour, 1.5, Qt::DashLine));
    for (QLineSeries* series : {proposals_.series, own_.series, reference_})
        place(series, {dates_, rate_});
    for (QLineSeries* series : {proposals_.faint, own_.faint})
        place(series, {dates_, rate_}, false);
}

void ReturnTrendChart::setData(const AnalysisCharts& charts)
{
    QDate first;
    QDate last;
    double low = 0;
    double high = charts.referenceRate;
    takeValues(charts.returnTrend, charts.returnTrendOwn, first, last, low, high, charts.returnTrendIndicative,
               charts.returnTrendOwnIndicative);
    // No line: the axis still spans the months the races are in.
    if (!first.isValid() && !charts.months.empty()) {
        first = charts.months.front();
        last = charts.months.back().addMonths(1).addDays(-1);
    }
    setDateRange(dates_, first, last);
    setRoundRange(rate_, 0, high * 1.05);
    drawLines();
    reference_->replace(QList<QPointF>{{dates_->min(), charts.referenceRate}, {dates_->max(), charts.referenceRate}});
    if (empty())
        setEmptyNote(true, QStringLiteral("日付が読めて馬券を買ったレースがないので、グラフにできません。"));
    else
        chart()->setTitle(anyIndicative() ? QStringLiteral("淡い線は、まだ%1レースに満たないあいだの、それまでの"
                                                           "全レースの回収率です（参考値）。")
                                                .arg(returnTrendWindow)
                                          : QString());
}
