#pragma once

#include "screens/analysis_page.h"

class QLabel;
class QTableView;

// 概要: the figures of both series side by side, and which races the filter counted and which it left out.
class AnalysisOverviewPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisOverviewPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {figuresView}; }

private:
    void showCounts();

    QTableView* figuresView;
    QLabel* leftOutSummary;
};
