#pragma once

#include "screens/analysis_page.h"

class IntervalBarChart;
class QCheckBox;
class QLabel;
class QTableView;

// 予想家: each tipster's marks and how the marked runners finished, with a chart of each tipster's ◎ 連対率 in the
// table's order and the races the page left out.
class AnalysisTipstersPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisTipstersPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {tipsterAllMarks, tipstersView}; }
    CsvTable csvTable() const override;
    QString helpSection() const override { return QStringLiteral("analysis-tipsters"); }

private:
    // Which columns are in view; the chart in the table's order.
    void showTipsterColumns();
    void showTipsterChart();

    QCheckBox* tipsterAllMarks;
    QTableView* tipstersView;
    IntervalBarChart* tipsterChart;
    QLabel* tipsterLeftOut;
};
