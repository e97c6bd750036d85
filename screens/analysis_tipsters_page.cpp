#include "screens/analysis_tipsters_page.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisTipstersPage::AnalysisTipstersPage(AnalysisState& state) : AnalysisPage("tipstersPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    auto* heading = caption(QStringLiteral("予想家ごとの印と着順（結果の入ったレース）"), this);
    heading->setFont(screenFont(11));
    top->addWidget(heading);
    top->addStretch(1);
    tipsterAllMarks = choice<QCheckBox>("tipsterAllMarks", QStringLiteral("△×★の列も表示"), this);
    top->addWidget(tipsterAllMarks);
    rows->addLayout(top);
    tipstersView = table("tipstersView", this);
    tipstersView->setFixedHeight(176);
    rows->addWidget(tipstersView);
    tipsterChart = new IntervalBarChart(
        QStringLiteral("tipsterChart"), QStringLiteral("◎の連対率"),
        [](double value) { return displaytext::percent(value); }, "%.0f%", this);
    tipsterChart->setEmptyText(noTipsterRaces());
    rows->addWidget(tipsterChart, 1);
    tipsterLeftOut = countsLine("tipsterLeftOut", this);
    rows->addWidget(tipsterLeftOut);
    connect(tipsterAllMarks, &QCheckBox::toggled, this, [this] { showTipsterColumns(); });
}

void AnalysisTipstersPage::load()
{
    // The table sorts itself on a clicked header; the chart follows the table's order, and the columns in view are
    // set again whenever the table takes new rows.
    tipstersView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    tipstersView->setModel(&analysis().tipsterModel());
    tipstersView->setSortingEnabled(true);
    for (int column = 0; column < tipstersView->model()->columnCount(); ++column)
        tipstersView->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    connect(&analysis().tipsterModel(), &QAbstractItemModel::modelReset, this, [this] {
        showTipsterColumns();
        showTipsterChart();
    });
    showTipsterColumns();
    showTipsterChart();
    auto showLeftOut = [this] {
        const TipsterLeftOut leftOut = analysisview::tipsterLeftOut(analysis());
        tipsterLeftOut->setText(leftOut.text);
        tipsterLeftOut->setToolTip(leftOut.tip);
    };
    connect(&state, &AnalysisState::recomputed, this, showLeftOut);
    connect(&state, &AnalysisState::tipstersReady, this, showLeftOut);
}

void AnalysisTipstersPage::showTipsterColumns()
{
    if (!state.analysis())
        return;
    const TipsterTableModel& model = analysis().tipsterModel();
    // ◎ ○ ▲ are the marks a tipster gives one runner; △ × ★ come into view when asked for.
    const int firstWide = TipsterTableModel::markColumn(3, TipsterTableModel::Count);
    const int lastWide = TipsterTableModel::ticketColumn(TipsterTableModel::TicketRaces);
    for (int column = 0; column < model.columnCount(); ++column) {
        const bool wide = column >= firstWide && column < lastWide;
        tipstersView->setColumnHidden(column, !model.shownOnScreen(column) || (wide && !tipsterAllMarks->isChecked()));
    }
    fitColumns(tipstersView);
}

void AnalysisTipstersPage::showTipsterChart()
{
    tipsterChart->setEmptyText(analysis().tipstersPending() ? displaytext::pending() : noTipsterRaces());
    const TipsterTableModel& model = analysis().tipsterModel();
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TipsterRow& tipster = model.rows()[static_cast<std::size_t>(model.sourceRow(row))];
        const PlaceTally& marks = tipster.marks[static_cast<std::size_t>(MarkKind::DoubleCircle)];
        bars.push_back({tipster.name, marks.placeRatePercent(), marks.placeInterval(), marks.indicative(),
                        QStringLiteral("◎%1頭：1着%2、2着%3").arg(marks.runners).arg(marks.first).arg(marks.second)});
    }
    const PlaceTally& leader = analysis().tipsterFigures().favouriteLeader;
    tipsterChart->setBars(
        bars, leader.placeRatePercent(),
        QStringLiteral("トキロの本命人気1位 %1").arg(displaytext::percent(leader.placeRatePercent())));
}

CsvTable AnalysisTipstersPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    chosen.model = &analysis().tipsterModel();
    chosen.what = QStringLiteral("予想家の成績（%1）").arg(tipsterCount());
    chosen.proposedName = QStringLiteral("分析_予想家.csv");
    return chosen;
}
