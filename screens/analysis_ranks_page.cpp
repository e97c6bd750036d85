#include "screens/analysis_ranks_page.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisRanksPage::AnalysisRanksPage(AnalysisState& state) : AnalysisPage("ranksPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("区分"), this));
    rankGroupPicker = pickBox("rankGroupPicker", this, 190);
    for (const QString& group : rankGroups() + markCountGroups())
        rankGroupPicker->addItem(group);
    top->addWidget(rankGroupPicker);
    top->addSpacing(12);
    top->addWidget(caption(QStringLiteral("予想結果の順位・等級と印の数で、馬がどう走ったか"), this, cyan), 1);
    rows->addLayout(top);
    // The table and the chart side by side: a group has up to 21 rows, each a bar.
    auto* sides = new QHBoxLayout;
    sides->setSpacing(6);
    ranksView = table("ranksView", this);
    ranksView->setFixedWidth(424);
    sides->addWidget(ranksView);
    rankChart = new IntervalBarChart(
        QStringLiteral("rankChart"), QStringLiteral("連対率"), [](double value) { return displaytext::percent(value); },
        "%.0f%", this);
    rankChart->setEmptyText(QStringLiteral("結果の入ったレースがありません。"));
    sides->addWidget(rankChart, 1);
    rows->addLayout(sides, 1);
    rankCounts = countsLine("rankCounts", this);
    rows->addWidget(rankCounts);
    connect(rankGroupPicker, &QComboBox::currentIndexChanged, this, [this] { rankGroupPicked(); });
}

void AnalysisRanksPage::load()
{
    // The table sorts itself on a clicked header, the chart following its order.
    ranksView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ranksView->setModel(&analysis().proposalRanksModel());
    for (PlaceTableModel* model : {&analysis().proposalRanksModel(), &analysis().markKindsModel()})
        connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
            if (ranksView->model() == model)
                showRankGroup();
        });
    showRankGroup();
    connect(&state, &AnalysisState::recomputed, this, [this] { showRankCounts(); });
    connect(&state, &AnalysisState::tipstersReady, this, [this] { showRankCounts(); });
}

bool AnalysisRanksPage::markCountsPicked() const { return rankGroupPicker->currentIndex() >= rankGroups().size(); }

void AnalysisRanksPage::rankGroupPicked()
{
    if (!state.analysis())
        return;
    PlaceTableModel* model = markCountsPicked() ? &analysis().markKindsModel() : &analysis().proposalRanksModel();
    if (ranksView->model() != model)
        ranksView->setModel(model);
    showRankGroup();
    emit csvTableChanged();
}

void AnalysisRanksPage::showRankGroup()
{
    const auto* model = static_cast<const PlaceTableModel*>(ranksView->model());
    const QString group = rankGroupPicker->currentText();
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model->rowCount(); ++row) {
        const PlaceRow& place = model->rows()[static_cast<std::size_t>(model->sourceRow(row))];
        const bool shown = place.group == group;
        ranksView->setRowHidden(row, !shown);
        if (shown)
            bars.push_back({place.label, place.tally.placeRatePercent(), place.tally.placeInterval(),
                            place.tally.indicative(),
                            QStringLiteral("%1頭：1着%2、2着%3")
                                .arg(place.tally.runners)
                                .arg(place.tally.first)
                                .arg(place.tally.second)});
    }
    for (int column = 0; column < model->columnCount(); ++column)
        ranksView->setColumnHidden(column, column == PlaceTableModel::Group || !model->shownOnScreen(column));
    rankChart->setBars(bars);
    fitColumns(ranksView);
}

void AnalysisRanksPage::showRankCounts()
{
    const RankFigures& ranks = analysis().rankFigures();
    QString rankText = QStringLiteral("数えたレース %1").arg(displaytext::count(ranks.races));
    QStringList rankOut;
    if (ranks.unmarked > 0)
        rankOut << QStringLiteral("印がひとつもない%1レース").arg(displaytext::count(ranks.unmarked));
    if (ranks.withoutResult > 0)
        rankOut << QStringLiteral("結果が未入力%1レース").arg(displaytext::count(ranks.withoutResult));
    if (!rankOut.isEmpty())
        rankText += QStringLiteral("　外したレース：") + rankOut.join(QStringLiteral("、"));
    rankCounts->setText(rankText);
}

CsvTable AnalysisRanksPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    const bool markCounts = markCountsPicked();
    chosen.model =
        markCounts ? static_cast<QAbstractItemModel*>(&analysis().markKindsModel()) : &analysis().proposalRanksModel();
    chosen.what = markCounts ? QStringLiteral("印の数（すべての印）") : QStringLiteral("順位と等級（すべての区分）");
    chosen.proposedName = markCounts ? QStringLiteral("分析_印の数.csv") : QStringLiteral("分析_順位と等級.csv");
    return chosen;
}
