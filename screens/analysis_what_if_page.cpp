#include "screens/analysis_what_if_page.h"

#include "analysis/analysis.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisWhatIfPage::AnalysisWhatIfPage(AnalysisState& state) : AnalysisPage("whatIfPage", state)
{
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 6, 4, 0);
    columns->setSpacing(6);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    auto* heading = new QLabel(QStringLiteral("もしも全レースをこの点数で買っていたら（予想の成績）"), this);
    heading->setFont(screenFont(11));
    setColours(heading, white, noColour);
    left->addWidget(heading);
    whatIfView = table("whatIfView", this);
    whatIfShown = new ScreenHeaders(
        utf8List({"点数", "レース数", "的中数", "的中率", "購入額", "払戻額", "回収率", "収支", "希望した\nレース数"}),
        whatIfView);
    left->addWidget(whatIfView, 1);
    left->addWidget(note(
        "whatIfNote", QStringLiteral("色のついた行は、あなたが実際に希望した点数です（右端はそのレース数）。"), this));
    columns->addLayout(left, 1);
    whatIfChart = new RateBarChart(RateBarChart::Kind::WhatIf, QStringLiteral("whatIfChart"), this);
    whatIfChart->setFixedWidth(250);
    columns->addWidget(whatIfChart);
}

void AnalysisWhatIfPage::load()
{
    whatIfShown->setSourceModel(&analysis().whatIfModel());
    whatIfView->setModel(whatIfShown);
    connect(&state, &AnalysisState::recomputed, this, [this] {
        whatIfChart->setWhatIf(analysis().whatIfModel().rows());
        fitColumns(whatIfView);
    });
}

CsvTable AnalysisWhatIfPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    chosen.model = &analysis().whatIfModel();
    chosen.what = QStringLiteral("もしもの表（1点～%1点）").arg(whatIfCounts);
    chosen.proposedName = QStringLiteral("分析_もしも.csv");
    return chosen;
}
