#include "screens/analysis_charts_page.h"

#include "analysis/analysis.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisChartsPage::AnalysisChartsPage(AnalysisState& state) : AnalysisPage("chartsPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 0);
    rows->setSpacing(2);
    auto* choices = new QHBoxLayout;
    choices->setSpacing(24);
    chartChoice = new QButtonGroup(this);
    const char* const names[] = {"cumulativeOption", "monthlyOption", "trendOption"};
    const QString texts[] = {QStringLiteral("累積収支"), QStringLiteral("月ごとの収支"),
                             QStringLiteral("直近%1レースの回収率").arg(returnTrendWindow)};
    for (int i = 0; i < 3; ++i) {
        auto* option = choice<QRadioButton>(names[i], texts[i], this);
        chartChoice->addButton(option, i);
        choices->addWidget(option);
    }
    chartChoice->button(0)->setChecked(true);
    choices->addStretch();
    rows->addLayout(choices);

    chartStack = new QStackedWidget(this);
    chartStack->setObjectName(QStringLiteral("chartStack"));
    cumulativeChart = new CumulativeProfitChart(chartStack);
    monthlyChart = new MonthlyProfitChart(chartStack);
    trendChart = new ReturnTrendChart(chartStack);
    chartStack->addWidget(cumulativeChart);
    chartStack->addWidget(monthlyChart);
    chartStack->addWidget(trendChart);
    rows->addWidget(chartStack, 1);
    connect(chartChoice, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            chartStack->setCurrentIndex(id);
    });
}

QList<QWidget*> AnalysisChartsPage::focusOrder() const
{
    return {chartChoice->button(0), chartChoice->button(1), chartChoice->button(2)};
}

void AnalysisChartsPage::load()
{
    connect(&state, &AnalysisState::recomputed, this, [this] { showCharts(); });
}

void AnalysisChartsPage::showCharts()
{
    const AnalysisCharts& charts = analysis().charts();
    cumulativeChart->setData(charts);
    monthlyChart->setData(charts);
    trendChart->setData(charts);
}
