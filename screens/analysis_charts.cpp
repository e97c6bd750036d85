#include "screens/analysis_charts.h"

#include "analysis/display_text.h"
#include "screens/control_table.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QDateTime>
#include <QGraphicsLayout>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QSet>
#include <QShowEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

const QColor proposalsColour = QColor::fromRgb(static_cast<QRgb>(yellow));
const QColor ownColour = QColor::fromRgb(static_cast<QRgb>(cyan));
const QColor askedColour = QColor::fromRgb(static_cast<QRgb>(orange));
const QColor textColour(230, 230, 230);
const QColor gridColour(70, 70, 70);
const QColor axisColour(150, 150, 150);
// Seen on the yellow and orange bars and on the black page alike.
const QColor intervalColour(70, 120, 255);

const QString proposalsName = QStringLiteral("予想の成績");
const QString ownName = QStringLiteral("あなたの収支");

QFont chartFont(double pointSize, bool bold = false) { return screenFont(pointSize, bold, gothicFamily); }

void styleAxis(QAbstractAxis* axis)
{
    axis->setLabelsFont(chartFont(9));
    axis->setLabelsColor(textColour);
    axis->setGridLineColor(gridColour);
    axis->setLinePenColor(axisColour);
    axis->setMinorGridLineVisible(false);
}

QPen linePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}

void hideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

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

// A range made round by the axis. Its nice numbers start from the tick count the last range left, so every range
// starts from the same count: a chart shows the same ticks after a change of filter as drawn anew.
void setRoundRange(QValueAxis* axis, double low, double high)
{
    static const int ticksOfNewAxis = QValueAxis().tickCount();
    axis->setTickCount(ticksOfNewAxis);
    axis->setRange(low, high);
    axis->applyNiceNumbers();
}

// A value range that holds every value and the given ones, made round by the axis.
void setValueRange(QValueAxis* axis, double low, double high)
{
    if (low == high) {
        low -= 1000;
        high += 1000;
    }
    const double margin = (high - low) * 0.05;
    setRoundRange(axis, low - margin, high + margin);
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

void showTipText(QWidget* view, const QString& text)
{
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), plainTip(text), view);
}

// The axis draws its labels as HTML: texts from race files are escaped to be shown as they are.
void setEscapedLabels(QBarCategoryAxis* axis, const QStringList& labels)
{
    QStringList shown;
    shown.reserve(labels.size());
    for (const QString& label : labels)
        shown.append(label.toHtmlEscaped());
    axis->clear();
    axis->append(shown);
}

} // namespace

QString plainTip(const QString& text)
{
    // A tooltip is shown as rich text whenever it looks like markup; as HTML made from the plain text, a course
    // written "<h1>東京</h1>" in a race file shows as those very characters.
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString tipOfDay(const QString& seriesName, const QDate& date, const QString& what, const QString& value)
{
    return QStringLiteral("%1　%2\n%3：%4").arg(dateText(date), seriesName, what, value);
}

// AnalysisChartView ----------------------------------------------------------------------------------------------

AnalysisChartView::AnalysisChartView(const QString& objectName, QWidget* parent) : QChartView(parent)
{
    setObjectName(objectName);
    auto* chart = new QChart();
    // The chart belongs to the view's scene; as the view's child as well, its series are found from the screen.
    setChart(chart);
    chart->setParent(this);
    chart->setTheme(QChart::ChartThemeDark);
    chart->setBackgroundBrush(Qt::black);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 8, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setTitleFont(chartFont(10.5, true));
    chart->setTitleBrush(textColour);
    chart->legend()->setFont(chartFont(10, true));
    chart->legend()->setLabelColor(textColour);
    chart->legend()->setAlignment(Qt::AlignTop);
    // Drawing into the view only when something changed keeps a filter change quick.
    chart->setAnimationOptions(QChart::NoAnimation);
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(Qt::black);
    setFocusPolicy(Qt::NoFocus);
}

QValueAxis* AnalysisChartView::addValueAxis(const char* labelFormat)
{
    auto* axis = new QValueAxis(this);
    axis->setLabelFormat(QString::fromUtf8(labelFormat));
    styleAxis(axis);
    chart()->addAxis(axis, Qt::AlignLeft);
    return axis;
}

void AnalysisChartView::place(QAbstractSeries* series, std::initializer_list<QAbstractAxis*> axes, bool inLegend)
{
    series->setParent(this);
    placed_.push_back({series, axes, inLegend});
    if (isVisible())
        putOnChart(placed_.back());
}

void AnalysisChartView::putOnChart(const Placed& placed)
{
    chart()->addSeries(placed.series);
    for (QAbstractAxis* axis : placed.axes)
        placed.series->attachAxis(axis);
    if (!placed.inLegend)
        hideFromLegend(chart(), placed.series);
}

void AnalysisChartView::showEvent(QShowEvent* event)
{
    if (chart()->series().isEmpty()) {
        for (const Placed& placed : placed_)
            putOnChart(placed);
    }
    QChartView::showEvent(event);
}

void AnalysisChartView::hideEvent(QHideEvent* event)
{
    // Off the chart the series keep their data and stay the view's children, and a change of filter builds no
    // graphics for a chart nobody sees; it is built once, when the chart comes into view.
    for (const Placed& placed : placed_) {
        chart()->removeSeries(placed.series);
        placed.series->setParent(this);
    }
    QChartView::hideEvent(event);
}

int AnalysisChartView::plotColumns() const
{
    // Before the first layout the plot has no size yet; the page's width stands in.
    const int plot = static_cast<int>(chart()->plotArea().width());
    return plot > 100 ? plot : 800;
}

void AnalysisChartView::setEmptyNote(bool empty, const QString& note) { chart()->setTitle(empty ? note : QString()); }

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

// RateBarChart -----------------------------------------------------------------------------------------------------

RateBarChart::RateBarChart(Kind kind, const QString& objectName, QWidget* parent)
    : AnalysisChartView(objectName, parent),
      kind_(kind),
      first_(new QBarSet(kind == Kind::Breakdown ? proposalsName : QStringLiteral("ほかの点数"))),
      second_(new QBarSet(kind == Kind::Breakdown ? ownName : QStringLiteral("希望した点数"))),
      rows_(new QBarCategoryAxis(this)),
      rate_(new QValueAxis(this))
{
    first_->setObjectName(objectName + QStringLiteral(".first"));
    second_->setObjectName(objectName + QStringLiteral(".second"));
    first_->setColor(proposalsColour);
    first_->setBorderColor(proposalsColour);
    const QColor secondColour = kind == Kind::Breakdown ? ownColour : askedColour;
    second_->setColor(secondColour);
    second_->setBorderColor(secondColour);
    first_->setLabelColor(Qt::black);
    second_->setLabelColor(Qt::black);

    QAbstractBarSeries* bars = nullptr;
    if (kind == Kind::Breakdown) {
        bars = new QBarSeries(this);
        bars->setBarWidth(0.8);
    } else {
        // One bar per count, coloured by whether the user asked that count: a count has its value in one set only.
        bars = new QHorizontalStackedBarSeries(this);
        bars->setBarWidth(0.7);
    }
    bars->append(first_);
    bars->append(second_);

    styleAxis(rows_);
    styleAxis(rate_);
    rate_->setLabelFormat(QStringLiteral("%.0f%"));
    if (kind == Kind::Breakdown) {
        chart()->addAxis(rows_, Qt::AlignBottom);
        chart()->addAxis(rate_, Qt::AlignLeft);
    } else {
        chart()->addAxis(rows_, Qt::AlignLeft);
        chart()->addAxis(rate_, Qt::AlignBottom);
    }
    place(bars, {rows_, rate_});
    connect(first_, &QBarSet::hovered, this, [this](bool status, int index) {
        if (status)
            showTip(0, index);
        else
            QToolTip::hideText();
    });
    connect(second_, &QBarSet::hovered, this, [this](bool status, int index) {
        if (status)
            showTip(1, index);
        else
            QToolTip::hideText();
    });
}

void RateBarChart::setBreakdown(const std::vector<BreakdownRow>& rows)
{
    QStringList labels;
    std::vector<std::optional<double>> proposals;
    std::vector<std::optional<double>> own;
    for (const BreakdownRow& row : rows) {
        labels.append(row.label);
        proposals.push_back(row.proposals.returnRatePercent());
        own.push_back(row.own.returnRatePercent());
    }
    setRows(labels, proposals, own);
}

void RateBarChart::setWhatIf(const std::vector<WhatIfRow>& rows)
{
    QStringList labels;
    std::vector<std::optional<double>> other;
    std::vector<std::optional<double>> asked;
    // Horizontal bars run from the bottom up: the counts go in from 12 down, so that 1点 is on top as in the table.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const WhatIfRow& row = *it;
        labels.append(QStringLiteral("%1点").arg(row.tickets));
        const std::optional<double> rate = row.tally.returnRatePercent();
        other.push_back(row.askedRaces > 0 ? std::nullopt : rate);
        asked.push_back(row.askedRaces > 0 ? rate : std::nullopt);
    }
    setRows(labels, other, asked);
}

void RateBarChart::setRows(const QStringList& labels, const std::vector<std::optional<double>>& first,
                           const std::vector<std::optional<double>>& second)
{
    labels_ = labels;
    firstRates_ = first;
    secondRates_ = second;
    auto values = [](const std::vector<std::optional<double>>& rates) {
        QList<qreal> list;
        list.reserve(static_cast<qsizetype>(rates.size()));
        for (const std::optional<double>& rate : rates)
            list.append(rate.value_or(0));
        return list;
    };
    first_->remove(0, first_->count());
    second_->remove(0, second_->count());
    first_->append(values(first));
    second_->append(values(second));
    showLabels();
    double high = kind_ == Kind::WhatIf ? 100 : quinellaPayBackPercent;
    for (const std::vector<std::optional<double>>* rates : {&first, &second}) {
        for (const std::optional<double>& rate : *rates)
            high = std::max(high, rate.value_or(0));
    }
    setRoundRange(rate_, 0, high * 1.05);
    setEmptyNote(labels.isEmpty(), QStringLiteral("この条件に合うレースがありません。"));
}

void RateBarChart::showLabels()
{
    // The axis makes a text item per label: only a new set of rows in sight makes new labels.
    if (!isVisible() || labelsShown_ == labels_)
        return;
    labelsShown_ = labels_;
    setEscapedLabels(rows_, labels_);
}

void RateBarChart::showEvent(QShowEvent* event)
{
    showLabels();
    AnalysisChartView::showEvent(event);
}

void RateBarChart::showTip(int set, int index)
{
    const std::vector<std::optional<double>>& rates = set == 0 ? firstRates_ : secondRates_;
    if (index < 0 || index >= static_cast<int>(rates.size()) || index >= labels_.size())
        return;
    const std::optional<double> rate = rates[static_cast<std::size_t>(index)];
    const QString series = kind_ == Kind::Breakdown
                               ? (set == 0 ? proposalsName : ownName)
                               : (set == 0 ? proposalsName : proposalsName + QStringLiteral("（希望した点数）"));
    showTipText(this, QStringLiteral("%1　%2\n回収率：%3")
                          .arg(labels_[index], series, rate ? displaytext::percent(rate) : QStringLiteral("購入なし")));
}

// IntervalBarChart -------------------------------------------------------------------------------------------------

IntervalBarChart::IntervalBarChart(const QString& objectName, const QString& valueName, QString (*valueText)(double),
                                   const char* labelFormat, QWidget* parent)
    : AnalysisChartView(objectName, parent),
      valueName_(valueName),
      valueText_(valueText),
      emptyText_(QStringLiteral("この条件に合うレースがありません。")),
      sure_(new QBarSet(QStringLiteral("%1以上").arg(indicativeBelow))),
      indicative_(new QBarSet(QStringLiteral("参考値（%1未満）").arg(indicativeBelow))),
      rows_(new QBarCategoryAxis(this)),
      values_(new QValueAxis(this)),
      reference_(new QLineSeries(this))
{
    sure_->setObjectName(objectName + QStringLiteral(".bars"));
    indicative_->setObjectName(objectName + QStringLiteral(".indicative"));
    reference_->setObjectName(objectName + QStringLiteral(".reference"));
    sure_->setColor(proposalsColour);
    sure_->setBorderColor(proposalsColour);
    indicative_->setColor(askedColour);
    indicative_->setBorderColor(askedColour);
    reference_->setPen(linePen(ownColour, 1.5, Qt::DashLine));
    // A row has its value in one of the two sets only, so stacking them draws one bar a row.
    auto* bars = new QHorizontalStackedBarSeries(this);
    bars->setBarWidth(0.6);
    bars->append(sure_);
    bars->append(indicative_);
    styleAxis(rows_);
    styleAxis(values_);
    // Names are short; cut to fit, as the axis would cut them, they could not be told apart.
    rows_->setTruncateLabels(false);
    values_->setLabelFormat(QString::fromUtf8(labelFormat));
    chart()->addAxis(rows_, Qt::AlignLeft);
    chart()->addAxis(values_, Qt::AlignBottom);
    place(bars, {values_, rows_});
    place(reference_, {values_, rows_});
    for (QBarSet* set : {sure_, indicative_}) {
        connect(set, &QBarSet::hovered, this, [this](bool status, int index) {
            if (status)
                showTip(index);
            else
                QToolTip::hideText();
        });
    }
}

void IntervalBarChart::setBars(const std::vector<Bar>& bars, std::optional<double> reference,
                               const QString& referenceName)
{
    // Horizontal bars run from the bottom up: the rows go in last first, so that the first row is on top.
    const std::size_t drawnBars = std::min(bars.size(), mostBars);
    bars_.assign(std::make_reverse_iterator(bars.begin() + static_cast<std::ptrdiff_t>(drawnBars)), bars.rend());
    labels_.clear();
    // The axis keeps one of equal labels only: two names cut short alike are told apart by invisible spaces.
    QSet<QString> usedLabels;
    QList<qreal> sure;
    QList<qreal> indicative;
    double low = 0;
    double high = reference.value_or(0);
    for (const Bar& bar : bars_) {
        QString label = displaytext::shownName(bar.label);
        while (usedLabels.contains(label))
            label += u'\u200b';
        usedLabels.insert(label);
        labels_.append(label);
        const double value = bar.value.value_or(0);
        sure.append(bar.indicative ? 0 : value);
        indicative.append(bar.indicative ? value : 0);
        low = std::min(low, value);
        high = std::max(high, value);
        if (bar.interval) {
            low = std::min(low, bar.interval->low);
            high = std::max(high, bar.interval->high);
        }
    }
    sure_->remove(0, sure_->count());
    indicative_->remove(0, indicative_->count());
    sure_->append(sure);
    indicative_->append(indicative);
    showLabels();

    // Each interval a line of its own: across the bar from its lower to its upper bound, with short ends.
    const int n = static_cast<int>(bars_.size());
    int drawn = 0;
    for (int row = 0; row < n; ++row) {
        const std::optional<ReturnInterval>& interval = bars_[static_cast<std::size_t>(row)].interval;
        if (!interval)
            continue;
        if (drawn == static_cast<int>(intervals_.size())) {
            auto* line = new QLineSeries(this);
            line->setObjectName(objectName() + QStringLiteral(".interval"));
            line->setPen(linePen(intervalColour, 2));
            intervals_.push_back(line);
            place(line, {values_, rows_}, false);
        }
        const double y = row;
        const double end = 0.18;
        intervals_[static_cast<std::size_t>(drawn++)]->replace(QList<QPointF>{{interval->low, y - end},
                                                                              {interval->low, y + end},
                                                                              {interval->low, y},
                                                                              {interval->high, y},
                                                                              {interval->high, y + end},
                                                                              {interval->high, y - end}});
    }
    for (std::size_t unused = static_cast<std::size_t>(drawn); unused < intervals_.size(); ++unused)
        intervals_[unused]->clear();

    hasReference_ = reference && n > 0;
    if (hasReference_) {
        reference_->setName(referenceName);
        reference_->replace(QList<QPointF>{{*reference, -0.5}, {*reference, n - 0.5}});
    } else {
        reference_->clear();
    }
    showReferenceInLegend();
    const double span = high - low;
    setRoundRange(values_, low < 0 ? low - 0.05 * span : 0, high + 0.05 * std::max(span, 1.0));
    setEmptyNote(n == 0, emptyText_);
    if (bars.size() > drawnBars)
        chart()->setTitle(QStringLiteral("表の上から%1行を描いています（全%2行）")
                              .arg(drawnBars)
                              .arg(displaytext::count(static_cast<long long>(bars.size()))));
}

int IntervalBarChart::intervalsDrawn() const
{
    return static_cast<int>(
        std::count_if(intervals_.begin(), intervals_.end(), [](const QLineSeries* line) { return line->count() > 0; }));
}

void IntervalBarChart::showLabels()
{
    if (!isVisible() || labelsShown_ == labels_)
        return;
    labelsShown_ = labels_;
    setEscapedLabels(rows_, labels_);
}

void IntervalBarChart::showEvent(QShowEvent* event)
{
    showLabels();
    AnalysisChartView::showEvent(event);
    showReferenceInLegend();
}

void IntervalBarChart::showReferenceInLegend()
{
    for (QLegendMarker* marker : chart()->legend()->markers(reference_))
        marker->setVisible(hasReference_);
}

void IntervalBarChart::showTip(int index)
{
    if (index < 0 || index >= static_cast<int>(bars_.size()))
        return;
    const Bar& bar = bars_[static_cast<std::size_t>(index)];
    QString text = bar.label + u'\n' + valueName_ + QStringLiteral("：")
                   + (bar.value ? valueText_(*bar.value) : QStringLiteral("なし"));
    if (bar.interval)
        text += QStringLiteral("\n95%区間：") + valueText_(bar.interval->low) + u'～' + valueText_(bar.interval->high);
    if (bar.indicative)
        text += QStringLiteral("（参考値）");
    if (!bar.tip.isEmpty())
        text += u'\n' + bar.tip;
    showTipText(this, text);
}
