#include "screens/analysis_breakdown_page.h"

#include "analysis/analysis.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using namespace analysisview;

namespace {
const char* const breakdownNames[breakdownCount] = {"年別",   "月別", "競馬場別",   "重賞別",    "距離別",
                                                    "頭数別", "軸別", "希望点数別", "予想点数別"};
} // namespace

AnalysisBreakdownPage::AnalysisBreakdownPage(AnalysisState& state) : AnalysisPage("breakdownPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 0);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("内訳"), this));
    breakdownPicker = pickBox("breakdownPicker", this, 128);
    for (const char* name : breakdownNames)
        breakdownPicker->addItem(QString::fromUtf8(name));
    top->addWidget(breakdownPicker);
    top->addSpacing(12);
    top->addWidget(caption(QStringLiteral("下のグラフは行ごとの回収率です。"), this, cyan), 1);
    rows->addLayout(top);
    breakdownView = table("breakdownView", this);
    breakdownView->setFixedHeight(172);
    breakdownShown = new ScreenHeaders(utf8List({"", "予想\nレース数", "予想\n的中数", "予想\n的中率", "予想\n購入額",
                                                 "予想\n払戻額", "予想\n回収率", "予想\n収支", "あなた\nレース数",
                                                 "あなた\n購入額", "あなた\n収入", "あなた\n回収率", "あなた\n差額"}),
                                       breakdownView);
    rows->addWidget(breakdownView);
    breakdownChart = new RateBarChart(RateBarChart::Kind::Breakdown, QStringLiteral("breakdownChart"), this);
    rows->addWidget(breakdownChart, 1);
    connect(breakdownPicker, &QComboBox::currentIndexChanged, this, [this] { breakdownPicked(); });
}

void AnalysisBreakdownPage::load()
{
    breakdownShown->setSourceModel(&analysis().breakdownModel(Breakdown::Year));
    breakdownView->setModel(breakdownShown);
    connect(&state, &AnalysisState::recomputed, this, [this] { showBreakdownChart(); });
}

void AnalysisBreakdownPage::breakdownPicked()
{
    if (!state.analysis())
        return;
    const auto breakdown = static_cast<Breakdown>(std::max(0, breakdownPicker->currentIndex()));
    breakdownShown->setSourceModel(&analysis().breakdownModel(breakdown));
    showBreakdownChart();
    emit csvTableChanged();
}

void AnalysisBreakdownPage::showBreakdownChart()
{
    const auto breakdown = static_cast<Breakdown>(std::max(0, breakdownPicker->currentIndex()));
    breakdownChart->setBreakdown(analysis().breakdownModel(breakdown).rows());
    fitColumns(breakdownView);
}

CsvTable AnalysisBreakdownPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    const int picked = std::max(0, breakdownPicker->currentIndex());
    const QString name = QString::fromUtf8(breakdownNames[picked]);
    chosen.model = &analysis().breakdownModel(static_cast<Breakdown>(picked));
    chosen.what = QStringLiteral("内訳（%1）").arg(name);
    chosen.proposedName = QStringLiteral("分析_内訳_%1.csv").arg(name);
    return chosen;
}
