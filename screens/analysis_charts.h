#pragma once

#include "analysis/breakdowns.h"
#include "analysis/chart_series.h"

#include <QChartView>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QAbstractAxis;
class QAbstractSeries;
class QBarSet;
class QLineSeries;
class QValueAxis;
class QCategoryAxis;
class QBarCategoryAxis;

// The charts of the analysis screen: black like the pages they lie on, axes and tooltips in Japanese, yen with
// thousands separators. Each chart's series carry the object names of the data they show and are children of the
// view, so that findChild on the screen reaches them. A filter change replaces a series' data in one call.

// A chart view on a black page: no frame, no focus (the tables and filters take the keyboard), the chart's theme,
// fonts and colours set once.
class AnalysisChartView : public QChartView {
    Q_OBJECT
public:
    explicit AnalysisChartView(const QString& objectName, QWidget* parent = nullptr);

protected:
    // Puts a series on the chart, on the given axes, while the view is in sight; a hidden view keeps it aside.
    void place(QAbstractSeries* series, std::initializer_list<QAbstractAxis*> axes, bool inLegend = true);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // A value axis on the left, its labels in yen ("10,000円") or in per cent ("80%"): the format is printf's, and the
    // chart's Japanese locale puts in the separators (Qt Charts 6.4 does so for a floating-point format only).
    QValueAxis* addValueAxis(const char* labelFormat);
    // The width of the plot in pixels, the resolution its lines are drawn at.
    int plotColumns() const;
    // Says in the chart's title that there is nothing to draw, or clears it.
    void setEmptyNote(bool empty, const QString& note);

private:
    struct Placed {
        QAbstractSeries* series;
        std::vector<QAbstractAxis*> axes;
        bool inLegend;
    };
    void putOnChart(const Placed& placed);
    std::vector<Placed> placed_;
};

// Both series as lines over race days: the proposals and the user's own, each point with a tooltip of its day.
class DatedLinesChart : public AnalysisChartView {
    Q_OBJECT
protected:
    // tipWhat names the value in a tooltip ("この日までの収支"); tipValue writes it.
    DatedLinesChart(const QString& objectName, const QString& proposalsObject, const QString& ownObject,
                    double penWidth, const QString& tipWhat, QString (*tipValue)(double), QWidget* parent);

    // Gives each line a faint twin that draws its first, indicative values (objects named as given); tipWhat names
    // their value in a tooltip.
    void addIndicativeLines(const QString& proposalsObject, const QString& ownObject, const QString& tipWhat);
    // Keeps the values of both lines, emptied until drawLines; first and last get the days they span (invalid when both
    // are empty), low and high are widened to take in every value. The first proposalsIndicative and ownIndicative
    // values are drawn by the faint twins.
    void takeValues(const std::vector<DatedValue>& proposals, const std::vector<DatedValue>& own, QDate& first,
                    QDate& last, double& low, double& high, std::size_t proposalsIndicative = 0,
                    std::size_t ownIndicative = 0);
    // Draws both lines over the date axis's range, once the axes are set.
    void drawLines();
    bool empty() const { return proposals_.values.empty() && own_.values.empty(); }
    bool anyIndicative() const { return proposals_.indicative > 0 || own_.indicative > 0; }

    // One series of values: its line, and the faint twin of its indicative start.
    struct Line {
        QLineSeries* series = nullptr;
        QLineSeries* faint = nullptr;
        QString name;
        std::vector<DatedValue> values;
        std::size_t indicative = 0;
    };
    Line proposals_;
    Line own_;
    QCategoryAxis* dates_;

private:
    void showTip(const Line& line, const QPointF& point);

    QString tipWhat_;
    QString indicativeTipWhat_;
    QString (*tipValue_)(double);
};

// The cumulative profit of both series after each race day, with the zero line.
class CumulativeProfitChart final : public DatedLinesChart {
    Q_OBJECT
public:
    explicit CumulativeProfitChart(QWidget* parent = nullptr);
    void setData(const AnalysisCharts& charts);

private:
    QLineSeries* zero_;
    QValueAxis* yen_;
};

// The profit of each calendar month as bars, both series side by side.
class MonthlyProfitChart final : public AnalysisChartView {
    Q_OBJECT
public:
    explicit MonthlyProfitChart(QWidget* parent = nullptr);
    void setData(const AnalysisCharts& charts);

private:
    QBarSet* proposals_;
    QBarSet* own_;
    QCategoryAxis* months_;
    QValueAxis* yen_;
    QStringList monthLabels_;
    std::vector<std::pair<QString, int>> monthTicks_; // the labels on the month axis now, at their bars
};

// The return rate over each race's last 20 races, both series, with the line of what JRA pays back on quinellas.
// Before the 20th race the rate of every race so far is drawn faint, as an indicative figure.
class ReturnTrendChart final : public DatedLinesChart {
    Q_OBJECT
public:
    explicit ReturnTrendChart(QWidget* parent = nullptr);
    void setData(const AnalysisCharts& charts);

private:
    QLineSeries* reference_;
    QValueAxis* rate_;
};

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

// The texts of the charts' tooltips. plainTip makes a text show as it is, markup and all.
QString plainTip(const QString& text);
QString dateText(const QDate& date); // "2024年3月10日"
QString tipOfDay(const QString& seriesName, const QDate& date, const QString& what, const QString& value);
