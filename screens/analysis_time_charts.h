#pragma once

#include "analysis/chart_series.h"
#include "screens/analysis_chart_view.h"

#include <QDate>
#include <QStringList>

#include <utility>
#include <vector>

class QBarSet;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The charts of the グラフ page, over time.

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
