#include "screens/analysis_races_page.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using namespace analysisview;

namespace {
// The race table's columns are fixed: sizing 10,000 rows to their contents would cost more than the filter change.
// Widths in characters of the table's font, the header's width taken when wider.
const int raceColumnChars[RaceTableModel::ColumnCount] = {10, 5, 16, 5, 8,  7,  4,  4,  6,  22,
                                                          4,  4, 10, 6, 10, 10, 10, 10, 10, 10};
} // namespace

AnalysisRacesPage::AnalysisRacesPage(AnalysisState& state) : AnalysisPage("racesPage", state)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 6, 4, 4);
    rows->setSpacing(6);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("検索"), this));
    raceSearch = new QLineEdit(this);
    raceSearch->setObjectName(QStringLiteral("raceSearch"));
    raceSearch->setFont(boxFont());
    useStandardPalette(raceSearch);
    raceSearch->setFixedWidth(300);
    raceSearch->setClearButtonEnabled(true);
    raceSearch->setPlaceholderText(QStringLiteral("レース名、競馬場、日付、的中など"));
    top->addWidget(raceSearch);
    top->addSpacing(12);
    raceCount = new QLabel(this);
    raceCount->setObjectName(QStringLiteral("raceCount"));
    raceCount->setFont(screenFont(10.5, false, gothicFamily));
    setColours(raceCount, white, noColour);
    top->addWidget(raceCount, 1);
    rows->addLayout(top);
    firstSeasonNote = note("firstSeasonNote", firstSeasonText(), this);
    firstSeasonNote->setTextFormat(Qt::PlainText);
    firstSeasonNote->hide();
    rows->addWidget(firstSeasonNote);
    racesView = table("racesView", this);
    rows->addWidget(racesView, 1);
    connect(raceSearch, &QLineEdit::textChanged, this, [this] { searchChanged(); });
}

void AnalysisRacesPage::load()
{
    racesView->setModel(&analysis().raceTable());
    const QFontMetrics metrics(racesView->font());
    const QFontMetrics headerMetrics(racesView->horizontalHeader()->font());
    for (int column = 0; column < RaceTableModel::ColumnCount; ++column) {
        const QString header = analysis().raceTable().headerData(column, Qt::Horizontal).toString();
        racesView->setColumnWidth(column, std::max(metrics.horizontalAdvance(u'0') * raceColumnChars[column] + 10,
                                                   headerMetrics.horizontalAdvance(header) + 24));
    }
    // No column is sorted at first: the rows stay in time order until a header is clicked.
    racesView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    racesView->setSortingEnabled(true);
    connect(&state, &AnalysisState::recomputed, this, [this] {
        firstSeasonNote->setVisible(state.firstSeason());
        searchChanged();
    });
}

void AnalysisRacesPage::searchChanged()
{
    if (!state.analysis())
        return;
    RaceTableModel& races = analysis().raceTable();
    if (races.searchText() != raceSearch->text())
        races.setSearchText(raceSearch->text());
    const auto all = static_cast<long long>(analysis().races().table.size());
    const long long shown = races.rowCount();
    raceCount->setText(shown == all ? QStringLiteral("%1レース").arg(displaytext::count(all))
                                    : QStringLiteral("%1レースのうち%2レースが検索に合います")
                                          .arg(displaytext::count(all), displaytext::count(shown)));
    emit csvTableChanged();
}
