#pragma once

#include "analysis/breakdowns.h"
#include "analysis/chart_series.h"
#include "screens/analysis_chart_view.h"

#include <QStringList>

#include <optional>
#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QLineSeries;
class QValueAxis;

// The bar charts of the pages on breakdowns, what-if counts, tipsters and ranks.

// Bars of the return rate of each row of a table: the breakdowns (both series) and the what-if counts (the
// proposals, with the counts the user asked in their own colour).
class RateBarChart final : public AnalysisChartView {
    Q_OBJECT
public:
    enum class Kind { Breakdown, WhatIf };
    RateBarChart(Kind kind, const QString& objectName, QWidget* parent = nullptr);

    void setBreakdown(const std::vector<BreakdownRow>& rows);
    void setWhatIf(const std::vector<WhatIfRow>& rows);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showLabels();
    void setRows(const QStringList& labels, const std::vector<std::optional<double>>& first,
                 const std::vector<std::optional<double>>& second);
    void showTip(int set, int index);

    Kind kind_;
    QBarSet* first_;
    QBarSet* second_;
    QBarCategoryAxis* rows_;
    QValueAxis* rate_;
    QStringList labels_;
    QStringList labelsShown_; // the labels on the axis now
    std::vector<std::optional<double>> firstRates_;
    std::vector<std::optional<double>> secondRates_;
};

// Horizontal bars, a row each from the top down, with each row's 95% interval drawn across its bar as a line with
// short ends: the tipsters' ◎ 連対率, the rows of 印と順位, what each tipster adds. Bars of rows resting on enough are
// yellow, indicative ones (fewer than 30) orange; a dashed line can stand across the rows for comparison.
class IntervalBarChart final : public AnalysisChartView {
    Q_OBJECT
public:
    struct Bar {
        QString label;
        std::optional<double> value; // none: no bar (nothing counted)
        std::optional<ReturnInterval> interval;
        bool indicative = false;
        QString tip; // a line more for the tooltip
    };
    // valueName names the value in tooltips ("◎の連対率"), valueText writes it; labelFormat is the value axis's
    // ("%.0f%").
    IntervalBarChart(const QString& objectName, const QString& valueName, QString (*valueText)(double),
                     const char* labelFormat, QWidget* parent = nullptr);

    // The first mostBars are drawn, each labelled with its name cut short when long (the tooltip has it whole); the
    // chart's title says when rows were left out. More bars could not be told apart, and Qt Charts takes time with
    // the square of its categories.
    static constexpr std::size_t mostBars = 10;
    void setBars(const std::vector<Bar>& bars, std::optional<double> reference = std::nullopt,
                 const QString& referenceName = {});
    // The note the chart shows when there is no bar to draw.
    void setEmptyText(const QString& text) { emptyText_ = text; }
    // The interval lines drawn (one a row with an interval), for tests.
    int intervalsDrawn() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showLabels();
    void showReferenceInLegend();
    void showTip(int index);

    QString valueName_;
    QString (*valueText_)(double);
    QString emptyText_;
    QBarSet* sure_;
    QBarSet* indicative_;
    QBarCategoryAxis* rows_;
    QValueAxis* values_;
    QLineSeries* reference_;
    bool hasReference_ = false;
    std::vector<QLineSeries*> intervals_;
    QStringList labels_;
    QStringList labelsShown_;
    std::vector<Bar> bars_; // bottom up, as drawn
};
