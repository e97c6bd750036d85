#pragma once

#include "screens/analysis_page.h"

class CumulativeProfitChart;
class MonthlyProfitChart;
class QButtonGroup;
class QStackedWidget;
class ReturnTrendChart;

// グラフ: the three charts over time, one in view at a time, picked with option buttons.
class AnalysisChartsPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisChartsPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override;

private:
    void showCharts();

    QButtonGroup* chartChoice;
    QStackedWidget* chartStack;
    CumulativeProfitChart* cumulativeChart;
    MonthlyProfitChart* monthlyChart;
    ReturnTrendChart* trendChart;
};
