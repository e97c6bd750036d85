#pragma once

#include "screens/analysis_page.h"

class IntervalBarChart;
class QLabel;
class QTableView;

// 予想家の貢献: what each tipster's marks add to the proposals (the program run on that tipster's marks alone and
// without them), with a chart of the points each adds to the return rate and the races the page left out.
class AnalysisAddsPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisAddsPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {addsView}; }
    CsvTable csvTable() const override;
    QString helpSection() const override { return QStringLiteral("analysis-adds"); }

private:
    // The table's columns in view and the chart in the table's order.
    void showAddsChart();

    QTableView* addsView;
    IntervalBarChart* addsChart;
    QLabel* addsLeftOut;
};
