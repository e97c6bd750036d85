#pragma once

#include "screens/analysis_page.h"

class QComboBox;
class QIdentityProxyModel;
class QTableView;
class RateBarChart;

// 内訳: the figures of both series by year, month, course and so on, the breakdown picked in a list, with a chart of
// each row's return rate.
class AnalysisBreakdownPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisBreakdownPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {breakdownPicker, breakdownView}; }
    CsvTable csvTable() const override;

private:
    void breakdownPicked();
    void showBreakdownChart();

    QComboBox* breakdownPicker;
    QTableView* breakdownView;
    QIdentityProxyModel* breakdownShown; // the picked breakdown with the screen's headers
    RateBarChart* breakdownChart;
};
