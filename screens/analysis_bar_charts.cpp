#include "screens/analysis_bar_charts.h"

#include "analysis/display_text.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QSet>
#include <QShowEvent>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

using namespace chartstyle;

namespace {
// Seen on the yellow and orange bars and on the black page alike.
const QColor intervalColour(70, 120, 255);
} // namespace

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
