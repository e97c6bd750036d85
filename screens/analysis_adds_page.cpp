#include "screens/analysis_adds_page.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisAddsPage::AnalysisAddsPage(AnalysisState& state) : AnalysisPage("addsPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* heading =
        caption(QStringLiteral("もしもトキロが、この予想家の印だけで／この予想家の印を抜いて予想していたら"), this);
    heading->setFont(screenFont(11));
    rows->addWidget(heading);
    addsView = table("addsView", this);
    addsView->setFixedHeight(150);
    rows->addWidget(addsView);
    addsChart = new IntervalBarChart(
        QStringLiteral("addsChart"), QStringLiteral("加えた回収率"),
        [](double points) {
            return (points > 0 ? QStringLiteral("+") : QString()) + displaytext::csvPercent(points)
                   + QStringLiteral("ポイント");
        },
        "%.0f", this);
    addsChart->setEmptyText(noTipsterRaces());
    rows->addWidget(addsChart, 1);
    rows->addWidget(note("addsNote",
                         QStringLiteral("加えた回収率＝記録どおりの回収率－この予想家抜きの回収率（ポイント）。"
                                        "線は95%区間で、0をまたいでいるうちは、足したのか引いたのかまだ分かりません。"),
                         this));
    addsLeftOut = countsLine("addsLeftOut", this);
    rows->addWidget(addsLeftOut);
}

void AnalysisAddsPage::load()
{
    // The table sorts itself on a clicked header; the chart follows the table's order, and the columns in view are
    // set again whenever the table takes new rows.
    addsView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    addsView->setModel(&analysis().tipsterWhatIfModel());
    addsView->setSortingEnabled(true);
    for (int column = 0; column < addsView->model()->columnCount(); ++column)
        addsView->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    connect(&analysis().tipsterWhatIfModel(), &QAbstractItemModel::modelReset, this, [this] { showAddsChart(); });
    showAddsChart();
    auto showLeftOut = [this] {
        const TipsterLeftOut leftOut = analysisview::tipsterLeftOut(analysis());
        addsLeftOut->setText(leftOut.text);
        addsLeftOut->setToolTip(leftOut.tip);
    };
    connect(&state, &AnalysisState::recomputed, this, showLeftOut);
    connect(&state, &AnalysisState::tipstersReady, this, showLeftOut);
}

void AnalysisAddsPage::showAddsChart()
{
    addsChart->setEmptyText(analysis().tipstersPending() ? displaytext::pending() : noTipsterRaces());
    const TipsterWhatIfModel& model = analysis().tipsterWhatIfModel();
    for (int column = 0; column < model.columnCount(); ++column)
        addsView->setColumnHidden(column, !model.shownOnScreen(column));
    fitColumns(addsView);
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TipsterWhatIfRow& tipster = model.rows()[static_cast<std::size_t>(model.sourceRow(row))];
        bars.push_back({tipster.name, tipster.addedPoints(), tipster.addedInterval, tipster.indicative(),
                        QStringLiteral("%1レース：加えて的中になった%2、外れになった%3")
                            .arg(tipster.recorded.races)
                            .arg(tipster.gained)
                            .arg(tipster.lost)});
    }
    addsChart->setBars(bars);
}

CsvTable AnalysisAddsPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    chosen.model = &analysis().tipsterWhatIfModel();
    chosen.what = QStringLiteral("予想家の貢献（%1）").arg(tipsterCount());
    chosen.proposedName = QStringLiteral("分析_予想家の貢献.csv");
    return chosen;
}
