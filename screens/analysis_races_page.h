#pragma once

#include "screens/analysis_page.h"

class QLabel;
class QLineEdit;
class QTableView;

// レース一覧: every race that matches the filter, in time order until a header is clicked, searched through a box.
class AnalysisRacesPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisRacesPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {raceSearch, racesView}; }

private:
    void searchChanged();

    QLineEdit* raceSearch;
    QLabel* raceCount;
    QLabel* firstSeasonNote; // why races without a result are counted, while none has one
    QTableView* racesView;
};
