#pragma once

#include "screens/analysis_page.h"

class QIdentityProxyModel;
class QTableView;
class RateBarChart;

// もしも: the proposals' figures had every race been bought at each count of tickets, the counts the user asked in
// colour, with a chart of their return rates.
class AnalysisWhatIfPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisWhatIfPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {whatIfView}; }
    CsvTable csvTable() const override;

private:
    QTableView* whatIfView;
    QIdentityProxyModel* whatIfShown;
    RateBarChart* whatIfChart;
};
